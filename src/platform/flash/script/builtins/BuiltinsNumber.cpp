// Number, Boolean and Math.
#include <cmath>
#include <limits>

#include "platform/flash/script/builtins/Builtins.h"
#include "platform/flash/script/Convert.h"

namespace flash::script {
namespace {

// The value of this for Number.prototype methods (a number or its wrapper).
double ThisNumber(Vm& vm, const CallInfo& c) {
  if (c.thisv.IsNumber()) return c.thisv.AsNumber();
  if (Object* o = ThisAs(c, ObjClass::Number)) return vm.ToNumber(o->primitive);
  return NAN;
}

Value NumberCtor(Vm& vm, CallInfo& c) {
  const double d = c.argc ? NumberArg(vm, c, 0) : 0.0;
  if (!c.construct) return Value::Number(d);
  Object* o = vm.GetHeap().New<Object>(c.thisv.AsObject()->Proto(), ObjClass::Number);
  o->primitive = Value::Number(d);
  return Value::Obj(o);
}

Value NumberToString(Vm& vm, CallInfo& c) {
  const double d = ThisNumber(vm, c);
  const int radix = c.argc && !c.Arg(0).IsUndefined() ? vm.ToInt32(c.Arg(0)) : 10;
  if (radix == 10 || radix < 2 || radix > 36 || !std::isfinite(d)) return vm.Str(FormatNumber(d));
  double v = std::trunc(std::fabs(d));
  std::wstring digits;
  do {
    const int r = static_cast<int>(std::fmod(v, radix));
    digits.insert(digits.begin(), static_cast<wchar_t>(r < 10 ? L'0' + r : L'a' + r - 10));
    v = std::floor(v / radix);
  } while (v > 0 && digits.size() < 1100);
  if (d < 0 && digits != L"0") digits.insert(digits.begin(), L'-');
  return vm.Str(digits);
}

Value NumberValueOf(Vm& vm, CallInfo& c) { return Value::Number(ThisNumber(vm, c)); }

Value BooleanCtor(Vm& vm, CallInfo& c) {
  const bool b = c.argc && vm.ToBool(c.Arg(0));
  if (!c.construct) return Value::Bool(b);
  Object* o = vm.GetHeap().New<Object>(c.thisv.AsObject()->Proto(), ObjClass::Boolean);
  o->primitive = Value::Bool(b);
  return Value::Obj(o);
}

bool ThisBool(const CallInfo& c) {
  if (c.thisv.IsBool()) return c.thisv.AsBool();
  if (Object* o = ThisAs(c, ObjClass::Boolean)) return o->primitive.IsBool() && o->primitive.AsBool();
  return false;
}

Value BooleanToString(Vm& vm, CallInfo& c) { return Value::Str(ThisBool(c) ? vm.N().trueText : vm.N().falseText); }
Value BooleanValueOf(Vm&, CallInfo& c) { return Value::Bool(ThisBool(c)); }

// Math functions of one argument, by magic number.
Value MathOne(Vm& vm, CallInfo& c) {
  const double x = NumberArg(vm, c, 0);
  switch (c.callee->magic) {
    case 0: return Value::Number(std::fabs(x));
    case 1: return Value::Number(std::acos(x));
    case 2: return Value::Number(std::asin(x));
    case 3: return Value::Number(std::atan(x));
    case 4: return Value::Number(std::ceil(x));
    case 5: return Value::Number(std::cos(x));
    case 6: return Value::Number(std::exp(x));
    case 7: return Value::Number(std::floor(x));
    case 8: return Value::Number(std::log(x));
    case 9: return Value::Number(std::floor(x + 0.5));
    case 10: return Value::Number(std::sin(x));
    case 11: return Value::Number(std::sqrt(x));
    default: return Value::Number(std::tan(x));
  }
}

Value MathAtan2(Vm& vm, CallInfo& c) { return Value::Number(std::atan2(NumberArg(vm, c, 0), NumberArg(vm, c, 1))); }
Value MathPow(Vm& vm, CallInfo& c) { return Value::Number(std::pow(NumberArg(vm, c, 0), NumberArg(vm, c, 1))); }
Value MathRandom(Vm& vm, CallInfo&) { return Value::Number(vm.Random()); }

// magic 0: max, 1: min.
Value MathMaxMin(Vm& vm, CallInfo& c) {
  const bool max = c.callee->magic == 0;
  double r = max ? -INFINITY : INFINITY;
  for (uint32_t i = 0; i < c.argc; ++i) {
    const double x = vm.ToNumber(c.args[i]);
    if (std::isnan(x)) return Value::Number(NAN);
    if (max ? x > r : x < r) r = x;
  }
  return Value::Number(r);
}

}  // namespace

void InstallNumberBuiltins(Vm& vm) {
  vm.numberProto = vm.NewObject();
  vm.numberProto->primitive = Value::Number(0);
  vm.Method(vm.numberProto, L"toString", NumberToString);
  vm.Method(vm.numberProto, L"valueOf", NumberValueOf);
  Function* number = vm.Class(L"Number", NumberCtor, vm.numberProto);
  vm.Put(number, L"MAX_VALUE", Value::Number(std::numeric_limits<double>::max()), kDontEnum | kReadOnly);
  vm.Put(number, L"MIN_VALUE", Value::Number(std::numeric_limits<double>::denorm_min()), kDontEnum | kReadOnly);
  vm.Put(number, L"NaN", Value::Number(NAN), kDontEnum | kReadOnly);
  vm.Put(number, L"NEGATIVE_INFINITY", Value::Number(-INFINITY), kDontEnum | kReadOnly);
  vm.Put(number, L"POSITIVE_INFINITY", Value::Number(INFINITY), kDontEnum | kReadOnly);
  vm.Put(vm.Global(), L"NaN", Value::Number(NAN));
  vm.Put(vm.Global(), L"Infinity", Value::Number(INFINITY));

  vm.booleanProto = vm.NewObject();
  vm.Method(vm.booleanProto, L"toString", BooleanToString);
  vm.Method(vm.booleanProto, L"valueOf", BooleanValueOf);
  vm.Class(L"Boolean", BooleanCtor, vm.booleanProto);

  Object* math = vm.NewObject();
  vm.Put(vm.Global(), L"Math", Value::Obj(math));
  const wchar_t* ones[] = {L"abs", L"acos", L"asin", L"atan", L"ceil", L"cos", L"exp",
                           L"floor", L"log", L"round", L"sin", L"sqrt", L"tan"};
  for (int i = 0; i < 13; ++i) vm.Method(math, ones[i], MathOne, i);
  vm.Method(math, L"atan2", MathAtan2);
  vm.Method(math, L"pow", MathPow);
  vm.Method(math, L"random", MathRandom);
  vm.Method(math, L"max", MathMaxMin, 0);
  vm.Method(math, L"min", MathMaxMin, 1);
  const struct {
    const wchar_t* name;
    double value;
  } constants[] = {{L"E", 2.718281828459045},      {L"LN10", 2.302585092994046}, {L"LN2", 0.6931471805599453},
                   {L"LOG10E", 0.4342944819032518}, {L"LOG2E", 1.4426950408889634}, {L"PI", 3.141592653589793},
                   {L"SQRT1_2", 0.7071067811865476}, {L"SQRT2", 1.4142135623730951}};
  for (const auto& k : constants) vm.Put(math, k.name, Value::Number(k.value), kDontEnum | kReadOnly | kDontDelete);
}

}  // namespace flash::script
