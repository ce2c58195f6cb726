#include "platform/flash/script/builtins/ClassKit.h"

namespace flash::script {

Object* Package(Vm& vm, const wchar_t* dotted) {
  Object* at = vm.Global();
  std::wstring_view rest = dotted;
  while (!rest.empty() && at) {
    const size_t dot = rest.find(L'.');
    String* name = vm.Intern(rest.substr(0, dot));
    Object* next = vm.Get(Value::Obj(at), name).ObjectOrNull();
    if (!next) {
      next = vm.NewObject();
      vm.Put(at, name, Value::Obj(next));
    }
    at = next;
    rest = dot == std::wstring_view::npos ? std::wstring_view{} : rest.substr(dot + 1);
  }
  return at;
}

Function* PackageClass(Vm& vm, Object* package, const wchar_t* name, NativeFn ctor, Object* prototype, int magic) {
  Function* f = vm.Class(nullptr, ctor, prototype, magic);
  vm.Put(package ? package : vm.Global(), name, Value::Obj(f));
  return f;
}

void Property(Vm& vm, Object* on, const wchar_t* name, NativeFn getter, NativeFn setter, int magic) {
  Function* get = vm.NewNative(getter, magic);
  const Value set = setter ? Value::Obj(vm.NewNative(setter, magic)) : Value::Null();
  Accessor* a = vm.GetHeap().New<Accessor>(Value::Obj(get), set);
  vm.Put(on, name, Value::Obj(a), kAccessor | kDontEnum);
}

Object* Fresh(const CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  if (!o || o->Class() != ObjClass::Object) return nullptr;
  if (!c.construct && !o->primitive.IsUndefined()) return nullptr;
  return o;
}

double NumberOf(Vm& vm, const Value& obj, const wchar_t* name) {
  if (!obj.IsObject()) return NAN;
  return vm.ToNumber(vm.Get(obj, vm.Intern(name)));
}

void SetNumber(Vm& vm, Object* obj, const wchar_t* name, double v) {
  if (obj) vm.Set(Value::Obj(obj), vm.Intern(name), Value::Number(v));
}

Value ClassAt(Vm& vm, const wchar_t* dotted) {
  Value at = Value::Obj(vm.Global());
  std::wstring_view rest = dotted;
  while (!rest.empty() && at.IsObject()) {
    const size_t dot = rest.find(L'.');
    at = vm.Get(at, vm.Intern(rest.substr(0, dot)));
    rest = dot == std::wstring_view::npos ? std::wstring_view{} : rest.substr(dot + 1);
  }
  return at.IsObject() && at.AsObject()->IsCallable() ? at : Value::Undefined();
}

Value NewOf(Vm& vm, const wchar_t* dotted, std::span<const Value> args) {
  const Value ctor = ClassAt(vm, dotted);
  if (ctor.IsUndefined()) return Value::Obj(vm.NewObject());
  return vm.Construct(ctor, args);
}

Affine ReadAffine(Vm& vm, const Value& m) {
  Affine out;
  double* fields[] = {&out.a, &out.b, &out.c, &out.d, &out.tx, &out.ty};
  const wchar_t* names[] = {L"a", L"b", L"c", L"d", L"tx", L"ty"};
  for (int i = 0; i < 6 && m.IsObject(); ++i) {
    const Value v = vm.Get(m, vm.Intern(names[i]));
    if (!v.IsUndefined()) *fields[i] = vm.ToNumber(v);
  }
  return out;
}

const wchar_t* const kColorFields[8] = {L"redMultiplier", L"greenMultiplier", L"blueMultiplier", L"alphaMultiplier",
                                        L"redOffset",     L"greenOffset",     L"blueOffset",     L"alphaOffset"};

ColorValues ReadColorValues(Vm& vm, const Value& ct) {
  ColorValues out;
  for (int i = 0; i < 8 && ct.IsObject(); ++i) {
    const Value v = vm.Get(ct, vm.Intern(kColorFields[i]));
    if (!v.IsUndefined()) (i < 4 ? out.mult[i] : out.add[i - 4]) = vm.ToNumber(v);
  }
  return out;
}

void ReadRect(Vm& vm, const Value& r, double out[4]) {
  const wchar_t* names[] = {L"x", L"y", L"width", L"height"};
  for (int i = 0; i < 4; ++i) out[i] = NumberOf(vm, r, names[i]);
}

Value NewPoint(Vm& vm, double x, double y) {
  const Value args[] = {Value::Number(x), Value::Number(y)};
  return NewOf(vm, L"flash.geom.Point", args);
}

Value NewRectangle(Vm& vm, double x, double y, double w, double h) {
  const Value args[] = {Value::Number(x), Value::Number(y), Value::Number(w), Value::Number(h)};
  return NewOf(vm, L"flash.geom.Rectangle", args);
}

Value NewMatrix(Vm& vm, const Affine& m) {
  const Value args[] = {Value::Number(m.a), Value::Number(m.b), Value::Number(m.c),
                        Value::Number(m.d), Value::Number(m.tx), Value::Number(m.ty)};
  return NewOf(vm, L"flash.geom.Matrix", args);
}

Value NewColorTransform(Vm& vm, const ColorValues& ct) {
  Value args[8];
  for (int i = 0; i < 4; ++i) {
    args[i] = Value::Number(ct.mult[i]);
    args[i + 4] = Value::Number(ct.add[i]);
  }
  return NewOf(vm, L"flash.geom.ColorTransform", args);
}

void InstallLaterClasses(Vm& vm) {
  InstallSystem(vm);
  if (vm.Version() >= kFlash7) {
    InstallContextMenu(vm);
    InstallPrintJob(vm);
  }
  if (vm.Version() >= kFlash8) {
    InstallGeomPoint(vm);
    InstallGeomRectangle(vm);
    InstallGeomMatrix(vm);
    InstallGeomColorTransform(vm);
    InstallExternalInterface(vm);
  }
}

}  // namespace flash::script
