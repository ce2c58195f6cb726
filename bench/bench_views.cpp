// The display modes' figures, in this process with the program's own main
// window (skin loaded, the sample movie shown): a mouse move over the movie
// with the interface hidden, through the movie window's subclass, against
// the same message to a movie control of the same size without one; and
// full screen on and off against moving the window to the screen's
// rectangle and back by itself. The settings live under a key of the
// benchmark's own.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/forms/MessageLoop.h"
#include "player/window/PlayerWindow.h"
#include "player/start/Startup.h"
#include "services/RegistryModule.h"
#include "services/Services.h"

namespace {

// kMoves mouse moves over the middle of a window of that size, each at a new place.
constexpr int kMoves = 5000;
double Moves(HWND window, int width, int height) {
  const double t0 = Now();
  for (int i = 0; i < kMoves; ++i) {
    const int x = width / 4 + i % (width / 2), y = height / 4 + (i / 7) % (height / 2);
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  }
  return (Now() - t0) / kMoves;
}

}  // namespace

int wmain() {
  UseOwnSettings(L"bench_views");
  QuietStartSettings();
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring folder = exe;
  folder = folder.substr(0, folder.find_last_of(L'\\') + 1);
  const std::wstring sample = folder + L"Media\\Flash\\sample.swf";
  const bool started = player::StartUp(L"\"" + sample + L"\"") == player::StartOutcome::Running;
  auto done = [] { RegDeleteTreeW(HKEY_CURRENT_USER, AppRegistryKey().c_str()); };
  if (!started || !player::Player.SWF() || !player::Player.FlashHook() || !player::Player.FlashHook()->Hooked()) {
    done();
    Fail("starting the player with its movie window subclassed");
  }
  player::PlayerWindow& w = player::Player;
  forms::DoEvents();

  // Mouse moves with the interface hidden.
  w.FullScreen(true, true, true);
  forms::DoEvents();
  flash::FlashControl* swf = w.SWF();
  const int width = swf->Width(), height = swf->Height();
  HWND host = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, width, height, nullptr, nullptr, nullptr,
                              nullptr);
  flash::FlashControl plain(host, 0, 0, width, height);
  plain.LoadMovie(0, sample);
  std::vector<double> hooked, alone, ratios;
  for (int round = 0; round < 9; ++round) {
    const double a = Moves(swf->hWnd(), width, height);
    const double b = Moves(plain.hWnd(), width, height);
    forms::DoEvents();
    if (round == 0) continue;
    hooked.push_back(a), alone.push_back(b), ratios.push_back(a / b);
  }
  w.FullScreen(false, true, true);
  forms::DoEvents();

  // Full screen on and off against the same rectangles by themselves.
  RECT before{};
  GetWindowRect(w.hWnd(), &before);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(w.hWnd(), MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT screen = monitor.rcMonitor;
  std::vector<double> full, moved, fullRatios;
  for (int round = 0; round < 7; ++round) {
    double t0 = Now();
    w.FullScreen(true, false, false);
    UpdateWindow(w.hWnd());
    w.FullScreen(false, false, false);
    UpdateWindow(w.hWnd());
    const double a = Now() - t0;
    forms::DoEvents();
    t0 = Now();
    w.Move(screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top);
    UpdateWindow(w.hWnd());
    w.Move(before.left, before.top, before.right - before.left, before.bottom - before.top);
    UpdateWindow(w.hWnd());
    const double b = Now() - t0;
    forms::DoEvents();
    if (round == 0) continue;
    full.push_back(a), moved.push_back(b), fullRatios.push_back(a / b);
  }
  RECT after{};
  GetWindowRect(w.hWnd(), &after);
  const bool same = EqualRect(&before, &after) != FALSE;
  w.Quit(L"Benchmark", false);
  DestroyWindow(host);
  done();
  if (!same) Fail("giving the window its rectangle back after full screen");

  std::printf("Mouse moves over the movie, interface hidden (medians of 8 rounds of %d):\n", kMoves);
  std::printf("| through the subclass us | control alone us | ratio (median of rounds) |\n|---|---|---|\n");
  std::printf("| %.2f | %.2f | %.2fx |\n", Median(hooked) * 1e6, Median(alone) * 1e6, Median(ratios));
  std::printf("Full screen on and off (medians of 6):\n");
  std::printf("| FullScreen on and off ms | the same rectangles by themselves ms | ratio |\n|---|---|---|\n");
  std::printf("| %.1f | %.1f | %.2fx |\n", Median(full) * 1e3, Median(moved) * 1e3, Median(fullRatios));
  return 0;
}
