#include "platform/flash/render/TextHinting.h"

#include <algorithm>
#include <cmath>

namespace flash {
namespace {

// Device edges of a zone snapped to steps of 1/steps pixel, at least one step apart.
bool SnapAxis(double a, double b, double steps, double* from, double* to) {
  if (!std::isfinite(a) || !std::isfinite(b) || std::fabs(a) > 1e7 || std::fabs(b) > 1e7) return false;
  from[0] = std::min(a, b), from[1] = std::max(a, b);
  to[0] = std::round(from[0] * steps) / steps, to[1] = std::round(from[1] * steps) / steps;
  if (from[1] > from[0] && to[1] <= to[0]) to[1] = to[0] + 1 / steps;
  return true;
}

}  // namespace

bool ReshapesCoverage(const TextSettings& s) { return s.advanced && (s.thickness != 0 || s.sharpness != 0); }

std::array<uint8_t, 256> CoverageCurve(const TextSettings& s) {
  std::array<uint8_t, 256> curve{};
  const double shift = std::clamp<double>(s.thickness, -200, 200) / 400;
  const double steep = std::max(0.25, 1 + std::clamp<double>(s.sharpness, -400, 400) / 400);
  for (int i = 1; i < 255; ++i) {
    const double c = std::clamp((i / 255.0 - 0.5) * steep + 0.5 + shift, 0.0, 1.0);
    curve[size_t(i)] = static_cast<uint8_t>(std::lround(c * 255));
  }
  curve[255] = 255;
  return curve;
}

bool GlyphSnap(const GlyphZones& z, double emSize, const Xform& m, uint8_t gridFit, PixelSnap& snap) {
  snap = PixelSnap{};
  if (gridFit == 0 || (!z.hasX && !z.hasY)) return false;
  const double scale = std::max(std::fabs(m.a), std::fabs(m.d));
  if (!(scale > 0) || std::fabs(m.b) > scale * 1e-6 || std::fabs(m.c) > scale * 1e-6) return false;
  const double unit = emSize / 1024;
  if (z.hasX) {
    const double x0 = z.x * unit, x1 = (double(z.x) + z.width) * unit;
    snap.x = SnapAxis(m.X(x0, 0), m.X(x1, 0), gridFit == 2 ? 3 : 1, snap.fromX, snap.toX);
  }
  if (z.hasY) {
    // Upward from the baseline: glyph space runs down.
    const double y0 = -double(z.y) * unit, y1 = -(double(z.y) + z.height) * unit;
    snap.y = SnapAxis(m.Y(0, y0), m.Y(0, y1), 1, snap.fromY, snap.toY);
  }
  return snap.x || snap.y;
}

}  // namespace flash
