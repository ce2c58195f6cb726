#include "platform/flash/render/ScalingGrid.h"

#include <algorithm>
#include <cmath>

#include "base/ByteReader.h"
#include "moviefiles/BitStream.h"
#include "platform/flash/render/ShapeCache.h"

namespace flash {

void GridBounds::AddShape(const Character& ch, const Matrix& m) {
  if (!IsShape(ch.tagCode)) return;
  ByteReader r(ch.body);
  int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  if (!ReadRectRecord(r, x0, x1, y0, y1)) return;
  const Xform x = Xform::From(m);
  for (const auto& [px, py] : {std::pair{x0, y0}, std::pair{x1, y0}, std::pair{x0, y1}, std::pair{x1, y1}}) {
    lo[0] = std::min(lo[0], x.X(px, py)), hi[0] = std::max(hi[0], x.X(px, py));
    lo[1] = std::min(lo[1], x.Y(px, py)), hi[1] = std::max(hi[1], x.Y(px, py));
  }
}

bool MakeGridWarp(const RECT& g, const GridBounds& content, const Matrix& own, const Xform& outer, GridWarp& warp) {
  const double sx = std::hypot(own.a, own.b), sy = std::hypot(own.c, own.d);
  if (content.Empty() || !(sx > 0) || !(sy > 0)) return false;
  const double* lo = content.lo;
  const double* hi = content.hi;
  const double gx0 = std::clamp<double>(g.left, lo[0], hi[0]), gx1 = std::clamp<double>(g.right, gx0, hi[0]);
  const double gy0 = std::clamp<double>(g.top, lo[1], hi[1]), gy1 = std::clamp<double>(g.bottom, gy0, hi[1]);
  warp.x[0] = lo[0], warp.x[1] = gx0, warp.x[2] = gx1, warp.x[3] = hi[0];
  warp.y[0] = lo[1], warp.y[1] = gy0, warp.y[2] = gy1, warp.y[3] = hi[1];
  warp.sx = sx, warp.sy = sy;
  warp.outer = outer;
  return true;
}

}  // namespace flash
