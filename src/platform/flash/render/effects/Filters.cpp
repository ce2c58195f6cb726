#include "platform/flash/render/effects/Filters.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/flash/render/effects/BoxBlur.h"
#include "platform/flash/render/PixelCanvas.h"

namespace flash {
namespace {

constexpr double kPi = 3.14159265358979323846;

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
uint64_t Area(const RECT& r) { return Empty(r) ? 0 : uint64_t(r.right - r.left) * uint64_t(r.bottom - r.top); }
RECT Grow(const RECT& r, const RECT& by) { return RECT{r.left - by.left, r.top - by.top, r.right + by.right, r.bottom + by.bottom}; }
RECT Inside(const RECT& r, int width, int height) {
  RECT out{std::max(r.left, 0L), std::max(r.top, 0L), std::min(r.right, LONG(width)), std::min(r.bottom, LONG(height))};
  if (out.right < out.left) out.right = out.left;
  if (out.bottom < out.top) out.bottom = out.top;
  return out;
}

bool Shadowed(FilterKind k) {
  return k == FilterKind::DropShadow || k == FilterKind::Glow || k == FilterKind::GradientGlow;
}
bool Beveled(FilterKind k) { return k == FilterKind::Bevel || k == FilterKind::GradientBevel; }
bool Moves(FilterKind k) { return k != FilterKind::Glow && (Shadowed(k) || Beveled(k)); }

// The displacement of a shadow (and half the spread of a bevel), device pixels.
void OffsetOf(const Filter& f, double scale, double& dx, double& dy) {
  const double distance = Moves(f.kind) ? f.distance * scale : 0;
  const double radians = f.angle * kPi / 180;
  dx = std::clamp(std::cos(radians) * distance, -1e6, 1e6);
  dy = std::clamp(std::sin(radians) * distance, -1e6, 1e6);
}

// The blur's whole reach on each axis, over all passes.
void BlurReach(const Filter& f, double scale, int& rx, int& ry) {
  rx = f.passes * BoxReach(f.blurX * scale);
  ry = f.passes * BoxReach(f.blurY * scale);
}

int Ceil(double v) { return static_cast<int>(std::ceil(std::max(v, 0.0))); }

// Premultiplies an 0xAARRGGBB colour whose alpha is scaled by k/255.
uint32_t Premultiplied(uint32_t argb, uint32_t k) {
  const uint32_t a = ((argb >> 24) * k + 127) / 255;
  Rgba c{uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(a)};
  return Premultiply(c);
}

// What the strength and the colour (or gradient) make of a value 0..255.
void ColourTable(const Filter& f, uint32_t table[256]) {
  if (f.kind == FilterKind::GradientGlow || f.kind == FilterKind::GradientBevel) {
    std::vector<GradientEntry> stops = f.gradient;
    std::stable_sort(stops.begin(), stops.end(), [](const GradientEntry& a, const GradientEntry& b) { return a.ratio < b.ratio; });
    for (int t = 0; t < 256; ++t) {
      if (stops.empty()) {
        table[t] = 0;
        continue;
      }
      size_t i = 0;
      while (i < stops.size() && stops[i].ratio < t) ++i;
      if (i == 0 || i == stops.size()) {
        table[t] = Premultiplied(stops[i == 0 ? 0 : stops.size() - 1].color, 255);
        continue;
      }
      const GradientEntry &a = stops[i - 1], &b = stops[i];
      const double u = double(t - a.ratio) / double(b.ratio - a.ratio);
      auto mix = [&](int shift) {
        return uint32_t(std::lround(((a.color >> shift) & 0xFF) * (1 - u) + ((b.color >> shift) & 0xFF) * u)) << shift;
      };
      table[t] = Premultiplied(mix(24) | mix(16) | mix(8) | mix(0), 255);
    }
    return;
  }
  for (int t = 0; t < 256; ++t) table[t] = Premultiplied(f.color, uint32_t(t));
}

// A one-channel copy of the surface's alpha over the image and a margin
// (0 beyond), blurred, then read at sub-pixel offsets (bilinear).
class AlphaPlane {
 public:
  struct Offset {
    LONG ox = 0, oy = 0;
    uint32_t w00 = 65536, w10 = 0, w01 = 0, w11 = 0;
  };

