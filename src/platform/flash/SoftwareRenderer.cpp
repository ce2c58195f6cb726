#include "platform/flash/SoftwareRenderer.h"

#include <algorithm>
#include <cmath>

namespace flash {
namespace {

constexpr int kMaxNesting = 32;      // sprites and buttons inside one another
constexpr int kMaxMasks = 8;         // clip layers in force at once; deeper ones are not applied


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

const wchar_t* SystemFontName(const std::wstring& name) {
  if (name == L"_serif") return L"Times New Roman";
  if (name == L"_typewriter") return L"Courier New";
  if (name.empty() || name == L"_sans") return L"Arial";
  return name.c_str();
}

}  // namespace

Xform SoftwareRenderer::ToDevice(const Matrix& world) const {
  const Xform view{view_.scaleX, 0, 0, view_.scaleY, view_.left, view_.top};
  return view * Xform::From(world);
}

void SoftwareRenderer::Forget() {
  shapes_.Clear(), bitmaps_.clear(), fonts_.clear();
  texts_.clear(), editTexts_.clear(), buttons_.clear();
  bitmapPixels_ = 0;
  videos_.reset();
}

bool SoftwareRenderer::Begin(HDC dc, const MovieDefinition& movie, const FrameView& frame) {
  if (!dc || frame.width <= 0 || frame.height <= 0 ||
      uint64_t(frame.width) * uint64_t(frame.height) > kMaxSurfacePixels)
    return false;
  if (movie.serial != serial_ || movie.serial == 0) Forget();
  serial_ = movie.serial;
  movie_ = &movie;
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
      surface_.reset();
      return false;
    }
    selected_ = std::make_unique<ScopedSelect>(surfaceDC_.get(), surface_.get());
    surfaceW_ = frame.width, surfaceH_ = frame.height;
    canvas_.pixels = static_cast<uint32_t*>(bits);
  }
  canvas_.width = frame.width, canvas_.height = frame.height, canvas_.mask = nullptr;
  BitBlt(surfaceDC_.get(), 0, 0, frame.width, frame.height, dc, 0, 0, SRCCOPY);
  GdiFlush();
  // What lies below is opaque whatever the DC's alpha bytes held.
  const size_t n = size_t(frame.width) * frame.height;
  for (size_t i = 0; i < n; ++i) canvas_.pixels[i] |= 0xFF000000u;
  view_ = frame.view;
  target_.canvas = &canvas_;
  target_.raster = &raster_;
  target_.clip = Intersect(frame.clip, RECT{0, 0, frame.width, frame.height});
  target_.antialias = frame.quality >= kQualityMedium;
  target_.smoothBitmaps = frame.quality >= kQualityHigh;
  target_.maskOut = nullptr;
  masksInForce_ = 0;
  target_.bitmaps = [this](uint16_t id) { return BitmapOf(id); };
  return true;
}

void SoftwareRenderer::End(HDC dc) {
  GdiFlush();
  BitBlt(dc, 0, 0, canvas_.width, canvas_.height, surfaceDC_.get(), 0, 0, SRCCOPY);
  movie_ = nullptr;
}

void SoftwareRenderer::DrawObject(HDC dc, const MovieDefinition& movie, const DisplayObject& object,
                                  const Matrix& world, const ColorTransform& color, const StageView& view,
                                  int quality) {
  RECT box{};
  GetClipBox(dc, &box);
  FrameView frame{box.right, box.bottom, box, view, quality};
  if (!Begin(dc, movie, frame)) return;
  DrawCharacter(object.character, object.ratio, world, color, nullptr, StateOf(object), 0);
  End(dc);
}

void SoftwareRenderer::DrawFrame(HDC dc, const MovieDefinition& movie, const Clip& root, const Matrix& origin,
                                 const FrameView& frame) {
  if (!Begin(dc, movie, frame)) return;
  DrawList(root, origin, ColorTransform{}, 0);
  End(dc);
}

