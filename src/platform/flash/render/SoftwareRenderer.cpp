#include "platform/flash/render/SoftwareRenderer.h"

#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/render/BitmapSurface.h"
#include "platform/flash/play/DeviceText.h"
#include "platform/flash/play/TextLayout.h"
#include "platform/flash/render/ScalingGrid.h"
#include "platform/flash/render/TextHinting.h"

#include <algorithm>
#include <cmath>

namespace flash {
namespace {

constexpr int kMaxNesting = 32;      // sprites and buttons inside one another
constexpr int kMaxMasks = 8;         // clip layers in force at once; deeper ones are not applied
constexpr int kMaskBudget = 256;     // clip layers one paint applies; later ones are not


RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

// The device rectangle around a rectangle of twips under a transform.
RECT DeviceBounds(const RECT& twips, const Xform& m) {
  double xs[4], ys[4];
  const double px[4] = {double(twips.left), double(twips.right), double(twips.left), double(twips.right)};
  const double py[4] = {double(twips.top), double(twips.top), double(twips.bottom), double(twips.bottom)};
  for (int i = 0; i < 4; ++i) xs[i] = m.X(px[i], py[i]), ys[i] = m.Y(px[i], py[i]);
  auto lo = [](const double* v) { return std::clamp(std::floor(*std::min_element(v, v + 4)), -1e9, 1e9); };
  auto hi = [](const double* v) { return std::clamp(std::ceil(*std::max_element(v, v + 4)), -1e9, 1e9); };
  return RECT{static_cast<LONG>(lo(xs)), static_cast<LONG>(lo(ys)), static_cast<LONG>(hi(xs)), static_cast<LONG>(hi(ys))};
}

}  // namespace

Xform SoftwareRenderer::ToDevice(const Matrix& world) const {
  const Xform view{view_.scaleX, 0, 0, view_.scaleY, view_.left, view_.top};
  return view * Xform::From(world);
}

void SoftwareRenderer::Settle() {
  if (frameBands_) frameBands_->Settle();
}

void SoftwareRenderer::Forget() {
  Settle();
  ramps_.Clear();
  shapes_.Clear(), bitmaps_.clear(), fonts_.clear();
  texts_.clear(), editTexts_.clear(), buttons_.clear();
  bitmapPixels_ = 0;
  videos_.clear();
}

void SoftwareRenderer::Use(const MovieDefinition& movie) {
  if (movie.serial == 0 || !seen_.count(movie.serial)) {
    Forget();
    seen_.insert(movie.serial);
  }
  movie_ = &movie;
}

void SoftwareRenderer::DropSurface() {
  if (frameBands_) frameBands_->Drop();
  selected_.reset();
  surface_.reset();
  surfaceDC_ = ScopedMemoryDC();
  surfaceW_ = surfaceH_ = 0;
  canvas_.pixels = nullptr;
  surfacePixels_ = nullptr;
  std::vector<std::vector<uint8_t>>().swap(masks_);
  std::vector<std::vector<uint32_t>>().swap(layerBuffers_);
}

bool SoftwareRenderer::Begin(HDC dc, const MovieDefinition& movie, const FrameView& frame, int left, int top) {
  if (frameBands_) frameBands_->Drop();  // held fills of a paint that did not end are not painted
  if (!dc || frame.width <= 0 || frame.height <= 0 ||
      uint64_t(frame.width) * uint64_t(frame.height) > maxSurfacePixels_)
    return false;
  Use(movie);
  if (!surface_ || surfaceW_ != frame.width || surfaceH_ != frame.height) {
    selected_.reset();
    surface_.reset();
    surfaceDC_ = ScopedMemoryDC(dc);
    if (!surfaceDC_) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = frame.width;
    info.bmiHeader.biHeight = -frame.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    surface_ = ScopedBitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!surface_ || !bits) {
      DropSurface();
      return false;
    }
    selected_ = std::make_unique<ScopedSelect>(surfaceDC_.get(), surface_.get());
    surfaceW_ = frame.width, surfaceH_ = frame.height;
    canvas_.pixels = static_cast<uint32_t*>(bits);
    surfacePixels_ = canvas_.pixels;
  }
  canvas_.width = frame.width, canvas_.height = frame.height, canvas_.mask = nullptr;
  bandLeft_ = left, bandTop_ = top;
  BitBlt(surfaceDC_.get(), 0, 0, frame.width, frame.height, dc, left, top, SRCCOPY);
  GdiFlush();
  // What lies below is opaque whatever the DC's alpha bytes held.
  const size_t n = size_t(frame.width) * frame.height;
  for (size_t i = 0; i < n; ++i) canvas_.pixels[i] |= 0xFF000000u;
  view_ = frame.view;
  target_.canvas = &canvas_;
  target_.raster = &raster_;
  if (!banded_) banded_ = std::make_unique<BandedFill>(PaintPool::MachineThreads());
  target_.banded = banded_.get();
  if (!frameBands_) frameBands_ = std::make_unique<FrameBands>(banded_->Pool());
  target_.bands = frameBands_.get();
  target_.ramps = &ramps_;
  target_.clip = Intersect(frame.clip, RECT{0, 0, frame.width, frame.height});
  target_.antialias = frame.quality >= kQualityMedium;
  target_.smoothBitmaps = frame.quality >= kQualityHigh;
  target_.maskOut = nullptr;
  target_.stageScale = (std::fabs(view_.scaleX) + std::fabs(view_.scaleY)) / 2;
  masksInForce_ = 0;
  masksLeft_ = kMaskBudget;
  target_.bitmaps = [this](uint16_t id) { return BitmapOf(id); };
  budget_ = kDrawBudget;
  chain_.clear();
  measuring_ = false;
  layerDepth_ = 0;
  effectBudget_ = kEffectBudget;
  return true;
}