  AlphaPlane(const uint32_t* pixels, int width, const RECT& image, LONG margin)
      : rect_(Grow(image, RECT{margin, margin, margin, margin})), w_(int(rect_.right - rect_.left)),
        h_(int(rect_.bottom - rect_.top)), v_(size_t(w_) * h_, 0), image_{margin, margin, w_ - margin, h_ - margin} {
    for (LONG y = image.top; y < image.bottom; ++y) {
      const uint32_t* src = pixels + size_t(y) * width;
      uint8_t* dst = &v_[size_t(y - rect_.top) * w_];
      for (LONG x = image.left; x < image.right; ++x) dst[x - rect_.left] = static_cast<uint8_t>(src[x] >> 24);
    }
  }
  void Blur(double bx, double by, int passes) {
    RECT area = image_;
    BoxBlur(v_.data(), w_, h_, 1, bx, by, passes, area);
  }
  // What reads at (x - dx, y - dy).
  static Offset At(double dx, double dy) {
    const double fx = std::floor(dx), fy = std::floor(dy);
    const uint32_t ux = static_cast<uint32_t>(std::lround((dx - fx) * 256)), uy = static_cast<uint32_t>(std::lround((dy - fy) * 256));
    // Between x - fx - 1 (weight ux) and x - fx (weight 256 - ux), likewise down.
    return Offset{static_cast<LONG>(fx), static_cast<LONG>(fy), (256 - ux) * (256 - uy), ux * (256 - uy), (256 - ux) * uy,
                  ux * uy};
  }
  uint32_t Sample(const Offset& o, LONG x, LONG y) const {
    const LONG px = x - o.ox - rect_.left, py = y - o.oy - rect_.top;
    if (px >= 1 && py >= 1 && px < w_ && py < h_) {
      const uint8_t* p = &v_[size_t(py) * w_ + px];
      return (o.w00 * p[0] + o.w10 * p[-1] + o.w01 * p[-w_] + o.w11 * p[-w_ - 1] + 32768) >> 16;
    }
    return (o.w00 * Value(px, py) + o.w10 * Value(px - 1, py) + o.w01 * Value(px, py - 1) +
            o.w11 * Value(px - 1, py - 1) + 32768) >> 16;
  }

 private:
  uint32_t Value(LONG x, LONG y) const { return x >= 0 && y >= 0 && x < w_ && y < h_ ? v_[size_t(y) * w_ + x] : 0; }