void SoftwareRenderer::DrawList(const Clip& clip, const Matrix& m, const ColorTransform& cx, int nesting) {
  if (nesting > kMaxNesting) return;
  struct Layer {
    uint16_t until;
    std::vector<uint8_t> mask;
    const uint8_t* below;
  };
  std::vector<Layer> layers;
  auto drop = [&](uint16_t depth) {
    while (!layers.empty() && layers.back().until < depth) {
      canvas_.mask = layers.back().below;
      layers.pop_back();
      --masksInForce_;
    }
  };
  for (const auto& [depth, obj] : clip.objects) {
    drop(depth);
    const Matrix world = Concat(m, obj.matrix);
    const ColorTransform color = Concat(cx, obj.color);
    if (obj.clipDepth > 0) {
      if (target_.maskOut || masksInForce_ >= kMaxMasks) continue;  // a clip layer inside a mask draws nothing
      Layer layer{obj.clipDepth, std::vector<uint8_t>(size_t(canvas_.width) * canvas_.height, 0), canvas_.mask};
      target_.maskOut = layer.mask.data();
      DrawCharacter(obj.character, obj.ratio, world, color, obj.clip.get(), StateOf(obj), nesting);
      target_.maskOut = nullptr;
      layers.push_back(std::move(layer));
      canvas_.mask = layers.back().mask.data();
      ++masksInForce_;
      continue;
    }
    DrawCharacter(obj.character, obj.ratio, world, color, obj.clip.get(), StateOf(obj), nesting);
  }
  masksInForce_ -= static_cast<int>(layers.size());
  if (!layers.empty()) canvas_.mask = layers.front().below;
}

uint8_t SoftwareRenderer::StateOf(const DisplayObject& object) const {
  return object.buttonState == kButtonUp ? buttonState_ : object.buttonState;
}

void SoftwareRenderer::DrawCharacter(uint16_t id, uint16_t ratio, const Matrix& world, const ColorTransform& cx,
                                     const Clip* clip, uint8_t buttonState, int nesting) {
  if (nesting > kMaxNesting) return;
  const Character* ch = movie_->Find(id);
  if (!ch) return;
  const SwfTag tag = ch->tagCode;
  if (IsShape(tag) || IsMorph(tag)) {
    if (const ShapeData* shape = shapes_.ShapeOf(*ch, ratio)) DrawShape(target_, *shape, ToDevice(world), cx);
  } else if (tag == SwfTag::DefineText || tag == SwfTag::DefineText2) {
    DrawGlyphText(*ch, ToDevice(world), cx);
  } else if (tag == SwfTag::DefineEditText) {
    DrawEditText(*ch, ToDevice(world), cx);
  } else if (tag == SwfTag::DefineButton || tag == SwfTag::DefineButton2) {
    auto it = buttons_.find(id);
    if (it == buttons_.end()) it = buttons_.emplace(id, ReadButtonParts(*ch)).first;
    for (const ButtonPart& part : it->second)
      if (part.states & buttonState)
        DrawCharacter(part.character, 0, Concat(world, part.matrix), Concat(cx, part.color), nullptr, buttonState_,
                      nesting + 1);
  } else if (tag == SwfTag::DefineVideoStream) {
    DrawVideo(id, ratio, world, cx);
  } else if (tag == SwfTag::DefineSprite) {
    if (clip) {
      DrawList(*clip, world, cx, nesting + 1);
    } else {
      DrawStaticSprite(*ch, world, cx, nesting + 1);
    }
  }
}

// A sprite shown without a running timeline (inside a button): its first frame.
void SoftwareRenderer::DrawStaticSprite(const Character& ch, const Matrix& world, const ColorTransform& cx,
                                        int nesting) {
  for (const auto& [depth, cmd] : FirstFramePlacements(*movie_, ch))
    DrawCharacter(*cmd->character, cmd->ratio.value_or(0), Concat(world, cmd->matrix.value_or(Matrix{})),
                  Concat(cx, cmd->color.value_or(ColorTransform{})), nullptr, buttonState_, nesting);
}

