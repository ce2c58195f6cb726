#include "platform/flash/FillPainter.h"

#include <algorithm>
#include <cmath>

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

int Wrap(int v, int n) {
  v %= n;
  return v < 0 ? v + n : v;
}

uint32_t Lerp(uint32_t p, uint32_t q, uint32_t k) {  // k 0..256 towards q
  return Scale(p, 256 - k) + Scale(q, k);
}

}  // namespace

std::array<uint32_t, 256> GradientRamp(const std::vector<GradientStop>& stops, const ColorTransform& cx) {
  std::array<uint32_t, 256> ramp{};
  if (stops.empty()) return ramp;
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
      c = span <= 0 ? b.color : Mix(a.color, b.color, double(i - a.ratio) / span);
    }
    ramp[i] = Premultiply(Transform(cx, c));
  }
  return ramp;
}

void FillPainter::SetSolid(uint32_t premultiplied) {
  mode_ = Mode::Solid;
  color_ = premultiplied;
}

bool FillPainter::SetGradient(const FillStyle& style, const Xform& toDevice, const ColorTransform& cx) {
  if (style.stops.empty() || !toDevice.Invert(inverse_)) return false;
  mode_ = Mode::Gradient;
  ramp_ = GradientRamp(style.stops, cx);
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

uint32_t FillPainter::GradientAt(double gx, double gy) const {
  double t;
  if (kind_ == kFillLinear) {
    t = (gx + 16384) / 32768;
  } else {
    const double px = gx / 16384, py = gy / 16384;
    if (kind_ == kFillFocal && focal_ != 0) {
      // The ramp runs from the focal point (f, 0) to the unit circle along each ray.
      const double dx = px - focal_, dy = py, d2 = dx * dx + dy * dy;
      const double root = focal_ * dx + std::sqrt(focal_ * focal_ * dx * dx + d2 * (1 - focal_ * focal_));
      t = root > 0 ? d2 / root : 0;
    } else {
      t = std::sqrt(px * px + py * py);
    }
  }
  const int i = static_cast<int>(Spreaded(t, spread_) * 255 + 0.5);
  return ramp_[std::clamp(i, 0, 255)];
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
    p = at(static_cast<int>(std::floor(u)), static_cast<int>(std::floor(v)));
  } else {
    const double su = u - 0.5, sv = v - 0.5;
    const double fu = std::floor(su), fv = std::floor(sv);
    const int x = static_cast<int>(fu), y = static_cast<int>(fv);
    const uint32_t ku = static_cast<uint32_t>((su - fu) * 256), kv = static_cast<uint32_t>((sv - fv) * 256);
    p = Lerp(Lerp(at(x, y), at(x + 1, y), ku), Lerp(at(x, y + 1), at(x + 1, y + 1), ku), kv);
  }
  return plainColors_ ? p : Premultiply(Transform(cx_, Unpremultiply(p)));
}

void FillPainter::Span(int y, int x, int count, const uint8_t* coverage) {
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
    for (int i = 0; i < count; ++i) canvas_.Blend(x + i, y, color_, coverage[i]);
    return;
  }
  const double cx = x + 0.5, cy = y + 0.5;
  double u = inverse_.X(cx, cy), v = inverse_.Y(cx, cy);
  for (int i = 0; i < count; ++i, u += inverse_.a, v += inverse_.b) {
    const uint32_t src = mode_ == Mode::Gradient ? GradientAt(u, v) : Sample(u, v);
    canvas_.Blend(x + i, y, src, coverage[i]);
  }
}

}  // namespace flash
