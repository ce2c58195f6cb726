// Key, Mouse, Stage, TextFormat and Color.
#include <algorithm>
#include <cmath>

#include "platform/flash/script/builtins/ClassKit.h"

namespace flash::script {
namespace {

// ---- Key, Mouse -------------------------------------------------------------------------

Value KeyIsDown(Vm& vm, CallInfo& c) { return Value::Bool(vm.KeyDown(vm.ToInt32(c.Arg(0)))); }
Value KeyCode(Vm& vm, CallInfo&) { return Value::Number(vm.LastKey()); }
Value KeyAscii(Vm& vm, CallInfo&) { return Value::Number(vm.LastAscii()); }
Value KeyToggled(Vm&, CallInfo&) { return Value::Bool(false); }

// magic 1: show, 0: hide.
Value MouseShow(Vm& vm, CallInfo& c) {
  vm.Host().ShowMouse(c.callee->magic == 1);
  return Value::Number(1);
}

// ---- Stage ------------------------------------------------------------------------------------

class StageObject final : public Object {
 public:
  StageObject(Vm& vm, Object* proto) : Object(proto) {
    hooks_ = true;
    width_ = vm.Key(L"width"), height_ = vm.Key(L"height");
    scaleMode_ = vm.Key(L"scaleMode"), align_ = vm.Key(L"align");
  }
  bool GetHook(Vm& vm, String* key, Value& out) override {
    double w = 0, h = 0;
    if (key == width_ || key == height_) {
      vm.Host().StageSize(w, h);
      out = Value::Number(key == width_ ? w : h);
      return true;
    }
    if (key == scaleMode_) {
      out = vm.Str(vm.Host().StageScaleMode());
      return true;
    }
    if (key == align_) {
      out = vm.Str(vm.Host().StageAlign());
      return true;
    }
    return false;
  }
  bool SetHook(Vm& vm, String* key, const Value& v) override {
    if (key == width_ || key == height_) return true;  // read-only
    if (key == scaleMode_) {
      vm.Host().SetStageScaleMode(vm.ToText(v));
      return true;
    }
    if (key == align_) {
      vm.Host().SetStageAlign(vm.ToText(v));
      return true;
    }
    return false;
  }
  void Trace(Tracer& t) const override {
    Object::Trace(t);
    for (String* s : {width_, height_, scaleMode_, align_}) t.Mark(s);
  }

