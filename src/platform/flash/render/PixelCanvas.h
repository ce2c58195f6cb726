// The surface the renderer draws on: premultiplied 32-bit BGRA pixels, row
// by row from the top, with an optional 8-bit mask that scales every write
// (the clip layers in force). Also the affine transform of device drawing and
// the colour helpers shared by the fill painters.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/flash/parse/MovieDefinition.h"

namespace flash {

// x' = a*x + c*y + tx, y' = b*x + d*y + ty, in doubles.
struct Xform {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
  static Xform From(const Matrix& m) { return Xform{m.a, m.b, m.c, m.d, double(m.tx), double(m.ty)}; }
  double X(double x, double y) const { return a * x + c * y + tx; }
  double Y(double x, double y) const { return b * x + d * y + ty; }
  double Determinant() const { return a * d - b * c; }
  // This after other: (this * other)(p) = this(other(p)).
  Xform operator*(const Xform& o) const {
    return Xform{a * o.a + c * o.b, b * o.a + d * o.b, a * o.c + c * o.d, b * o.c + d * o.d,
                 a * o.tx + c * o.ty + tx, b * o.tx + d * o.ty + ty};
  }
  // False (and the identity) when the transform collapses the plane.
  bool Invert(Xform& out) const;
};

// An unpremultiplied colour as stored in the movie.
struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 255;
  bool operator==(const Rgba&) const = default;
};

bool IsIdentity(const ColorTransform& cx);
Rgba Transform(const ColorTransform& cx, Rgba c);
uint32_t Premultiply(Rgba c);          // 0xAARRGGBB, channels scaled by alpha
Rgba Unpremultiply(uint32_t pixel);
Rgba Mix(Rgba from, Rgba to, double t);  // t in [0, 1]

// Scales all four channels of a premultiplied pixel by k (0..256).
inline uint32_t Scale(uint32_t p, uint32_t k) {
  const uint32_t rb = ((p & 0x00FF00FFu) * k >> 8) & 0x00FF00FFu;
  const uint32_t ag = (((p >> 8) & 0x00FF00FFu) * k) & 0xFF00FF00u;
  return rb | ag;
}
// Scales all four channels of a premultiplied pixel by k/255 (k 0..255), rounded.
inline uint32_t Mul255(uint32_t p, uint32_t k) {
  uint32_t rb = (p & 0x00FF00FFu) * k + 0x00800080u;
  rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  uint32_t ag = ((p >> 8) & 0x00FF00FFu) * k + 0x00800080u;
  ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
  return rb | ag;
}
// src over dst, both premultiplied.
inline uint32_t Over(uint32_t src, uint32_t dst) { return src + Mul255(dst, 255 - (src >> 24)); }

struct PixelCanvas {
  int width = 0, height = 0;
  uint32_t* pixels = nullptr;     // width * height, top-down
  const uint8_t* mask = nullptr;  // width * height or null

  // Blends one premultiplied colour into pixel (x, y) at coverage 0..255.
  void Blend(int x, int y, uint32_t src, uint32_t coverage) {
    const size_t at = static_cast<size_t>(y) * width + x;
    if (mask) coverage = (coverage * mask[at] + 127) / 255;
    if (!coverage) return;
    if (coverage < 255) src = Mul255(src, coverage);
    pixels[at] = Over(src, pixels[at]);
  }
};

}  // namespace flash
