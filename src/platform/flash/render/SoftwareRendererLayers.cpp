// The renderer's layers: objects with filters, blend modes, a background or
// bitmap caching drawn on a surface of their own, and the measuring walk that
// sizes that surface (see SoftwareRenderer.h).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/ErrorLog.h"
#include "platform/flash/play/ScriptDrawing.h"
#include "platform/flash/render/effects/BlendModes.h"
#include "platform/flash/render/effects/Filters.h"
#include "platform/flash/render/SoftwareRenderer.h"

namespace flash {
namespace {

constexpr int kMaxLayerDepth = 8;        // layers inside layers; deeper ones are drawn plainly
constexpr int kMaxSignatureNodes = 4096;  // entries a cached object may hold and still be kept

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}
bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
RECT Grow(const RECT& r, const RECT& by) { return RECT{r.left - by.left, r.top - by.top, r.right + by.right, r.bottom + by.bottom}; }
RECT Shift(const RECT& r, LONG dx, LONG dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }
bool Contains(const RECT& outer, const RECT& inner) {
  return Empty(inner) || (inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
                          inner.bottom <= outer.bottom);
}
LONG Pixel(double v) { return static_cast<LONG>(std::clamp(v, -1e8, 1e8)); }

// The box of what a layer holds (alpha above 0) within image: the alpha mode
// acts on the object's own pixels, not on the margin around them.
RECT Drawn(const uint32_t* pixels, int width, const RECT& image) {
  RECT box{image.right, image.bottom, image.left, image.top};
  for (LONG y = image.top; y < image.bottom; ++y)
    for (LONG x = image.left; x < image.right; ++x)
      if (pixels[size_t(y) * width + x] >> 24) {
        box.left = std::min(box.left, x), box.right = std::max(box.right, x + 1);
        box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y + 1);
      }
  return Empty(box) ? RECT{} : box;
}

uint64_t Mix(uint64_t h, uint64_t v) { return (h ^ (v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2))) * 0x100000001B3ull; }
uint64_t Bits(double d) {
  uint64_t u = 0;
  std::memcpy(&u, &d, sizeof u);
  return u;
}
uint64_t Mix(uint64_t h, const Matrix& m) {
  for (double v : {m.a, m.b, m.c, m.d}) h = Mix(h, Bits(v));
  return Mix(Mix(h, uint32_t(m.tx)), uint32_t(m.ty));
}
uint64_t Mix(uint64_t h, const ColorTransform& c) {
  for (int32_t v : {c.mr, c.mg, c.mb, c.ma, c.ar, c.ag, c.ab, c.aa}) h = Mix(h, uint32_t(v));
  return h;
}

// The reach of a filter list, one filter after another.
RECT ReachOf(const SurfaceEffects& effects, double scale) {
  RECT reach{0, 0, 0, 0};
  if (!effects.HasFilters()) return reach;
  for (const Filter& f : *effects.filters) {
    const RECT r = FilterReach(f, scale);
    reach = RECT{std::min(reach.left + r.left, 1L << 24), std::min(reach.top + r.top, 1L << 24),
                 std::min(reach.right + r.right, 1L << 24), std::min(reach.bottom + r.bottom, 1L << 24)};
  }
  return reach;
}

}  // namespace

void SoftwareRenderer::Paint(const ShapeData& shape, const Xform& m, const ColorTransform& cx, const Rgba* textColor,
                             DrawTarget* target) {
  if (!measuring_) {
    DrawShape(target ? *target : target_, shape, m, cx, textColor);
    return;
  }
  double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
  auto add = [&](double x, double y) {
    const double px = m.X(x, y), py = m.Y(x, y);
    lo[0] = std::min(lo[0], px), hi[0] = std::max(hi[0], px);
    lo[1] = std::min(lo[1], py), hi[1] = std::max(hi[1], py);
  };
  for (const ShapePath& path : shape.paths) {
    for (const Segment& s : path.segments) {
      add(s.x0, s.y0);
      add(s.x1, s.y1);
      if (s.curve) add(s.cx, s.cy);
    }
  }
  if (lo[0] > hi[0]) return;
  // Half the widest line (a hairline is a pixel), and a pixel for the edges' anti-aliasing.
  double line = 0;
  for (const LineStyle& l : shape.lines) line = std::max(line, double(l.width));
  const double axis = std::max({std::hypot(m.a, m.b), std::hypot(m.c, m.d), target_.stageScale});
  const double pad = (shape.lines.size() > 1 ? std::max(line * axis / 2, 1.0) : 0.0) + 1;
  MeasureBox(lo[0] - pad, lo[1] - pad, hi[0] + pad, hi[1] + pad);
}

void SoftwareRenderer::MeasureBox(double x0, double y0, double x1, double y1) {
  if (!(x0 <= x1) || !(y0 <= y1)) return;
  if (!measuredAny_) {
    measured_[0] = x0, measured_[1] = y0, measured_[2] = x1, measured_[3] = y1;
    measuredAny_ = true;
    return;
  }
  measured_[0] = std::min(measured_[0], x0), measured_[1] = std::min(measured_[1], y0);
  measured_[2] = std::max(measured_[2], x1), measured_[3] = std::max(measured_[3], y1);
}

