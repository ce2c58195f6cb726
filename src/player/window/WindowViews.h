// The main window's display modes and the bars that come and go: full
// screen and the hidden interface (View > Hide UI), the menu bar, the skin's
// full-screen control bar and playlist that come back at the window's edges,
// and fitting the window around a movie area. The operations reach the
// window through ViewHost; tests give them a recording one.
//
// Full screen covers the whole monitor the window is on (not only its work
// area) while View > Full Screen is checked; leaving puts back the exact
// rectangle and state the window had.
#pragma once
#include <windows.h>

#include <string>

#include "player/window/Geometry.h"
#include "player/window/PlayerState.h"

namespace player {

// What the display modes keep between calls (the main window's public variables).
struct ViewFlags {
  bool HiddenMenuBar = false, HiddenFSControls = false, HiddenFSPlaylist = false;
  bool WasZoomed = false;  // the window was full-size when full screen was entered
  RECT FullScreenLeft{};   // the window's normal rectangle when full screen was entered
};

class ViewHost {
 public:
  virtual ~ViewHost() = default;

  virtual PlayerState& State() = 0;  // Browsed, NeedZoomFS
  virtual ViewFlags& Flags() = 0;

  // Menu items by name; an item the window lacks reads unchecked.
  virtual bool Checked(const std::wstring& item) const = 0;
  virtual void SetChecked(const std::wstring& item, bool on) = 0;
  virtual void SetEnabled(const std::wstring& item, bool on) = 0;
  virtual void SetTopMenusVisible(bool on) = 0;  // the top menus "Menu..."
  virtual void SetBrowseMenus(bool browsing, bool menusShown, bool flag) = 0;

  // The window: its state (forms' vbNormal, vbMinimized, vbMaximized), outer
  // rectangle in screen pixels, the monitor it is on, the screen size.
  virtual int WindowState() const = 0;
  virtual void SetWindowState(int state) = 0;
  virtual RECT WindowRect() const = 0;
  virtual void SetWindowRect(const RECT& rect) = 0;
  virtual RECT MonitorRect() const = 0;
  virtual SIZE ScreenSize() const = 0;
  virtual Frame Offsets() const = 0;
  virtual bool Centered() const = 0;  // the window is centred on the screen when sized
  virtual void ShowTitleBar(bool show) = 0;

  // Inside the window.
  virtual void SetPlaylistVisible(bool on) = 0;
  virtual void SendViewToBack() = 0;
  virtual bool SkinLoaded() const = 0;
  virtual void SetSkinView(const std::wstring& name) = 0;
  virtual void SkinFSControls(bool show) = 0;
  virtual void SkinFSPlaylist(bool show) = 0;
  virtual void UpdateSkin() = 0;
  virtual void ZoomFlash(long percent, long count) = 0;
  // The movie control takes the keyboard focus and pending messages run.
  virtual void FocusMovie() = 0;
};

void FullScreen(ViewHost& host, bool on, bool force, bool hideUIonly);
// Each acts only when the state changes.
void ShowMenuBar(ViewHost& host, bool show);
void ShowFSControls(ViewHost& host, bool show);
void ShowFSPlaylist(ViewHost& host, bool show);
// For a pointer while View > Hide UI is checked: the bars it brings back at
// that point of the client area, and those it leaves hidden.
void ShowBarsAt(ViewHost& host, POINT inClient, SIZE client, bool menuBarAllowed);
// Sizes the window around a movie area of width x height pixels, in the
// normal state and out of full screen only; count more passes.
void FitWindow(ViewHost& host, long width, long height, long count);

}  // namespace player