// A video: its stream's rectangle (from the origin, in pixels of the
// stream's size) filled with the frame the entry's ratio names.
void SoftwareRenderer::DrawVideo(uint16_t id, uint16_t frame, const Matrix& world, const ColorTransform& cx) {
  if (!videos_) videos_ = std::make_unique<MovieVideos>(*movie_);
  const VideoStreamInfo* info = videos_->Info(id);
  const Bitmap* picture = info ? videos_->FrameOf(id, frame) : nullptr;
  if (!picture || picture->width <= 0 || picture->height <= 0) return;
  const float w = static_cast<float>((info->width ? info->width : picture->width) * 20);
  const float h = static_cast<float>((info->height ? info->height : picture->height) * 20);
  ShapeData rect;
  FillStyle fill;
  fill.kind = info->smoothing ? kFillBitmapClip : kFillBitmapClipHard;
  fill.matrix = Xform{w / picture->width, 0, 0, h / picture->height, 0, 0};
  rect.fills = {FillStyle{}, fill};
  ShapePath path;
  path.fill1 = 1;
  path.segments = {{0, 0, 0, 0, w, 0, false}, {w, 0, 0, 0, w, h, false}, {w, h, 0, 0, 0, h, false}, {0, h, 0, 0, 0, 0, false}};
  rect.paths.push_back(std::move(path));
  DrawTarget target = target_;
  target.bitmaps = [picture](uint16_t) { return picture; };
  target.smoothBitmaps = target_.smoothBitmaps && info->smoothing;
  DrawShape(target, rect, ToDevice(world), cx);
}

const Bitmap* SoftwareRenderer::BitmapOf(uint16_t id) {
  auto it = bitmaps_.find(id);
  if (it != bitmaps_.end()) return it->second.get();
  std::unique_ptr<Bitmap> bitmap;
  const Character* ch = movie_ ? movie_->Find(id) : nullptr;
  if (ch && bitmapPixels_ < kBitmapBudget) bitmap = DecodeBitmap(*ch, movie_->jpegTables);
  if (bitmap) bitmapPixels_ += bitmap->pixels.size();
  return bitmaps_.emplace(id, std::move(bitmap)).first->second.get();
}

SoftwareRenderer::FontEntry* SoftwareRenderer::FontOf(uint16_t id) {
  auto it = fonts_.find(id);
  if (it != fonts_.end()) return &it->second;
  const Character* ch = movie_->Find(id);
  if (!ch) return nullptr;
  FontEntry entry;
  entry.font = ReadFont(*ch);
  entry.glyphs.resize(entry.font.glyphs.size());
  return &fonts_.emplace(id, std::move(entry)).first->second;
}

const ShapeData* SoftwareRenderer::GlyphOf(FontEntry& font, uint32_t index) {
  if (index >= font.glyphs.size()) return nullptr;
  if (!font.glyphs[index]) font.glyphs[index] = std::make_unique<ShapeData>(ReadGlyph(font.font.glyphs[index]));
  return font.glyphs[index].get();
}

void SoftwareRenderer::DrawGlyphText(const Character& ch, const Xform& toDevice, const ColorTransform& cx) {
  auto it = texts_.find(ch.id);
  if (it == texts_.end()) it = texts_.emplace(ch.id, ReadText(ch)).first;
  const TextData& text = it->second;
  const Xform base = toDevice * text.matrix;
  for (const GlyphRun& run : text.runs) {
    FontEntry* font = FontOf(run.font);
    if (!font || font->glyphs.empty()) continue;
    const double scale = run.height / font->font.emSize;
    for (const PlacedGlyph& g : run.glyphs) {
      const ShapeData* glyph = GlyphOf(*font, g.index);
      if (!glyph) continue;
      const Xform place{scale, 0, 0, scale, g.x, run.y};
      DrawShape(target_, *glyph, base * place, cx, &run.color);
    }
  }
}

