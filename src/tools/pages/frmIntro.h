// frmIntro ("Feature Overview"): the introduction page, with the choice of
// showing it at every start ("System\Intro", saved with the options at exit).
#pragma once
#include "tools/pages/PageWindow.h"

namespace forms {
class CheckBox;
class Label;
}  // namespace forms

namespace tools {

class frmIntro : public PageWindow {
 public:
  frmIntro();

  void chkIntro_Click();
  void lblShow_Click();

  forms::CheckBox* chkIntro = nullptr;
  forms::Label* lblShow = nullptr;

 protected:
  void AddOwnControls() override;
  void Form_Load() override;
  std::wstring DocumentText() override;
};

// The program-wide instance.
frmIntro& IntroWindow();

}  // namespace tools
