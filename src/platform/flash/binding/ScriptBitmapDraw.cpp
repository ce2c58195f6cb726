// The BitmapData methods that reach the stage or the movie: draw (a clip
// through the control's renderer, or another bitmap, under a matrix and a
// colour transform, inside a clipping rectangle), applyFilter, hitTest,
// the static loadBitmap (a bitmap of the library by its linkage name), and
// MovieClip's attachBitmap and beginBitmapFill.
#include <algorithm>
#include <cmath>

#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptClasses.h"
#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/parse/BitmapDecoder.h"
#include "platform/flash/render/BitmapSurface.h"
#include "platform/flash/render/ShapeRenderer.h"
#include "platform/flash/script/FilterObject.h"

namespace flash {
namespace {

using script::CallInfo;
using script::Object;
using script::Value;
using script::Vm;

MovieScripts& Owner(const CallInfo& c) { return *static_cast<MovieScripts*>(c.callee->hostData); }

BitmapSurface* Live(const Value& v) {
  BitmapState* s = BitmapOf(v);
  return s && s->surface && !s->surface->Disposed() ? s->surface.get() : nullptr;
}

MovieClipObject* ThisClip(const CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  return o && o->Class() == script::ObjClass::Clip ? static_cast<MovieClipObject*>(o) : nullptr;
}

int IntOf(Vm& vm, const Value& v) {
  const double d = vm.ToNumber(v);
  return std::isfinite(d) ? static_cast<int>(std::clamp(std::trunc(d), -1e8, 1e8)) : 0;
}

PixelRect RectArg(Vm& vm, const Value& v) {
  double r[4];
  script::ReadRect(vm, v, r);
  return RectOf(r[0], r[1], r[2], r[3]);
}

double Finite(double v) { return std::isfinite(v) ? std::clamp(v, -1e7, 1e7) : 0; }

// A bitmap's pixels through m (its pixels to the layer's) into a premultiplied layer.
void PaintBitmap(std::vector<uint32_t>& layer, int width, int height, const Bitmap& source, const script::Affine& m,
                 bool smooth) {
  PixelCanvas canvas{width, height, layer.data(), nullptr};
  Rasterizer raster;
  DrawTarget target;
  target.canvas = &canvas;
  target.raster = &raster;
  target.clip = RECT{0, 0, width, height};
  target.smoothBitmaps = smooth;
  target.bitmaps = [&source](uint16_t) { return &source; };
  const float w = static_cast<float>(source.width), h = static_cast<float>(source.height);
  ShapeData rect;
  FillStyle fill;
  fill.kind = smooth ? kFillBitmapClip : kFillBitmapClipHard;
  rect.fills = {FillStyle{}, fill};
  ShapePath path;
  path.fill1 = 1;
  path.segments = {{0, 0, 0, 0, w, 0, false}, {w, 0, 0, 0, w, h, false}, {w, h, 0, 0, 0, h, false}, {0, h, 0, 0, 0, 0, false}};
  rect.paths.push_back(std::move(path));
  DrawShape(target, rect, Xform{Finite(m.a), Finite(m.b), Finite(m.c), Finite(m.d), Finite(m.tx), Finite(m.ty)},
            ColorTransform{});
}

void TransformLayer(std::vector<uint32_t>& layer, const script::ColorValues& ct) {
  auto channel = [](double v) { return static_cast<uint8_t>(std::isfinite(v) ? std::clamp(v, 0.0, 255.0) : 0); };
  for (uint32_t& p : layer) {
    if (!(p >> 24) && ct.add[3] <= 0) continue;
    const Rgba u = Unpremultiply(p);
    const Rgba t{channel(u.r * ct.mult[0] + ct.add[0]), channel(u.g * ct.mult[1] + ct.add[1]),
                 channel(u.b * ct.mult[2] + ct.add[2]), channel(u.a * ct.mult[3] + ct.add[3])};
    p = Premultiply(t);
  }
}

// draw(source, matrix, colorTransform, blendMode, clipRect, smooth): the
// source composited over the bitmap.
Value DrawMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Live(c.thisv);
  if (!s) return Value::Undefined();
  const int w = s->Width(), h = s->Height();
  const script::Affine m = c.Arg(1).IsObject() ? script::ReadAffine(vm, c.Arg(1)) : script::Affine{};
  const bool smooth = vm.ToBool(c.Arg(5));
  std::vector<uint32_t> layer(size_t(w) * size_t(h), 0);
  if (BitmapSurface* source = Live(c.Arg(0))) {
    PaintBitmap(layer, w, h, source->Shown(), m, smooth);
  } else if (Object* o = c.Arg(0).ObjectOrNull(); o && o->Class() == script::ObjClass::Clip) {
    Clip* clip = static_cast<MovieClipObject*>(o)->TheClip();
    const auto& draw = Owner(c).Environment().drawClip;
    const Matrix twips{Finite(m.a), Finite(m.b), Finite(m.c), Finite(m.d),
                       static_cast<int32_t>(std::lround(Finite(m.tx) * 20)),
                       static_cast<int32_t>(std::lround(Finite(m.ty) * 20))};
    if (!clip || !draw || !draw(*clip, twips, w, h, layer)) return Value::Undefined();
  } else {
    return Value::Undefined();
  }
  if (c.Arg(2).IsObject()) TransformLayer(layer, script::ReadColorValues(vm, c.Arg(2)));
  const PixelRect inside = c.Arg(4).IsObject() ? RectArg(vm, c.Arg(4)) : PixelRect{0, 0, w, h};
  CompositeOver(*s, layer, w, h, inside);
  Owner(c).Player().Changed();
  return Value::Undefined();
}

// applyFilter(source, sourceRect, destPoint, filter): the source's rectangle
// through the filter, written at the point; 0 when done, -1 when nothing was.
Value ApplyFilter(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Live(c.thisv);
  BitmapSurface* source = Live(c.Arg(0));
  const Filter* filter = script::FilterOf(c.Arg(3));
  if (!s || !source || !filter) return Value::Number(-1);
  const int dx = IntOf(vm, vm.Get(c.Arg(2), vm.Intern(L"x"))), dy = IntOf(vm, vm.Get(c.Arg(2), vm.Intern(L"y")));
  if (!FilterPixels(*s, *source, RectArg(vm, c.Arg(1)), dx, dy, *filter)) return Value::Number(-1);
  Owner(c).Player().Changed();
  return Value::Number(0);
}

bool Opaque(const BitmapSurface& s, int x, int y, uint32_t threshold) {
  return s.Inside(x, y) && (s.Get(x, y) >> 24) >= threshold;
}

// hitTest(firstPoint, firstAlphaThreshold, secondObject, secondBitmapPoint,
// secondAlphaThreshold): a point, a rectangle or another bitmap against the
// pixels at least as opaque as the threshold.
Value HitTestMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Live(c.thisv);
  if (!s) return Value::Number(-1);
  const int fx = IntOf(vm, vm.Get(c.Arg(0), vm.Intern(L"x"))), fy = IntOf(vm, vm.Get(c.Arg(0), vm.Intern(L"y")));
  const uint32_t t1 = static_cast<uint32_t>(std::clamp(IntOf(vm, c.Arg(1)), 0, 255));
  const Value second = c.Arg(2);
  if (BitmapSurface* other = Live(second)) {
    const int sx = IntOf(vm, vm.Get(c.Arg(3), vm.Intern(L"x"))), sy = IntOf(vm, vm.Get(c.Arg(3), vm.Intern(L"y")));
    const uint32_t t2 = c.argc > 4 ? static_cast<uint32_t>(std::clamp(IntOf(vm, c.args[4]), 0, 255)) : 1;
    const int x0 = std::max(fx, sx), y0 = std::max(fy, sy);
    const int x1 = std::min(fx + s->Width(), sx + other->Width()), y1 = std::min(fy + s->Height(), sy + other->Height());
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (Opaque(*s, x - fx, y - fy, t1) && Opaque(*other, x - sx, y - sy, t2)) return Value::Bool(true);
    return Value::Bool(false);
  }
  if (!second.IsObject()) return Value::Bool(false);
  if (!vm.Get(second, vm.Intern(L"width")).IsUndefined()) {
    const PixelRect r = s->Clip(PixelRect{RectArg(vm, second).x - fx, RectArg(vm, second).y - fy,
                                          RectArg(vm, second).w, RectArg(vm, second).h});
    for (int y = r.y; y < r.y + r.h; ++y)
      for (int x = r.x; x < r.x + r.w; ++x)
        if (Opaque(*s, x, y, t1)) return Value::Bool(true);
    return Value::Bool(false);
  }
  const int px = IntOf(vm, vm.Get(second, vm.Intern(L"x"))), py = IntOf(vm, vm.Get(second, vm.Intern(L"y")));
  return Value::Bool(Opaque(*s, px - fx, py - fy, t1));
}