void SoftwareRenderer::DrawEditText(const Character& ch, const Xform& toDevice, const ColorTransform& cx) {
  auto it = editTexts_.find(ch.id);
  if (it == editTexts_.end()) it = editTexts_.emplace(ch.id, ReadEditText(ch, movie_->version)).first;
  const EditTextData& e = it->second;
  if (e.text.empty()) return;
  FontEntry* font = e.hasFont ? FontOf(e.font) : nullptr;
  const bool glyphs = font && !font->font.glyphs.empty() && !font->font.codes.empty();
  if (!glyphs) {
    DrawSystemText(e, toDevice, cx);
    return;
  }
  const RECT savedClip = target_.clip;
  target_.clip = Intersect(target_.clip, DeviceBounds(e.bounds, toDevice));
  const Font& f = font->font;
  const double scale = e.height / f.emSize;
  const double ascent = f.ascent > 0 ? f.ascent * scale : e.height * 0.8;
  const double lineHeight = e.height * 1.15 + e.leading;
  const double left = e.bounds.left + 40.0 + e.leftMargin, right = e.bounds.right - 40.0 - e.rightMargin;
  std::map<uint16_t, uint32_t> index;
  for (uint32_t i = 0; i < f.codes.size(); ++i) index.emplace(f.codes[i], i);
  size_t start = 0;
  for (int line = 0; start <= e.text.size() && line < 10000; ++line) {
    size_t stop = e.text.find_first_of(L"\r\n", start);
    if (stop == std::wstring::npos) stop = e.text.size();
    std::vector<PlacedGlyph> placed;
    double x = 0;
    for (size_t i = start; i < stop; ++i) {
      const wchar_t c = e.password ? L'*' : e.text[i];
      auto g = index.find(static_cast<uint16_t>(c));
      if (g == index.end()) {
        x += f.emSize * 0.5 * scale;
        continue;
      }
      placed.push_back(PlacedGlyph{g->second, x});
      x += (g->second < f.advances.size() ? f.advances[g->second] : f.emSize * 0.6) * scale;
    }
    const double spare = right - left - x;
    const double shift = e.align == 1 ? spare : e.align == 2 ? spare / 2 : 0;
    const double baseline = e.bounds.top + 40.0 + ascent + line * lineHeight;
    for (const PlacedGlyph& g : placed)
      if (const ShapeData* glyph = GlyphOf(*font, g.index))
        DrawShape(target_, *glyph, toDevice * Xform{scale, 0, 0, scale, left + shift + g.x, baseline}, cx, &e.color);
    if (stop >= e.text.size()) break;
    start = stop + (e.text.compare(stop, 2, L"\r\n") == 0 ? 2 : 1);
  }
  target_.clip = savedClip;
}

// A field without embedded glyphs: GDI draws the text in a system font,
// upright, at the field's place and height.
void SoftwareRenderer::DrawSystemText(const EditTextData& e, const Xform& toDevice, const ColorTransform& cx) {
  if (target_.maskOut) return;
  RECT box = Intersect(DeviceBounds(e.bounds, toDevice), target_.clip);
  if (box.right <= box.left || box.bottom <= box.top) return;
  const double scale = std::sqrt(std::fabs(toDevice.Determinant()));
  const int px = static_cast<int>(std::lround(std::clamp(e.height * scale, 1.0, 2000.0)));
  FontEntry* font = e.hasFont ? FontOf(e.font) : nullptr;
  const std::wstring name = font ? font->font.name : L"";
  ScopedGdiObject gdiFont(CreateFontW(-px, 0, 0, 0, font && font->font.bold ? FW_BOLD : FW_NORMAL,
                                      font && font->font.italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, SystemFontName(name)));
  if (!gdiFont) return;
  const Rgba color = Transform(cx, e.color);
  if (color.a == 0) return;
  GdiFlush();
  HDC dc = surfaceDC_.get();
  ScopedSelect use(dc, gdiFont.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(color.r, color.g, color.b));
  const int gutter = static_cast<int>(std::lround(40 * scale));
  RECT inner{box.left + gutter, box.top + gutter, box.right - gutter, box.bottom - gutter};
  std::wstring text = e.password ? std::wstring(e.text.size(), L'*') : e.text;
  UINT format = DT_NOPREFIX | (e.wordWrap ? DT_WORDBREAK : 0) |
                (e.align == 1 ? DT_RIGHT : e.align == 2 ? DT_CENTER : DT_LEFT);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inner, format);
  RestoreDC(dc, saved);
  GdiFlush();
}

}  // namespace flash