  RECT rect_;
  int w_, h_;
  std::vector<uint8_t> v_;
  RECT image_;
};

uint32_t Strengthen(uint32_t v, uint32_t strength256) { return std::min<uint32_t>(255, (v * strength256 + 128) >> 8); }

// Drop shadow, glow and gradient glow.
void ApplyShadow(const Filter& f, uint32_t* pixels, int width, int height, RECT& image, double scale) {
  double dx = 0, dy = 0;
  OffsetOf(f, scale, dx, dy);
  int rx = 0, ry = 0;
  BlurReach(f, scale, rx, ry);
  const bool gradient = f.kind == FilterKind::GradientGlow;
  const FilterPlacement placement = f.kind == FilterKind::GradientGlow ? f.placement
                                    : f.placement == FilterPlacement::Inner ? FilterPlacement::Inner
                                                                             : FilterPlacement::Outer;
  const bool inner = placement == FilterPlacement::Inner;
  AlphaPlane plane(pixels, width, image, std::max(rx, ry) + 2);
  plane.Blur(f.blurX * scale, f.blurY * scale, f.passes);
  const AlphaPlane::Offset at = AlphaPlane::At(dx, dy);
  uint32_t table[256];
  ColourTable(f, table);
  const uint32_t strength = static_cast<uint32_t>(std::lround(f.strength * 256));
  const RECT out = inner ? image : Inside(Grow(image, FilterReach(f, scale)), width, height);
  const bool alone = f.knockout || (f.kind == FilterKind::DropShadow && f.hideObject);
  for (LONG y = out.top; y < out.bottom; ++y) {
    uint32_t* row = pixels + size_t(y) * width;
    for (LONG x = out.left; x < out.right; ++x) {
      const uint32_t src = row[x], a = src >> 24;
      const uint32_t covered = plane.Sample(at, x, y);
      // Inside: the shadow of what lies outside the shape (the blur of a
      // constant 255 is 255, so that is 255 less the blurred alpha).
      uint32_t e = table[Strengthen(inner ? 255 - covered : covered, strength)];
      if (inner) {
        e = Mul255(e, a);
        row[x] = alone ? e : Over(e, src);
      } else if (placement == FilterPlacement::Full) {
        row[x] = f.knockout ? Mul255(e, 255 - a) : Over(e, src);
      } else if (f.knockout) {
        row[x] = Mul255(e, 255 - a);
      } else {
        row[x] = alone ? e : Over(src, e);
      }
    }
  }
  if (!inner) image = out;
}

// Bevel and gradient bevel: v = strength * (alpha(p - d) - alpha(p + d)),
// the shadow for positive v, the highlight for negative v.
void ApplyBevel(const Filter& f, uint32_t* pixels, int width, int height, RECT& image, double scale) {
  double dx = 0, dy = 0;
  OffsetOf(f, scale, dx, dy);
  int rx = 0, ry = 0;
  BlurReach(f, scale, rx, ry);
  AlphaPlane plane(pixels, width, image, std::max(rx, ry) + 2);
  plane.Blur(f.blurX * scale, f.blurY * scale, f.passes);
  const AlphaPlane::Offset lit = AlphaPlane::At(dx, dy), shaded = AlphaPlane::At(-dx, -dy);  // p - d, p + d
  uint32_t shadow[256], highlight[256], gradient[256];
  if (f.kind == FilterKind::GradientBevel) {
    ColourTable(f, gradient);
  } else {
    for (int t = 0; t < 256; ++t) shadow[t] = Premultiplied(f.color, uint32_t(t)), highlight[t] = Premultiplied(f.highlight, uint32_t(t));
  }
  const int strength = static_cast<int>(std::lround(f.strength * 256));
  const RECT out = f.placement == FilterPlacement::Inner ? image : Inside(Grow(image, FilterReach(f, scale)), width, height);
  for (LONG y = out.top; y < out.bottom; ++y) {
    uint32_t* row = pixels + size_t(y) * width;
    for (LONG x = out.left; x < out.right; ++x) {
      const uint32_t src = row[x], a = src >> 24;
      const int v = std::clamp((int(plane.Sample(lit, x, y)) - int(plane.Sample(shaded, x, y))) * strength / 256, -255, 255);
      uint32_t e = f.kind == FilterKind::GradientBevel ? gradient[(v + 255) / 2] : v > 0 ? shadow[v] : highlight[-v];
      if (f.placement == FilterPlacement::Inner) e = Mul255(e, a);
      else if (f.placement == FilterPlacement::Outer) e = Mul255(e, 255 - a);
      row[x] = f.knockout ? e : Over(e, src);
    }
  }
  if (f.placement != FilterPlacement::Inner) image = out;
}

uint8_t Clamp255(float v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

void ApplyColorMatrix(const Filter& f, uint32_t* pixels, int width, const RECT& image) {
  const std::array<float, 20>& m = f.colorMatrix;
  for (LONG y = image.top; y < image.bottom; ++y) {
    uint32_t* row = pixels + size_t(y) * width;
    for (LONG x = image.left; x < image.right; ++x) {
      const Rgba c = Unpremultiply(row[x]);
      const float in[4] = {float(c.r), float(c.g), float(c.b), float(c.a)};
      uint8_t out[4];
      for (int i = 0; i < 4; ++i)
        out[i] = Clamp255(m[i * 5] * in[0] + m[i * 5 + 1] * in[1] + m[i * 5 + 2] * in[2] + m[i * 5 + 3] * in[3] + m[i * 5 + 4]);
      row[x] = Premultiply(Rgba{out[0], out[1], out[2], out[3]});
    }
  }
}

void ApplyConvolution(const Filter& f, uint32_t* pixels, int width, const RECT& image) {
  struct Tap {
    int dx, dy;
    float weight;
  };
  std::vector<Tap> taps;
  for (int j = 0; j < f.matrixY; ++j)
    for (int i = 0; i < f.matrixX; ++i)
      if (const float w = f.matrix[size_t(j) * f.matrixX + i]; w != 0) taps.push_back({i - f.matrixX / 2, j - f.matrixY / 2, w});
  const int w = int(image.right - image.left), h = int(image.bottom - image.top);
  std::vector<Rgba> copy(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) copy[size_t(y) * w + x] = Unpremultiply(pixels[size_t(y + image.top) * width + x + image.left]);
  const Rgba outside{uint8_t(f.defaultColor >> 16), uint8_t(f.defaultColor >> 8), uint8_t(f.defaultColor), uint8_t(f.defaultColor >> 24)};
  const float divisor = f.divisor == 0 ? 1.0f : f.divisor;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      float sum[4] = {};
      for (const Tap& t : taps) {
        int sx = x + t.dx, sy = y + t.dy;
        const bool in = sx >= 0 && sy >= 0 && sx < w && sy < h;
        if (!in && f.clamp) sx = std::clamp(sx, 0, w - 1), sy = std::clamp(sy, 0, h - 1);
        const Rgba c = in || f.clamp ? copy[size_t(sy) * w + sx] : outside;
        sum[0] += t.weight * c.r, sum[1] += t.weight * c.g, sum[2] += t.weight * c.b, sum[3] += t.weight * c.a;
      }
      const Rgba self = copy[size_t(y) * w + x];
      Rgba out{Clamp255(sum[0] / divisor + f.bias), Clamp255(sum[1] / divisor + f.bias), Clamp255(sum[2] / divisor + f.bias),
               f.preserveAlpha ? self.a : Clamp255(sum[3] / divisor + f.bias)};
      pixels[size_t(y + image.top) * width + x + image.left] = Premultiply(out);
    }
  }
}

}  // namespace

