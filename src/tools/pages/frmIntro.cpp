#include "tools/pages/frmIntro.h"

#include "platform/forms/CheckBox.h"
#include "platform/forms/Label.h"
#include "player/start/OptionSet.h"
#include "tools/pages/PageDocuments.h"

namespace tools {

frmIntro& IntroWindow() { return Instance<frmIntro>(); }

frmIntro::frmIntro() : PageWindow(L"frmIntro", L"Feature Overview", L"intro.swf", L"intro.xml", 480, 300) {
  SetTag(L"!PLAYER/MNUINTRO");
}

void frmIntro::AddOwnControls() {
  const int top = swfHeight_ + kBandGap + (kButtonHeight - 18) / 2;
  auto box = forms::Placed<forms::CheckBoxArgs>(L"chkIntro", 12, top, 18, 18);
  chkIntro = &Add<forms::CheckBox>(box);
  auto label = forms::Placed<forms::LabelArgs>(L"lblShow", 32, top + 1, swfWidth_ - 2 * (76 + 9) - 32 - 12, 18);
  label.Caption = L"Show Feature Overview when SWF.zel starts";
  label.BackStyle = 0;
  lblShow = &Add<forms::Label>(label);
  chkIntro->OnClick = [this] { chkIntro_Click(); };
  lblShow->OnClick = [this] { lblShow_Click(); };
}

void frmIntro::Form_Load() {
  chkIntro->SetValue(player::Options().Intro ? forms::vbChecked : forms::vbUnchecked);
  PageWindow::Form_Load();
}

void frmIntro::chkIntro_Click() { player::Options().Intro = chkIntro->Value() == forms::vbChecked; }

void frmIntro::lblShow_Click() {
  // The check box's own Click keeps the option.
  chkIntro->SetValue(chkIntro->Value() == forms::vbChecked ? forms::vbUnchecked : forms::vbChecked);
}

std::wstring frmIntro::DocumentText() { return IntroDocument(); }

}  // namespace tools
