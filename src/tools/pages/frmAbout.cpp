#include "tools/pages/frmAbout.h"

#include "tools/pages/PageDocuments.h"

namespace tools {

frmAbout& AboutWindow() { return Instance<frmAbout>(); }

frmAbout::frmAbout() : PageWindow(L"frmAbout", L"About SWF.zel", L"about_pro.swf", L"about.xml", 400, 260) {
  SetTag(L"!PLAYER/MNUABOUT");
}

std::wstring frmAbout::DocumentText() { return AboutDocument(); }

}  // namespace tools