bool SoftwareRenderer::Measure(const DrawFn& draw, double box[4]) {
  const bool was = measuring_, any = measuredAny_;
  double saved[4];
  std::copy(measured_, measured_ + 4, saved);
  const int budget = budget_;
  measuring_ = true;
  measuredAny_ = false;
  draw(ColorTransform{});
  const bool found = measuredAny_;
  std::copy(measured_, measured_ + 4, box);
  measuring_ = was;
  measuredAny_ = any;
  std::copy(saved, saved + 4, measured_);
  budget_ = budget;
  return found;
}

void SoftwareRenderer::DrawLayered(const SurfaceEffects& effects, const ColorTransform& cx, const Xform& device,
                                   const DisplayObject* entry, const DrawFn& draw) {
  if (target_.maskOut) return draw(cx);  // a mask takes the shape alone
  const double scale = FilterScale();
  const RECT reach = ReachOf(effects, scale);
  if (measuring_) {
    double box[4];
    const int budget = budget_;
    if (Measure(draw, box)) MeasureBox(box[0] - reach.left, box[1] - reach.top, box[2] + reach.right, box[3] + reach.bottom);
    budget_ = budget;
    return;
  }
  Settle();  // a layer is laid on the pixels below it
  const bool keep = entry && (effects.cacheAsBitmap || effects.HasFilters());
  uint64_t signature = 0;
  int nodes = 0;
  bool steady = false;  // the same as at the last paint, moved by whole pixels only
  if (keep) {
    signature = Signature(*entry, nodes, 0);
    if (const CachedSurface* kept = entry->cache.get(); kept && kept->signature == signature && nodes <= kMaxSignatureNodes &&
                                                         kept->a == device.a && kept->b == device.b &&
                                                         kept->c == device.c && kept->d == device.d) {
      const double sx = device.tx - kept->tx, sy = device.ty - kept->ty;
      const LONG dx = Pixel(std::round(sx)), dy = Pixel(std::round(sy));
      steady = std::fabs(sx - dx) < 1e-6 && std::fabs(sy - dy) < 1e-6;
      if (steady && !kept->pixels.empty()) {
        const RECT layer = Shift(kept->layer, dx, dy);
        const RECT needed = Intersect(Grow(Shift(kept->content, dx, dy), reach), Grow(target_.clip, reach));
        if (Contains(layer, needed)) {
          ++layersReused_;
          CompositeLayer(canvas_, target_.clip, LayerPixels{kept->pixels.data(), kept->width, kept->height, layer.left, layer.top},
                         kept->image, effects.blend, cx, layerDepth_ > 0);
          return;
        }
      }
    }
  } else if (entry && entry->cache) {
    entry->cache.reset();
  }
  if (layerDepth_ >= kMaxLayerDepth) return draw(cx);
  double box[4];
  if (!Measure(draw, box)) return;
  const RECT content{Pixel(std::floor(box[0])) - 1, Pixel(std::floor(box[1])) - 1, Pixel(std::ceil(box[2])) + 1,
                     Pixel(std::ceil(box[3])) + 1};
  const RECT layer = Intersect(Grow(content, reach), Grow(target_.clip, reach));
  if (Empty(layer)) return;
  const int w = int(layer.right - layer.left), h = int(layer.bottom - layer.top);
  uint64_t work = uint64_t(w) * uint64_t(h) * 4;
  if (effects.HasFilters())
    for (const Filter& f : *effects.filters) work += FilterWork(f, w, h, scale);
  if (w > kMaxLayerSide || h > kMaxLayerSide || work > effectBudget_) {
    // Too large, or the paint has done its share of filtering: drawn without its effects.
    if (!warnedEffects_) {
      WriteLog(L"Movie: an object's filters or blend mode were left out (" + std::to_wstring(w) + L" x " +
               std::to_wstring(h) + L" pixels, " + (work > effectBudget_ ? L"past the paint's filter budget)" : L"larger than 2880 pixels a side)"));
      warnedEffects_ = true;
    }
    return draw(cx);
  }
  effectBudget_ -= work;
  if (layerBuffers_.size() < size_t(kMaxLayerDepth)) layerBuffers_.resize(kMaxLayerDepth);  // never moves again
  std::vector<uint32_t>& buffer = layerBuffers_[size_t(layerDepth_)];
  buffer.assign(size_t(w) * h, 0);
  RECT image = Shift(Intersect(content, layer), -layer.left, -layer.top);
  if (effects.opaqueBackground) {
    const uint32_t fill = 0xFF000000u | (*effects.opaqueBackground & 0xFFFFFF);
    for (LONG y = image.top; y < image.bottom; ++y) std::fill_n(&buffer[size_t(y) * w + image.left], image.right - image.left, fill);
  }
  {
    // Drawn on the layer as on the canvas: the same view moved to the layer's corner, no mask.
    const PixelCanvas canvas = canvas_;
    const DrawTarget target = target_;
    const StageView view = view_;
    canvas_ = PixelCanvas{w, h, buffer.data(), nullptr};
    view_.left -= layer.left, view_.top -= layer.top;
    target_.clip = RECT{0, 0, w, h};
    target_.bands = nullptr;  // a layer's fills are painted as they come
    ++layerDepth_;
    draw(ColorTransform{});
    --layerDepth_;
    canvas_ = canvas;
    target_ = target;
    view_ = view;
  }
  if (effects.HasFilters())
    for (const Filter& f : *effects.filters) ApplyFilter(f, buffer.data(), w, h, image, scale);
  if (effects.blend == BlendMode::Alpha) image = Drawn(buffer.data(), w, image);
  ++layersDrawn_;
  CompositeLayer(canvas_, target_.clip, LayerPixels{buffer.data(), w, h, layer.left, layer.top}, image, effects.blend, cx,
                 layerDepth_ > 0);
  if (!entry) return;
  entry->cache.reset();
  if (!keep || nodes > kMaxSignatureNodes) return;
  // The pixels are kept from the second paint that finds the object the same;
  // the first leaves a note of what it drew, so what changes every frame is
  // never copied.
  const bool pixels = steady && ledger_->pixels + buffer.size() <= kCacheBudget;
  auto kept = std::make_shared<CachedSurface>(ledger_, pixels ? std::vector<uint32_t>(buffer) : std::vector<uint32_t>{},
                                              pixels ? w : 0, pixels ? h : 0);
  kept->layer = layer, kept->content = content, kept->image = image;
  kept->a = device.a, kept->b = device.b, kept->c = device.c, kept->d = device.d, kept->tx = device.tx, kept->ty = device.ty;
  kept->signature = signature;
  entry->cache = std::move(kept);
}

