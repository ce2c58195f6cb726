#include "services/Services.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "base/BinaryFile.h"
#include "base/Clock.h"
#include "base/LogFile.h"
#include "services/AppIdentity.h"
#include "services/RegistryModule.h"
#include "services/ShellMod.h"

std::wstring AppFolder, MediaFolder, BinaryFolder, FlashFolder, ImagesFolder, MenusFolder, GadgetsFolder,
    SkinFolder, LanguagesFolder, UserDataFolder, UserSkinFolder, CacheFolder, LogFile;
std::wstring LastPlayedFile, ScreenShotsFolder;

bool RunningCompiled = false;
bool PlayerReady = false;
bool OneInstance = false;
std::wstring LastError;
std::wstring WinVersionName, WinVersionExtra;
bool WinVersionUnknown = false;

namespace {

// The stopwatch: its clock and its marks (seconds on that clock; 0 until started).
struct StopWatchState {
  std::function<double()> clock = MonotonicSeconds;
  double lap = 0, overall = 0;
};

StopWatchState& Watch() {
  static StopWatchState watch;
  return watch;
}

std::wstring NowText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t date[128] = {}, time[128] = {};
  GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 128, nullptr);
  GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &now, nullptr, time, 128);
  return std::wstring(date) + L" " + time;
}

// Recreates the log file holding the log head only (ANSI, CR LF line ends).
void WriteLogHead(const std::wstring& path) {
  if (FileExists(path)) DeleteFileW(path.c_str());
  std::wstring head = std::wstring(L"<html>\r\n<head>\r\n<title>") + app::kTitle +
                      L" | Execution Log</title>\r\n</head>\r\n<body>\r\n";
  const std::string bytes = StrToMultiByte(head, -1);
  WriteWholeFile(path, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace

void InitServices(const std::wstring& appPath, const std::wstring& logName, UserFiles userFiles) {
  const std::wstring title = app::kTitle;
  AppFolder = AddBackslash(appPath);
  MediaFolder = AppFolder + L"Media\\";
  BinaryFolder = MediaFolder + L"Binary\\";
  FlashFolder = MediaFolder + L"Flash\\";
  ImagesFolder = MediaFolder + L"Images\\";
  MenusFolder = MediaFolder + L"Menus\\";
  GadgetsFolder = MediaFolder + L"Gadgets\\";
  LanguagesFolder = AppFolder + L"Languages\\";

  UserDataFolder = GetSpecialFolder(CSIDL_APPDATA) + title + L"\\";
  SkinFolder = MediaFolder + L"Skin\\";
  UserSkinFolder = UserDataFolder + L"Skin\\";
  CacheFolder = GetTempDir() + title + L" Cache\\";
  // A test run's programs keep a log of their own, as they keep their own settings.
  const std::wstring testRun = TestRunName();
  LogFile = UserDataFolder + logName + (testRun.empty() ? L"" : L" (" + testRun + L")") + L".Log.html";
  if (userFiles == UserFiles::Now) {
    MakeUserFiles();
  } else {
    HoldLogLines();  // for the log file, once it is made
  }

  WriteLog(L"<b>" + title + L"</b>");
  WriteLog(L"");
  WriteLog(GetAppVersion() + L" :: " + NowText());
  if (GetWindowsVersion()) {
    WriteLog(L"Windows " + WinVersionName + L" Build #" + WinVersionExtra);
  } else {
    WriteLog(L"Windows version is n/a");
  }
  WriteLog(L"");
}

void MakeUserFiles() {
  // A fresh profile may lack the folders above them too (its temporary folder).
  for (const std::wstring* folder : {&UserSkinFolder, &CacheFolder})
    if (!MakeDirs(*folder)) WriteLog(L"The folder cannot be made: " + *folder);
  AttachLogFile(L"");
  WriteLogHead(LogFile);
  AttachLogFile(LogFile);  // the lines held until now first
}

void StopWatch(const std::wstring& label, bool total) {
  StopWatchState& watch = Watch();
  double now = watch.clock();
  if (total && watch.overall == 0) {
    watch.lap = watch.overall = now;
    return;
  }
  if (!label.empty()) {
    double elapsed = now - (total ? watch.overall : watch.lap);
    long long ms = std::llrint(elapsed * 1000.0);  // to nearest, halves to even
    WriteLog(label + L" in " + std::to_wstring(ms) + L" ms");
  }
  watch.lap = now;
}

void SetStopWatchClock(std::function<double()> clock) {
  StopWatchState& watch = Watch();
  watch.clock = clock ? std::move(clock) : std::function<double()>(MonotonicSeconds);
  watch.lap = watch.overall = 0;
}

std::wstring GetAppVersion() {
  return std::wstring(app::kTitle) + L" " + std::to_wstring(app::kVersionMajor) + L"." +
         std::to_wstring(app::kVersionMinor) + L"." + std::to_wstring(app::kVersionRevision);
}

bool IsCompiled() { return true; }

HWND FindAppWindow(const std::wstring& titlePrefix) {
  std::wstring saved = GetRegString(L"Window", L"hWnd", L"0", true, HKEY_CURRENT_USER);
  // The handle is saved in decimal; anything else (or 0) names no window.
  size_t i = 0;
  while (i < saved.size() && saved[i] == L' ') ++i;
  bool negative = i < saved.size() && saved[i] == L'-';
  if (negative) ++i;
  unsigned long long value = 0;
  size_t digits = 0;
  for (; i < saved.size() && saved[i] >= L'0' && saved[i] <= L'9' && digits < 20; ++i, ++digits) {
    value = value * 10 + (saved[i] - L'0');
  }
  if (digits == 0 || value == 0) return nullptr;
  if (negative) value = static_cast<unsigned long long>(-static_cast<long long>(value));
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
  if (!IsWindow(window)) return nullptr;
  std::wstring caption(titlePrefix.size() + 1, L'\0');
  int n = GetWindowTextW(window, caption.data(), static_cast<int>(caption.size()));
  caption.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return caption == titlePrefix ? window : nullptr;
}

bool GetWindowsVersion() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  bool ok = false;
  if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    auto fn = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    ok = fn && fn(&info) == 0;
  }
  if (!ok) {
    WinVersionName.clear();
    WinVersionExtra.clear();
    WinVersionUnknown = true;
    return false;
  }
  WinVersionName = std::to_wstring(info.dwMajorVersion) + L"." + std::to_wstring(info.dwMinorVersion);
  WinVersionExtra = std::to_wstring(info.dwBuildNumber);
  WinVersionUnknown = false;
  return true;
}

std::wstring GetTempDir() {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH) return L"";
  return std::wstring(buffer, n);
}
