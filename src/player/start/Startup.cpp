#include "player/start/Startup.h"

#include <windows.h>
#include <commctrl.h>

#include "base/ErrorLog.h"
#include "base/TextConv.h"
#include "player/start/OptionSet.h"
#include "player/window/PlayerSkin.h"
#include "player/window/PlayerWindow.h"
#include "player/start/SingleInstance.h"
#include "player/window/SkinSeam.h"
#include "platform/forms/MessageLoop.h"
#include "services/AppIdentity.h"
#include "services/Languages.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "services/Tips.h"
#include "services/XmlDocument.h"
#include "ui/Window.h"
#include "ui/frmFlashShot.h"

namespace player {
namespace {

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return L".\\";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return GetFolderPart(path);
}

// True when the session lets the program make a window (a hidden one, made and destroyed).
bool WindowsCanBeMade() {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
  if (!probe) return false;
  DestroyWindow(probe);
  return true;
}

// A start-up that cannot go on: said in the log, on the standard error when
// there is one, and in a message box when one can be shown.
StartOutcome Failed(const std::wstring& why) {
  WriteLog(L"<B>Start-up failed: " + why + L"</B>");
  const std::wstring text = std::wstring(app::kTitle) + L": " + why + L"\r\n";
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error && error != INVALID_HANDLE_VALUE) {
    const std::string bytes = WideToUtf8(text);
    DWORD written = 0;
    WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
  MessageBoxW(nullptr, why.c_str(), app::kTitle, MB_OK | MB_ICONERROR);
  return StartOutcome::Failed;
}

}  // namespace

std::function<bool()>& FirstRunDialog() {
  static std::function<bool()> dialog;
  return dialog;
}

bool CheckFirstRun() {
  if (!GetRegBool(L"System", L"FirstRun", true)) return true;
  // Leaving from the dialog writes nothing, so the set-up comes again at the next start.
  if (FirstRunDialog() && !FirstRunDialog()()) {
    WriteLog(L"First run left: the program ends");
    return false;
  }
  SaveRegBool(L"System", L"FirstRun", false);
  return true;
}

StartOutcome StartUp(const std::wstring& commandLine) {
  const std::wstring folder = ProgramFolder();
  SetCurrentDirectoryW(folder.c_str());
  RunningCompiled = IsCompiled();

  HWND running = FindRunningInstance();
  OneInstance = GetRegBool(L"System", L"OneInstance", true);
  Options().OneInstance = OneInstance;
  if (OneInstance && running) {
    SendHandOver(running, commandLine);
    ActivateWindow(running);
    return StartOutcome::Ended;
  }

  StopWatch(L"", true);
  EnsureCom();
  // Nothing is written before the first run's set-up has been gone through.
  InitServices(AddBackslash(folder), app::kLogName, UserFiles::Later);
  WriteLog(L" :: Start Up");
  WriteLog(L"Initializing Visual Styles");
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);

  Options().GPF = GetRegBool(L"System", L"GPF", false);
  if (Options().GPF && RunningCompiled) {
    WriteLog(L"UAE Disabled");
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  }
  WriteLog(L"Application Path: " + AppFolder);
  WriteLog(L"Cache Path: " + CacheFolder);
  WriteLog(L"Argument: " + commandLine);

  InitLangFont();
  EnumerateLanguages();
  LoadLanguageAndTips();
  Options().VisualStyle = static_cast<uint8_t>(GetRegLong(L"Window", L"Style", 1) & 0xFF);
  StopWatch(L"Initialized", false);
  // Without a desktop to show them on (no display), no window comes, not even the first-run set-up's.
  if (!WindowsCanBeMade()) {
    MakeUserFiles();  // a failed start leaves its log
    return Failed(L"no window can be made (is there a display?)");
  }
  if (!CheckFirstRun()) return StartOutcome::Ended;
  MakeUserFiles();

  const int flashVersion = GetFlashPlayerVersion();
  WriteLog(L"Detected <B>Flash " + std::to_wstring(flashVersion) + L"</B>");
  if (flashVersion < kRequiredFlashVersion) {
    if (!StrEqualNoCase(commandLine, L"/exec Uninstall")) {
      const std::wstring text = L"The movie control is not available (version " + std::to_wstring(flashVersion) +
                                L").\r\n\r\nPlease use the following guide to install it.";
      MessageBoxW(nullptr, text.c_str(), app::kTitle, MB_OK);
      ShellOpen(GetWebSiteURL() + L"getflash", L"open");
    }
    Player.Quit(L"Flash Required", false);
    return StartOutcome::Ended;
  }

  AttachSkinEngine();
  Player.PrevInstanceWnd = running;
  if (!Player.Load()) return Failed(L"the main window could not be made");
  forms::DoEvents();
  if (Player.QuitStarted()) return StartOutcome::Ended;

  Player.PlaylistClear();
  if (Options().KeepHistory && FileExists(LastPlayedFile)) Player.PlaylistAdd(LastPlayedFile, -2);
  if (!commandLine.empty()) {
    Player.ProcessCommandLine(commandLine);
  } else {
    Player.BrowseMedia();
  }
  // A statement of the command line may have quit the program.
  if (Player.QuitStarted() || !Player.IsLoaded()) return StartOutcome::Ended;
  StopWatch(L"Movie Loaded", false);

  if (PlayerReady) {
    Player.Show();
    Player.UpdateSkin();
    if (!SkinIsLoaded()) Player.ZoomFlash(100, 1);
  }
  StopWatch(L"<B>Player Loaded</B>", true);
  if (Options().Update.Auto) Player.WebUpdate(true);
  if (Options().Intro) Player.ClickMenu(L"mnuIntro");
  return StartOutcome::Running;
}

int RunMain(const std::wstring& commandLine) {
  const StartOutcome outcome = StartUp(commandLine);
  if (outcome != StartOutcome::Running) {
    forms::DoEvents();
    return outcome == StartOutcome::Failed ? 1 : 0;
  }
  return forms::RunMessageLoop();
}

}  // namespace player
