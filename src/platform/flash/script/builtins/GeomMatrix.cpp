// flash.geom.Matrix: the affine transform a, b, c, d, tx, ty (x' = a*x +
// c*y + tx, y' = b*x + d*y + ty) with concatenation, inversion, rotation,
// scaling and translation applied after what the matrix does, the box and
// gradient-box constructions, and points through it.
#include <cmath>

#include "platform/flash/script/builtins/ClassKit.h"

namespace flash::script {
namespace {

const wchar_t* const kFields[] = {L"a", L"b", L"c", L"d", L"tx", L"ty"};

void Write(Vm& vm, const Value& self, const Affine& m) {
  Object* o = self.ObjectOrNull();
  if (!o) return;
  const double values[] = {m.a, m.b, m.c, m.d, m.tx, m.ty};
  for (int i = 0; i < 6; ++i) SetNumber(vm, o, kFields[i], values[i]);
}

// first, then second.
Affine Then(const Affine& m, const Affine& n) {
  return Affine{m.a * n.a + m.b * n.c,         m.a * n.b + m.b * n.d,         m.c * n.a + m.d * n.c,
                m.c * n.b + m.d * n.d,         m.tx * n.a + m.ty * n.c + n.tx, m.tx * n.b + m.ty * n.d + n.ty};
}

Value MatrixCtor(Vm& vm, CallInfo& c) {
  Object* o = Fresh(c);
  if (!o) return Value::Undefined();
  const double defaults[] = {1, 0, 0, 1, 0, 0};
  for (uint32_t i = 0; i < 6; ++i) SetNumber(vm, o, kFields[i], NumberOr(vm, c, i, defaults[i]));
  return Value::Undefined();
}

Value Clone(Vm& vm, CallInfo& c) { return NewMatrix(vm, ReadAffine(vm, c.thisv)); }

Value Concat(Vm& vm, CallInfo& c) {
  Write(vm, c.thisv, Then(ReadAffine(vm, c.thisv), ReadAffine(vm, c.Arg(0))));
  return Value::Undefined();
}

// magic 0 createBox(scaleX, scaleY, rotation, tx, ty), 1 createGradientBox(width, height, rotation, tx, ty).
Value CreateBox(Vm& vm, CallInfo& c) {
  double sx = vm.ToNumber(c.Arg(0)), sy = vm.ToNumber(c.Arg(1));
  const double r = NumberOr(vm, c, 2, 0), tx = NumberOr(vm, c, 3, 0), ty = NumberOr(vm, c, 4, 0);
  Affine m{std::cos(r), std::sin(r), -std::sin(r), std::cos(r), tx, ty};
  if (c.callee->magic == 1) {
    // The gradient square is 1638.4 pixels a side, centred on the box.
    m.tx += sx / 2, m.ty += sy / 2;
    sx /= 1638.4, sy /= 1638.4;
  }
  m.a *= sx, m.c *= sx, m.b *= sy, m.d *= sy;
  Write(vm, c.thisv, m);
  return Value::Undefined();
}

// magic 0 transformPoint, 1 deltaTransformPoint.
Value TransformPoint(Vm& vm, CallInfo& c) {
  const Affine m = ReadAffine(vm, c.thisv);
  const double x = NumberOf(vm, c.Arg(0), L"x"), y = NumberOf(vm, c.Arg(0), L"y");
  const double move = c.callee->magic == 0 ? 1 : 0;
  return NewPoint(vm, m.a * x + m.c * y + move * m.tx, m.b * x + m.d * y + move * m.ty);
}

Value Identity(Vm& vm, CallInfo& c) {
  Write(vm, c.thisv, Affine{});
  return Value::Undefined();
}

// A matrix that collapses the plane has no inverse: it becomes the identity.
Value Invert(Vm& vm, CallInfo& c) {
  const Affine m = ReadAffine(vm, c.thisv);
  const double det = m.a * m.d - m.b * m.c;
  Affine out;
  if (det != 0 && std::isfinite(det)) {
    out.a = m.d / det, out.b = -m.b / det, out.c = -m.c / det, out.d = m.a / det;
    out.tx = -(out.a * m.tx + out.c * m.ty);
    out.ty = -(out.b * m.tx + out.d * m.ty);
  }
  Write(vm, c.thisv, out);
  return Value::Undefined();
}

Value Rotate(Vm& vm, CallInfo& c) {
  const double r = vm.ToNumber(c.Arg(0));
  Write(vm, c.thisv, Then(ReadAffine(vm, c.thisv), Affine{std::cos(r), std::sin(r), -std::sin(r), std::cos(r), 0, 0}));
  return Value::Undefined();
}

Value Scale(Vm& vm, CallInfo& c) {
  const Affine s{vm.ToNumber(c.Arg(0)), 0, 0, vm.ToNumber(c.Arg(1)), 0, 0};
  Write(vm, c.thisv, Then(ReadAffine(vm, c.thisv), s));
  return Value::Undefined();
}

Value Translate(Vm& vm, CallInfo& c) {
  Affine m = ReadAffine(vm, c.thisv);
  m.tx += vm.ToNumber(c.Arg(0)), m.ty += vm.ToNumber(c.Arg(1));
  Write(vm, c.thisv, m);
  return Value::Undefined();
}

Value ToString(Vm& vm, CallInfo& c) {
  std::wstring out = L"(";
  for (int i = 0; i < 6; ++i)
    out += std::wstring(i ? L", " : L"") + kFields[i] + L"=" + vm.ToText(vm.Get(c.thisv, vm.Intern(kFields[i])));
  return vm.Str(out + L")");
}

}  // namespace

void InstallGeomMatrix(Vm& vm) {
  Object* p = vm.NewObject();
  vm.Method(p, L"clone", Clone);
  vm.Method(p, L"concat", Concat);
  vm.Method(p, L"createBox", CreateBox, 0);
  vm.Method(p, L"createGradientBox", CreateBox, 1);
  vm.Method(p, L"transformPoint", TransformPoint, 0);
  vm.Method(p, L"deltaTransformPoint", TransformPoint, 1);
  vm.Method(p, L"identity", Identity);
  vm.Method(p, L"invert", Invert);
  vm.Method(p, L"rotate", Rotate);
  vm.Method(p, L"scale", Scale);
  vm.Method(p, L"translate", Translate);
  vm.Method(p, L"toString", ToString);
  PackageClass(vm, Package(vm, L"flash.geom"), L"Matrix", MatrixCtor, p);
}

}  // namespace flash::script