void SoftwareRenderer::End(HDC dc) {
  Settle();
  GdiFlush();
  BitBlt(dc, bandLeft_, bandTop_, canvas_.width, canvas_.height, surfaceDC_.get(), 0, 0, SRCCOPY);
  movie_ = nullptr;
}

void SoftwareRenderer::DrawObject(HDC dc, const MovieDefinition& movie, const DisplayObject& object,
                                  const Matrix& world, const ColorTransform& color, const StageView& view,
                                  int quality) {
  RECT box{};
  GetClipBox(dc, &box);
  FrameView frame{box.right, box.bottom, box, view, quality};
  if (!Begin(dc, movie, frame, 0, 0)) return;
  frame_ = 0;
  DrawCharacter(object.character, object.ratio, world, color, nullptr, StateOf(object), 0);
  End(dc);
}

// Bands as wide as the frame and as many rows as the surface holds (parts of
// a row when one row is too long); bands outside the clip are skipped.
bool SoftwareRenderer::DrawFrame(HDC dc, const MovieDefinition& movie, const Clip& root, const Matrix& origin,
                                 const FrameView& frame) {
  if (!dc || frame.width <= 0 || frame.height <= 0) return false;
  const uint64_t limit = std::max<uint64_t>(maxSurfacePixels_, 1);
  const int bandW = static_cast<int>(std::min<uint64_t>(uint64_t(frame.width), limit));
  const int bandH = static_cast<int>(std::min<uint64_t>(uint64_t(frame.height), limit / uint64_t(bandW)));
  const RECT whole = Intersect(frame.clip, RECT{0, 0, frame.width, frame.height});
  bool drawn = true;
  for (int top = 0; top < frame.height; top = frame.height - top > bandH ? top + bandH : frame.height) {
    for (int left = 0; left < frame.width; left = frame.width - left > bandW ? left + bandW : frame.width) {
      const RECT band{left, top, left + std::min(bandW, frame.width - left), top + std::min(bandH, frame.height - top)};
      const RECT part = Intersect(whole, band);
      if (part.right <= part.left || part.bottom <= part.top) continue;
      FrameView view = frame;
      view.width = bandW, view.height = bandH;
      view.clip = RECT{part.left - left, part.top - top, part.right - left, part.bottom - top};
      view.view.left -= left, view.view.top -= top;
      if (!Begin(dc, movie, view, left, top)) {
        drawn = false;
        continue;
      }
      frame_ = root.frame;
      origin_ = origin;
      maskClips_.clear();
      CollectMasks(root, maskClips_, 0);
      if (bitmapPixels_ >= kBitmapBudget) DropSupersededBitmaps();
      DrawList(root, origin, ColorTransform{}, 0);
      End(dc);
    }
  }
  if (bandW < frame.width || bandH < frame.height) DropSurface();  // a banded paint keeps no large surface
  return drawn;
}

// A clip's list, drawn from the dictionary of the movie the clip shows.
void SoftwareRenderer::DrawList(const Clip& clip, const Matrix& m, const ColorTransform& cx, int nesting) {
  if (nesting > kMaxNesting) return;
  const MovieDefinition* movie = movie_;
  const int frame = frame_;
  if (clip.movie && clip.movie != movie_) Use(*clip.movie);
  if (clip.home) frame_ = clip.home->frame;
  DrawListOf(clip, m, cx, nesting);
  movie_ = movie;
  frame_ = frame;
}

