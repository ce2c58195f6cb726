#include "tools/common/ToolWindow.h"

#include <algorithm>

#include "services/Services.h"
#include "services/Tips.h"
#include "ui/DrawingModule.h"
#include "ui/LanguageForms.h"
#include "ui/Window.h"

namespace tools {

ToolWindow::ToolWindow(std::wstring name, forms::FormArgs design)
    : Form(std::move(name), std::move(design)), designCaption_(Caption()) {
  OnLoad = [this] {
    // The caption outlives an unload: each load translates the design's again.
    SetCaption(designCaption_);
    designTexts_.clear();
    for (forms::Control* c : Controls()) KeepDesignText(c);
    Form_Load();
  };
  OnUnload = [this](bool&) { Form_Unload(); };
  OnResize = [this] {
    if (!row_.empty()) PlaceButtonRow(row_);
  };
}

void ToolWindow::Open(int mode) {
  if (mode < 0)
    Load();
  else
    ShowForm(*this, mode);
}

void ToolWindow::Close() {
  if (IsLoaded()) Unload();
}

forms::CommandButton& ToolWindow::AddButton(const wchar_t* name, const std::wstring& caption, int width) {
  auto args = forms::Placed<forms::CommandButtonArgs>(name, 0, ScaleHeight() - kBottomMargin - kButtonHeight, width,
                                                      kButtonHeight);
  args.Caption = caption;
  return Add<forms::CommandButton>(args);
}

forms::CommandButton& ToolWindow::AddHelpButton(const std::wstring& caption) {
  forms::CommandButton& help = AddButton(L"cbHelp", caption);
  help.SetCausesValidation(false);
  help.OnClick = [this] { OpenHelpPage(HelpTopic()); };
  return help;
}

void ToolWindow::PlaceButtonRow(const std::vector<forms::CommandButton*>& leftToRight) {
  row_ = leftToRight;
  int right = ScaleWidth() - kMargin;
  const int top = ScaleHeight() - kBottomMargin - kButtonHeight;
  for (auto it = row_.rbegin(); it != row_.rend(); ++it) {
    forms::CommandButton* b = *it;
    b->Move(right - b->Width(), top, b->Width(), kButtonHeight);
    right -= b->Width() + kMargin / 2;
  }
}

long ToolWindow::BandHeight() const {
  if (row_.empty()) return ScaleHeight();
  return row_.front()->Top() - kBandGap;
}

void ToolWindow::SetVisual() {
  if (!IsLoaded()) return;
  const long band = BandHeight();
  StyleForm(*this, band, false);
  DrawSeparatorLine(*this, band);
  if (!HeaderPicture.empty()) DrawPNG(ImagesFolder + HeaderPicture, hDC(), 16, 16, false);
  PaintContent();
  Refresh();
}

void ToolWindow::KeepDesignText(forms::Control* c) {
  designTexts_.push_back({c, c->HasCaption() ? c->Caption() : std::wstring(), c->ToolTipText()});
}

void ToolWindow::TranslateAdded(const std::vector<forms::Control*>& added) {
  for (forms::Control* c : added) {
    KeepDesignText(c);
    try {
      language_forms::TranslateControl(*c, Name());
    } catch (...) {
      // a control that refuses one property keeps the rest translated
    }
  }
}

void ToolWindow::Retranslate() {
  if (!IsLoaded()) return;
  SetCaption(designCaption_);
  const auto& alive = Controls();
  for (const DesignText& d : designTexts_) {
    if (std::find(alive.begin(), alive.end(), d.control) == alive.end()) continue;
    if (d.control->HasCaption()) d.control->SetCaption(d.caption);
    d.control->SetToolTipText(d.toolTip);
  }
  ApplyLanguage(*this);
  SetVisual();
}

}  // namespace tools
