// flash.display.BitmapData: a script's bitmap of 1 to 2880 pixels a side,
// opaque or transparent, with its pixel methods. One made with a size out
// of bounds, or disposed, is invalid: its properties and the methods that
// answer a value give -1, the others do nothing. Writes show on the stage
// at the next paint (attached bitmaps and bitmap fills draw the surface as
// it is then). draw, loadBitmap and the MovieClip methods are
// ScriptBitmapDraw's.
#include <algorithm>
#include <cmath>

#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptClasses.h"
#include "platform/flash/render/effects/BitmapNoise.h"
#include "platform/flash/render/BitmapSurface.h"

namespace flash {
namespace {

using script::CallInfo;
using script::Object;
using script::Value;
using script::Vm;

constexpr wchar_t kBitmapData[] = L"flash.display.BitmapData";

MovieScripts& Owner(const CallInfo& c) { return *static_cast<MovieScripts*>(c.callee->hostData); }

BitmapSurface* Self(const CallInfo& c) {
  BitmapState* s = BitmapOf(c.thisv);
  return s && s->surface && !s->surface->Disposed() ? s->surface.get() : nullptr;
}

BitmapSurface* Other(const Value& v) {
  BitmapState* s = BitmapOf(v);
  return s && s->surface && !s->surface->Disposed() ? s->surface.get() : nullptr;
}

Value Invalid() { return Value::Number(-1); }

// What a surface costs the script heap: its pixels and the picture the stage draws of them.
ptrdiff_t Cost(const BitmapSurface& s) { return static_cast<ptrdiff_t>(2 * s.Bytes()); }

// False, with a warning, when a surface of width x height would take the
// script heap past its limit (the bitmap is then invalid).
bool Affordable(Vm& vm, int width, int height) {
  const script::Heap& heap = vm.GetHeap();
  const size_t cost = 2 * sizeof(uint32_t) * size_t(width) * size_t(height);
  if (heap.Bytes() + cost <= heap.Limit()) return true;
  vm.Host().Warn(L"a bitmap of " + std::to_wstring(width) + L" x " + std::to_wstring(height) +
                 L" pixels would take more memory than a movie may; it was not made");
  return false;
}

// The stage shows what changed at its next paint.
void Wrote(const CallInfo& c) { Owner(c).Player().Changed(); }

uint32_t ColorArg(Vm& vm, const Value& v) { return static_cast<uint32_t>(vm.ToInt32(v)); }

int IntArg(Vm& vm, const Value& v) {
  const double d = vm.ToNumber(v);
  return std::isfinite(d) ? static_cast<int>(std::clamp(std::trunc(d), -1e8, 1e8)) : 0;
}

PixelRect RectArg(Vm& vm, const Value& v) {
  double r[4];
  script::ReadRect(vm, v, r);
  return RectOf(r[0], r[1], r[2], r[3]);
}

void PointArg(Vm& vm, const Value& v, int& x, int& y) {
  x = IntArg(vm, vm.Get(v, vm.Intern(L"x")));
  y = IntArg(vm, vm.Get(v, vm.Intern(L"y")));
}

Value BitmapDataCtor(Vm& vm, CallInfo& c) {
  Object* o = script::Fresh(c);
  if (!o) return Value::Undefined();
  auto* state = vm.GetHeap().New<BitmapState>();
  script::Attach(o, state);
  const double w = vm.ToNumber(c.Arg(0)), h = vm.ToNumber(c.Arg(1));
  if (!BitmapSurface::ValidSize(std::trunc(w), std::trunc(h))) return Value::Undefined();
  if (!Affordable(vm, static_cast<int>(w), static_cast<int>(h))) return Value::Undefined();
  const bool transparent = c.argc > 2 ? vm.ToBool(c.args[2]) : true;
  const uint32_t fill = c.argc > 3 ? ColorArg(vm, c.args[3]) : 0xFFFFFFFFu;
  state->surface = std::make_shared<BitmapSurface>(static_cast<int>(w), static_cast<int>(h), transparent, fill);
  vm.GetHeap().Grow(state, Cost(*state->surface));
  return Value::Undefined();
}

// Properties by magic: 0 width, 1 height, 2 transparent, 3 rectangle.
Value GetProperty(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  if (!s) return Invalid();
  switch (c.callee->magic) {
    case 0: return Value::Number(s->Width());
    case 1: return Value::Number(s->Height());
    case 2: return Value::Bool(s->Transparent());
    default: return script::NewRectangle(vm, 0, 0, s->Width(), s->Height());
  }
}

// magic 0 getPixel (red, green, blue), 1 getPixel32; outside: 0.
Value GetPixel(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  if (!s) return Invalid();
  const int x = IntArg(vm, c.Arg(0)), y = IntArg(vm, c.Arg(1));
  if (!s->Inside(x, y)) return Value::Number(0);
  const uint32_t p = s->Get(x, y);
  return Value::Number(c.callee->magic ? static_cast<double>(p) : static_cast<double>(p & 0xFFFFFFu));
}

// magic 0 setPixel (the alpha kept), 1 setPixel32.
Value SetPixelMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  if (!s) return Value::Undefined();
  const int x = IntArg(vm, c.Arg(0)), y = IntArg(vm, c.Arg(1));
  if (c.callee->magic) SetPixel32(*s, x, y, ColorArg(vm, c.Arg(2)));
  else SetPixel(*s, x, y, ColorArg(vm, c.Arg(2)));
  Wrote(c);
  return Value::Undefined();
}

Value FillRectMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  if (!s) return Value::Undefined();
  FillRect(*s, RectArg(vm, c.Arg(0)), ColorArg(vm, c.Arg(1)));
  Wrote(c);
  return Value::Undefined();
}