void SoftwareRenderer::DrawListOf(const Clip& clip, const Matrix& m, const ColorTransform& cx, int nesting) {
  if (clip.drawing && !clip.drawing->Empty() && budget_ > 0) {
    --budget_;
    // Bitmap fills of a drawing show the script's bitmaps it holds.
    DrawTarget target = target_;
    const ScriptDrawing* drawing = clip.drawing.get();
    target.bitmaps = [drawing](uint16_t id) { return drawing->BitmapOf(id); };
    Paint(drawing->Shape(), ToDevice(m), cx, nullptr, &target);
  }
  struct Layer {
    int32_t until;
    const uint8_t* mask;
    const uint8_t* below;
  };
  std::vector<Layer> layers;
  auto drop = [&](int32_t depth) {
    while (!layers.empty() && layers.back().until < depth) {
      canvas_.mask = layers.back().below;
      layers.pop_back();
      --masksInForce_;
    }
  };
  for (const auto& [depth, obj] : clip.objects) {
    drop(depth);
    if (!obj.visible) continue;
    if (obj.clip && std::find(maskClips_.begin(), maskClips_.end(), obj.clip.get()) != maskClips_.end()) continue;
    const Matrix world = Concat(m, obj.matrix);
    const ColorTransform color = Concat(cx, obj.color);
    if (obj.clipDepth > 0) {
      // A clip layer inside a mask draws nothing. Masks in force are nested, so
      // each level has its buffer, kept from paint to paint.
      if (measuring_ || target_.maskOut || masksInForce_ >= kMaxMasks || masksLeft_ <= 0) continue;
      --masksLeft_;
      if (masks_.size() <= size_t(masksInForce_)) masks_.resize(size_t(masksInForce_) + 1);
      std::vector<uint8_t>& mask = masks_[size_t(masksInForce_)];
      Settle();
      mask.assign(size_t(canvas_.width) * canvas_.height, 0);
      target_.maskOut = mask.data();
      DrawCharacter(obj.character, obj.ratio, world, color, obj.clip.get(), StateOf(obj), nesting, &obj.matrix);
      target_.maskOut = nullptr;
      layers.push_back(Layer{obj.clipDepth, mask.data(), canvas_.mask});
      canvas_.mask = mask.data();
      ++masksInForce_;
      continue;
    }
    // A clip with a mask set by a script shows only where its mask draws,
    // and one with a scroll rectangle only that rectangle, moved to its origin.
    const uint8_t* below = canvas_.mask;
    const bool masked = obj.clip && obj.clip->mask && PushClipMask(*obj.clip, cx, nesting);
    const bool scrolled = obj.clip && obj.clip->scrolled && PushScrollMask(*obj.clip, world);
    Matrix shown = world;
    if (obj.clip && obj.clip->scrolled) {
      const double* r = obj.clip->scrollRect;
      shown = Concat(world, Matrix{1, 0, 0, 1, static_cast<int32_t>(std::lround(-r[0] * 20)),
                                   static_cast<int32_t>(std::lround(-r[1] * 20))});
    }
    if (obj.effects.NeedsLayer() || obj.effects.cacheAsBitmap) {
      DrawLayered(obj.effects, color, ToDevice(shown), &obj,
                  [&](const ColorTransform& c) { DrawEntry(obj, shown, c, nesting); });
    } else if (const Character* ch = &clip == gridClip_ && !obj.clip && !obj.text ? Lookup(obj.character) : nullptr;
               ch && IsShape(ch->tagCode)) {
      gridWarp_.inner = Xform::From(obj.matrix);
      target_.warp = &gridWarp_;
      DrawEntry(obj, shown, color, nesting);
      target_.warp = nullptr;
    } else {
      DrawEntry(obj, shown, color, nesting);
    }
    if (scrolled) --masksInForce_;
    if (masked) --masksInForce_;
    if (masked || scrolled) canvas_.mask = below;
  }
  masksInForce_ -= static_cast<int>(layers.size());
  if (!layers.empty()) canvas_.mask = layers.front().below;
}

void SoftwareRenderer::DrawEntry(const DisplayObject& obj, const Matrix& world, const ColorTransform& cx, int nesting) {
  if (obj.text) {
    if (budget_ <= 0) return;
    --budget_;
    DrawField(*obj.text, ToDevice(world), cx, obj.character ? SettingsOf(obj.character) : nullptr);
  } else if (obj.clip && obj.clip->timeline < 0) {
    DrawList(*obj.clip, world, cx, nesting + 1);  // a clip a script made empty, or one showing a loaded movie
  } else if (obj.bitmap) {
    // A script's bitmap at its own size, as its pixels are now.
    if (budget_ <= 0 || obj.bitmap->Disposed()) return;
    --budget_;
    const Bitmap& picture = obj.bitmap->Shown();
    DrawPicture(picture, picture.width * 20.0f, picture.height * 20.0f, obj.bitmapSmoothing, world, cx);
  } else if (obj.video && obj.video->width > 0 && obj.video->height > 0) {
    // A picture a script attached, in the video's rectangle (else at its own size).
    if (budget_ <= 0) return;
    --budget_;
    auto& videos = videos_[movie_];
    if (!videos) videos = std::make_unique<MovieVideos>(*movie_);
    const VideoStreamInfo* info = videos->Info(obj.character);
    const float w = static_cast<float>((info && info->width ? info->width : obj.video->width) * 20);
    const float h = static_cast<float>((info && info->height ? info->height : obj.video->height) * 20);
    DrawPicture(*obj.video, w, h, obj.videoSmoothing, world, cx);
  } else {
    DrawCharacter(obj.character, obj.ratio, world, cx, obj.clip.get(), StateOf(obj), nesting, &obj.matrix);
  }
}

