#include "platform/flash/render/BitmapSurface.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/flash/render/effects/Filters.h"

namespace flash {
namespace {

inline uint32_t Channel(uint32_t p, int i) { return (p >> (24 - 8 * i)) & 0xFF; }  // 0 alpha, 1 red, 2 green, 3 blue

inline uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

// src over dst, both unpremultiplied.
uint32_t BlendOver(uint32_t src, uint32_t dst) {
  const uint32_t sa = src >> 24;
  if (sa == 255) return src;
  if (sa == 0) return dst;
  const uint32_t da = dst >> 24;
  const uint32_t outA = sa + (da * (255 - sa) + 127) / 255;
  if (!outA) return 0;
  auto mix = [&](int i) {
    const uint32_t s = Channel(src, i) * sa, d = Channel(dst, i) * da * (255 - sa) / 255;
    return std::min<uint32_t>(255, (s + d + outA / 2) / outA);
  };
  return Pack(outA, mix(1), mix(2), mix(3));
}

// The rectangle r of src and the place (dx, dy) in dst clipped to both.
bool ClipCopy(const BitmapSurface& dst, const BitmapSurface& src, PixelRect& r, int& dx, int& dy) {
  if (dst.Disposed() || src.Disposed()) return false;
  int64_t x0 = r.x, y0 = r.y, x1 = int64_t(r.x) + r.w, y1 = int64_t(r.y) + r.h;
  int64_t tx = dx, ty = dy;
  if (x0 < 0) tx -= x0, x0 = 0;
  if (y0 < 0) ty -= y0, y0 = 0;
  x1 = std::min<int64_t>(x1, src.Width()), y1 = std::min<int64_t>(y1, src.Height());
  if (tx < 0) x0 -= tx, tx = 0;
  if (ty < 0) y0 -= ty, ty = 0;
  x1 = std::min<int64_t>(x1, x0 + dst.Width() - tx), y1 = std::min<int64_t>(y1, y0 + dst.Height() - ty);
  if (x1 <= x0 || y1 <= y0) return false;
  r = PixelRect{int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
  dx = int(tx), dy = int(ty);
  return true;
}

// Runs fn(dstPixel, srcPixel, srcX, srcY) over a clipped copy, reading the
// source before writing (the same surface may be both).
template <class Fn>
void EachCopied(BitmapSurface& dst, const BitmapSurface& src, PixelRect r, int dx, int dy, Fn fn) {
  if (!ClipCopy(dst, src, r, dx, dy)) return;
  std::vector<uint32_t> row(size_t(r.w));
  // Within one surface, rows moving down are copied from the bottom up.
  const bool upward = &dst == &src && dy > r.y;
  for (int i = 0; i < r.h; ++i) {
    const int y = upward ? r.h - 1 - i : i;
    const uint32_t* from = &src.Pixels()[size_t(r.y + y) * src.Width() + r.x];
    std::copy(from, from + r.w, row.begin());
    uint32_t* to = &dst.Pixels()[size_t(dy + y) * dst.Width() + dx];
    for (int x = 0; x < r.w; ++x) to[x] = dst.Stored(fn(to[x], row[size_t(x)], r.x + x, r.y + y));
  }
  dst.Touch();
}

}  // namespace

bool BitmapSurface::ValidSize(double width, double height) {
  return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide;
}

BitmapSurface::BitmapSurface(int width, int height, bool transparent, uint32_t fill)
    : width_(width), height_(height), transparent_(transparent) {
  if (width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide)
    pixels_.assign(size_t(width) * height, Stored(fill));
  else
    width_ = height_ = 0;
}

void BitmapSurface::Dispose() {
  std::vector<uint32_t>().swap(pixels_);
  shown_ = Bitmap{};
  width_ = height_ = 0;
  ++version_;
}

PixelRect BitmapSurface::Clip(const PixelRect& r) const {
  const int64_t x0 = std::max<int64_t>(r.x, 0), y0 = std::max<int64_t>(r.y, 0);
  const int64_t x1 = std::min<int64_t>(int64_t(r.x) + r.w, width_), y1 = std::min<int64_t>(int64_t(r.y) + r.h, height_);
  if (x1 <= x0 || y1 <= y0) return PixelRect{};
  return PixelRect{int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
}

const Bitmap& BitmapSurface::Shown() {
  if (shownVersion_ == version_) return shown_;
  shownVersion_ = version_;
  shown_.width = width_, shown_.height = height_;
  shown_.pixels.resize(pixels_.size());
  for (size_t i = 0; i < pixels_.size(); ++i) {
    const uint32_t p = pixels_[i];
    shown_.pixels[i] = Premultiply(Rgba{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)});
  }
  return shown_;
}

PixelRect RectOf(double x, double y, double w, double h) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h) || w <= 0 || h <= 0)
    return PixelRect{};
  auto clamp = [](double v) { return static_cast<int>(std::clamp(std::floor(v), -1e8, 1e8)); };
  const int x0 = clamp(x), y0 = clamp(y);
  return PixelRect{x0, y0, std::max(0, clamp(x + w) - x0), std::max(0, clamp(y + h) - y0)};
}