Value FloodFillMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  if (!s) return Value::Undefined();
  FloodFill(*s, IntArg(vm, c.Arg(0)), IntArg(vm, c.Arg(1)), ColorArg(vm, c.Arg(2)));
  Wrote(c);
  return Value::Undefined();
}

Value CopyPixelsMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  BitmapSurface* src = Other(c.Arg(0));
  if (!s || !src) return Value::Undefined();
  int dx = 0, dy = 0, ax = 0, ay = 0;
  PointArg(vm, c.Arg(2), dx, dy);
  BitmapSurface* alpha = Other(c.Arg(3));
  if (alpha) PointArg(vm, c.Arg(4), ax, ay);
  CopyPixels(*s, *src, RectArg(vm, c.Arg(1)), dx, dy, alpha, ax, ay, vm.ToBool(c.Arg(5)));
  Wrote(c);
  return Value::Undefined();
}

Value ColorTransformMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  if (!s) return Value::Undefined();
  const script::ColorValues v = script::ReadColorValues(vm, c.Arg(1));
  PixelTransform t;
  std::copy(v.mult, v.mult + 4, t.mult);
  std::copy(v.add, v.add + 4, t.add);
  ColorTransformRect(*s, RectArg(vm, c.Arg(0)), t);
  Wrote(c);
  return Value::Undefined();
}

Value ThresholdMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  BitmapSurface* src = Other(c.Arg(0));
  if (!s || !src) return Invalid();
  int dx = 0, dy = 0;
  PointArg(vm, c.Arg(2), dx, dy);
  const int op = ThresholdOperation(vm.ToText(c.Arg(3)));
  if (op < 0) return Value::Number(0);
  const uint32_t mask = c.argc > 6 && !c.args[6].IsUndefined() ? ColorArg(vm, c.args[6]) : 0xFFFFFFFFu;
  const size_t n = Threshold(*s, *src, RectArg(vm, c.Arg(1)), dx, dy, op, ColorArg(vm, c.Arg(4)),
                             ColorArg(vm, c.Arg(5)), mask, vm.ToBool(c.Arg(7)));
  Wrote(c);
  return Value::Number(static_cast<double>(n));
}

Value ScrollMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  if (!s) return Value::Undefined();
  Scroll(*s, IntArg(vm, c.Arg(0)), IntArg(vm, c.Arg(1)));
  Wrote(c);
  return Value::Undefined();
}

Value Clone(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  if (!s) return Invalid();
  if (!Affordable(vm, s->Width(), s->Height())) return Value::Undefined();
  auto copy = std::make_shared<BitmapSurface>(s->Width(), s->Height(), s->Transparent(), 0);
  copy->Pixels() = s->Pixels();
  copy->Touch();
  return NewBitmapData(vm, std::move(copy));
}

Value Dispose(Vm& vm, CallInfo& c) {
  BitmapState* state = BitmapOf(c.thisv);
  if (!state || !state->surface) return Value::Undefined();
  vm.GetHeap().Grow(state, -Cost(*state->surface));
  state->surface->Dispose();  // what shows it shows nothing from now on
  state->surface.reset();
  Wrote(c);
  return Value::Undefined();
}

