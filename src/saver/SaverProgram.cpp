#include "saver/SaverProgram.h"

#include <windows.h>
#include <commctrl.h>

#include "base/ErrorLog.h"
#include "saver/SaverCommandLine.h"
#include "saver/SaverRuns.h"
#include "saver/frmScreenSaver.h"
#include "services/AppIdentity.h"
#include "services/Languages.h"
#include "services/Options.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "services/XmlDocument.h"
#include "ui/DrawingModule.h"

namespace saver {
namespace {

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return L".\\";
    if (n < path.size()) {
      path.resize(n);
      return GetFolderPart(path);
    }
    path.resize(path.size() * 2);
  }
}

// The services a run needs, all read-only towards the registry.
void StartServices() {
  EnsureCom();
  // A log of its own: the player's log stays as the player wrote it.
  InitServices(AddBackslash(ProgramFolder()), std::wstring(app::kLogName) + L" Screen Saver");
  GenericProjectors = GetRegBool(L"System", L"GenericProjectors", true);
  ProjectorStubPath.clear();  // the stub beside the program
}

void StartLanguage() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  VisualStyle = static_cast<int>(GetRegLong(L"Window", L"Style", 1) & 0xFF);
  InitLangFont();
  EnumerateLanguages();
  LoadLanguage();
}

int Run(const SaverCommand& command) {
  StartServices();
  switch (command.Mode) {
    case SaverMode::FullScreen:
      WriteLog(L" :: Full-screen run");
      RunFullScreen();
      break;
    case SaverMode::Preview:
      WriteLog(L" :: Preview");
      if (!RunPreview(command.Window)) WriteLog(L"No preview: the window given cannot be drawn into");
      break;
    case SaverMode::Settings:
      WriteLog(L" :: Settings");
      StartLanguage();
      ShowScreenSaverSettings(command.Window);
      break;
  }
  return 0;
}

}  // namespace

int RunScreenSaver(const std::wstring& arguments) {
  // Neither a missing disk nor a fault may put up a system box over a run.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  try {
    return Run(ParseSaverCommandLine(arguments));
  } catch (...) {
    return 1;
  }
}

}  // namespace saver