// BitmapData.loadBitmap(linkage): a new bitmap of the library's picture.
Value LoadBitmap(Vm& vm, CallInfo& c) {
  MovieScripts& owner = Owner(c);
  const MovieDefinition& movie = owner.Player().Movie();
  const uint16_t id = movie.Exported(vm.ToText(c.Arg(0)));
  const Character* ch = id ? owner.Player().Find(&owner.Player().Root(), id) : nullptr;
  if (!ch) return Value::Undefined();
  const SwfTag tag = ch->tagCode;
  if (tag != SwfTag::DefineBits && tag != SwfTag::DefineBitsJPEG2 && tag != SwfTag::DefineBitsJPEG3 &&
      tag != SwfTag::DefineBitsLossless && tag != SwfTag::DefineBitsLossless2)
    return Value::Undefined();
  const std::unique_ptr<Bitmap> picture = DecodeBitmap(*ch, movie.jpegTables);
  if (!picture || !BitmapSurface::ValidSize(picture->width, picture->height)) return Value::Undefined();
  const bool transparent = tag == SwfTag::DefineBitsJPEG3 || tag == SwfTag::DefineBitsLossless2;
  auto surface = std::make_shared<BitmapSurface>(picture->width, picture->height, transparent, 0);
  for (size_t i = 0; i < picture->pixels.size() && i < surface->Pixels().size(); ++i) {
    const Rgba u = Unpremultiply(picture->pixels[i]);
    surface->Pixels()[i] = surface->Stored(uint32_t(u.a) << 24 | uint32_t(u.r) << 16 | uint32_t(u.g) << 8 | u.b);
  }
  surface->Touch();
  return NewBitmapData(vm, std::move(surface));
}