Value NoiseMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  if (!s) return Value::Undefined();
  Noise(*s, static_cast<uint32_t>(vm.ToInt32(c.Arg(0))), static_cast<int>(script::NumberOr(vm, c, 1, 0)),
        static_cast<int>(script::NumberOr(vm, c, 2, 255)), static_cast<int>(script::NumberOr(vm, c, 3, 7)),
        vm.ToBool(c.Arg(4)));
  Wrote(c);
  return Value::Undefined();
}

Value PerlinNoiseMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  if (!s) return Value::Undefined();
  PerlinParams p;
  p.baseX = vm.ToNumber(c.Arg(0)), p.baseY = vm.ToNumber(c.Arg(1));
  const double octaves = vm.ToNumber(c.Arg(2));
  p.octaves = std::isfinite(octaves) ? static_cast<int>(std::clamp(octaves, 0.0, 1e6)) : 0;
  if (p.octaves > kMaxPerlinOctaves)
    vm.Host().Warn(L"perlinNoise: " + std::to_wstring(p.octaves) + L" octaves were asked for; " +
                   std::to_wstring(kMaxPerlinOctaves) + L" are drawn");
  p.seed = static_cast<uint32_t>(vm.ToInt32(c.Arg(3)));
  p.stitch = vm.ToBool(c.Arg(4)), p.fractal = vm.ToBool(c.Arg(5));
  p.channels = static_cast<int>(script::NumberOr(vm, c, 6, 7));
  p.gray = vm.ToBool(c.Arg(7));
  if (Object* a = c.Arg(8).ObjectOrNull(); a && a->Class() == script::ObjClass::Array) {
    const std::vector<Value> offsets = static_cast<script::Array*>(a)->items;
    for (size_t i = 0; i < offsets.size() && i < size_t(kMaxPerlinOctaves); ++i)
      p.offsets.emplace_back(script::NumberOf(vm, offsets[i], L"x"), script::NumberOf(vm, offsets[i], L"y"));
  }
  PerlinNoise(*s, p);
  Wrote(c);
  return Value::Undefined();
}

Value PixelDissolveMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  BitmapSurface* src = Other(c.Arg(0));
  if (!s || !src) return Invalid();
  int dx = 0, dy = 0;
  PointArg(vm, c.Arg(2), dx, dy);
  const double count = vm.ToNumber(c.Arg(4));
  // The source itself: pixels turn to the fill colour.
  const uint32_t seed = PixelDissolve(*s, src == s ? nullptr : src, RectArg(vm, c.Arg(1)), dx, dy,
                                      static_cast<uint32_t>(vm.ToInt32(c.Arg(3))),
                                      std::isfinite(count) && count > 0 ? static_cast<size_t>(std::min(count, 1e8)) : 0,
                                      ColorArg(vm, c.Arg(5)));
  Wrote(c);
  return Value::Number(seed);
}

Value CopyChannelMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  BitmapSurface* src = Other(c.Arg(0));
  if (!s || !src) return Value::Undefined();
  int dx = 0, dy = 0;
  PointArg(vm, c.Arg(2), dx, dy);
  CopyChannel(*s, *src, RectArg(vm, c.Arg(1)), dx, dy, vm.ToInt32(c.Arg(3)), vm.ToInt32(c.Arg(4)));
  Wrote(c);
  return Value::Undefined();
}

Value MergeMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  BitmapSurface* src = Other(c.Arg(0));
  if (!s || !src) return Value::Undefined();
  int dx = 0, dy = 0;
  PointArg(vm, c.Arg(2), dx, dy);
  const int mult[4] = {IntArg(vm, c.Arg(3)), IntArg(vm, c.Arg(4)), IntArg(vm, c.Arg(5)), IntArg(vm, c.Arg(6))};
  Merge(*s, *src, RectArg(vm, c.Arg(1)), dx, dy, mult);
  Wrote(c);
  return Value::Undefined();
}

Value PaletteMapMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  BitmapSurface* src = Other(c.Arg(0));
  if (!s || !src) return Value::Undefined();
  int dx = 0, dy = 0;
  PointArg(vm, c.Arg(2), dx, dy);
  std::vector<uint32_t> lists[4];
  const std::vector<uint32_t>* tables[4] = {};
  for (uint32_t i = 0; i < 4; ++i) {
    Object* a = c.Arg(3 + i).ObjectOrNull();
    if (!a || a->Class() != script::ObjClass::Array) continue;
    const std::vector<Value> items = static_cast<script::Array*>(a)->items;
    for (size_t k = 0; k < items.size() && k < 256; ++k) lists[i].push_back(ColorArg(vm, items[k]));
    tables[i] = &lists[i];
  }
  PaletteMap(*s, *src, RectArg(vm, c.Arg(1)), dx, dy, tables);
  Wrote(c);
  return Value::Undefined();
}

