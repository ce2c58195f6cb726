#include "player/window/Geometry.h"

#include <algorithm>
#include <cmath>

namespace player {
namespace {
long Round(double v) { return static_cast<long>(std::nearbyint(v)); }
}  // namespace

SIZE ZoomArea(long movieWidth, long movieHeight, long percent, SIZE presentArea) {
  if (percent <= 0) return presentArea;
  return SIZE{Round(movieWidth * static_cast<double>(percent) / 100.0),
              Round(movieHeight * static_cast<double>(percent) / 100.0)};
}

int RunZoomPasses(long count, const std::function<bool()>& pass) {
  const long wanted = 1 + std::clamp<long>(count, 0, kMaxZoomPasses - 1);
  int made = 0;
  while (made < wanted) {
    ++made;
    if (!pass()) break;
  }
  return made;
}

SIZE WindowSizeForArea(SIZE area, const Frame& f) {
  SIZE size{f.XOffset + area.cx + f.SkinXOffset, f.YOffset + area.cy + f.SkinYOffset};
  size.cx = std::max(size.cx, f.MinWidth);
  size.cy = std::max(size.cy, f.MinHeight);
  return size;
}

POINT CenteredOrigin(SIZE window, SIZE screen) {
  return POINT{(screen.cx - window.cx) / 2, (screen.cy - window.cy) / 2};
}

RECT ControlRectInView(long w, long h, long movieWidth, long movieHeight, long scaleMode, bool crop) {
  if (scaleMode != 0 || !crop || movieWidth <= 0 || movieHeight <= 0 || w <= 0 || h <= 0) return RECT{0, 0, w, h};
  const double a = static_cast<double>(movieWidth) / movieHeight;
  if (static_cast<double>(w) / h < a) {
    const long ch = Round(w / a);
    const long top = Round((h - w / a) / 2);
    return RECT{0, top, w, top + ch};
  }
  const long cw = Round(h * a);
  const long left = Round((w - h * a) / 2);
  return RECT{left, 0, left + cw, h};
}

bool KeepAspectWhileSizing(RECT& r, int edge, long movieWidth, long movieHeight, const Frame& f) {
  if (movieWidth <= 0 || movieHeight <= 0) return false;
  const double w = movieWidth, h = movieHeight;
  const long xo = f.XOffset + f.SkinXOffset, yo = f.YOffset + f.SkinYOffset;
  switch (edge) {
    case WMSZ_LEFT:
    case WMSZ_RIGHT:
    case WMSZ_BOTTOMLEFT:
    case WMSZ_BOTTOMRIGHT:
      r.bottom = Round(r.top + (r.right - r.left - xo) / w * h + yo);
      return true;
    case WMSZ_TOPLEFT:
      r.top = Round(r.bottom - (r.right - r.left - xo) / w * h - yo);
      return true;
    case WMSZ_TOP:
    case WMSZ_TOPRIGHT:
    case WMSZ_BOTTOM:
      r.right = Round(r.left + (r.bottom - r.top - yo) / h * w + xo);
      return true;
    default:
      return false;
  }
}

RECT ClampToWorkArea(const RECT& window, const RECT& work) {
  const long workW = work.right - work.left, workH = work.bottom - work.top;
  long w = std::min<long>(std::max<long>(window.right - window.left, 0), workW);
  long h = std::min<long>(std::max<long>(window.bottom - window.top, 0), workH);
  long left = std::clamp<long>(window.left, work.left, work.right - w);
  long top = std::clamp<long>(window.top, work.top, work.bottom - h);
  return RECT{left, top, left + w, top + h};
}

EdgeBars BarsAtEdges(POINT p, SIZE client, bool menuBarAllowed) {
  EdgeBars bars;
  bars.MenuBar = menuBarAllowed && p.y <= 2;
  bars.Controls = p.y >= client.cy - 10;
  bars.Playlist = p.x >= client.cx - 10;
  return bars;
}

WindowShape ShapeFor(bool skinLoaded, size_t regionCount, bool hideUI, bool menuBar, bool restoreDefault) {
  if (!skinLoaded || regionCount == 0) return WindowShape::Unchanged;
  if (hideUI) return WindowShape::Default;
  if (menuBar) return restoreDefault ? WindowShape::Default : WindowShape::Unchanged;
  return WindowShape::Skin;
}

ScopedRegion SkinShape(POINT origin, SIZE client, const std::vector<RegionCut>& cuts) {
  ScopedRegion shape(CreateRectRgn(origin.x, origin.y, origin.x + client.cx, origin.y + client.cy));
  if (!shape) return shape;
  for (const RegionCut& cut : cuts) {
    if (!cut.Region) continue;
    ScopedRegion copy(CreateRectRgn(0, 0, 0, 0));
    if (!copy || CombineRgn(copy.get(), cut.Region, nullptr, RGN_COPY) == ERROR) continue;
    OffsetRgn(copy.get(), origin.x + cut.At.x, origin.y + cut.At.y);
    CombineRgn(shape.get(), shape.get(), copy.get(), RGN_XOR);
  }
  return shape;
}

}  // namespace player
