#include "player/window/FlashWindowHook.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "base/ErrorLog.h"
#include "platform/flash/control/FlashControl.h"

namespace player {
namespace {

// The hooked windows and their hooks (a window property costs a trip to
// the window server under Wine, on every message).
std::vector<std::pair<HWND, FlashWindowHook*>>& Hooks() {
  static std::vector<std::pair<HWND, FlashWindowHook*>> hooks;
  return hooks;
}

FlashWindowHook* HookOf(HWND hwnd) {
  for (const auto& [window, hook] : Hooks())
    if (window == hwnd) return hook;
  return nullptr;
}

void Forget(HWND hwnd) {
  auto& hooks = Hooks();
  hooks.erase(std::remove_if(hooks.begin(), hooks.end(), [hwnd](const auto& h) { return h.first == hwnd; }),
              hooks.end());
}

// The first child of container of the movie control's class with an empty title.
HWND FindFlashWindow(HWND container) {
  for (HWND w = FindWindowExW(container, nullptr, flash::kFlashWindowClass, nullptr); w;
       w = FindWindowExW(container, w, flash::kFlashWindowClass, nullptr)) {
    if (GetWindowTextLengthW(w) == 0) return w;
  }
  return nullptr;
}

}  // namespace

bool FlashWindowHook::Hook(HWND container) {
  Unhook();
  flashHwnd_ = container ? FindFlashWindow(container) : nullptr;
  if (!flashHwnd_) {
    WriteLog(L"Failed to get Flash Window. Some features may be anavailable");
    return false;
  }
  Hooks().emplace_back(flashHwnd_, this);
  oldProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(flashHwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FlashWindowHook::Proc)));
  if (!oldProc_) {
    Forget(flashHwnd_);
    flashHwnd_ = nullptr;
    return false;
  }
  mouseTracking_ = false;
  armed_ = false;
  Measure();
  lastMousePos_ = -1;
  return true;
}

void FlashWindowHook::Unhook() {
  ShowCursorAgain();
  if (oldProc_ && IsWindow(flashHwnd_)) {
    if (armed_) {
      TRACKMOUSEEVENT cancel{sizeof(cancel), TME_CANCEL | TME_HOVER | TME_LEAVE, flashHwnd_, 0};
      TrackMouseEvent(&cancel);
    }
    // Only our own procedure is replaced; a later subclass keeps the chain.
    if (GetWindowLongPtrW(flashHwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&FlashWindowHook::Proc))
      SetWindowLongPtrW(flashHwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
  }
  if (flashHwnd_) Forget(flashHwnd_);
  armed_ = false;
  oldProc_ = nullptr;
  flashHwnd_ = nullptr;
}

void FlashWindowHook::LayoutChanged() {
  if (oldProc_) Measure();
}

void FlashWindowHook::Measure() {
  HWND main = host_.MainWindow();
  origin_ = POINT{0, 0};
  client_ = SIZE{0, 0};
  if (!flashHwnd_ || !main) return;
  MapWindowPoints(flashHwnd_, main, &origin_, 1);
  RECT client{};
  GetClientRect(main, &client);
  client_ = SIZE{client.right, client.bottom};
  POINT top{0, 0};
  MapWindowPoints(flashHwnd_, GetParent(flashHwnd_), &top, 1);
  controlTop_ = top.y;
}

void FlashWindowHook::ShowCursorAgain() {
  if (!cursorHidden_) return;
  ShowCursor(TRUE);
  cursorHidden_ = false;
}

LRESULT CALLBACK FlashWindowHook::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  FlashWindowHook* self = HookOf(hwnd);
  if (!self || !self->oldProc_) return DefWindowProcW(hwnd, msg, wp, lp);
  WNDPROC old = self->oldProc_;
  if (msg == WM_NCDESTROY) {
    // The control's window goes: the hook ends with it.
    self->ShowCursorAgain();
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    Forget(hwnd);
    self->oldProc_ = nullptr;
    self->flashHwnd_ = nullptr;
    return CallWindowProcW(old, hwnd, msg, wp, lp);
  }
  bool consumed = false;
  try {
    consumed = self->Handle(msg, wp, lp);
  } catch (...) {
    consumed = false;
  }
  // A handler may have unhooked (the window quit): the control still gets its message.
  if (consumed) return 0;
  return CallWindowProcW(old, hwnd, msg, wp, lp);
}

bool FlashWindowHook::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  PlayerState& s = host_.State();
  switch (msg) {
    case WM_RBUTTONDOWN:
      // The cursor comes back before the menu opens.
      ShowCursorAgain();
      s.PopupItem = s.HoverItem;
      host_.ShowPopUp(false, true);
      return true;
    case WM_MBUTTONUP:
      if (!s.ShortMovie) host_.PlayPauseMedia();
      return true;
    case WM_MBUTTONDBLCLK:
      host_.FullScreen(!host_.FullScreenChecked(), false, false);
      return true;
    case WM_MOUSEWHEEL: {
      // The wheel's turn is the signed high word: away from the user is positive.
      const int delta = GET_WHEEL_DELTA_WPARAM(wp);
      if (s.Browsed) {
        host_.SetVariable(L"_root.mwheel", delta > 0 ? L"1" : delta < 0 ? L"-1" : L"0");
        host_.TCallLabel(L"vbCall", L"MWH");
      }
      if (s.ShortMovie) return false;
      if (delta < 0)
        host_.FFwd();
      else
        host_.Rwd();
      return true;
    }
    case WM_MOUSEMOVE:
      MouseMove(lp);
      return false;
    case WM_MOUSEHOVER:
      if (!cursorHidden_) ShowCursor(FALSE);
      cursorHidden_ = true;
      mouseTracking_ = armed_ = false;
      return true;
    case WM_MOUSELEAVE:
      ShowCursorAgain();
      mouseTracking_ = armed_ = false;
      return true;
    case WM_KEYDOWN:
      host_.HandyAction(static_cast<int>(wp));
      return false;
    case WM_WINDOWPOSCHANGED:
      Measure();
      return false;
  }
  return false;
}

void FlashWindowHook::MouseMove(LPARAM lp) {
  // The system repeats a move at the same place (as after the cursor hid).
  if (lp == lastMousePos_) return;
  if (cursorHidden_ && !mouseTracking_) ShowCursorAgain();
  if (!mouseTracking_ && !host_.State().InternalMovie) {
    // Armed tracking stays armed: the system starts the hover time again
    // whenever the pointer leaves the hover rectangle, so arming it anew at
    // every move (a trip to the window server) changes nothing.
    if (!armed_) {
      TRACKMOUSEEVENT track{};
      track.cbSize = sizeof(track);
      track.dwFlags = TME_HOVER | TME_LEAVE;
      track.hwndTrack = flashHwnd_;
      track.dwHoverTime = hoverTime_;
      armed_ = TrackMouseEvent(&track) != FALSE;
      mouseTracking_ = !armed_;
    }
    lastMousePos_ = lp;
  }
  if (!host_.HideUI()) return;
  const POINT inClient{GET_X_LPARAM(lp) + origin_.x, GET_Y_LPARAM(lp) + origin_.y};
  // The menu bar comes back only while the control sits at the top of its area.
  host_.ShowBarsAt(inClient, client_, controlTop_ == 0);
}

}  // namespace player