 private:
  String *width_, *height_, *scaleMode_, *align_;
};

// ---- TextFormat -------------------------------------------------------------------------------

const wchar_t* const kFormatFields[] = {L"font", L"size", L"color", L"bold", L"italic", L"underline", L"url",
                                        L"target", L"align", L"leftMargin", L"rightMargin", L"indent", L"leading",
                                        L"blockIndent", L"bullet", L"tabStops"};

Value TextFormatCtor(Vm& vm, CallInfo& c) {
  Object* o = vm.GetHeap().New<Object>(c.construct ? c.thisv.AsObject()->Proto() : vm.objectProto,
                                       ObjClass::TextFormat);
  for (uint32_t i = 0; i < std::size(kFormatFields); ++i)
    vm.Put(o, kFormatFields[i], i < c.argc ? c.args[i] : Value::Null(), 0);
  return Value::Obj(o);
}

// ---- Color ------------------------------------------------------------------------------------

ClipObject* ColorTarget(Vm& vm, const CallInfo& c) {
  Object* self = c.thisv.ObjectOrNull();
  if (!self || self->Class() != ObjClass::Color) return nullptr;
  const Value target = self->primitive;
  if (Object* o = target.ObjectOrNull()) return o->Class() == ObjClass::Clip ? static_cast<ClipObject*>(o) : nullptr;
  return vm.ResolveTarget(vm.Host().Level(0), vm.ToText(target));
}

Value ColorCtor(Vm& vm, CallInfo& c) {
  Object* o = vm.GetHeap().New<Object>(c.construct ? c.thisv.AsObject()->Proto() : vm.objectProto, ObjClass::Color);
  o->primitive = c.Arg(0);
  return Value::Obj(o);
}

const wchar_t* const kColorFields[] = {L"ra", L"rb", L"ga", L"gb", L"ba", L"bb", L"aa", L"ab"};

// magic 0 setRGB, 1 getRGB, 2 setTransform, 3 getTransform.
Value ColorMethod(Vm& vm, CallInfo& c) {
  ClipObject* clip = ColorTarget(vm, c);
  if (!clip) return Value::Undefined();
  double ct[8];
  clip->GetColor(ct);
  switch (c.callee->magic) {
    case 0: {
      const int32_t rgb = vm.ToInt32(c.Arg(0));
      ct[0] = ct[2] = ct[4] = 0;
      ct[1] = (rgb >> 16) & 0xFF, ct[3] = (rgb >> 8) & 0xFF, ct[5] = rgb & 0xFF;
      clip->SetColor(ct);
      return Value::Undefined();
    }
    case 1:
      return Value::Number(static_cast<double>((int(ct[1]) & 0xFF) << 16 | (int(ct[3]) & 0xFF) << 8 | (int(ct[5]) & 0xFF)));
    case 2: {
      const Value t = c.Arg(0);
      if (!t.IsObject()) return Value::Undefined();
      for (int i = 0; i < 8; ++i) {
        const Value v = vm.Get(t, vm.Intern(kColorFields[i]));
        if (!v.IsUndefined()) ct[i] = vm.ToNumber(v);
      }
      clip->SetColor(ct);
      return Value::Undefined();
    }
    default: {
      Object* o = vm.NewObject();
      for (int i = 0; i < 8; ++i) vm.Put(o, kColorFields[i], Value::Number(ct[i]), 0);
      return Value::Obj(o);
    }
  }
}

}  // namespace

void InstallPlayerBuiltins(Vm& vm) {
  Object* global = vm.Global();
  InstallAsBroadcaster(vm);

  Object* key = vm.NewObject();
  vm.Put(global, L"Key", Value::Obj(key));
  MakeBroadcaster(vm, key);
  vm.Method(key, L"isDown", KeyIsDown);
  vm.Method(key, L"getCode", KeyCode);
  vm.Method(key, L"getAscii", KeyAscii);
  vm.Method(key, L"isToggled", KeyToggled);
  const struct {
    const wchar_t* name;
    int code;
  } keys[] = {{L"BACKSPACE", 8}, {L"CAPSLOCK", 20}, {L"CONTROL", 17}, {L"DELETEKEY", 46}, {L"DOWN", 40},
              {L"END", 35},      {L"ENTER", 13},    {L"ESCAPE", 27},  {L"HOME", 36},      {L"INSERT", 45},
              {L"LEFT", 37},     {L"PGDN", 34},     {L"PGUP", 33},    {L"RIGHT", 39},     {L"SHIFT", 16},
              {L"SPACE", 32},    {L"TAB", 9},       {L"UP", 38}};
  for (const auto& k : keys) vm.Put(key, k.name, Value::Number(k.code), kDontEnum | kReadOnly);

  Object* mouse = vm.NewObject();
  vm.Put(global, L"Mouse", Value::Obj(mouse));
  MakeBroadcaster(vm, mouse);
  vm.Method(mouse, L"show", MouseShow, 1);
  vm.Method(mouse, L"hide", MouseShow, 0);

  Object* stage = vm.GetHeap().New<StageObject>(vm, vm.objectProto);
  vm.Put(global, L"Stage", Value::Obj(stage));
  MakeBroadcaster(vm, stage);

  vm.Class(L"TextFormat", TextFormatCtor, vm.NewObject());

  Object* colorProto = vm.NewObject();
  vm.Method(colorProto, L"setRGB", ColorMethod, 0);
  vm.Method(colorProto, L"getRGB", ColorMethod, 1);
  vm.Method(colorProto, L"setTransform", ColorMethod, 2);
  vm.Method(colorProto, L"getTransform", ColorMethod, 3);
  vm.Class(L"Color", ColorCtor, colorProto);
}

}  // namespace flash::script
