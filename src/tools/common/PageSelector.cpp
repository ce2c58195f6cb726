#include "tools/common/PageSelector.h"

#include "platform/forms/Form.h"
#include "services/Languages.h"
#include "ui/Window.h"

namespace tools {

PageSelector::PageSelector(forms::Form& form, const std::wstring& barName, int width, std::vector<PageInfo> pages)
    : form_(form), pages_(std::move(pages)), built_(pages_.size(), false) {
  SlideBarArgs bar;
  bar.Name = barName;
  bar.Width = width;
  bar.Height = kBarHeight;
  bar_ = std::make_unique<SlideBar>(form, bar);
  bar_->SetCellWidth(width / std::max(1, Count()));
  width_ = width;
}

forms::PictureBox& PageSelector::Page(int index) const {
  if (forms::PictureBox* made = form_.Array<forms::PictureBox>(L"Page").Item(index)) return *made;
  auto page = forms::Placed<forms::PictureBoxArgs>(L"Page", 0, kBarHeight, width_, Info(index).Height);
  page.Index = index;
  page.Visible = false;
  page.Tag = Info(index).HelpTopic;
  page.BackColor = forms::SysColor(COLOR_BTNFACE);
  return form_.Add<forms::PictureBox>(page);
}

void PageSelector::Init(int selected) {
  for (const PageInfo& p : pages_)
    bar_->AddPanel(p.CaptionKey.empty() ? p.Caption : LangText(form_.Name() + p.CaptionKey, p.Caption), p.Icon);
  bar_->ClickItem(selected);
  bar_->Create();
}

void PageSelector::Show(int index) {
  if (index < 0 || index >= Count()) return;
  shown_ = index;
  if (!built_[static_cast<size_t>(index)]) {
    built_[static_cast<size_t>(index)] = true;
    if (OnBuild) OnBuild(index);
  }
  Page(index).SetVisible(true);
  for (forms::PictureBox* other : form_.Array<forms::PictureBox>(L"Page").Elements())
    if (other->Index() != index) other->SetVisible(false);
}

void PageSelector::ShowAndFit(int index) {
  Show(index);
  if (shown_ != index) return;
  const long height = ClientHeightFor(Info(index).Height);
  if (form_.Visible()) {
    long left = -1, top = -1, width = -1, outer = FormHeightForClient(form_, height);
    AnimateFormBounds(form_, left, top, width, outer, false);
  } else if (form_.ScaleHeight() != height) {
    form_.SetClientSize(width_, height);
  }
}

std::wstring PageSelector::HelpTopic() const { return shown_ >= 0 ? Info(shown_).HelpTopic : std::wstring(); }

}  // namespace tools
