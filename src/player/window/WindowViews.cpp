#include "player/window/WindowViews.h"

#include <algorithm>

#include "platform/forms/FormTypes.h"

namespace player {
namespace {

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// Shows or hides the playlist box: shown when View > Playlist is checked and,
// while the interface is hidden, the full-screen playlist is not hidden.
void PlaceBox(ViewHost& host, bool interfaceHidden) {
  host.SetPlaylistVisible(host.Checked(L"mnuPlaylist") && !(interfaceHidden && host.Flags().HiddenFSPlaylist));
}

void Enter(ViewHost& host) {
  ViewFlags& f = host.Flags();
  f.WasZoomed = host.WindowState() == forms::vbMaximized;
  host.SetSkinView(L"viewFullScreen");
  if (f.WasZoomed) host.SetWindowState(forms::vbNormal);
  f.FullScreenLeft = host.WindowRect();
  // The window's own state is full-size; its rectangle is the whole monitor,
  // which a maximised window without a frame does not take everywhere.
  host.SetWindowState(forms::vbMaximized);
  host.SetWindowRect(host.MonitorRect());
  host.State().NeedZoomFS = false;
}

void Leave(ViewHost& host) {
  ViewFlags& f = host.Flags();
  host.SetSkinView(L"viewNormal");
  ShowFSControls(host, true);
  ShowFSPlaylist(host, true);
  host.SetWindowState(forms::vbNormal);
  if (!Empty(f.FullScreenLeft)) host.SetWindowRect(f.FullScreenLeft);
  if (f.WasZoomed) host.SetWindowState(forms::vbMaximized);
  if (host.State().NeedZoomFS && !host.Checked(L"mnuKeepSize")) host.ZoomFlash(100, 1);
}

}  // namespace

void FullScreen(ViewHost& host, bool on, bool force, bool hideUIonly) {
  if (host.Checked(L"mnuFullScreen") == on && !force) return;
  host.SetChecked(L"mnuHideUI", on);
  ShowMenuBar(host, !on);
  host.ShowTitleBar(!on);
  if (!hideUIonly) {
    host.SetChecked(L"mnuFullScreen", on);
    host.SetChecked(L"mnuPopFullScreen", on);
    host.SetEnabled(L"mnuHideUI", !on);
  }
  PlaceBox(host, on);
  if (hideUIonly) {
    // The hidden interface keeps the window's size and place.
    if (on) {
      host.SetSkinView(L"viewFullScreen");
    } else {
      host.SetSkinView(L"viewNormal");
      ShowFSControls(host, true);
      ShowFSPlaylist(host, true);
    }
    host.UpdateSkin();
    host.ZoomFlash(0, 1);
  } else if (on) {
    Enter(host);
  } else {
    Leave(host);
  }
  if (hideUIonly || !host.SkinLoaded()) host.UpdateSkin();
  host.FocusMovie();
}

void ShowMenuBar(ViewHost& host, bool show) {
  ViewFlags& f = host.Flags();
  if (f.HiddenMenuBar == !show) return;
  f.HiddenMenuBar = !show;
  host.SetTopMenusVisible(show);
  host.SetBrowseMenus(host.State().Browsed, show, true);
}

void ShowFSControls(ViewHost& host, bool show) {
  ViewFlags& f = host.Flags();
  if (f.HiddenFSControls == !show) return;
  f.HiddenFSControls = !show;
  host.SendViewToBack();
  host.SkinFSControls(show);
}

void ShowFSPlaylist(ViewHost& host, bool show) {
  ViewFlags& f = host.Flags();
  if (f.HiddenFSPlaylist == !show) return;
  f.HiddenFSPlaylist = !show;
  host.SendViewToBack();
  PlaceBox(host, true);
  host.SkinFSPlaylist(show);
}

void ShowBarsAt(ViewHost& host, POINT inClient, SIZE client, bool menuBarAllowed) {
  const EdgeBars bars = BarsAtEdges(inClient, client, menuBarAllowed);
  ShowMenuBar(host, bars.MenuBar);
  ShowFSControls(host, bars.Controls);
  ShowFSPlaylist(host, bars.Playlist);
}

void FitWindow(ViewHost& host, long width, long height, long count) {
  const SIZE area{width, height};
  if (area.cx <= 0 || area.cy <= 0) return;
  RunZoomPasses(count, [&] {
    if (host.WindowState() != forms::vbNormal || host.Checked(L"mnuFullScreen")) return false;
    SIZE size = WindowSizeForArea(area, host.Offsets());
    // No larger than the screen can show several times over.
    const SIZE screen = host.ScreenSize();
    size.cx = std::min<long>(size.cx, 8L * std::max<long>(screen.cx, 640));
    size.cy = std::min<long>(size.cy, 8L * std::max<long>(screen.cy, 480));
    const RECT now = host.WindowRect();
    POINT at{now.left, now.top};
    if (host.Centered()) at = CenteredOrigin(size, host.ScreenSize());
    const RECT wanted{at.x, at.y, at.x + size.cx, at.y + size.cy};
    if (EqualRect(&wanted, &now)) return false;
    host.SetWindowRect(wanted);
    return true;
  });
}

}  // namespace player
