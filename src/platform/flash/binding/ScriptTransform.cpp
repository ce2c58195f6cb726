// flash.geom.Transform: a clip's matrix and colour transform as Matrix and
// ColorTransform objects (copies; setting one changes the clip), their
// forms concatenated up to the main timeline, and the clip's bounds on the
// stage in pixels. MovieClip.transform gives a new Transform of the clip
// (setting one copies its matrix and colour transform), MovieClip.scrollRect
// the part of the clip shown at its origin (undefined: all of it).
#include <algorithm>
#include <cmath>

#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptClasses.h"
#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/render/FlashRenderer.h"

namespace flash {
namespace {

using script::Affine;
using script::CallInfo;
using script::ColorValues;
using script::Object;
using script::Value;
using script::Vm;

enum Part { kMatrix, kConcatenatedMatrix, kColor, kConcatenatedColor, kPixelBounds };

MovieClipObject* ClipOfTransform(const Value& self) {
  Object* o = self.ObjectOrNull();
  Object* clip = o ? o->primitive.ObjectOrNull() : nullptr;
  return clip && clip->Class() == script::ObjClass::Clip ? static_cast<MovieClipObject*>(clip) : nullptr;
}

Affine AffineOf(const Matrix& m) { return Affine{m.a, m.b, m.c, m.d, m.tx / 20.0, m.ty / 20.0}; }

ColorValues ColorsOf(const ColorTransform& c) {
  ColorValues v;
  const int32_t mult[4] = {c.mr, c.mg, c.mb, c.ma}, add[4] = {c.ar, c.ag, c.ab, c.aa};
  for (int i = 0; i < 4; ++i) v.mult[i] = mult[i] / 256.0, v.add[i] = add[i];
  return v;
}

double Finite(double v, double limit) { return std::isfinite(v) ? std::clamp(v, -limit, limit) : 0; }

void SetMatrix(MovieClipObject* clip, const Affine& m) {
  DisplayObject* e = clip ? clip->Entry() : nullptr;
  if (!e) return;
  e->matrix = Matrix{Finite(m.a, 1e6), Finite(m.b, 1e6), Finite(m.c, 1e6), Finite(m.d, 1e6),
                     static_cast<int32_t>(std::lround(Finite(m.tx * 20, 1e9))),
                     static_cast<int32_t>(std::lround(Finite(m.ty * 20, 1e9)))};
  e->transformKnown = false;
  e->scripted = true;
  clip->Owner().Player().Changed();
}

void SetColors(MovieClipObject* clip, const ColorValues& v) {
  DisplayObject* e = clip ? clip->Entry() : nullptr;
  if (!e) return;
  auto mult = [](double m) { return static_cast<int32_t>(std::lround(Finite(m, 1e5) * 256)); };
  auto add = [](double a) { return static_cast<int32_t>(std::lround(Finite(a, 1e5))); };
  e->color = ColorTransform{mult(v.mult[0]), mult(v.mult[1]), mult(v.mult[2]), mult(v.mult[3]),
                            add(v.add[0]),   add(v.add[1]),   add(v.add[2]),   add(v.add[3])};
  e->scripted = true;
  clip->Owner().Player().Changed();
}

Value TransformCtor(Vm&, CallInfo& c) {
  Object* o = script::Fresh(c);
  if (o && c.Arg(0).IsObject() && c.Arg(0).AsObject()->Class() == script::ObjClass::Clip) o->primitive = c.Arg(0);
  return Value::Undefined();
}

Value GetPart(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ClipOfTransform(c.thisv);
  Clip* clip = self ? self->TheClip() : nullptr;
  if (!clip) return Value::Undefined();
  MovieScripts& owner = self->Owner();
  switch (c.callee->magic) {
    case kMatrix: return script::NewMatrix(vm, AffineOf(clip->entry ? clip->entry->matrix : Matrix{}));
    case kConcatenatedMatrix: return script::NewMatrix(vm, AffineOf(owner.WorldOf(clip)));
    case kColor: return script::NewColorTransform(vm, ColorsOf(clip->entry ? clip->entry->color : ColorTransform{}));
    case kConcatenatedColor: {
      ColorTransform cx;
      std::vector<const DisplayObject*> chain;
      for (const Clip* k = clip; k && k->entry && chain.size() < 64; k = k->parent) chain.push_back(k->entry);
      for (auto it = chain.rbegin(); it != chain.rend(); ++it) cx = Concat(cx, (*it)->color);
      return script::NewColorTransform(vm, ColorsOf(cx));
    }
    default: {
      double box[4];
      if (!owner.ClipBounds(*clip, owner.WorldOf(clip), box)) return script::NewRectangle(vm, 0, 0, 0, 0);
      const double x0 = std::floor(box[0] / 20), y0 = std::floor(box[1] / 20);
      return script::NewRectangle(vm, x0, y0, std::ceil(box[2] / 20) - x0, std::ceil(box[3] / 20) - y0);
    }
  }
}

Value SetPart(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ClipOfTransform(c.thisv);
  if (!self || !c.Arg(0).IsObject()) return Value::Undefined();
  if (c.callee->magic == kMatrix) SetMatrix(self, script::ReadAffine(vm, c.Arg(0)));
  if (c.callee->magic == kColor) SetColors(self, script::ReadColorValues(vm, c.Arg(0)));
  return Value::Undefined();
}

MovieClipObject* ThisClip(const CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  return o && o->Class() == script::ObjClass::Clip ? static_cast<MovieClipObject*>(o) : nullptr;
}

Value GetClipTransform(Vm& vm, CallInfo& c) {
  if (!ThisClip(c)) return Value::Undefined();
  return script::NewOf(vm, L"flash.geom.Transform", std::span<const Value>(&c.thisv, 1));
}

Value SetClipTransform(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  const Value t = c.Arg(0);
  if (!self || !t.IsObject()) return Value::Undefined();
  const Value m = vm.Get(t, vm.Intern(L"matrix")), ct = vm.Get(t, vm.Intern(L"colorTransform"));
  if (m.IsObject()) SetMatrix(self, script::ReadAffine(vm, m));
  if (ct.IsObject()) SetColors(self, script::ReadColorValues(vm, ct));
  return Value::Undefined();
}

Value GetScrollRect(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  Clip* clip = self ? self->TheClip() : nullptr;
  if (!clip || !clip->scrolled) return Value::Undefined();
  const double* r = clip->scrollRect;
  return script::NewRectangle(vm, r[0], r[1], r[2], r[3]);
}

Value SetScrollRect(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  Clip* clip = self ? self->TheClip() : nullptr;
  if (!clip) return Value::Undefined();
  double r[4];
  script::ReadRect(vm, c.Arg(0), r);
  clip->scrolled = c.Arg(0).IsObject() && std::all_of(r, r + 4, [](double v) { return std::isfinite(v); });
  for (int i = 0; i < 4; ++i) clip->scrollRect[i] = clip->scrolled ? std::clamp(r[i], -1e7, 1e7) : 0;
  if (clip->scrolled) clip->scrollRect[2] = std::max(0.0, clip->scrollRect[2]), clip->scrollRect[3] = std::max(0.0, clip->scrollRect[3]);
  self->Owner().Player().Changed();
  return Value::Undefined();
}

}  // namespace

void InstallTransform(MovieScripts&, Vm& vm, Object* movieClip) {
  Object* p = vm.NewObject();
  script::Property(vm, p, L"matrix", GetPart, SetPart, kMatrix);
  script::Property(vm, p, L"concatenatedMatrix", GetPart, nullptr, kConcatenatedMatrix);
  script::Property(vm, p, L"colorTransform", GetPart, SetPart, kColor);
  script::Property(vm, p, L"concatenatedColorTransform", GetPart, nullptr, kConcatenatedColor);
  script::Property(vm, p, L"pixelBounds", GetPart, nullptr, kPixelBounds);
  script::PackageClass(vm, script::Package(vm, L"flash.geom"), L"Transform", TransformCtor, p);
  if (!movieClip) return;
  script::Property(vm, movieClip, L"transform", GetClipTransform, SetClipTransform);
  script::Property(vm, movieClip, L"scrollRect", GetScrollRect, SetScrollRect);
}

}  // namespace flash
