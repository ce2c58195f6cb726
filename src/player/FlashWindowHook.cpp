#include "player/FlashWindowHook.h"

#include <windowsx.h>

#include "base/ErrorLog.h"
#include "platform/flash/FlashControl.h"

namespace player {
namespace {

constexpr wchar_t kHookProp[] = L"SWFzel.FlashWindowHook";

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
  SetPropW(flashHwnd_, kHookProp, this);
  oldProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(flashHwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FlashWindowHook::Proc)));
  if (!oldProc_) {
    RemovePropW(flashHwnd_, kHookProp);
    flashHwnd_ = nullptr;
    return false;
  }
  mouseTracking_ = false;
  lastMousePos_ = -1;
  return true;
}

void FlashWindowHook::Unhook() {
  ShowCursorAgain();
  if (oldProc_ && IsWindow(flashHwnd_)) {
    // Only our own procedure is replaced; a later subclass keeps the chain.
    if (GetWindowLongPtrW(flashHwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&FlashWindowHook::Proc))
      SetWindowLongPtrW(flashHwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
    RemovePropW(flashHwnd_, kHookProp);
  }
  oldProc_ = nullptr;
  flashHwnd_ = nullptr;
}

void FlashWindowHook::ShowCursorAgain() {
  if (!cursorHidden_) return;
  ShowCursor(TRUE);
  cursorHidden_ = false;
}

LRESULT CALLBACK FlashWindowHook::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = static_cast<FlashWindowHook*>(GetPropW(hwnd, kHookProp));
  if (!self || !self->oldProc_) return DefWindowProcW(hwnd, msg, wp, lp);
  WNDPROC old = self->oldProc_;
  if (msg == WM_NCDESTROY) {
    // The control's window goes: the hook ends with it.
    self->ShowCursorAgain();
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropW(hwnd, kHookProp);
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
      host_.FullScreen(!host_.Checked(L"mnuFullScreen"), false, false);
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
      mouseTracking_ = false;
      return true;
    case WM_MOUSELEAVE:
      ShowCursorAgain();
      mouseTracking_ = false;
      return true;
    case WM_KEYDOWN:
      host_.HandyAction(static_cast<int>(wp));
      return false;
  }
  return false;
}

void FlashWindowHook::MouseMove(LPARAM lp) {
  // The system repeats a move at the same place (as after the cursor hid).
  if (lp == lastMousePos_) return;
  if (cursorHidden_ && !mouseTracking_) ShowCursorAgain();
  if (!mouseTracking_ && !host_.State().InternalMovie) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = flashHwnd_;
    track.dwHoverTime = hoverTime_;
    mouseTracking_ = !TrackMouseEvent(&track);
    lastMousePos_ = lp;
  }
  if (!host_.Checked(L"mnuHideUI")) return;
  HWND main = host_.MainWindow();
  if (!main || !flashHwnd_) return;
  POINT inClient{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  MapWindowPoints(flashHwnd_, main, &inClient, 1);
  RECT client{};
  GetClientRect(main, &client);
  // The menu bar comes back only while the control sits at the top of its area.
  POINT origin{0, 0};
  MapWindowPoints(flashHwnd_, GetParent(flashHwnd_), &origin, 1);
  host_.ShowBarsAt(inClient, SIZE{client.right, client.bottom}, origin.y == 0);
}

}  // namespace player
