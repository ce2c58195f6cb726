// flash.filters: BitmapFilter, BlurFilter, DropShadowFilter, GlowFilter,
// BevelFilter, GradientGlowFilter, GradientBevelFilter, ConvolutionFilter and
// ColorMatrixFilter, for movies of version 8 and later.
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "platform/flash/script/builtins/Builtins.h"
#include "platform/flash/script/builtins/ClassKit.h"
#include "platform/flash/script/FilterObject.h"

namespace flash::script {
namespace {

enum Prop {
  kBlurX, kBlurY, kQuality, kStrength, kAngle, kDistance, kColor, kAlpha, kInner, kKnockout, kHideObject,
  kHighlightColor, kHighlightAlpha, kShadowColor, kShadowAlpha, kType, kColors, kAlphas, kRatios, kMatrixX,
  kMatrixY, kMatrix, kDivisor, kBias, kPreserveAlpha, kClamp, kPropCount
};

const wchar_t* const kPropNames[kPropCount] = {
    L"blurX",      L"blurY",          L"quality",     L"strength",    L"angle",  L"distance", L"color",
    L"alpha",      L"inner",          L"knockout",    L"hideObject",  L"highlightColor", L"highlightAlpha",
    L"shadowColor", L"shadowAlpha",   L"type",        L"colors",      L"alphas", L"ratios",   L"matrixX",
    L"matrixY",    L"matrix",         L"divisor",     L"bias",        L"preserveAlpha", L"clamp"};

struct ClassInfo {
  const wchar_t* name;
  std::initializer_list<Prop> args;  // the constructor's arguments in order: every property
};

// By FilterKind.
const ClassInfo kClasses[] = {
    {L"DropShadowFilter",
     {kDistance, kAngle, kColor, kAlpha, kBlurX, kBlurY, kStrength, kQuality, kInner, kKnockout, kHideObject}},
    {L"BlurFilter", {kBlurX, kBlurY, kQuality}},
    {L"GlowFilter", {kColor, kAlpha, kBlurX, kBlurY, kStrength, kQuality, kInner, kKnockout}},
    {L"BevelFilter",
     {kDistance, kAngle, kHighlightColor, kHighlightAlpha, kShadowColor, kShadowAlpha, kBlurX, kBlurY, kStrength,
      kQuality, kType, kKnockout}},
    {L"GradientGlowFilter",
     {kDistance, kAngle, kColors, kAlphas, kRatios, kBlurX, kBlurY, kStrength, kQuality, kType, kKnockout}},
    {L"ConvolutionFilter", {kMatrixX, kMatrixY, kMatrix, kDivisor, kBias, kPreserveAlpha, kClamp, kColor, kAlpha}},
    {L"ColorMatrixFilter", {kMatrix}},
    {L"GradientBevelFilter",
     {kDistance, kAngle, kColors, kAlphas, kRatios, kBlurX, kBlurY, kStrength, kQuality, kType, kKnockout}},
};

constexpr size_t kMaxMatrixValues = size_t(Filter::kMaxMatrixSide) * Filter::kMaxMatrixSide;

double Clamped(Vm& vm, const Value& v, double lo, double hi) {
  const double d = vm.ToNumber(v);
  return std::isnan(d) ? lo : std::clamp(d, lo, hi);
}

uint32_t WithAlpha(uint32_t rgb, double alpha) {
  return uint32_t(std::lround(std::clamp(alpha, 0.0, 1.0) * 255)) << 24 | (rgb & 0xFFFFFF);
}

std::vector<Value> Items(const Value& v, size_t limit) {
  Object* o = v.ObjectOrNull();
  if (!o || o->Class() != ObjClass::Array) return {};
  const std::vector<Value>& items = static_cast<Array*>(o)->items;
  return std::vector<Value>(items.begin(), items.begin() + ptrdiff_t(std::min(items.size(), limit)));
}

template <class T, class Fn>
Value ArrayOf(Vm& vm, const std::vector<T>& values, Fn fn) {
  Array* a = vm.NewArray(values.size());
  for (size_t i = 0; i < values.size(); ++i) vm.ArrayPut(a, i, fn(values[i]));
  return Value::Obj(a);
}

Value GetProp(Vm& vm, FilterObject& o, int prop) {
  const Filter& f = o.Get();
  const bool convolution = f.kind == FilterKind::Convolution;
  switch (prop) {
    case kBlurX: return Value::Number(f.blurX);
    case kBlurY: return Value::Number(f.blurY);
    case kQuality: return Value::Number(f.passes);
    case kStrength: return Value::Number(f.strength);
    case kAngle: return Value::Number(f.angle);
    case kDistance: return Value::Number(f.distance);
    case kColor: return Value::Number((convolution ? f.defaultColor : f.color) & 0xFFFFFF);
    case kAlpha:
    case kShadowAlpha: return Value::Number(o.alpha);
    case kInner: return Value::Bool(f.placement == FilterPlacement::Inner);
    case kKnockout: return Value::Bool(f.knockout);
    case kHideObject: return Value::Bool(f.hideObject);
    case kHighlightColor: return Value::Number(f.highlight & 0xFFFFFF);
    case kHighlightAlpha: return Value::Number(o.highlightAlpha);
    case kShadowColor: return Value::Number(f.color & 0xFFFFFF);
    case kType:
      return vm.Str(f.placement == FilterPlacement::Inner ? L"inner" : f.placement == FilterPlacement::Outer ? L"outer" : L"full");
    case kColors: return ArrayOf(vm, o.colors, [](uint32_t c) { return Value::Number(c); });
    case kAlphas: return ArrayOf(vm, o.alphas, [](double d) { return Value::Number(d); });
    case kRatios: return ArrayOf(vm, o.ratios, [](double d) { return Value::Number(d); });
    case kMatrixX: return Value::Number(f.matrixX);
    case kMatrixY: return Value::Number(f.matrixY);
    case kMatrix:
      if (convolution) return ArrayOf(vm, o.values, [](double d) { return Value::Number(d); });
      return ArrayOf(vm, std::vector<float>(f.colorMatrix.begin(), f.colorMatrix.end()), [](float d) { return Value::Number(d); });
    case kDivisor: return Value::Number(f.divisor);
    case kBias: return Value::Number(f.bias);
    case kPreserveAlpha: return Value::Bool(f.preserveAlpha);
    case kClamp: return Value::Bool(f.clamp);
    default: return Value::Undefined();
  }
}

void SetProp(Vm& vm, FilterObject& o, int prop, const Value& v) {
  Filter& f = o.Edit();
  const bool convolution = f.kind == FilterKind::Convolution;
  switch (prop) {
    case kBlurX: f.blurX = Clamped(vm, v, 0, Filter::kMaxBlur); break;
    case kBlurY: f.blurY = Clamped(vm, v, 0, Filter::kMaxBlur); break;
    case kQuality: f.passes = static_cast<int>(Clamped(vm, v, 0, Filter::kMaxPasses)); break;
    case kStrength: f.strength = Clamped(vm, v, 0, Filter::kMaxStrength); break;
    case kAngle: {
      const double d = vm.ToNumber(v);
      f.angle = std::isfinite(d) ? std::fmod(d, 360) : 0;
      break;
    }
    case kDistance: f.distance = Clamped(vm, v, -Filter::kMaxDistance, Filter::kMaxDistance); break;
    case kColor: {
      uint32_t& c = convolution ? f.defaultColor : f.color;
      c = (c & 0xFF000000u) | (uint32_t(vm.ToInt32(v)) & 0xFFFFFF);
      break;
    }
    case kShadowColor: f.color = (f.color & 0xFF000000u) | (uint32_t(vm.ToInt32(v)) & 0xFFFFFF); break;
    case kHighlightColor: f.highlight = (f.highlight & 0xFF000000u) | (uint32_t(vm.ToInt32(v)) & 0xFFFFFF); break;
    case kAlpha:
    case kShadowAlpha: o.alpha = Clamped(vm, v, 0, 1); break;
    case kHighlightAlpha: o.highlightAlpha = Clamped(vm, v, 0, 1); break;
    case kInner: f.placement = vm.ToBool(v) ? FilterPlacement::Inner : FilterPlacement::Outer; break;
    case kKnockout: f.knockout = vm.ToBool(v); break;
    case kHideObject: f.hideObject = vm.ToBool(v); break;
    case kType: {
      const std::wstring t = vm.ToText(v);
      if (t == L"inner") f.placement = FilterPlacement::Inner;
      else if (t == L"outer") f.placement = FilterPlacement::Outer;
      else if (t == L"full") f.placement = FilterPlacement::Full;
      break;
    }
    case kColors:
    case kAlphas:
    case kRatios: {
      const std::vector<Value> items = Items(v, Filter::kMaxGradient);
      if (prop == kColors) {
        o.colors.clear();
        for (const Value& i : items) o.colors.push_back(uint32_t(vm.ToInt32(i)) & 0xFFFFFF);
      } else {
        std::vector<double>& list = prop == kAlphas ? o.alphas : o.ratios;
        list.clear();
        for (const Value& i : items) list.push_back(Clamped(vm, i, 0, prop == kAlphas ? 1 : 255));
      }
      break;
    }
    case kMatrixX: f.matrixX = static_cast<int>(Clamped(vm, v, 0, Filter::kMaxMatrixSide)); break;
    case kMatrixY: f.matrixY = static_cast<int>(Clamped(vm, v, 0, Filter::kMaxMatrixSide)); break;
    case kMatrix: {
      const std::vector<Value> items = Items(v, convolution ? kMaxMatrixValues : 20);
      if (!v.IsObject() || v.AsObject()->Class() != ObjClass::Array) break;
      if (convolution) {
        const ptrdiff_t before = ptrdiff_t(o.values.size());
        o.values.clear();
        for (const Value& i : items) {
          const double d = vm.ToNumber(i);
          o.values.push_back(std::isfinite(d) ? d : 0);
        }
        vm.GetHeap().Grow(&o, (ptrdiff_t(o.values.size()) - before) * ptrdiff_t(sizeof(double)));
      } else {
        for (size_t i = 0; i < 20; ++i) f.colorMatrix[i] = i < items.size() ? static_cast<float>(vm.ToNumber(items[i])) : 0.0f;
      }
      break;
    }
    case kDivisor: f.divisor = static_cast<float>(vm.ToNumber(v)); break;
    case kBias: f.bias = static_cast<float>(vm.ToNumber(v)); break;
    case kPreserveAlpha: f.preserveAlpha = vm.ToBool(v); break;
    case kClamp: f.clamp = vm.ToBool(v); break;
    default: break;
  }
  o.Update();
}

FilterObject* ThisFilter(const CallInfo& c) { return dynamic_cast<FilterObject*>(c.thisv.ObjectOrNull()); }

Value Getter(Vm& vm, CallInfo& c) {
  FilterObject* o = ThisFilter(c);
  return o ? GetProp(vm, *o, c.callee->magic) : Value::Undefined();
}

Value Setter(Vm& vm, CallInfo& c) {
  if (FilterObject* o = ThisFilter(c)) SetProp(vm, *o, c.callee->magic, c.Arg(0));
  return Value::Undefined();
}

// magic: the FilterKind.
Value FilterCtor(Vm& vm, CallInfo& c) {
  Object* proto = c.construct ? c.thisv.AsObject()->Proto() : nullptr;
  const FilterKind kind = static_cast<FilterKind>(c.callee->magic);
  auto* o = vm.GetHeap().New<FilterObject>(proto ? proto : vm.objectProto, Filter::Defaults(kind));
  uint32_t i = 0;
  for (Prop p : kClasses[c.callee->magic].args) {
    if (i < c.argc && !c.args[i].IsUndefined()) SetProp(vm, *o, p, c.args[i]);
    ++i;
  }
  return Value::Obj(o);
}

Value BitmapFilterCtor(Vm& vm, CallInfo& c) {
  return c.construct ? c.thisv : Value::Obj(vm.NewObject());
}

Value Clone(Vm& vm, CallInfo& c) {
  FilterObject* self = ThisFilter(c);
  if (!self) return Value::Undefined();
  auto* o = vm.GetHeap().New<FilterObject>(self->Proto(), self->Get());
  o->alpha = self->alpha, o->highlightAlpha = self->highlightAlpha;
  o->colors = self->colors, o->alphas = self->alphas, o->ratios = self->ratios, o->values = self->values;
  vm.GetHeap().Grow(o, ptrdiff_t(o->values.size() * sizeof(double)));
  o->Update();
  return Value::Obj(o);
}

}  // namespace

FilterObject::FilterObject(Object* proto, const Filter& filter) : Object(proto), filter_(filter) {
  alpha = double((filter.kind == FilterKind::Convolution ? filter.defaultColor : filter.color) >> 24) / 255;
  highlightAlpha = double(filter.highlight >> 24) / 255;
  for (const GradientEntry& e : filter.gradient) {
    colors.push_back(e.color & 0xFFFFFF);
    alphas.push_back(double(e.color >> 24) / 255);
    ratios.push_back(e.ratio);
  }
  values.assign(filter.matrix.begin(), filter.matrix.end());
}

void FilterObject::Update() {
  Filter& f = filter_;
  if (f.kind == FilterKind::Convolution) {
    f.defaultColor = WithAlpha(f.defaultColor, alpha);
    f.matrix.assign(size_t(f.matrixX) * size_t(f.matrixY), 0.0f);
    for (size_t i = 0; i < f.matrix.size() && i < values.size(); ++i) f.matrix[i] = static_cast<float>(values[i]);
  } else {
    f.color = WithAlpha(f.color, alpha);
  }
  f.highlight = WithAlpha(f.highlight, highlightAlpha);
  const size_t n = std::min({colors.size(), alphas.size(), ratios.size()});
  f.gradient.resize(n);
  for (size_t i = 0; i < n; ++i)
    f.gradient[i] = GradientEntry{WithAlpha(colors[i], alphas[i]), static_cast<uint8_t>(std::lround(ratios[i]))};
  f.Clamp();
}

Object* NewFilterObject(Vm& vm, const Filter& filter) {
  const size_t kind = static_cast<size_t>(filter.kind);
  Object* proto = nullptr;
  if (kind < std::size(kClasses)) {
    const Value cls = vm.Get(Value::Obj(Package(vm, L"flash.filters")), vm.Intern(kClasses[kind].name));
    proto = cls.IsObject() ? vm.Get(cls, vm.N().prototype).ObjectOrNull() : nullptr;
  }
  auto* o = vm.GetHeap().New<FilterObject>(proto ? proto : vm.objectProto, filter);
  vm.GetHeap().Grow(o, ptrdiff_t(o->values.size() * sizeof(double)));
  return o;
}

const Filter* FilterOf(const Value& v) {
  const auto* o = dynamic_cast<const FilterObject*>(v.ObjectOrNull());
  return o ? &o->Get() : nullptr;
}

void InstallFilterBuiltins(Vm& vm) {
  if (vm.Version() < 8) return;
  Object* filters = Package(vm, L"flash.filters");
  Object* base = vm.NewObject();
  vm.Method(base, L"clone", Clone);
  Function* bitmapFilter = vm.Class(nullptr, BitmapFilterCtor, base);
  vm.Put(filters, L"BitmapFilter", Value::Obj(bitmapFilter));
  for (size_t kind = 0; kind < std::size(kClasses); ++kind) {
    Object* proto = vm.NewObject(base);
    for (Prop p : kClasses[kind].args) {
      Accessor* a = vm.GetHeap().New<Accessor>(Value::Obj(vm.NewNative(Getter, p)), Value::Obj(vm.NewNative(Setter, p)));
      String* name = vm.Intern(kPropNames[p]);
      proto->Props().Add(vm.GetHeap().Key(name), name, Value::Obj(a), kAccessor | kDontEnum);
    }
    Function* cls = vm.Class(nullptr, FilterCtor, proto, static_cast<int>(kind));
    vm.Put(filters, kClasses[kind].name, Value::Obj(cls));
  }
}

}  // namespace flash::script
