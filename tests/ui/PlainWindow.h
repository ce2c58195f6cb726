// Plain top-level and child windows (hidden unless asked) for the window-layer
// tests, with a window procedure that records what reaches it. Hiding a shown
// window costs time under Xvfb without a window manager, so tests show windows
// only where it matters.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

struct SeenMessage {
  HWND hWnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

class PlainWindow {
 public:
  explicit PlainWindow(const wchar_t* title = L"plain", DWORD style = WS_OVERLAPPEDWINDOW,
                       HWND parent = nullptr, RECT bounds = {100, 100, 420, 340});
  ~PlainWindow();
  PlainWindow(const PlainWindow&) = delete;
  PlainWindow& operator=(const PlainWindow&) = delete;
  HWND h = nullptr;

  // Messages of interest that reached this window's own procedure.
  std::vector<SeenMessage> seen;
  bool Saw(UINT msg) const;
  const SeenMessage* Last(UINT msg) const;
  LRESULT sizingResult = 0;  // what the procedure answers to WM_SIZING / WM_MOVING
};

// Processes pending messages of this thread.
using testing_support::PumpMessages;
