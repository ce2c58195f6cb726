// flash.geom.Point: a position x, y with its length, arithmetic and the
// static distance, interpolate and polar.
#include <cmath>

#include "platform/flash/script/builtins/ClassKit.h"
#include "platform/flash/script/Convert.h"

namespace flash::script {
namespace {

constexpr wchar_t kPoint[] = L"flash.geom.Point";

double X(Vm& vm, const Value& p) { return NumberOf(vm, p, L"x"); }
double Y(Vm& vm, const Value& p) { return NumberOf(vm, p, L"y"); }

Value PointCtor(Vm& vm, CallInfo& c) {
  if (Object* o = Fresh(c)) {
    SetNumber(vm, o, L"x", NumberOr(vm, c, 0, 0));
    SetNumber(vm, o, L"y", NumberOr(vm, c, 1, 0));
  }
  return Value::Undefined();
}

Value Length(Vm& vm, CallInfo& c) { return Value::Number(std::hypot(X(vm, c.thisv), Y(vm, c.thisv))); }

// magic 0 add, 1 subtract.
Value AddSubtract(Vm& vm, CallInfo& c) {
  const double sign = c.callee->magic ? -1 : 1;
  return NewPoint(vm, X(vm, c.thisv) + sign * X(vm, c.Arg(0)), Y(vm, c.thisv) + sign * Y(vm, c.Arg(0)));
}

Value Clone(Vm& vm, CallInfo& c) { return NewPoint(vm, X(vm, c.thisv), Y(vm, c.thisv)); }

Value Equals(Vm& vm, CallInfo& c) {
  const Value other = c.Arg(0);
  if (!vm.InstanceOf(other, ClassAt(vm, kPoint).ObjectOrNull())) return Value::Bool(false);
  return Value::Bool(X(vm, other) == X(vm, c.thisv) && Y(vm, other) == Y(vm, c.thisv));
}

Value Normalize(Vm& vm, CallInfo& c) {
  Object* self = c.thisv.ObjectOrNull();
  const double x = X(vm, c.thisv), y = Y(vm, c.thisv), length = std::hypot(x, y);
  if (!self || length == 0) return Value::Undefined();
  const double k = vm.ToNumber(c.Arg(0)) / length;
  SetNumber(vm, self, L"x", x * k);
  SetNumber(vm, self, L"y", y * k);
  return Value::Undefined();
}

Value Offset(Vm& vm, CallInfo& c) {
  Object* self = c.thisv.ObjectOrNull();
  if (!self) return Value::Undefined();
  SetNumber(vm, self, L"x", X(vm, c.thisv) + vm.ToNumber(c.Arg(0)));
  SetNumber(vm, self, L"y", Y(vm, c.thisv) + vm.ToNumber(c.Arg(1)));
  return Value::Undefined();
}

Value ToString(Vm& vm, CallInfo& c) {
  return vm.Str(L"(x=" + vm.ToText(vm.Get(c.thisv, vm.Intern(L"x"))) + L", y=" +
                vm.ToText(vm.Get(c.thisv, vm.Intern(L"y"))) + L")");
}

Value Distance(Vm& vm, CallInfo& c) {
  return Value::Number(std::hypot(X(vm, c.Arg(0)) - X(vm, c.Arg(1)), Y(vm, c.Arg(0)) - Y(vm, c.Arg(1))));
}

// The point f of the way from pt2 to pt1 (1 gives pt1).
Value Interpolate(Vm& vm, CallInfo& c) {
  const double f = vm.ToNumber(c.Arg(2));
  const double x1 = X(vm, c.Arg(0)), y1 = Y(vm, c.Arg(0)), x2 = X(vm, c.Arg(1)), y2 = Y(vm, c.Arg(1));
  return NewPoint(vm, x2 + f * (x1 - x2), y2 + f * (y1 - y2));
}

Value Polar(Vm& vm, CallInfo& c) {
  const double length = vm.ToNumber(c.Arg(0)), angle = vm.ToNumber(c.Arg(1));
  return NewPoint(vm, length * std::cos(angle), length * std::sin(angle));
}

}  // namespace

void InstallGeomPoint(Vm& vm) {
  Object* p = vm.NewObject();
  Property(vm, p, L"length", Length);
  vm.Method(p, L"add", AddSubtract, 0);
  vm.Method(p, L"subtract", AddSubtract, 1);
  vm.Method(p, L"clone", Clone);
  vm.Method(p, L"equals", Equals);
  vm.Method(p, L"normalize", Normalize);
  vm.Method(p, L"offset", Offset);
  vm.Method(p, L"toString", ToString);
  Function* point = PackageClass(vm, Package(vm, L"flash.geom"), L"Point", PointCtor, p);
  vm.Method(point, L"distance", Distance);
  vm.Method(point, L"interpolate", Interpolate);
  vm.Method(point, L"polar", Polar);
}

}  // namespace flash::script
