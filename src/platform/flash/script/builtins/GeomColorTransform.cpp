// flash.geom.ColorTransform: a multiplier and an offset for each of red,
// green, blue and alpha (channel' = channel * multiplier + offset), the rgb
// shortcut (offsets of one colour, multipliers 0) and concatenation.
#include "platform/flash/script/builtins/ClassKit.h"
#include "platform/flash/script/Convert.h"

namespace flash::script {
namespace {

const wchar_t* const kFields[8] = {L"redMultiplier", L"greenMultiplier", L"blueMultiplier", L"alphaMultiplier",
                                   L"redOffset",     L"greenOffset",     L"blueOffset",     L"alphaOffset"};

void Write(Vm& vm, const Value& self, const ColorValues& ct) {
  Object* o = self.ObjectOrNull();
  for (int i = 0; i < 8 && o; ++i) SetNumber(vm, o, kFields[i], i < 4 ? ct.mult[i] : ct.add[i - 4]);
}

Value ColorTransformCtor(Vm& vm, CallInfo& c) {
  Object* o = Fresh(c);
  for (uint32_t i = 0; i < 8 && o; ++i) SetNumber(vm, o, kFields[i], NumberOr(vm, c, i, i < 4 ? 1 : 0));
  return Value::Undefined();
}

Value GetRgb(Vm& vm, CallInfo& c) {
  const ColorValues ct = ReadColorValues(vm, c.thisv);
  auto byte = [&](double v) { return static_cast<uint32_t>(DoubleToInt32(v)) & 0xFF; };
  return Value::Number(byte(ct.add[0]) << 16 | byte(ct.add[1]) << 8 | byte(ct.add[2]));
}

Value SetRgb(Vm& vm, CallInfo& c) {
  ColorValues ct = ReadColorValues(vm, c.thisv);
  const uint32_t rgb = static_cast<uint32_t>(vm.ToInt32(c.Arg(0)));
  for (int i = 0; i < 3; ++i) ct.mult[i] = 0, ct.add[i] = (rgb >> (16 - 8 * i)) & 0xFF;
  Write(vm, c.thisv, ct);
  return Value::Undefined();
}

// The second transform is applied before this one.
Value Concat(Vm& vm, CallInfo& c) {
  ColorValues ct = ReadColorValues(vm, c.thisv);
  const ColorValues second = ReadColorValues(vm, c.Arg(0));
  for (int i = 0; i < 4; ++i) {
    ct.add[i] += second.add[i] * ct.mult[i];
    ct.mult[i] *= second.mult[i];
  }
  Write(vm, c.thisv, ct);
  return Value::Undefined();
}

Value ToString(Vm& vm, CallInfo& c) {
  std::wstring out = L"(";
  for (int i = 0; i < 8; ++i)
    out += std::wstring(i ? L", " : L"") + kFields[i] + L"=" + vm.ToText(vm.Get(c.thisv, vm.Intern(kFields[i])));
  return vm.Str(out + L")");
}

}  // namespace

void InstallGeomColorTransform(Vm& vm) {
  Object* p = vm.NewObject();
  Property(vm, p, L"rgb", GetRgb, SetRgb);
  vm.Method(p, L"concat", Concat);
  vm.Method(p, L"toString", ToString);
  PackageClass(vm, Package(vm, L"flash.geom"), L"ColorTransform", ColorTransformCtor, p);
}

}  // namespace flash::script
