// What the classes of versions 7 and 8 share: packages (_global.flash.geom
// and the like, made on first use), native state kept behind an instance
// (the instance's hidden primitive holds it, so instances of subclasses that
// call super() get theirs too), arguments read with their documented
// defaults, and the installers of the classes that need no player
// (flash.geom without Transform, AsBroadcaster, System, ContextMenu,
// PrintJob, ExternalInterface, TextField.StyleSheet's parser).
#pragma once
#include <cmath>
#include <span>
#include <string>

#include "platform/flash/script/builtins/Builtins.h"

namespace flash::script {

// Classes new in a version are hidden from movies of earlier versions.
inline constexpr uint8_t kFlash7 = 7, kFlash8 = 8;

// The object at a dotted path from _global ("flash.geom"), made where missing.
Object* Package(Vm& vm, const wchar_t* dotted);
// A class in a package (or on _global when package is null): its constructor.
Function* PackageClass(Vm& vm, Object* package, const wchar_t* name, NativeFn ctor, Object* prototype, int magic = 0);
// A read-only property computed by getter (and written by setter when given),
// hidden from for..in, on a prototype.
void Property(Vm& vm, Object* on, const wchar_t* name, NativeFn getter, NativeFn setter = nullptr, int magic = 0);

// Native state behind an instance: derive from State and keep it with Attach.
class State : public Object {
 public:
  State() : Object(nullptr, ObjClass::Other) {}
};
// The object a constructor fills: this when it is a fresh object (new, or a
// subclass's super()), else null.
Object* Fresh(const CallInfo& c);
inline void Attach(Object* instance, State* state) { instance->primitive = Value::Obj(state); }
template <class T>
T* StateOf(const Value& self) {
  Object* o = self.ObjectOrNull();
  Object* s = o ? o->primitive.ObjectOrNull() : nullptr;
  return s && s->Class() == ObjClass::Other ? dynamic_cast<T*>(s) : nullptr;
}

// An argument as a number, def when it is absent or undefined.
inline double NumberOr(Vm& vm, const CallInfo& c, uint32_t i, double def) {
  return i < c.argc && !c.args[i].IsUndefined() ? vm.ToNumber(c.args[i]) : def;
}
// A number property of an object (NaN when missing).
double NumberOf(Vm& vm, const Value& obj, const wchar_t* name);
void SetNumber(Vm& vm, Object* obj, const wchar_t* name, double v);
// The constructor at a dotted path from _global, or undefined.
Value ClassAt(Vm& vm, const wchar_t* dotted);
// new ClassAt(dotted)(args), or a plain object when the class is gone.
Value NewOf(Vm& vm, const wchar_t* dotted, std::span<const Value> args);

// The values of flash.geom objects as the player's classes read and make them.
struct Affine {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};
struct ColorValues {
  double mult[4] = {1, 1, 1, 1}, add[4] = {0, 0, 0, 0};  // red, green, blue, alpha
};
// A matrix-like object's fields (an absent one as the identity's).
Affine ReadAffine(Vm& vm, const Value& m);
ColorValues ReadColorValues(Vm& vm, const Value& ct);
// x, y, width, height of a rectangle-like object (NaN where missing).
void ReadRect(Vm& vm, const Value& r, double out[4]);
Value NewPoint(Vm& vm, double x, double y);
Value NewRectangle(Vm& vm, double x, double y, double w, double h);
Value NewMatrix(Vm& vm, const Affine& m);
Value NewColorTransform(Vm& vm, const ColorValues& ct);

void InstallGeomPoint(Vm& vm);
void InstallGeomRectangle(Vm& vm);
void InstallGeomMatrix(Vm& vm);
void InstallGeomColorTransform(Vm& vm);
void InstallAsBroadcaster(Vm& vm);
// Gives an object _listeners and AsBroadcaster's methods.
void MakeBroadcaster(Vm& vm, Object* o);
void InstallSystem(Vm& vm);
void InstallContextMenu(Vm& vm);
void InstallPrintJob(Vm& vm);
void InstallExternalInterface(Vm& vm);
// TextField.StyleSheet, on the TextField class of the player.
void InstallStyleSheet(Vm& vm, Object* textField);
// What a style sheet makes of an HTML text: the text shown, and a
// TextFormat of the style of its first character (undefined when sheet is
// no style sheet).
Value StyleSheetFormat(Vm& vm, const Value& sheet, std::wstring_view html, std::wstring& text);

// Every class above, as the movie's version shows them.
void InstallLaterClasses(Vm& vm);

}  // namespace flash::script
