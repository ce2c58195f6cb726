#include "platform/flash/render/FillPainter.h"

#include "platform/flash/render/SpanFill.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <emmintrin.h>

namespace flash {
namespace {

// Where t (the ramp's 0..1 position) lands after the spread mode.
double Spreaded(double t, uint8_t spread) {
  if (!std::isfinite(t)) return 0;
  switch (spread) {
    case kSpreadRepeat: return t - std::floor(t);
    case kSpreadReflect: {
      const double m = t - 2 * std::floor(t / 2);
      return m > 1 ? 2 - m : m;
    }
    default: return std::clamp(t, 0.0, 1.0);
  }
}

// floor(v) for |v| < 2^31, without a library call.
inline int FloorInt(double v) {
  const int i = static_cast<int>(v);
  return i > v ? i - 1 : i;
}

inline int Wrap(int v, int n) {
  if ((n & (n - 1)) == 0) return v & (n - 1);  // a power of two: the low bits, also below zero
  v %= n;
  return v < 0 ? v + n : v;
}

uint32_t Lerp(uint32_t p, uint32_t q, uint32_t k) {  // k 0..256 towards q
  return Scale(p, 256 - k) + Scale(q, k);
}

// Mul255 of eight 16-bit channel lanes by eight factors 0..255: the same
// rounding, and no lane passes 16 bits on the way.
inline __m128i Mul255Lanes(__m128i v, __m128i k) {
  const __m128i x = _mm_add_epi16(_mm_mullo_epi16(v, k), _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
}

// Over(Mul255(src, coverage), dst) for four pixels. Mul255 by 255 keeps a
// pixel and Over of nothing keeps dst, so this equals PixelCanvas::Blend for every
// coverage, 0 and 255 included.
inline __m128i BlendFour(__m128i src, __m128i dst, uint32_t coverage4) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i c16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(coverage4)), zero);
  const __m128i c2 = _mm_unpacklo_epi16(c16, c16);  // c0 c0 c1 c1 c2 c2 c3 c3
  const __m128i sLo = Mul255Lanes(_mm_unpacklo_epi8(src, zero), _mm_unpacklo_epi32(c2, c2));
  const __m128i sHi = Mul255Lanes(_mm_unpackhi_epi8(src, zero), _mm_unpackhi_epi32(c2, c2));
  const __m128i full = _mm_set1_epi16(255);
  const __m128i kLo = _mm_sub_epi16(full, _mm_shufflehi_epi16(_mm_shufflelo_epi16(sLo, 0xFF), 0xFF));
  const __m128i kHi = _mm_sub_epi16(full, _mm_shufflehi_epi16(_mm_shufflelo_epi16(sHi, 0xFF), 0xFF));
  const __m128i dLo = Mul255Lanes(_mm_unpacklo_epi8(dst, zero), kLo);
  const __m128i dHi = Mul255Lanes(_mm_unpackhi_epi8(dst, zero), kHi);
  return _mm_add_epi32(_mm_packus_epi16(sLo, sHi), _mm_packus_epi16(dLo, dHi));
}

// Blends source(i) at coverage[i] into count pixels of row y from x, with
// the arithmetic of PixelCanvas::Blend.
template <class Source>
void BlendSpan(const PixelCanvas& canvas, int y, int x, int count, const uint8_t* coverage, Source source) {
  const size_t at = static_cast<size_t>(y) * canvas.width + x;
  uint32_t* dst = canvas.pixels + at;
  if (canvas.mask) {
    const uint8_t* mask = canvas.mask + at;
    for (int i = 0; i < count; ++i) {
      const uint32_t c = (coverage[i] * uint32_t(mask[i]) + 127) / 255;
      if (!c) continue;
      const uint32_t s = source(i);
      dst[i] = Over(c < 255 ? Mul255(s, c) : s, dst[i]);
    }
    return;
  }
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    uint32_t c4;
    std::memcpy(&c4, coverage + i, 4);
    const __m128i s = _mm_set_epi32(static_cast<int>(source(i + 3)), static_cast<int>(source(i + 2)),
                                    static_cast<int>(source(i + 1)), static_cast<int>(source(i)));
    __m128i* d = reinterpret_cast<__m128i*>(dst + i);
    _mm_storeu_si128(d, BlendFour(s, _mm_loadu_si128(d), c4));
  }
  for (; i < count; ++i) {
    const uint32_t c = coverage[i];
    if (c) dst[i] = Over(c < 255 ? Mul255(source(i), c) : source(i), dst[i]);
  }
}