RECT FilterReach(const Filter& f, double scale) {
  int rx = 0, ry = 0;
  switch (f.kind) {
    case FilterKind::Blur:
      BlurReach(f, scale, rx, ry);
      return RECT{rx, ry, rx, ry};
    case FilterKind::Convolution:
    case FilterKind::ColorMatrix:
      return RECT{0, 0, 0, 0};
    default:
      break;
  }
  if (f.placement == FilterPlacement::Inner) return RECT{0, 0, 0, 0};
  BlurReach(f, scale, rx, ry);
  double dx = 0, dy = 0;
  OffsetOf(f, scale, dx, dy);
  if (Beveled(f.kind)) {
    const int mx = rx + Ceil(std::fabs(dx)), my = ry + Ceil(std::fabs(dy));
    return RECT{mx, my, mx, my};
  }
  return RECT{rx + Ceil(-dx), ry + Ceil(-dy), rx + Ceil(dx), ry + Ceil(dy)};
}

uint64_t FilterWork(const Filter& f, int w, int h, double scale) {
  const RECT reach = FilterReach(f, scale);
  const uint64_t grown = Area(Grow(RECT{0, 0, w, h}, reach)) + 1;
  const uint64_t passes = uint64_t(f.passes);
  switch (f.kind) {
    case FilterKind::Blur: return grown * passes * 8;
    case FilterKind::ColorMatrix: return uint64_t(w) * uint64_t(h) * 20;
    case FilterKind::Convolution: {
      uint64_t taps = 0;
      for (float v : f.matrix) taps += v != 0;
      return uint64_t(w) * uint64_t(h) * (taps + 1) * 4;
    }
    default: {
      int rx = 0, ry = 0;
      BlurReach(f, scale, rx, ry);
      const LONG m = std::max(rx, ry) + 2;
      return Area(Grow(RECT{0, 0, w, h}, RECT{m, m, m, m})) * (passes * 2 + 2) + grown * 12;
    }
  }
}

bool ApplyFilter(const Filter& f, uint32_t* pixels, int width, int height, RECT& image, double scale) {
  if (!pixels || width <= 0 || height <= 0) return false;
  image = Inside(image, width, height);
  if (Empty(image) || !(scale > 0) || !std::isfinite(scale)) return false;
  const int w = int(image.right - image.left), h = int(image.bottom - image.top);
  if (FilterWork(f, w, h, scale) > kMaxFilterWork) return false;
  switch (f.kind) {
    case FilterKind::Blur: {
      RECT area = image;
      BoxBlur(reinterpret_cast<uint8_t*>(pixels), width, height, 4, f.blurX * scale, f.blurY * scale, f.passes, area);
      image = area;
      return true;
    }
    case FilterKind::ColorMatrix: ApplyColorMatrix(f, pixels, width, image); return true;
    case FilterKind::Convolution: ApplyConvolution(f, pixels, width, image); return true;
    case FilterKind::Bevel:
    case FilterKind::GradientBevel: ApplyBevel(f, pixels, width, height, image, scale); return true;
    default: ApplyShadow(f, pixels, width, height, image, scale); return true;
  }
}

}  // namespace flash