void SoftwareRenderer::DrawTextOnLayer(const uint32_t* sheet, const RECT& box, Rgba color) {
  const uint32_t ink = Premultiply(color);
  const int w = int(box.right - box.left);
  const RECT part = Intersect(box, Intersect(target_.clip, RECT{0, 0, canvas_.width, canvas_.height}));
  for (LONG y = part.top; y < part.bottom; ++y) {
    const uint32_t* row = sheet + size_t(y - box.top) * w - box.left;
    for (LONG x = part.left; x < part.right; ++x) {
      const uint32_t p = row[x];
      const uint32_t coverage = std::max({p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF});
      if (coverage) canvas_.Blend(int(x), int(y), ink, coverage);
    }
  }
}

// What a kept layer was drawn from: the entry and everything below it, as
// far as drawing goes (its own place and colour are applied afterwards).
uint64_t SoftwareRenderer::Signature(const DisplayObject& e, int& nodes, int nesting) const {
  uint64_t h = Mix(Mix(0xCBF29CE484222325ull, movie_ ? movie_->serial : 0), e.character);
  h = Mix(h, reinterpret_cast<uintptr_t>(e.character && movie_ ? Lookup(e.character) : nullptr));
  h = Mix(Mix(Mix(h, e.ratio), StateOf(e)), e.visible);
  h = Mix(Mix(h, target_.antialias), target_.smoothBitmaps);
  h = Mix(h, reinterpret_cast<uintptr_t>(e.effects.filters.get()));
  h = Mix(h, e.effects.opaqueBackground.value_or(0xFF000000u));
  if (e.text) h = Mix(Mix(h, reinterpret_cast<uintptr_t>(e.text.get())), e.text->version);
  h = Mix(h, reinterpret_cast<uintptr_t>(e.video.get()));
  if (e.clip) h = Mix(h, ClipSignature(*e.clip, nodes, nesting + 1));
  return h;
}

uint64_t SoftwareRenderer::ClipSignature(const Clip& clip, int& nodes, int nesting) const {
  uint64_t h = Mix(Mix(Mix(0x84222325CBF29CE4ull, uint32_t(clip.timeline)), uint32_t(clip.frame)),
                   reinterpret_cast<uintptr_t>(clip.movie));
  if (clip.drawing) h = Mix(Mix(h, reinterpret_cast<uintptr_t>(clip.drawing.get())), clip.drawing->Version());
  h = Mix(h, reinterpret_cast<uintptr_t>(clip.mask));
  if (nesting > 32) {
    nodes = kMaxSignatureNodes + 1;  // too deep to be kept
    return h;
  }
  for (const auto& [depth, obj] : clip.objects) {
    if (++nodes > kMaxSignatureNodes) return h;
    h = Mix(Mix(Mix(Mix(h, uint32_t(depth)), obj.matrix), obj.color), obj.clipDepth);
    h = Mix(Mix(h, uint8_t(obj.effects.blend)), obj.effects.cacheAsBitmap);
    h = Mix(h, Signature(obj, nodes, nesting));
  }
  return h;
}

}  // namespace flash