// Draws the mask of target's clip into the next mask level and puts it in force.
bool SoftwareRenderer::PushClipMask(const Clip& target, const ColorTransform& cx, int nesting) {
  const MovieClipObject* maskObject = target.mask;
  const Clip* mask = maskObject ? maskObject->TheClip() : nullptr;
  if (!mask || !mask->entry || measuring_ || target_.maskOut || masksInForce_ >= kMaxMasks || masksLeft_ <= 0)
    return false;
  --masksLeft_;
  if (masks_.size() <= size_t(masksInForce_)) masks_.resize(size_t(masksInForce_) + 1);
  std::vector<uint8_t>& buffer = masks_[size_t(masksInForce_)];
  Settle();
  buffer.assign(size_t(canvas_.width) * canvas_.height, 0);
  Matrix world = mask->entry->matrix;
  int hops = 0;
  for (const Clip* c = mask->parent; c && c->entry && hops < kMaxNesting; c = c->parent, ++hops)
    world = Concat(c->entry->matrix, world);
  target_.maskOut = buffer.data();
  DrawEntry(*mask->entry, Concat(origin_, world), cx, nesting);
  target_.maskOut = nullptr;
  canvas_.mask = buffer.data();
  ++masksInForce_;
  return true;
}

// The scroll rectangle of a clip (its size at the clip's origin) as the next mask level.
bool SoftwareRenderer::PushScrollMask(const Clip& clip, const Matrix& world) {
  if (measuring_ || target_.maskOut || masksInForce_ >= kMaxMasks || masksLeft_ <= 0) return false;
  --masksLeft_;
  if (masks_.size() <= size_t(masksInForce_)) masks_.resize(size_t(masksInForce_) + 1);
  std::vector<uint8_t>& buffer = masks_[size_t(masksInForce_)];
  Settle();
  buffer.assign(size_t(canvas_.width) * canvas_.height, 0);
  const float w = static_cast<float>(std::clamp(clip.scrollRect[2] * 20, 0.0, 1e8));
  const float h = static_cast<float>(std::clamp(clip.scrollRect[3] * 20, 0.0, 1e8));
  ShapeData rect;
  rect.fills = {FillStyle{}, FillStyle{}};
  ShapePath path;
  path.fill1 = 1;
  path.segments = {{0, 0, 0, 0, w, 0, false}, {w, 0, 0, 0, w, h, false}, {w, h, 0, 0, 0, h, false}, {0, h, 0, 0, 0, 0, false}};
  rect.paths.push_back(std::move(path));
  target_.maskOut = buffer.data();
  DrawShape(target_, rect, ToDevice(world), ColorTransform{});
  target_.maskOut = nullptr;
  canvas_.mask = buffer.data();
  ++masksInForce_;
  return true;
}

void SoftwareRenderer::CollectMasks(const Clip& clip, std::vector<const Clip*>& out, int nesting) {
  if (nesting > kMaxNesting) return;
  if (clip.mask && clip.mask->TheClip()) out.push_back(clip.mask->TheClip());
  for (const auto& [depth, obj] : clip.objects)
    if (obj.clip) CollectMasks(*obj.clip, out, nesting + 1);
}

uint8_t SoftwareRenderer::StateOf(const DisplayObject& object) const {
  return object.buttonState == kButtonUp ? buttonState_ : object.buttonState;
}

