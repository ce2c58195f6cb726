// Time to the first painted frame: from process creation to the sample movie's
// drawing on the screen, for the screen saver's full-screen run
// ("SWF.zel.scr /s" with the sample movie recorded) against the player's own
// start on the same movie ("SWF.zel.exe sample.swf"), in interleaved rounds of
// one run. The frame counts as painted when the centre of the movie area shows
// the sample's orange rectangle. Both programs run under a registry key of the
// benchmark's own, deleted afterwards; the user's settings are not touched.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "services/RegistryModule.h"

namespace {

constexpr COLORREF kOrange = RGB(0xFF, 0x99, 0x00);  // the sample movie's centre

COLORREF ScreenColor(POINT at) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return c;
}

// A shown top-level window of the process: of that class, or else whose caption begins "SWF.zel - ".
struct Search {
  DWORD pid;
  const wchar_t* cls;
  HWND found = nullptr;
};

BOOL CALLBACK FindShown(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t name[256] = {};
  if (s->cls) {
    GetClassNameW(hwnd, name, 256);
    if (wcscmp(name, s->cls) != 0) return TRUE;
  } else {
    GetWindowTextW(hwnd, name, 256);
    if (wcsncmp(name, L"SWF.zel - ", 10) != 0) return TRUE;
  }
  s->found = hwnd;
  return FALSE;
}

BOOL CALLBACK FindControl(HWND hwnd, LPARAM lp) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (wcscmp(name, L"MacromediaFlashPlayerActiveX") != 0) return TRUE;
  *reinterpret_cast<HWND*>(lp) = hwnd;
  return FALSE;
}

// The centre of the movie area of a shown window of the process: the movie
// control inside the player's window, or the screen saver's whole window.
bool MovieCentre(DWORD pid, bool saver, POINT& centre, HWND& top) {
  Search s{pid, saver ? L"SWF.zel Screen Saver" : nullptr};
  EnumWindows(FindShown, reinterpret_cast<LPARAM>(&s));
  if (!s.found) return false;
  top = s.found;
  HWND area = saver ? s.found : nullptr;
  if (!saver) EnumChildWindows(s.found, FindControl, reinterpret_cast<LPARAM>(&area));
  RECT r{};
  if (!area || !GetWindowRect(area, &r) || r.right <= r.left) return false;
  centre = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  return true;
}

// Seconds from CreateProcess to the orange centre; negative on failure.
double TimeToFirstFrame(const std::wstring& exe, const std::wstring& arguments, bool saver) {
  std::wstring line = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  const double start = Now();
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, ProgramFolder().c_str(), &si,
                      &pi))
    return -1;
  double elapsed = -1;
  HWND top = nullptr;
  while (Now() - start < 60) {
    POINT centre{};
    if (MovieCentre(pi.dwProcessId, saver, centre, top) && ScreenColor(centre) == kOrange) {
      elapsed = Now() - start;
      break;
    }
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  if (top) PostMessageW(top, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  // What the run drew is gone before the next one starts.
  for (int i = 0; i < 200 && ScreenColor(POINT{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2}) ==
                                 kOrange;
       ++i)
    Sleep(10);
  return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
  const std::wstring folder = ProgramFolder();
  const std::wstring movie = folder + L"Media\\Flash\\sample.swf";
  const std::wstring player = folder + L"SWF.zel.exe", saver = folder + L"SWF.zel.scr";

  // The started programs inherit the key's name.
  UseOwnSettings(L"bench_saver");
  QuietStartSettings();
  SetText(L"ScreenSaver", L"FileName", movie);

  // One start of each first, so that the files are in the system's cache.
  TimeToFirstFrame(saver, L"/s", true);
  TimeToFirstFrame(player, L"\"" + movie + L"\"", false);
  std::vector<double> saverTimes, playerTimes, ratios;
  for (int i = 0; i < rounds; ++i) {
    const double s = TimeToFirstFrame(saver, L"/s", true);
    const double p = TimeToFirstFrame(player, L"\"" + movie + L"\"", false);
    saverTimes.push_back(s);
    playerTimes.push_back(p);
    if (s > 0 && p > 0) ratios.push_back(s / p);
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, AppRegistryKey().c_str());

  std::printf("Time to the first painted frame of sample.swf, median of %d rounds (best):\n", rounds);
  std::printf("  SWF.zel.scr /s             %7.1f ms (%.1f)\n", Median(saverTimes) * 1000,
              *std::min_element(saverTimes.begin(), saverTimes.end()) * 1000);
  std::printf("  SWF.zel.exe sample.swf     %7.1f ms (%.1f)\n", Median(playerTimes) * 1000,
              *std::min_element(playerTimes.begin(), playerTimes.end()) * 1000);
  std::printf("  ratio (median of rounds)   %7.2f (target 0.70)\n", Median(ratios));
  return 0;
}
