// flash.geom.Rectangle: x, y, width and height with the derived edges and
// corners (left, right, top, bottom, topLeft, bottomRight, size), tests of
// points and rectangles, and intersection and union.
#include <algorithm>
#include <cmath>

#include "platform/flash/script/builtins/ClassKit.h"

namespace flash::script {
namespace {

constexpr wchar_t kRectangle[] = L"flash.geom.Rectangle";

struct Box {
  double x, y, w, h;
  bool Empty() const { return !(w > 0) || !(h > 0); }
};

Box Read(Vm& vm, const Value& r) {
  return Box{NumberOf(vm, r, L"x"), NumberOf(vm, r, L"y"), NumberOf(vm, r, L"width"), NumberOf(vm, r, L"height")};
}

void Write(Vm& vm, const Value& self, const Box& b) {
  Object* o = self.ObjectOrNull();
  SetNumber(vm, o, L"x", b.x);
  SetNumber(vm, o, L"y", b.y);
  SetNumber(vm, o, L"width", b.w);
  SetNumber(vm, o, L"height", b.h);
}

Value NewRect(Vm& vm, const Box& b) { return NewRectangle(vm, b.x, b.y, b.w, b.h); }

Value RectangleCtor(Vm& vm, CallInfo& c) {
  if (Object* o = Fresh(c))
    Write(vm, Value::Obj(o), Box{NumberOr(vm, c, 0, 0), NumberOr(vm, c, 1, 0), NumberOr(vm, c, 2, 0), NumberOr(vm, c, 3, 0)});
  return Value::Undefined();
}

// The derived properties by magic: 0 left, 1 right, 2 top, 3 bottom, 4 topLeft, 5 bottomRight, 6 size.
Value GetEdge(Vm& vm, CallInfo& c) {
  const Box b = Read(vm, c.thisv);
  switch (c.callee->magic) {
    case 0: return Value::Number(b.x);
    case 1: return Value::Number(b.x + b.w);
    case 2: return Value::Number(b.y);
    case 3: return Value::Number(b.y + b.h);
    case 4: return NewPoint(vm, b.x, b.y);
    case 5: return NewPoint(vm, b.x + b.w, b.y + b.h);
    default: return NewPoint(vm, b.w, b.h);
  }
}

// Moving an edge keeps the opposite one where it is; corners likewise.
Value SetEdge(Vm& vm, CallInfo& c) {
  Box b = Read(vm, c.thisv);
  const double v = vm.ToNumber(c.Arg(0));
  const double px = NumberOf(vm, c.Arg(0), L"x"), py = NumberOf(vm, c.Arg(0), L"y");
  switch (c.callee->magic) {
    case 0: b.w += b.x - v, b.x = v; break;
    case 1: b.w = v - b.x; break;
    case 2: b.h += b.y - v, b.y = v; break;
    case 3: b.h = v - b.y; break;
    case 4: b.w += b.x - px, b.h += b.y - py, b.x = px, b.y = py; break;
    case 5: b.w = px - b.x, b.h = py - b.y; break;
    default: b.w = px, b.h = py; break;
  }
  Write(vm, c.thisv, b);
  return Value::Undefined();
}

Value Clone(Vm& vm, CallInfo& c) { return NewRect(vm, Read(vm, c.thisv)); }

bool Holds(const Box& b, double x, double y) { return x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h; }

Value Contains(Vm& vm, CallInfo& c) {
  return Value::Bool(Holds(Read(vm, c.thisv), vm.ToNumber(c.Arg(0)), vm.ToNumber(c.Arg(1))));
}

Value ContainsPoint(Vm& vm, CallInfo& c) {
  return Value::Bool(Holds(Read(vm, c.thisv), NumberOf(vm, c.Arg(0), L"x"), NumberOf(vm, c.Arg(0), L"y")));
}

Value ContainsRectangle(Vm& vm, CallInfo& c) {
  const Box a = Read(vm, c.thisv), b = Read(vm, c.Arg(0));
  return Value::Bool(b.x >= a.x && b.y >= a.y && b.x + b.w <= a.x + a.w && b.y + b.h <= a.y + a.h);
}

Value Equals(Vm& vm, CallInfo& c) {
  const Value other = c.Arg(0);
  if (!vm.InstanceOf(other, ClassAt(vm, kRectangle).ObjectOrNull())) return Value::Bool(false);
  const Box a = Read(vm, c.thisv), b = Read(vm, other);
  return Value::Bool(a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h);
}

// magic 0 inflate(dx, dy), 1 inflatePoint(point).
Value Inflate(Vm& vm, CallInfo& c) {
  Box b = Read(vm, c.thisv);
  const bool point = c.callee->magic == 1;
  const double dx = point ? NumberOf(vm, c.Arg(0), L"x") : vm.ToNumber(c.Arg(0));
  const double dy = point ? NumberOf(vm, c.Arg(0), L"y") : vm.ToNumber(c.Arg(1));
  b.x -= dx, b.w += 2 * dx, b.y -= dy, b.h += 2 * dy;
  Write(vm, c.thisv, b);
  return Value::Undefined();
}

// magic 0 offset(dx, dy), 1 offsetPoint(point).
Value Offset(Vm& vm, CallInfo& c) {
  Box b = Read(vm, c.thisv);
  const bool point = c.callee->magic == 1;
  b.x += point ? NumberOf(vm, c.Arg(0), L"x") : vm.ToNumber(c.Arg(0));
  b.y += point ? NumberOf(vm, c.Arg(0), L"y") : vm.ToNumber(c.Arg(1));
  Write(vm, c.thisv, b);
  return Value::Undefined();
}

bool Overlap(const Box& a, const Box& b, Box& out) {
  const double x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
  const double x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
  if (a.Empty() || b.Empty() || !(x1 > x0) || !(y1 > y0)) return false;
  out = Box{x0, y0, x1 - x0, y1 - y0};
  return true;
}

Value Intersection(Vm& vm, CallInfo& c) {
  Box out{0, 0, 0, 0};
  Overlap(Read(vm, c.thisv), Read(vm, c.Arg(0)), out);
  return NewRect(vm, out);
}

Value Intersects(Vm& vm, CallInfo& c) {
  Box out{};
  return Value::Bool(Overlap(Read(vm, c.thisv), Read(vm, c.Arg(0)), out));
}

Value IsEmpty(Vm& vm, CallInfo& c) { return Value::Bool(Read(vm, c.thisv).Empty()); }

Value SetEmpty(Vm& vm, CallInfo& c) {
  if (c.thisv.IsObject()) Write(vm, c.thisv, Box{0, 0, 0, 0});
  return Value::Undefined();
}

Value Union(Vm& vm, CallInfo& c) {
  const Box a = Read(vm, c.thisv), b = Read(vm, c.Arg(0));
  if (a.Empty()) return NewRect(vm, b);
  if (b.Empty()) return NewRect(vm, a);
  const double x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const double x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
  return NewRect(vm, Box{x0, y0, x1 - x0, y1 - y0});
}

Value ToString(Vm& vm, CallInfo& c) {
  auto text = [&](const wchar_t* name) { return vm.ToText(vm.Get(c.thisv, vm.Intern(name))); };
  return vm.Str(L"(x=" + text(L"x") + L", y=" + text(L"y") + L", w=" + text(L"width") + L", h=" + text(L"height") +
                L")");
}

}  // namespace

void InstallGeomRectangle(Vm& vm) {
  Object* p = vm.NewObject();
  const wchar_t* edges[] = {L"left", L"right", L"top", L"bottom", L"topLeft", L"bottomRight", L"size"};
  for (int i = 0; i < 7; ++i) Property(vm, p, edges[i], GetEdge, SetEdge, i);
  vm.Method(p, L"clone", Clone);
  vm.Method(p, L"contains", Contains);
  vm.Method(p, L"containsPoint", ContainsPoint);
  vm.Method(p, L"containsRectangle", ContainsRectangle);
  vm.Method(p, L"equals", Equals);
  vm.Method(p, L"inflate", Inflate, 0);
  vm.Method(p, L"inflatePoint", Inflate, 1);
  vm.Method(p, L"intersection", Intersection);
  vm.Method(p, L"intersects", Intersects);
  vm.Method(p, L"isEmpty", IsEmpty);
  vm.Method(p, L"offset", Offset, 0);
  vm.Method(p, L"offsetPoint", Offset, 1);
  vm.Method(p, L"setEmpty", SetEmpty);
  vm.Method(p, L"union", Union);
  vm.Method(p, L"toString", ToString);
  PackageClass(vm, Package(vm, L"flash.geom"), L"Rectangle", RectangleCtor, p);
}

}  // namespace flash::script
