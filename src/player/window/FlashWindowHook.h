// The movie control's own window, subclassed: the movie area answers the
// player's mouse gestures (right button: the movie's pop-up menu; middle
// button: play and pause; middle double click: full screen; the wheel: a
// second back or on, and the browse page's scrolling), hides the cursor
// after a still spell over a movie from outside, brings the hidden
// interface's bars back at the window's edges, and hands key presses to the
// single-key shortcuts. Everything else, and the keys too, go on to the
// control's own procedure. The hooked window's operations come through
// FlashHookHost.
#pragma once
#include <windows.h>

#include <string>

#include "player/window/PlayerState.h"

namespace player {

class FlashHookHost {
 public:
  virtual ~FlashHookHost() = default;

  virtual PlayerState& State() = 0;  // Browsed, ShortMovie, InternalMovie, HoverItem, PopupItem
  // View > Full Screen and View > Hide UI (asked on every mouse move).
  virtual bool FullScreenChecked() const = 0;
  virtual bool HideUI() const = 0;
  virtual void ShowPopUp(bool overPlaylist, bool rootSWF) = 0;
  virtual void PlayPauseMedia() = 0;
  virtual void FullScreen(bool on, bool force, bool hideUIonly) = 0;
  virtual void FFwd() = 0;
  virtual void Rwd() = 0;
  virtual void SetVariable(const std::wstring& name, const std::wstring& value) = 0;
  virtual void TCallLabel(const std::wstring& target, const std::wstring& label) = 0;
  virtual void HandyAction(int keyCode) = 0;
  // The main window, whose client area the edge tests measure in, and the
  // bars a pointer at a point of it brings back.
  virtual HWND MainWindow() const = 0;
  virtual void ShowBarsAt(POINT inClient, SIZE client, bool menuBarAllowed) = 0;
};

class FlashWindowHook {
 public:
  static constexpr DWORD kHoverTime = 3000;  // ms of stillness before the cursor hides

  explicit FlashWindowHook(FlashHookHost& host) : host_(host) {}
  ~FlashWindowHook() { Unhook(); }
  FlashWindowHook(const FlashWindowHook&) = delete;
  FlashWindowHook& operator=(const FlashWindowHook&) = delete;

  // Finds the movie control's window among container's children (the first
  // of its class with an empty title) and subclasses it; false, with a log
  // line, when there is none.
  bool Hook(HWND container);
  // Puts the control's procedure back and shows a cursor it hid.
  void Unhook();
  // The main window was laid out again: the control's place in its client
  // area is measured anew (its own moves are seen as they come).
  void LayoutChanged();

  HWND FlashHwnd() const { return flashHwnd_; }
  bool Hooked() const { return oldProc_ != nullptr; }
  bool CursorHidden() const { return cursorHidden_; }
  void SetHoverTime(DWORD ms) { hoverTime_ = ms; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  // True when the message is consumed (result 0).
  bool Handle(UINT msg, WPARAM wp, LPARAM lp);
  void MouseMove(LPARAM lp);
  void Measure();
  void ShowCursorAgain();

  FlashHookHost& host_;
  HWND flashHwnd_ = nullptr;
  WNDPROC oldProc_ = nullptr;
  bool mouseTracking_ = false;  // the last attempt to arm hover and leave tracking failed
  bool armed_ = false;          // hover and leave tracking is armed
  bool cursorHidden_ = false;
  LPARAM lastMousePos_ = -1;
  DWORD hoverTime_ = kHoverTime;
  // The control's place in the main window's client area, that area's size,
  // and its top within its own container.
  POINT origin_{};
  SIZE client_{};
  int controlTop_ = 0;
};

}  // namespace player
