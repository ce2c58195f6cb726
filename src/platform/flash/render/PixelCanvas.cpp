#include "platform/flash/render/PixelCanvas.h"

#include <algorithm>
#include <cmath>

namespace flash {

bool Xform::Invert(Xform& out) const {
  const double det = Determinant();
  if (!std::isfinite(det) || std::fabs(det) < 1e-12) {
    out = Xform{};
    return false;
  }
  out.a = d / det, out.b = -b / det, out.c = -c / det, out.d = a / det;
  out.tx = -(out.a * tx + out.c * ty);
  out.ty = -(out.b * tx + out.d * ty);
  return true;
}

bool IsIdentity(const ColorTransform& cx) { return cx == ColorTransform{}; }

Rgba Transform(const ColorTransform& cx, Rgba c) {
  auto ch = [](int v, int32_t mult, int32_t add) {
    return static_cast<uint8_t>(std::clamp<int64_t>(int64_t(v) * mult / 256 + add, 0, 255));
  };
  return Rgba{ch(c.r, cx.mr, cx.ar), ch(c.g, cx.mg, cx.ag), ch(c.b, cx.mb, cx.ab), ch(c.a, cx.ma, cx.aa)};
}

uint32_t Premultiply(Rgba c) {
  auto m = [&](uint8_t v) { return static_cast<uint32_t>((v * c.a + 127) / 255); };
  return uint32_t(c.a) << 24 | m(c.r) << 16 | m(c.g) << 8 | m(c.b);
}

Rgba Unpremultiply(uint32_t p) {
  const uint32_t a = p >> 24;
  if (a == 0) return Rgba{0, 0, 0, 0};
  auto u = [&](uint32_t v) { return static_cast<uint8_t>(std::min<uint32_t>(255, (v * 255 + a / 2) / a)); };
  return Rgba{u((p >> 16) & 0xFF), u((p >> 8) & 0xFF), u(p & 0xFF), static_cast<uint8_t>(a)};
}

namespace {

// std::lround without the library call where the value fits an int: v minus
// its whole part is exact, and halves go away from zero.
long Round(double v) {
  if (!(std::fabs(v) < 2147483647.0)) return std::lround(v);
  const double a = std::fabs(v);
  const long i = static_cast<long>(a);
  const long r = a - i >= 0.5 ? i + 1 : i;
  return v < 0 ? -r : r;
}

}  // namespace

Rgba Mix(Rgba f, Rgba t, double k) {
  auto m = [&](uint8_t x, uint8_t y) { return static_cast<uint8_t>(Round(x + (y - x) * k)); };
  return Rgba{m(f.r, t.r), m(f.g, t.g), m(f.b, t.b), m(f.a, t.a)};
}

}  // namespace flash
