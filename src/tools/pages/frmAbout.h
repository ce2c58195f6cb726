// frmAbout ("About SWF.zel"): the about page with the program's version, the
// movie control's version, the language's credits and the support links.
#pragma once
#include "tools/pages/PageWindow.h"

namespace tools {

class frmAbout : public PageWindow {
 public:
  frmAbout();

 protected:
  std::wstring DocumentText() override;
};

// The program-wide instance.
frmAbout& AboutWindow();

}  // namespace tools
