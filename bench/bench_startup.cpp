// Start-up time of the player: from process creation to the main window shown
// with the sample movie loaded (its caption names the movie), against the start
// of an empty Win32 program (this program itself, started to show one plain
// window) as the baseline. The program runs under a registry key of the
// benchmark's own (never the user's); a start that shows no window stops the
// benchmark with an error.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "services/RegistryModule.h"

namespace {

const wchar_t kEmptyTitle[] = L"bench empty window";

int EmptyWindowMain() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(h, m, w, l);
  };
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"BenchEmpty";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(0, wc.lpszClassName, kEmptyTitle, WS_OVERLAPPEDWINDOW, 100, 100, 400, 300, nullptr,
                           nullptr, wc.hInstance, nullptr);
  ShowWindow(w, SW_SHOW);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

struct Search {
  DWORD pid;
  const wchar_t* caption;
  HWND found = nullptr;
};

BOOL CALLBACK FindShown(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  if (wcscmp(text, s->caption) == 0) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// Seconds from CreateProcess to a visible window of that caption; negative on failure.
double TimeToWindow(const std::wstring& exe, const std::wstring& arguments, const wchar_t* caption) {
  std::wstring line = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  const double start = Now();
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, ProgramFolder().c_str(), &si,
                      &pi))
    return -1;
  double elapsed = -1;
  Search s{pi.dwProcessId, caption};
  while (Now() - start < 60) {
    EnumWindows(FindShown, reinterpret_cast<LPARAM>(&s));
    if (s.found) {
      elapsed = Now() - start;
      break;
    }
    if (WaitForSingleObject(pi.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  if (s.found) PostMessageW(s.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wstring(argv[1]) == L"--empty-window") return EmptyWindowMain();
  const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
  const std::wstring folder = ProgramFolder();
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring movie = folder + L"Media\\Flash\\sample.swf";

  // The started programs inherit the key's name.
  UseOwnSettings(L"bench_startup");
  QuietStartSettings();

  auto startEmpty = [&] {
    const double t = TimeToWindow(self, L"--empty-window", kEmptyTitle);
    Require(t > 0, "starting the empty program");
    return t;
  };
  auto startPlayer = [&] {
    const double t = TimeToWindow(folder + L"SWF.zel.exe", L"\"" + movie + L"\"", L"SWF.zel - sample.swf");
    Require(t > 0, "starting SWF.zel with the sample movie");
    return t;
  };
  // One start of each first, so that the files are in the system's cache.
  startEmpty();
  startPlayer();
  std::vector<double> empty, player;
  for (int i = 0; i < rounds; ++i) {
    empty.push_back(startEmpty());
    player.push_back(startPlayer());
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, AppRegistryKey().c_str());

  const double e = Median(empty), p = Median(player);
  std::printf("Start-up to the shown window, median of %d rounds (best):\n", rounds);
  std::printf("  empty Win32 program      %7.1f ms (%.1f)\n", e * 1000, *std::min_element(empty.begin(), empty.end()) * 1000);
  std::printf("  SWF.zel with sample.swf  %7.1f ms (%.1f)\n", p * 1000,
              *std::min_element(player.begin(), player.end()) * 1000);
  if (e > 0 && p > 0) std::printf("  ratio                    %7.2f\n", p / e);
  return 0;
}