void SoftwareRenderer::DrawCharacter(uint16_t id, uint16_t ratio, const Matrix& world, const ColorTransform& cx,
                                     const Clip* clip, uint8_t buttonState, int nesting, const Matrix* own) {
  if (nesting > kMaxNesting || budget_ <= 0) return;
  --budget_;
  const Character* ch = Lookup(id);
  if (!ch) return;
  const SwfTag tag = ch->tagCode;
  if (IsShape(tag) || IsMorph(tag)) {
    if (const ShapeData* shape = shapes_.ShapeOf(*ch, ratio)) Paint(*shape, ToDevice(world), cx);
    return;
  }
  if (tag == SwfTag::DefineText || tag == SwfTag::DefineText2) return DrawGlyphText(*ch, ToDevice(world), cx);
  if (tag == SwfTag::DefineEditText) return DrawEditText(*ch, ToDevice(world), cx);
  if (tag == SwfTag::DefineVideoStream) return DrawVideo(id, ratio, world, cx);
  const bool button = tag == SwfTag::DefineButton || tag == SwfTag::DefineButton2;
  if (!button && tag != SwfTag::DefineSprite) return;
  if (std::find(chain_.begin(), chain_.end(), ch) != chain_.end()) return;  // inside itself: drawn once
  chain_.push_back(ch);
  if (button) {
    DrawButton(*ch, world, cx, buttonState, nesting, own);
  } else if (clip) {
    const Clip* outerGrid = gridClip_;
    const GridWarp outerWarp = gridWarp_;
    GridWarp warp;
    gridClip_ = GridOf(id, *clip, world, warp) ? clip : nullptr;
    if (gridClip_) gridWarp_ = warp;
    DrawList(*clip, world, cx, nesting + 1);
    gridClip_ = outerGrid, gridWarp_ = outerWarp;
  } else {
    DrawStaticSprite(*ch, world, cx, nesting + 1);
  }
  chain_.pop_back();
}

// A button's parts in its state; with a scaling grid, the shapes among them
// keep the grid's corners (the grid spans the shapes of all its states).
void SoftwareRenderer::DrawButton(const Character& ch, const Matrix& world, const ColorTransform& cx,
                                  uint8_t buttonState, int nesting, const Matrix* own) {
  auto it = buttons_.find(&ch);
  if (it == buttons_.end()) it = buttons_.emplace(&ch, ReadButtonParts(ch)).first;
  GridWarp warp;
  bool grid = false;
  const auto defined = movie_->scalingGrids.find(ch.id);
  if (own && defined != movie_->scalingGrids.end()) {
    GridBounds content;
    for (const ButtonPart& part : it->second)
      if (const Character* shape = Lookup(part.character)) content.AddShape(*shape, part.matrix);
    grid = MakeGridWarp(defined->second, content, *own, ToDevice(world), warp);
  }
  for (const ButtonPart& part : it->second) {
    if (!(part.states & buttonState)) continue;
    const Matrix placed = Concat(world, part.matrix);
    auto draw = [&](const ColorTransform& c) {
      DrawCharacter(part.character, 0, placed, c, nullptr, buttonState_, nesting + 1, &part.matrix);
    };
    const Character* shape = grid ? Lookup(part.character) : nullptr;
    if (part.effects.NeedsLayer()) {
      DrawLayered(part.effects, Concat(cx, part.color), ToDevice(placed), nullptr, draw);
    } else if (shape && IsShape(shape->tagCode)) {
      warp.inner = Xform::From(part.matrix);
      const GridWarp* outer = target_.warp;
      target_.warp = &warp;
      draw(Concat(cx, part.color));
      target_.warp = outer;
    } else {
      draw(Concat(cx, part.color));
    }
  }
}

bool SoftwareRenderer::GridOf(uint16_t id, const Clip& clip, const Matrix& world, GridWarp& warp) const {
  const auto defined = movie_->scalingGrids.find(id);
  if (!clip.entry || (!clip.entry->scale9Grid && defined == movie_->scalingGrids.end())) return false;
  const RECT& g = clip.entry->scale9Grid ? *clip.entry->scale9Grid : defined->second;
  // The content's bounds: the shapes the sprite shows, in its own twips.
  GridBounds content;
  for (const auto& [depth, obj] : clip.objects)
    if (const Character* ch = obj.clip || obj.text ? nullptr : Lookup(obj.character)) content.AddShape(*ch, obj.matrix);
  return MakeGridWarp(g, content, clip.entry->matrix, ToDevice(world), warp);
}

// A sprite shown without a running timeline (inside a button): its first frame.
void SoftwareRenderer::DrawStaticSprite(const Character& ch, const Matrix& world, const ColorTransform& cx,
                                        int nesting) {
  for (const auto& [depth, cmd] : FirstFramePlacements(*movie_, ch)) {
    const Matrix own = cmd->matrix.value_or(Matrix{});
    const Matrix placed = Concat(world, own);
    const ColorTransform color = Concat(cx, cmd->color.value_or(ColorTransform{}));
    auto draw = [&](const ColorTransform& c) {
      DrawCharacter(*cmd->character, cmd->ratio.value_or(0), placed, c, nullptr, buttonState_, nesting, &own);
    };
    SurfaceEffects effects;
    effects.filters = cmd->filters;
    effects.blend = cmd->blend.value_or(BlendMode::Normal);
    if (effects.NeedsLayer()) DrawLayered(effects, color, ToDevice(placed), nullptr, draw);
    else draw(color);
  }
}

