#include "tools/PageSelector.h"

#include "platform/forms/Form.h"
#include "services/Languages.h"

namespace tools {

PageSelector::PageSelector(forms::Form& form, const std::wstring& barName, int width, std::vector<PageInfo> pages)
    : form_(form), pages_(std::move(pages)) {
  SlideBarArgs bar;
  bar.Name = barName;
  bar.Width = width;
  bar.Height = kBarHeight;
  bar_ = std::make_unique<SlideBar>(form, bar);
  bar_->SetCellWidth(width / std::max(1, Count()));
  for (int i = 0; i < Count(); ++i) {
    auto page = forms::Placed<forms::PictureBoxArgs>(L"Page", 0, kBarHeight, width, pages_[i].Height);
    page.Index = i;
    page.Visible = false;
    page.Tag = pages_[i].HelpTopic;
    page.BackColor = forms::SysColor(COLOR_BTNFACE);
    form.Add<forms::PictureBox>(page);
  }
}

forms::PictureBox& PageSelector::Page(int index) const { return form_.Array<forms::PictureBox>(L"Page")[index]; }

void PageSelector::Init(int selected) {
  for (const PageInfo& p : pages_) bar_->AddPanel(LangText(form_.Name() + p.CaptionKey, p.Caption), p.Icon);
  bar_->ClickItem(selected);
  bar_->Create();
}

void PageSelector::Show(int index) {
  if (index < 0 || index >= Count()) return;
  shown_ = index;
  Page(index).SetVisible(true);
  for (int i = 0; i < Count(); ++i)
    if (i != index) Page(i).SetVisible(false);
}

std::wstring PageSelector::HelpTopic() const { return shown_ >= 0 ? Page(shown_).Tag() : std::wstring(); }

}  // namespace tools