void FillRect(BitmapSurface& s, const PixelRect& r, uint32_t argb) {
  const PixelRect c = s.Clip(r);
  const uint32_t v = s.Stored(argb);
  for (int y = 0; y < c.h; ++y) std::fill_n(&s.Pixels()[size_t(c.y + y) * s.Width() + c.x], c.w, v);
  s.Touch();
}

void SetPixel(BitmapSurface& s, int x, int y, uint32_t rgb) {
  if (!s.Inside(x, y)) return;
  uint32_t& p = s.Pixels()[size_t(y) * s.Width() + x];
  p = (p & 0xFF000000u) | (rgb & 0xFFFFFFu);
  s.Touch();
}

void SetPixel32(BitmapSurface& s, int x, int y, uint32_t argb) {
  if (!s.Inside(x, y)) return;
  s.Pixels()[size_t(y) * s.Width() + x] = s.Stored(argb);
  s.Touch();
}

void CopyPixels(BitmapSurface& dst, const BitmapSurface& src, const PixelRect& r, int dx, int dy,
                const BitmapSurface* alphaSource, int alphaX, int alphaY, bool merge) {
  const bool alpha = alphaSource && !alphaSource->Disposed();
  EachCopied(dst, src, r, dx, dy, [&](uint32_t d, uint32_t s, int sx, int sy) {
    if (alpha) {
      // The alpha bitmap's pixel for this one; outside it, nothing shows.
      const int ax = alphaX + (sx - r.x), ay = alphaY + (sy - r.y);
      const uint32_t k = alphaSource->Inside(ax, ay) ? alphaSource->Get(ax, ay) >> 24 : 0;
      s = ((((s >> 24) * k + 127) / 255) << 24) | (s & 0xFFFFFFu);
    }
    return merge ? BlendOver(s, d) : s;
  });
}

void CompositeOver(BitmapSurface& dst, const std::vector<uint32_t>& premultiplied, int width, int height,
                   const PixelRect& inside) {
  const PixelRect c = dst.Clip(inside);
  for (int y = c.y; y < c.y + c.h && y < height; ++y) {
    for (int x = c.x; x < c.x + c.w && x < width; ++x) {
      const uint32_t p = premultiplied[size_t(y) * width + x];
      if (!(p >> 24)) continue;
      const Rgba u = Unpremultiply(p);
      uint32_t& d = dst.Pixels()[size_t(y) * dst.Width() + x];
      d = dst.Stored(BlendOver(Pack(u.a, u.r, u.g, u.b), d));
    }
  }
  dst.Touch();
}

void ColorTransformRect(BitmapSurface& s, const PixelRect& r, const PixelTransform& t) {
  const PixelRect c = s.Clip(r);
  // A table per channel: 256 entries of what each value becomes.
  uint8_t table[4][256];
  const int order[4] = {3, 0, 1, 2};  // alpha, red, green, blue as stored
  for (int i = 0; i < 4; ++i) {
    const int k = order[i];
    for (int v = 0; v < 256; ++v) {
      const double out = v * t.mult[k] + t.add[k];
      table[i][v] = static_cast<uint8_t>(std::isfinite(out) ? std::clamp(out, 0.0, 255.0) : (out > 0 ? 255 : 0));
    }
  }
  for (int y = 0; y < c.h; ++y) {
    uint32_t* row = &s.Pixels()[size_t(c.y + y) * s.Width() + c.x];
    for (int x = 0; x < c.w; ++x) {
      const uint32_t p = row[x];
      row[x] = s.Stored(Pack(table[0][p >> 24], table[1][(p >> 16) & 0xFF], table[2][(p >> 8) & 0xFF], table[3][p & 0xFF]));
    }
  }
  s.Touch();
}

