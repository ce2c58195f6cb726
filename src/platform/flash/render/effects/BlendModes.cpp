#include "platform/flash/render/effects/BlendModes.h"

#include <algorithm>
#include <cmath>

namespace flash {
namespace {

float HardLight(float s, float d) { return s <= 0.5f ? 2 * s * d : 1 - 2 * (1 - s) * (1 - d); }

float Separable(BlendMode mode, float s, float d) {
  switch (mode) {
    case BlendMode::Multiply: return s * d;
    case BlendMode::Screen: return s + d - s * d;
    case BlendMode::Lighten: return std::max(s, d);
    case BlendMode::Darken: return std::min(s, d);
    case BlendMode::Difference: return std::fabs(s - d);
    case BlendMode::Add: return std::min(1.0f, s + d);
    case BlendMode::Subtract: return std::max(0.0f, d - s);
    case BlendMode::Overlay: return HardLight(d, s);
    case BlendMode::HardLight: return HardLight(s, d);
    default: return s;
  }
}

uint8_t Byte(float v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

uint32_t SeparableBlend(BlendMode mode, uint32_t src, uint32_t dst) {
  const float as = float(src >> 24) / 255, ad = float(dst >> 24) / 255;
  if (as <= 0) return dst;
  if (ad <= 0) return src;
  const float ao = as + ad - as * ad;
  uint32_t out = uint32_t(Byte(ao * 255)) << 24;
  for (int shift = 0; shift <= 16; shift += 8) {
    const float cs = float((src >> shift) & 0xFF) / 255, cd = float((dst >> shift) & 0xFF) / 255;
    const float b = Separable(mode, std::min(cs / as, 1.0f), std::min(cd / ad, 1.0f));
    const float co = cs * (1 - ad) + cd * (1 - as) + as * ad * b;
    out |= uint32_t(std::min(Byte(co * 255), Byte(ao * 255))) << shift;
  }
  return out;
}

}  // namespace

uint32_t BlendPixel(BlendMode mode, uint32_t src, uint32_t dst) {
  const uint32_t as = src >> 24;
  switch (mode) {
    case BlendMode::Normal:
    case BlendMode::Layer: return Over(src, dst);
    case BlendMode::Alpha: return Mul255(dst, as);
    case BlendMode::Erase: return Mul255(dst, 255 - as);
    case BlendMode::Invert: {
      // The backdrop's premultiplied inverse (ad - cd) where the source covers it.
      const uint32_t ad = dst >> 24;
      uint32_t inverse = ad << 24;
      for (int shift = 0; shift <= 16; shift += 8) inverse |= (ad - std::min(ad, (dst >> shift) & 0xFF)) << shift;
      return Mul255(dst, 255 - as) + Mul255(inverse, as);
    }
    default: return SeparableBlend(mode, src, dst);
  }
}

void CompositeLayer(PixelCanvas& canvas, const RECT& clip, const LayerPixels& layer, const RECT& part, BlendMode mode,
                    const ColorTransform& cx, bool onLayer) {
  if (!onLayer && (mode == BlendMode::Alpha || mode == BlendMode::Erase)) return;
  const LONG left = std::max({clip.left, LONG(part.left + layer.left), 0L});
  const LONG top = std::max({clip.top, LONG(part.top + layer.top), 0L});
  const LONG right = std::min({clip.right, LONG(part.right + layer.left), LONG(canvas.width)});
  const LONG bottom = std::min({clip.bottom, LONG(part.bottom + layer.top), LONG(canvas.height)});
  const bool transform = !IsIdentity(cx);
  const bool over = mode == BlendMode::Normal || mode == BlendMode::Layer;
  for (LONG y = top; y < bottom; ++y) {
    const uint32_t* src = layer.pixels + size_t(y - layer.top) * layer.width;
    uint32_t* dst = canvas.pixels + size_t(y) * canvas.width;
    const uint8_t* mask = canvas.mask ? canvas.mask + size_t(y) * canvas.width : nullptr;
    for (LONG x = left; x < right; ++x) {
      uint32_t s = src[x - layer.left];
      if (transform && s) s = Premultiply(Transform(cx, Unpremultiply(s)));
      if (mode == BlendMode::Alpha) {
        // Where a mask leaves the layer out, the backdrop stays as it is.
        const uint32_t k = mask ? mask[x] : 255;
        dst[x] = Mul255(dst[x], ((s >> 24) * k + 127) / 255 + 255 - k);
        continue;
      }
      if (mask) s = Mul255(s, mask[x]);
      if (!s) continue;
      dst[x] = over ? Over(s, dst[x]) : BlendPixel(mode, s, dst[x]);
    }
  }
}

}  // namespace flash
