#include "platform/flash/binding/ScriptEffects.h"

#include <cmath>
#include <string_view>

#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/script/FilterObject.h"

namespace flash {
namespace {

using script::CallInfo;
using script::Object;
using script::Value;
using script::Vm;

enum EffectProp { kFilters, kBlendMode, kCacheAsBitmap, kOpaqueBackground, kScale9Grid };
const wchar_t* const kNames[] = {L"filters", L"blendMode", L"cacheAsBitmap", L"opaqueBackground", L"scale9Grid"};

// What one clip's filter list may hold: as many filters as a placement can
// carry, and convolution matrices of at most one largest matrix's values.
constexpr size_t kMaxFilters = 255;
constexpr size_t kMaxMatrixValues = size_t(Filter::kMaxMatrixSide) * Filter::kMaxMatrixSide;

// The display-list entry a clip, text field or button object stands for.
DisplayObject* EntryOf(const Value& self) {
  Object* o = self.ObjectOrNull();
  if (!o) return nullptr;
  if (o->Class() == script::ObjClass::Clip) return static_cast<MovieClipObject*>(o)->Entry();
  if (auto* e = dynamic_cast<EntryObject*>(o)) return e->Entry();
  return nullptr;
}

Value Get(Vm& vm, CallInfo& c) {
  const DisplayObject* e = EntryOf(c.thisv);
  const SurfaceEffects none;
  const SurfaceEffects& fx = e ? e->effects : none;
  switch (c.callee->magic) {
    case kFilters: {
      script::Array* a = vm.NewArray();
      if (fx.filters)
        for (const Filter& f : *fx.filters) vm.ArrayPut(a, a->items.size(), Value::Obj(script::NewFilterObject(vm, f)));
      return Value::Obj(a);
    }
    case kBlendMode: return vm.Str(BlendModeName(fx.blend));
    case kCacheAsBitmap: return Value::Bool(fx.cacheAsBitmap || fx.HasFilters());
    case kScale9Grid: {
      if (!e || !e->scale9Grid) return Value::Undefined();
      const RECT& g = *e->scale9Grid;
      Object* o = vm.NewObject();
      vm.Put(o, L"x", Value::Number(g.left / 20.0), 0);
      vm.Put(o, L"y", Value::Number(g.top / 20.0), 0);
      vm.Put(o, L"width", Value::Number((g.right - g.left) / 20.0), 0);
      vm.Put(o, L"height", Value::Number((g.bottom - g.top) / 20.0), 0);
      return Value::Obj(o);
    }
    default: return fx.opaqueBackground ? Value::Number(*fx.opaqueBackground) : Value::Undefined();
  }
}

Value Set(Vm& vm, CallInfo& c) {
  DisplayObject* e = EntryOf(c.thisv);
  if (!e) return Value::Undefined();
  const Value v = c.Arg(0);
  SurfaceEffects& fx = e->effects;
  switch (c.callee->magic) {
    case kFilters: {
      Object* list = v.ObjectOrNull();
      if (list && list->Class() == script::ObjClass::Array) {
        auto filters = std::make_shared<FilterList>();
        size_t values = 0;
        for (const Value& item : static_cast<script::Array*>(list)->items) {
          const Filter* f = script::FilterOf(item);
          if (!f) continue;
          values += f->matrix.size();
          if (filters->size() == kMaxFilters || values > kMaxMatrixValues) {
            vm.Host().Warn(L"a clip takes at most " + std::to_wstring(kMaxFilters) +
                           L" filters and one largest matrix; the rest are left out");
            break;
          }
          filters->push_back(*f);
        }
        fx.filters = filters->empty() ? nullptr : std::move(filters);
      } else if (v.IsUndefined() || v.IsNull()) {
        fx.filters = nullptr;
      } else {
        return Value::Undefined();
      }
      e->effectsScripted = true;
      break;
    }
    case kBlendMode: {
      const std::optional<BlendMode> mode = v.IsNumber() ? BlendModeOf(v.AsNumber()) : BlendModeOf(vm.ToText(v).c_str());
      if (!mode) return Value::Undefined();
      fx.blend = *mode;
      e->effectsScripted = true;
      break;
    }
    case kCacheAsBitmap: fx.cacheAsBitmap = vm.ToBool(v); break;
    case kScale9Grid: {
      // Any object with x, y, width and height in pixels; anything else (or a
      // rectangle with no area or beyond the twips' range) takes the grid away.
      e->scale9Grid.reset();
      if (!v.IsObject()) break;
      double f[4];
      const wchar_t* const fields[] = {L"x", L"y", L"width", L"height"};
      for (int i = 0; i < 4; ++i) f[i] = vm.ToNumber(vm.Get(v, vm.Intern(fields[i]))) * 20;
      const bool sound = std::isfinite(f[0]) && std::isfinite(f[1]) && f[2] > 0 && f[3] > 0 &&
                         std::fabs(f[0]) + f[2] < 1e9 && std::fabs(f[1]) + f[3] < 1e9;
      if (sound) e->scale9Grid = RECT{LONG(f[0]), LONG(f[1]), LONG(f[0] + f[2]), LONG(f[1] + f[3])};
      break;
    }
    default: {
      if (v.IsUndefined() || v.IsNull()) {
        fx.opaqueBackground.reset();
      } else {
        const double d = vm.ToNumber(v);
        if (std::isnan(d)) fx.opaqueBackground.reset();
        else fx.opaqueBackground = uint32_t(vm.ToInt32(v)) & 0xFFFFFF;
      }
      break;
    }
  }
  static_cast<MovieScripts*>(c.callee->hostData)->Player().Changed();
  return Value::Undefined();
}

}  // namespace

void InstallEffectProperties(MovieScripts& owner, Vm& vm) {
  if (vm.Version() < 8) return;
  for (const wchar_t* cls : {L"MovieClip", L"TextField", L"Button"}) {
    const Value ctor = vm.Get(Value::Obj(vm.Global()), vm.Intern(cls));
    Object* proto = ctor.IsObject() ? vm.Get(ctor, vm.N().prototype).ObjectOrNull() : nullptr;
    if (!proto) continue;
    for (int p = kFilters; p <= kScale9Grid; ++p) {
      if (p == kScale9Grid && std::wstring_view(cls) != L"MovieClip") continue;
      script::Function* getter = vm.NewNative(Get, p);
      script::Function* setter = vm.NewNative(Set, p);
      getter->hostData = setter->hostData = &owner;
      auto* accessor = vm.GetHeap().New<script::Accessor>(Value::Obj(getter), Value::Obj(setter));
      script::String* name = vm.Intern(kNames[p]);
      proto->Props().Add(vm.GetHeap().Key(name), name, Value::Obj(accessor), script::kAccessor | script::kDontEnum);
    }
  }
}

}  // namespace flash