// A video: its stream's rectangle (from the origin, in pixels of the
// stream's size) filled with the frame the entry's ratio names.
void SoftwareRenderer::DrawVideo(uint16_t id, uint16_t frame, const Matrix& world, const ColorTransform& cx) {
  auto& videos = videos_[movie_];
  if (!videos) videos = std::make_unique<MovieVideos>(*movie_);
  const VideoStreamInfo* info = videos->Info(id);
  const Bitmap* picture = info ? videos->FrameOf(id, frame) : nullptr;
  if (!picture || picture->width <= 0 || picture->height <= 0) return;
  const float w = static_cast<float>((info->width ? info->width : picture->width) * 20);
  const float h = static_cast<float>((info->height ? info->height : picture->height) * 20);
  DrawPicture(*picture, w, h, info->smoothing, world, cx);
}

// A picture stretched over the rectangle from the origin to (width, height) twips.
void SoftwareRenderer::DrawPicture(const Bitmap& picture, float w, float h, bool smooth, const Matrix& world,
                                   const ColorTransform& cx) {
  const Bitmap* shown = &picture;
  ShapeData rect;
  FillStyle fill;
  fill.kind = smooth ? kFillBitmapClip : kFillBitmapClipHard;
  fill.matrix = Xform{w / picture.width, 0, 0, h / picture.height, 0, 0};
  rect.fills = {FillStyle{}, fill};
  ShapePath path;
  path.fill1 = 1;
  path.segments = {{0, 0, 0, 0, w, 0, false}, {w, 0, 0, 0, w, h, false}, {w, h, 0, 0, 0, h, false}, {0, h, 0, 0, 0, 0, false}};
  rect.paths.push_back(std::move(path));
  DrawTarget target = target_;
  target.bitmaps = [shown](uint16_t) { return shown; };
  target.smoothBitmaps = target_.smoothBitmaps && smooth;
  Paint(rect, ToDevice(world), cx, nullptr, &target);
  Settle();  // a video's frame may change before the paint ends
}

// Bitmaps defined again or freed since (frames of a video) make room for
// the ones in force.
void SoftwareRenderer::DropSupersededBitmaps() {
  for (auto it = bitmaps_.begin(); it != bitmaps_.end();) {
    if (Lookup(it->first->id) == it->first) {
      ++it;
      continue;
    }
    if (it->second) bitmapPixels_ -= it->second->pixels.size();
    it = bitmaps_.erase(it);
  }
}

const Bitmap* SoftwareRenderer::BitmapOf(uint16_t id) {
  const Character* ch = movie_ ? Lookup(id) : nullptr;
  if (!ch) return nullptr;
  auto it = bitmaps_.find(ch);
  if (it != bitmaps_.end()) return it->second.get();
  std::unique_ptr<Bitmap> bitmap;
  if (bitmapPixels_ < kBitmapBudget) bitmap = DecodeBitmap(*ch, movie_->jpegTables);
  if (bitmap) bitmapPixels_ += bitmap->pixels.size();
  return bitmaps_.emplace(ch, std::move(bitmap)).first->second.get();
}

SoftwareRenderer::FontEntry* SoftwareRenderer::FontOf(uint16_t id) {
  const Character* ch = Lookup(id);
  if (!ch) return nullptr;
  auto it = fonts_.find(ch);
  if (it != fonts_.end()) return &it->second;
  FontEntry entry;
  entry.font = ReadFont(*ch);
  entry.glyphs.resize(entry.font.glyphs.size());
  return &fonts_.emplace(ch, std::move(entry)).first->second;
}

const ShapeData* SoftwareRenderer::GlyphOf(FontEntry& font, uint32_t index) {
  if (index >= font.glyphs.size()) return nullptr;
  if (!font.glyphs[index]) font.glyphs[index] = std::make_unique<ShapeData>(ReadGlyph(font.font.glyphs[index]));
  return font.glyphs[index].get();
}

const TextSettings* SoftwareRenderer::SettingsOf(uint16_t text) const {
  const auto it = movie_->textSettings.find(text);
  return it == movie_->textSettings.end() ? nullptr : &it->second;
}

const FontZones* SoftwareRenderer::BeginHints(const TextSettings* settings, uint16_t font,
                                              std::array<uint8_t, 256>& curve) {
  target_.coverageCurve = nullptr;
  if (!settings || !settings->advanced) return nullptr;
  if (ReshapesCoverage(*settings)) {
    curve = CoverageCurve(*settings);
    target_.coverageCurve = curve.data();
  }
  if (!settings->gridFit) return nullptr;
  const auto it = movie_->fontZones.find(font);
  return it == movie_->fontZones.end() ? nullptr : &it->second;
}

