// The built-in classes and functions of the language, installed on the
// global object of a new interpreter: Object, Function, Array, String,
// Number, Boolean, Math, Date, Error, the global functions (escape,
// unescape, parseInt, parseFloat, isNaN, isFinite, setInterval,
// clearInterval, setTimeout, clearTimeout, ASSetPropFlags, getVersion), and
// the classes that need only the host interface (Key, Mouse, Stage,
// TextFormat, Color, LoadVars, XML, SharedObject, the flash.filters classes
// of version 8, and the classes of versions 7 and 8 that ClassKit.h lists).
// MovieClip, TextField, Button, Sound, Video, NetConnection, NetStream and
// the classes that reach the stage are the player's.
#pragma once
#include <string>

#include "platform/flash/script/Vm.h"

namespace flash::script {

void InstallBuiltins(Vm& vm);
void InstallObjectBuiltins(Vm& vm);
void InstallArrayBuiltins(Vm& vm);
void InstallStringBuiltins(Vm& vm);
void InstallNumberBuiltins(Vm& vm);
void InstallDateBuiltins(Vm& vm);
void InstallPlayerBuiltins(Vm& vm);  // AsBroadcaster, Key, Mouse, Stage, TextFormat, Color
void InstallLoadVarsBuiltins(Vm& vm);
void InstallXmlBuiltins(Vm& vm);  // XML and XMLNode
void InstallSharedObjectBuiltins(Vm& vm);
void InstallFilterBuiltins(Vm& vm);  // flash.filters, for version 8 and later

// Helpers of built-in functions.
inline double NumberArg(Vm& vm, const CallInfo& c, uint32_t i) { return vm.ToNumber(c.Arg(i)); }
inline String* StringArg(Vm& vm, const CallInfo& c, uint32_t i) { return vm.ToString(c.Arg(i)); }
// The object a method was called on, when it is of the class.
template <class T = Object>
T* ThisAs(const CallInfo& c, ObjClass cls) {
  Object* o = c.thisv.ObjectOrNull();
  return o && o->Class() == cls ? static_cast<T*>(o) : nullptr;
}
// The relative index of slice and friends: negative counts from the end.
size_t RelativeIndex(double d, size_t length);
// Upper and lower case independent of the machine's language.
std::wstring ToUpper(std::wstring_view s);
std::wstring ToLower(std::wstring_view s);

}  // namespace flash::script