// Scanline filling with an explicit stack: each pixel is filled once, and
// the stack holds at most a few entries a row.
bool FloodFill(BitmapSurface& s, int x, int y, uint32_t argb) {
  if (!s.Inside(x, y)) return false;
  std::vector<uint32_t>& px = s.Pixels();
  const int w = s.Width(), h = s.Height();
  const uint32_t target = px[size_t(y) * w + x], fill = s.Stored(argb);
  if (target == fill) return true;
  std::vector<std::pair<int, int>> stack{{x, y}};
  while (!stack.empty()) {
    auto [sx, sy] = stack.back();
    stack.pop_back();
    uint32_t* row = &px[size_t(sy) * w];
    if (row[sx] != target) continue;
    int left = sx, right = sx;
    while (left > 0 && row[left - 1] == target) --left;
    while (right + 1 < w && row[right + 1] == target) ++right;
    std::fill(row + left, row + right + 1, fill);
    for (int ny : {sy - 1, sy + 1}) {
      if (ny < 0 || ny >= h) continue;
      const uint32_t* next = &px[size_t(ny) * w];
      for (int i = left; i <= right; ++i) {
        if (next[i] != target) continue;
        stack.emplace_back(i, ny);
        while (i <= right && next[i] == target) ++i;
      }
    }
  }
  s.Touch();
  return true;
}

int ThresholdOperation(const std::wstring& text) {
  static const wchar_t* const ops[] = {L"<", L"<=", L">", L">=", L"==", L"!="};
  for (int i = 0; i < 6; ++i)
    if (text == ops[i]) return i;
  return -1;
}

size_t Threshold(BitmapSurface& dst, const BitmapSurface& src, const PixelRect& r, int dx, int dy, int operation,
                 uint32_t threshold, uint32_t color, uint32_t mask, bool copySource) {
  size_t count = 0;
  const uint32_t t = threshold & mask;
  EachCopied(dst, src, r, dx, dy, [&](uint32_t d, uint32_t s, int, int) {
    const uint32_t v = s & mask;
    bool hit = false;
    switch (operation) {
      case 0: hit = v < t; break;
      case 1: hit = v <= t; break;
      case 2: hit = v > t; break;
      case 3: hit = v >= t; break;
      case 4: hit = v == t; break;
      default: hit = v != t; break;
    }
    if (hit) {
      ++count;
      return color;
    }
    return copySource ? s : d;
  });
  return count;
}

void Scroll(BitmapSurface& s, int dx, int dy) {
  if (s.Disposed()) return;
  CopyPixels(s, s, PixelRect{0, 0, s.Width(), s.Height()}, dx, dy, nullptr, 0, 0, false);
}

void CopyChannel(BitmapSurface& dst, const BitmapSurface& src, const PixelRect& r, int dx, int dy, int srcChannel,
                 int dstChannel) {
  auto shift = [](int channel) { return channel == 1 ? 16 : channel == 2 ? 8 : channel == 4 ? 0 : channel == 8 ? 24 : -1; };
  const int from = shift(srcChannel), to = shift(dstChannel);
  if (from < 0 || to < 0 || (to == 24 && !dst.Transparent())) return;
  EachCopied(dst, src, r, dx, dy, [&](uint32_t d, uint32_t s, int, int) {
    const uint32_t v = (s >> from) & 0xFF;
    return (d & ~(0xFFu << to)) | v << to;
  });
}

void Merge(BitmapSurface& dst, const BitmapSurface& src, const PixelRect& r, int dx, int dy, const int mult[4]) {
  int m[4];
  for (int i = 0; i < 4; ++i) m[i] = std::clamp(mult[i], 0, 256);
  EachCopied(dst, src, r, dx, dy, [&](uint32_t d, uint32_t s, int, int) {
    auto mix = [&](int shift, int k) {
      return ((((s >> shift) & 0xFF) * uint32_t(k) + ((d >> shift) & 0xFF) * uint32_t(256 - k)) >> 8) & 0xFF;
    };
    return mix(24, m[3]) << 24 | mix(16, m[0]) << 16 | mix(8, m[1]) << 8 | mix(0, m[2]);
  });
}

void PaletteMap(BitmapSurface& dst, const BitmapSurface& src, const PixelRect& r, int dx, int dy,
                const std::vector<uint32_t>* tables[4]) {
  const int shifts[4] = {16, 8, 0, 24};
  EachCopied(dst, src, r, dx, dy, [&](uint32_t, uint32_t s, int, int) {
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i) {
      const uint32_t v = (s >> shifts[i]) & 0xFF;
      out += tables[i] && v < tables[i]->size() ? (*tables[i])[v] : v << shifts[i];
    }
    return out;
  });
}