void SoftwareRenderer::PaintGlyph(const ShapeData& glyph, const Xform& m, const ColorTransform& cx, const Rgba* color,
                                  const FontZones* zones, uint32_t index, double emSize, uint8_t gridFit) {
  PixelSnap snap;
  if (zones && index < zones->glyphs.size() && GlyphSnap(zones->glyphs[index], emSize, m, gridFit, snap))
    target_.snap = &snap;
  Paint(glyph, m, cx, color);
  target_.snap = nullptr;
}

void SoftwareRenderer::DrawGlyphText(const Character& ch, const Xform& toDevice, const ColorTransform& cx) {
  auto it = texts_.find(&ch);
  if (it == texts_.end()) it = texts_.emplace(&ch, ReadText(ch)).first;
  const TextData& text = it->second;
  const Xform base = toDevice * text.matrix;
  const TextSettings* settings = SettingsOf(ch.id);
  std::array<uint8_t, 256> curve;
  for (const GlyphRun& run : text.runs) {
    FontEntry* font = FontOf(run.font);
    if (!font || font->glyphs.empty()) continue;
    const FontZones* zones = BeginHints(settings, run.font, curve);
    const double scale = run.height / font->font.emSize;
    for (const PlacedGlyph& g : run.glyphs) {
      const ShapeData* glyph = GlyphOf(*font, g.index);
      if (!glyph) continue;
      const Xform place{scale, 0, 0, scale, g.x, run.y};
      PaintGlyph(*glyph, base * place, cx, &run.color, zones, g.index, font->font.emSize,
                 settings ? settings->gridFit : 0);
    }
  }
  target_.coverageCurve = nullptr;
}

void SoftwareRenderer::DrawEditText(const Character& ch, const Xform& toDevice, const ColorTransform& cx) {
  auto it = editTexts_.find(&ch);
  if (it == editTexts_.end()) it = editTexts_.emplace(&ch, ReadEditText(ch, movie_->version)).first;
  DrawEditData(it->second, toDevice, cx, nullptr, SettingsOf(ch.id));
}

// A text field as scripts left it: its background and border, then its text.
void SoftwareRenderer::DrawField(const TextFieldState& field, const Xform& toDevice, const ColorTransform& cx,
                                 const TextSettings* settings) {
  const EditTextData& e = field.data;
  if (field.background || e.border) {
    ShapeData box;
    const float l = float(e.bounds.left), t = float(e.bounds.top), r = float(e.bounds.right), b = float(e.bounds.bottom);
    ShapePath edge;
    edge.segments = {{l, t, 0, 0, r, t, false}, {r, t, 0, 0, r, b, false}, {r, b, 0, 0, l, b, false},
                     {l, b, 0, 0, l, t, false}};
    box.fills.resize(1);
    box.lines.resize(1);
    if (field.background) {
      FillStyle fill;
      fill.color = field.backgroundColor;
      box.fills.push_back(fill);
      edge.fill1 = 1;
    }
    if (e.border) {
      LineStyle line;
      // One pixel wide at any scale.
      line.width = static_cast<uint16_t>(std::clamp(1 / std::max(std::sqrt(std::fabs(toDevice.Determinant())), 1e-6), 1.0, 60000.0));
      line.color = field.borderColor;
      box.lines.push_back(line);
      edge.line = 1;
    }
    box.paths.push_back(std::move(edge));
    Paint(box, toDevice, cx);
  }
  DrawEditData(e, toDevice, cx, &field, settings);
}

void SoftwareRenderer::DrawEditData(const EditTextData& e, const Xform& toDevice, const ColorTransform& cx,
                                    const TextFieldState* field, const TextSettings* settings) {
  const bool caret = field && field->focused && field->input;
  if (e.text.empty() && !caret) return;
  FontEntry* font = e.hasFont ? FontOf(e.font) : nullptr;
  if (!font || !DrawsGlyphs(font->font, e)) {
    DrawSystemText(e, toDevice, cx, field);
    return;
  }
  const RECT savedClip = target_.clip;
  target_.clip = Intersect(target_.clip, DeviceBounds(e.bounds, toDevice));
  const GlyphLayout layout = LayOutGlyphs(font->font, e);
  const double left = e.bounds.left + 40.0 + e.leftMargin, right = e.bounds.right - 40.0 - e.rightMargin;
  const double scale = layout.scale;
  std::array<uint8_t, 256> curve;
  const FontZones* zones = BeginHints(settings, e.font, curve);
  const uint8_t gridFit = settings ? settings->gridFit : 0;
  for (size_t line = 0; line < layout.lines.size(); ++line) {
    const LaidLine& laid = layout.lines[line];
    const double spare = right - left - laid.width;
    const double shift = e.align == 1 ? spare : e.align == 2 ? spare / 2 : 0;
    const double baseline = e.bounds.top + 40.0 + layout.ascent + double(line) * layout.lineHeight;
    for (const PlacedGlyph& g : laid.glyphs)
      if (const ShapeData* glyph = GlyphOf(*font, g.index))
        PaintGlyph(*glyph, toDevice * Xform{scale, 0, 0, scale, left + shift + g.x, baseline}, cx, &e.color, zones,
                   g.index, font->font.emSize, gridFit);
  }
  target_.coverageCurve = nullptr;
  target_.clip = savedClip;
}

