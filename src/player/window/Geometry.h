// The arithmetic of the main window's geometry, free of windows: the window
// size that shows the movie at a zoom, the movie control's place inside the
// movie area (cropped to the movie's aspect), the aspect-keeping resize and
// the clamping of a saved window rectangle to the screen, the bars a
// pointer at the window's edges brings back and the window's skin shape.
// Pixels throughout; rounding is to the nearest whole pixel, halves to even.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "base/Handles.h"

namespace player {

// What the frame and the skin add around the movie area, and the skin's
// smallest window.
struct Frame {
  long XOffset = 0, YOffset = 0;          // frame, caption and menu bar
  long SkinXOffset = 0, SkinYOffset = 0;  // skin parts and the playlist pane
  long MinWidth = 0, MinHeight = 0;
};

// The movie area for a zoom: the movie at percent per cent, or with a
// percent of 0 or less the present area.
SIZE ZoomArea(long movieWidth, long movieHeight, long percent, SIZE presentArea);
// The outer window size around a movie area, not below the skin's minimum.
SIZE WindowSizeForArea(SIZE area, const Frame& frame);
// The top-left corner that centres a window of that size on the screen.
POINT CenteredOrigin(SIZE window, SIZE screen);

// The passes of one zoom: a first, and up to count more while a pass still
// changes the window (its new size may change the frame: a menu bar that
// wraps), never more than kMaxZoomPasses in all. pass answers whether it
// changed anything; gives the number of passes made.
inline constexpr int kMaxZoomPasses = 4;
int RunZoomPasses(long count, const std::function<bool()>& pass);

// Where the movie control goes inside a movie area of W x H: with scale mode
// 0 (show all) and cropping on, exactly the movie's aspect, centred; else the
// whole area. A movie without a size fills the area.
RECT ControlRectInView(long areaWidth, long areaHeight, long movieWidth, long movieHeight, long scaleMode,
                       bool crop);

// Keeps the movie's aspect while a border is dragged (WMSZ_* edge codes):
// the rectangle in screen pixels is changed in place. False (unchanged) for a
// movie without a size or an unknown edge.
bool KeepAspectWhileSizing(RECT& window, int edge, long movieWidth, long movieHeight, const Frame& frame);

// A saved window rectangle moved and, when larger, shrunk so that it lies on
// the work area.
RECT ClampToWorkArea(const RECT& window, const RECT& workArea);

// The bars a pointer brings back while the interface is hidden: the menu bar
// from the top 2 rows (only where allowed), the skin's control bar from the
// bottom 10 rows, its playlist from the right 10 columns. The point is in
// the main window's client area, signed, against the client size.
struct EdgeBars {
  bool MenuBar = false, Controls = false, Playlist = false;
};
EdgeBars BarsAtEdges(POINT inClient, SIZE client, bool menuBarAllowed);

// Which shape the window takes: none (as it is), its default shape, or the
// skin's. Only a loaded skin with mask regions shapes; with the interface
// hidden the window gets its default shape; a window with its menu bar is
// never skin-shaped (the default shape only when asked for).
enum class WindowShape { Unchanged, Default, Skin };
WindowShape ShapeFor(bool skinLoaded, size_t regionCount, bool hideUI, bool menuBar, bool restoreDefault);

// One mask region of a skin panel (in the panel's coordinates) and the
// panel's place in the client area.
struct RegionCut {
  HRGN Region = nullptr;
  POINT At{};
};
// The skin shape in window coordinates: the client area (at its origin in
// the window) with every cut taken out by exclusive or. Null when a region
// cannot be made.
ScopedRegion SkinShape(POINT clientOrigin, SIZE client, const std::vector<RegionCut>& cuts);

}  // namespace player