double ToLinear(uint8_t v) {
  const double c = v / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

uint8_t FromLinear(double c) {
  c = std::clamp(c, 0.0, 1.0);
  const double v = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
  return static_cast<uint8_t>(std::lround(v * 255));
}

// from..to at t with the colour channels mixed in linear light, alpha as stored.
Rgba MixLinearLight(Rgba from, Rgba to, double t) {
  auto mix = [&](uint8_t a, uint8_t b) { return FromLinear(ToLinear(a) + (ToLinear(b) - ToLinear(a)) * t); };
  Rgba c = Mix(from, to, t);
  c.r = mix(from.r, to.r), c.g = mix(from.g, to.g), c.b = mix(from.b, to.b);
  return c;
}

}  // namespace

std::array<uint32_t, 256> GradientRamp(const std::vector<GradientStop>& given, const ColorTransform& cx,
                                       bool linearRgb) {
  std::array<uint32_t, 256> ramp{};
  if (given.empty()) return ramp;
  std::vector<GradientStop> stops = given;
  std::stable_sort(stops.begin(), stops.end(), [](const GradientStop& a, const GradientStop& b) { return a.ratio < b.ratio; });
  size_t k = 0;
  for (int i = 0; i < 256; ++i) {
    while (k < stops.size() && stops[k].ratio < i) ++k;
    Rgba c;
    if (k == 0) {
      c = stops.front().color;
    } else if (k == stops.size()) {
      c = stops.back().color;
    } else {
      const GradientStop& a = stops[k - 1];
      const GradientStop& b = stops[k];
      const int span = b.ratio - a.ratio;
      const double t = span <= 0 ? 1 : double(i - a.ratio) / span;
      c = linearRgb ? MixLinearLight(a.color, b.color, t) : Mix(a.color, b.color, t);
    }
    ramp[i] = Premultiply(Transform(cx, c));
  }
  return ramp;
}

void FillPainter::SetSolid(uint32_t premultiplied) {
  mode_ = Mode::Solid;
  color_ = premultiplied;
}

bool FillPainter::SetGradient(const FillStyle& style, const Xform& toDevice, const ColorTransform& cx,
                              const std::array<uint32_t, 256>* ramp) {
  if (style.stops.empty() || !toDevice.Invert(inverse_)) return false;
  mode_ = Mode::Gradient;
  ramp_ = ramp ? *ramp : GradientRamp(style.stops, cx, style.linearRgb);
  kind_ = style.kind;
  spread_ = style.spread;
  focal_ = std::clamp(style.focal, -0.98, 0.98);
  return true;
}

bool FillPainter::SetBitmap(const Bitmap* bitmap, const Xform& toDevice, bool repeat, bool smooth,
                            const ColorTransform& cx) {
  if (!bitmap || bitmap->width <= 0 || bitmap->height <= 0 || !toDevice.Invert(inverse_)) return false;
  mode_ = Mode::Bitmap;
  bitmap_ = bitmap;
  repeat_ = repeat, smooth_ = smooth;
  cx_ = cx;
  plainColors_ = IsIdentity(cx);
  return true;
}

void FillPainter::SetMask(uint8_t* mask) {
  mode_ = Mode::Mask;
  mask_ = mask;
}