bool FilterPixels(BitmapSurface& dst, const BitmapSurface& src, const PixelRect& r, int dx, int dy,
                  const Filter& filter) {
  const PixelRect in = src.Clip(r);
  if (in.w <= 0 || in.h <= 0) return false;
  dx += in.x - r.x, dy += in.y - r.y;
  // The layer holds the rectangle grown by the reach, cut to what can still
  // reach the destination (its bounds as seen from the source) or the rectangle.
  const RECT reach = FilterReach(filter, 1.0);
  const int64_t sx = in.x, sy = in.y;  // the layer's origin in the source is (left, top)
  const int64_t reachL = std::min<int64_t>(reach.left, int64_t{1} << 24), reachT = std::min<int64_t>(reach.top, int64_t{1} << 24);
  const int64_t reachR = std::min<int64_t>(reach.right, int64_t{1} << 24), reachB = std::min<int64_t>(reach.bottom, int64_t{1} << 24);
  const int64_t dstL = sx - dx, dstT = sy - dy;  // the destination's origin in source coordinates
  const int64_t left = std::max(sx - reachL, std::min(sx, dstL));
  const int64_t top = std::max(sy - reachT, std::min(sy, dstT));
  const int64_t right = std::min(sx + in.w + reachR, std::max(sx + in.w, dstL + dst.Width()));
  const int64_t bottom = std::min(sy + in.h + reachB, std::max(sy + in.h, dstT + dst.Height()));
  const int64_t w = right - left, h = bottom - top;
  const int64_t kMaxLayer = int64_t{BitmapSurface::kMaxSide} * BitmapSurface::kMaxSide;
  if (w <= 0 || h <= 0 || w * h > kMaxLayer) return false;
  std::vector<uint32_t> layer(size_t(w * h), 0);
  const int ox = static_cast<int>(sx - left), oy = static_cast<int>(sy - top);
  for (int y = 0; y < in.h; ++y) {
    for (int x = 0; x < in.w; ++x) {
      const uint32_t p = src.Get(in.x + x, in.y + y);
      layer[size_t(oy + y) * size_t(w) + size_t(ox + x)] =
          Premultiply(Rgba{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)});
    }
  }
  RECT image{ox, oy, ox + in.w, oy + in.h};
  if (!ApplyFilter(filter, layer.data(), static_cast<int>(w), static_cast<int>(h), image, 1.0)) return false;
  // The layer's (x, y) lands on the destination's (x + left - dstL, y + top - dstT).
  const int64_t shiftX = left - dstL, shiftY = top - dstT;
  for (int64_t y = image.top; y < image.bottom; ++y) {
    for (int64_t x = image.left; x < image.right; ++x) {
      const int64_t tx = x + shiftX, ty = y + shiftY;
      if (tx < 0 || ty < 0 || tx >= dst.Width() || ty >= dst.Height()) continue;
      const Rgba u = Unpremultiply(layer[size_t(y) * size_t(w) + size_t(x)]);
      dst.Pixels()[size_t(ty) * dst.Width() + size_t(tx)] =
          dst.Stored(uint32_t(u.a) << 24 | uint32_t(u.r) << 16 | uint32_t(u.g) << 8 | u.b);
    }
  }
  dst.Touch();
  return true;
}

PixelRect ColorBounds(const BitmapSurface& s, uint32_t mask, uint32_t color, bool find) {
  int x0 = s.Width(), y0 = s.Height(), x1 = -1, y1 = -1;
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      if (((s.Get(x, y) & mask) == (color & mask)) != find) continue;
      x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
  }
  if (x1 < 0) return PixelRect{};
  return PixelRect{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

int Compare(const BitmapSurface& a, const BitmapSurface& b, std::vector<uint32_t>& out) {
  if (a.Width() != b.Width()) return -3;
  if (a.Height() != b.Height()) return -4;
  out.assign(a.Pixels().size(), 0);
  bool differ = false;
  for (size_t i = 0; i < out.size(); ++i) {
    const uint32_t p = a.Pixels()[i], q = b.Pixels()[i];
    if (p == q) continue;
    differ = true;
    if ((p & 0xFFFFFFu) != (q & 0xFFFFFFu)) {
      auto diff = [&](int shift) { return (((p >> shift) & 0xFF) - ((q >> shift) & 0xFF)) & 0xFF; };
      out[i] = 0xFF000000u | diff(16) << 16 | diff(8) << 8 | diff(0);
    } else {
      out[i] = ((((p >> 24) - (q >> 24)) & 0xFF) << 24) | 0xFFFFFFu;
    }
  }
  return differ ? 1 : 0;
}

}  // namespace flash