Value GetColorBoundsRect(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  if (!s) return Invalid();
  const PixelRect r = ColorBounds(*s, ColorArg(vm, c.Arg(0)), ColorArg(vm, c.Arg(1)), c.argc > 2 ? vm.ToBool(c.args[2]) : true);
  return script::NewRectangle(vm, r.x, r.y, r.w, r.h);
}

Value CompareMethod(Vm& vm, CallInfo& c) {
  BitmapSurface* s = Self(c);
  if (!s) return Invalid();
  BitmapSurface* other = Other(c.Arg(0));
  if (!other) return Value::Number(-2);
  std::vector<uint32_t> diff;
  const int result = Compare(*s, *other, diff);
  if (result <= 0) return Value::Number(result);
  auto out = std::make_shared<BitmapSurface>(s->Width(), s->Height(), true, 0);
  out->Pixels() = std::move(diff);
  return NewBitmapData(vm, std::move(out));
}

// Filters change nothing of the rectangle's size here.
Value GenerateFilterRect(Vm& vm, CallInfo& c) {
  if (!Self(c)) return Invalid();
  double r[4];
  script::ReadRect(vm, c.Arg(0), r);
  return script::NewRectangle(vm, r[0], r[1], r[2], r[3]);
}

}  // namespace

BitmapState* BitmapOf(const Value& v) { return script::StateOf<BitmapState>(v); }

std::shared_ptr<BitmapSurface> SurfaceOf(const Value& v) {
  BitmapState* s = BitmapOf(v);
  return s && s->surface && !s->surface->Disposed() ? s->surface : nullptr;
}

Value NewBitmapData(Vm& vm, std::shared_ptr<BitmapSurface> surface) {
  const Value args[] = {Value::Number(1), Value::Number(1)};
  const Value made = script::NewOf(vm, kBitmapData, args);
  BitmapState* state = BitmapOf(made);
  if (!state) return Value::Undefined();
  if (state->surface) vm.GetHeap().Grow(state, -Cost(*state->surface));
  state->surface = std::move(surface);
  if (state->surface) vm.GetHeap().Grow(state, Cost(*state->surface));
  return made;
}

void InstallBitmapData(MovieScripts& owner, Vm& vm, Object* movieClip) {
  Object* p = vm.NewObject();
  auto method = [&](const wchar_t* name, script::NativeFn fn, int magic = 0) {
    vm.Method(p, name, fn, magic)->hostData = &owner;
  };
  const wchar_t* properties[] = {L"width", L"height", L"transparent", L"rectangle"};
  for (int i = 0; i < 4; ++i) script::Property(vm, p, properties[i], GetProperty, nullptr, i);
  method(L"getPixel", GetPixel, 0);
  method(L"getPixel32", GetPixel, 1);
  method(L"setPixel", SetPixelMethod, 0);
  method(L"setPixel32", SetPixelMethod, 1);
  method(L"fillRect", FillRectMethod);
  method(L"floodFill", FloodFillMethod);
  method(L"copyPixels", CopyPixelsMethod);
  method(L"colorTransform", ColorTransformMethod);
  method(L"threshold", ThresholdMethod);
  method(L"scroll", ScrollMethod);
  method(L"clone", Clone);
  method(L"dispose", Dispose);
  method(L"noise", NoiseMethod);
  method(L"perlinNoise", PerlinNoiseMethod);
  method(L"pixelDissolve", PixelDissolveMethod);
  method(L"copyChannel", CopyChannelMethod);
  method(L"merge", MergeMethod);
  method(L"paletteMap", PaletteMapMethod);
  method(L"getColorBoundsRect", GetColorBoundsRect);
  method(L"compare", CompareMethod);
  method(L"generateFilterRect", GenerateFilterRect);
  script::Function* ctor =
      script::PackageClass(vm, script::Package(vm, L"flash.display"), L"BitmapData", BitmapDataCtor, p);
  InstallBitmapDrawing(owner, vm, p, ctor, movieClip);
}

}  // namespace flash