// A field without embedded glyphs: GDI draws the text in a system font,
// upright, at the field's place and height.
void SoftwareRenderer::DrawSystemText(const EditTextData& e, const Xform& toDevice, const ColorTransform& cx,
                                      const TextFieldState* field) {
  // The text is laid out in the whole field; the part drawn is clipped (a band may hold a part).
  const RECT whole = DeviceBounds(e.bounds, toDevice);
  if (measuring_) return MeasureBox(whole.left, whole.top, whole.right, whole.bottom);
  if (target_.maskOut) return;
  const RECT box = Intersect(whole, target_.clip);
  if (box.right <= box.left || box.bottom <= box.top) return;
  const double scale = std::sqrt(std::fabs(toDevice.Determinant()));
  const int px = static_cast<int>(std::lround(std::clamp(e.height * scale, 1.0, 2000.0)));
  FontEntry* font = e.hasFont ? FontOf(e.font) : nullptr;
  // A format's font name that an embedded font answers (by its export name too) means that font's name.
  const std::wstring name = font && !font->font.name.empty() ? font->font.name : field ? field->fontName : L"";
  const bool bold = field && field->bold ? true : font && font->font.bold;
  const bool italic = field && field->italic ? true : font && font->font.italic;
  ScopedGdiObject gdiFont(CreateDeviceFont(name, bold, italic, px));
  if (!gdiFont) return;
  const Rgba color = Transform(cx, e.color);
  if (color.a == 0) return;
  Settle();
  GdiFlush();
  HDC dc = surfaceDC_.get();
  // On a layer GDI draws white on black on a sheet of its own, which then
  // gives the text's coverage.
  const bool onLayer = canvas_.pixels != surfacePixels_;
  ScopedMemoryDC sheetDC;
  ScopedBitmap sheet;
  std::unique_ptr<ScopedSelect> sheetSelected;
  void* bits = nullptr;
  if (onLayer) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), box.right - box.left, -(box.bottom - box.top), 1, 32, BI_RGB};
    sheetDC = ScopedMemoryDC(dc);
    sheet = ScopedBitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!sheetDC || !sheet || !bits) return;
    sheetSelected = std::make_unique<ScopedSelect>(sheetDC.get(), sheet.get());
    dc = sheetDC.get();
    SetViewportOrgEx(dc, -box.left, -box.top, nullptr);
  }
  const COLORREF ink = onLayer ? RGB(255, 255, 255) : RGB(color.r, color.g, color.b);
  ScopedSelect use(dc, gdiFont.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ink);
  const int gutter = static_cast<int>(std::lround(40 * scale));
  RECT inner{whole.left + gutter, whole.top + gutter, whole.right - gutter, whole.bottom - gutter};
  std::wstring text = e.password ? std::wstring(e.text.size(), L'*') : e.text;
  UINT format = DT_NOPREFIX | (e.wordWrap ? DT_WORDBREAK : 0) |
                (e.align == 1 ? DT_RIGHT : e.align == 2 ? DT_CENTER : DT_LEFT);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inner, format);
  if (field && field->focused && field->input) {
    // The caret: after the text before it on its line.
    const size_t at = std::min(field->caret, text.size());
    const size_t lineStart = text.find_last_of(L"\r\n", at ? at - 1 : 0);
    const size_t from = lineStart == std::wstring::npos || at == 0 ? 0 : lineStart + 1;
    const int lineNo = static_cast<int>(std::count(text.begin(), text.begin() + static_cast<ptrdiff_t>(from), L'\r'));
    SIZE before{}, line{};
    GetTextExtentPoint32W(dc, text.c_str() + from, static_cast<int>(at - from), &before);
    GetTextExtentPoint32W(dc, L"Ag", 2, &line);
    const int x = inner.left + before.cx, y = inner.top + lineNo * line.cy;
    RECT bar{x, y, x + 1, y + line.cy};
    ScopedBrush brush(CreateSolidBrush(ink));
    FillRect(dc, &bar, brush.get());
  }
  RestoreDC(dc, saved);
  GdiFlush();
  if (onLayer) DrawTextOnLayer(static_cast<const uint32_t*>(bits), box, color);
}

}  // namespace flash