// attachBitmap(bitmap, depth, pixelSnapping, smoothing).
Value AttachBitmap(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  std::shared_ptr<BitmapSurface> surface = SurfaceOf(c.Arg(0));
  if (!self || !self->TheClip() || !surface) return Value::Undefined();
  const double depth = vm.ToNumber(c.Arg(1));
  if (!std::isfinite(depth)) return Value::Undefined();
  self->Owner().Player().AttachBitmap(*self->TheClip(), static_cast<int32_t>(std::clamp(depth, -1e9, 1e9)),
                                      std::move(surface), vm.ToBool(c.Arg(3)));
  return Value::Undefined();
}

// beginBitmapFill(bitmap, matrix, repeat, smoothing): the matrix maps the
// bitmap's pixels to the clip's.
Value BeginBitmapFill(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  Clip* clip = self ? self->TheClip() : nullptr;
  std::shared_ptr<BitmapSurface> surface = SurfaceOf(c.Arg(0));
  if (!clip || !surface) return Value::Undefined();
  if (!clip->drawing) clip->drawing = std::make_unique<ScriptDrawing>();
  const uint16_t id = clip->drawing->AddBitmap(std::move(surface));
  if (!id) return Value::Undefined();
  const script::Affine m = c.Arg(1).IsObject() ? script::ReadAffine(vm, c.Arg(1)) : script::Affine{};
  const bool repeat = c.argc > 2 && !c.args[2].IsUndefined() ? vm.ToBool(c.args[2]) : true;
  const bool smooth = vm.ToBool(c.Arg(3));
  FillStyle f;
  f.kind = repeat ? (smooth ? kFillBitmapRepeat : kFillBitmapRepeatHard) : (smooth ? kFillBitmapClip : kFillBitmapClipHard);
  f.bitmap = id;
  f.matrix = Xform{Finite(m.a) * 20, Finite(m.b) * 20, Finite(m.c) * 20, Finite(m.d) * 20, Finite(m.tx) * 20,
                   Finite(m.ty) * 20};
  clip->drawing->BeginFill(f);
  self->Owner().Player().Changed();
  return Value::Undefined();
}

}  // namespace

void InstallBitmapDrawing(MovieScripts& owner, Vm& vm, Object* prototype, Object* ctor, Object* movieClip) {
  vm.Method(prototype, L"draw", DrawMethod)->hostData = &owner;
  vm.Method(prototype, L"applyFilter", ApplyFilter)->hostData = &owner;
  vm.Method(prototype, L"hitTest", HitTestMethod)->hostData = &owner;
  vm.Method(ctor, L"loadBitmap", LoadBitmap)->hostData = &owner;
  if (!movieClip) return;
  vm.Method(movieClip, L"attachBitmap", AttachBitmap);
  vm.Method(movieClip, L"beginBitmapFill", BeginBitmapFill);
}

}  // namespace flash