void FillPainter::GradientRow(double u, double v, int count, uint32_t* out) const {
  const double du = inverse_.a, dv = inverse_.b;
  if (spread_ != kSpreadRepeat && spread_ != kSpreadReflect) {
    if (kind_ == kFillLinear) return LinearPadRow(ramp_, SpanWalk{u, v, du, dv, count}, out);
    if (kind_ != kFillFocal || focal_ == 0) return RadialPadRow(ramp_, SpanWalk{u, v, du, dv, count}, out);
  }
  auto ramp = [&](double t) {
    const int i = static_cast<int>(Spreaded(t, spread_) * 255 + 0.5);
    return ramp_[std::clamp(i, 0, 255)];
  };
  if (kind_ == kFillLinear) {
    for (int i = 0; i < count; ++i, u += du) out[i] = ramp((u + 16384) / 32768);
  } else if (kind_ == kFillFocal && focal_ != 0) {
    // The ramp runs from the focal point F = (f, 0) to the unit circle along
    // each ray: with D = P - F, the circle lies at F + kD where
    // k|D|^2 = -fDx + sqrt(f^2 Dx^2 + |D|^2 (1 - f^2)), and t = 1 / k.
    for (int i = 0; i < count; ++i, u += du, v += dv) {
      const double px = u / 16384, py = v / 16384;
      const double dx = px - focal_, dy = py, d2 = dx * dx + dy * dy;
      const double root = -focal_ * dx + std::sqrt(focal_ * focal_ * dx * dx + d2 * (1 - focal_ * focal_));
      out[i] = ramp(root > 0 ? d2 / root : 0);
    }
  } else {
    for (int i = 0; i < count; ++i, u += du, v += dv) {
      const double px = u / 16384, py = v / 16384;
      out[i] = ramp(std::sqrt(px * px + py * py));
    }
  }
}

uint32_t FillPainter::Sample(double u, double v) const {
  if (!std::isfinite(u) || !std::isfinite(v)) return 0;
  u = std::clamp(u, -1e9, 1e9), v = std::clamp(v, -1e9, 1e9);
  const int w = bitmap_->width, h = bitmap_->height;
  const uint32_t* px = bitmap_->pixels.data();
  auto at = [&](int x, int y) {
    x = repeat_ ? Wrap(x, w) : std::clamp(x, 0, w - 1);
    y = repeat_ ? Wrap(y, h) : std::clamp(y, 0, h - 1);
    return px[static_cast<size_t>(y) * w + x];
  };
  uint32_t p;
  if (!smooth_) {
    p = at(FloorInt(u), FloorInt(v));
  } else {
    const double su = u - 0.5, sv = v - 0.5;
    const int x = FloorInt(su), y = FloorInt(sv);
    const uint32_t ku = static_cast<uint32_t>((su - x) * 256), kv = static_cast<uint32_t>((sv - y) * 256);
    p = Lerp(Lerp(at(x, y), at(x + 1, y), ku), Lerp(at(x, y + 1), at(x + 1, y + 1), ku), kv);
  }
  return plainColors_ ? p : Premultiply(Transform(cx_, Unpremultiply(p)));
}

void FillPainter::BitmapRow(double u, double v, int count, uint32_t* out) const {
  const double du = inverse_.a, dv = inverse_.b;
  if (plainColors_) {
    const SpanWalk walk{u, v, du, dv, count};
    if (smooth_ ? BilinearRow(*bitmap_, repeat_, walk, out) : NearestRow(*bitmap_, repeat_, walk, out)) return;
  }
  for (int i = 0; i < count; ++i, u += du, v += dv) out[i] = Sample(u, v);
}

void FillPainter::Span(int y, int x, int count, const uint8_t* coverage) {
  PaintSpan(y, x, count, coverage, colors_);
}

void FillPainter::PaintSpan(int y, int x, int count, const uint8_t* coverage, std::vector<uint32_t>& colors) const {
  if (mode_ == Mode::Mask) {
    const size_t row = static_cast<size_t>(y) * canvas_.width;
    for (int i = 0; i < count; ++i) {
      uint32_t c = coverage[i];
      if (canvas_.mask) c = c * canvas_.mask[row + x + i] / 255;
      uint8_t& m = mask_[row + x + i];
      m = static_cast<uint8_t>(std::max<uint32_t>(m, c));
    }
    return;
  }
  if (mode_ == Mode::Solid) {
    BlendSpan(canvas_, y, x, count, coverage, [&](int) { return color_; });
    return;
  }
  if (colors.size() < static_cast<size_t>(count)) colors.resize(count);
  const double cx = x + 0.5, cy = y + 0.5;
  const double u = inverse_.X(cx, cy), v = inverse_.Y(cx, cy);
  if (mode_ == Mode::Gradient) {
    GradientRow(u, v, count, colors.data());
  } else {
    BitmapRow(u, v, count, colors.data());
  }
  const uint32_t* source = colors.data();
  BlendSpan(canvas_, y, x, count, coverage, [&](int i) { return source[i]; });
}

}  // namespace flash
