// Selection: which text field has the keyboard (getFocus gives its path,
// setFocus takes a field or its path, null for none), the selection and
// caret inside it (-1 without a focused field), and listeners told of each
// change of focus (onSetFocus), as the fields themselves are (onSetFocus,
// onKillFocus).
#include <algorithm>
#include <cmath>

#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptClasses.h"
#include "platform/flash/binding/ScriptObjects.h"

namespace flash {
namespace {

using script::CallInfo;
using script::Object;
using script::Value;
using script::Vm;

MovieScripts& Owner(const CallInfo& c) { return *static_cast<MovieScripts*>(c.callee->hostData); }

TextFieldState* Focused(MovieScripts& owner) {
  EntryObject* f = owner.FocusedField();
  return f && f->Entry() ? f->Entry()->text.get() : nullptr;
}

Value PathOf(Vm& vm, EntryObject* field) {
  std::wstring path;
  if (!field || !field->NativeString(vm, path)) return Value::Null();
  return vm.Str(path);
}

Value GetFocus(Vm& vm, CallInfo& c) { return PathOf(vm, Owner(c).FocusedField()); }

Value SetFocus(Vm& vm, CallInfo& c) {
  MovieScripts& owner = Owner(c);
  const Value target = c.Arg(0);
  if (target.IsNullish()) return Value::Bool(owner.FocusField(nullptr));
  Object* o = target.ObjectOrNull();
  if (target.IsString()) o = vm.ResolvePath(owner.ObjectOf(owner.Player().Root()), vm.ToText(target));
  if (!o || o->Class() != script::ObjClass::TextField) return Value::Bool(false);
  return Value::Bool(owner.FocusField(static_cast<EntryObject*>(o)));
}

// magic 0 getBeginIndex, 1 getEndIndex, 2 getCaretIndex.
Value GetIndex(Vm&, CallInfo& c) {
  const TextFieldState* f = Focused(Owner(c));
  if (!f) return Value::Number(-1);
  const size_t caret = std::min(f->caret, f->data.text.size());
  const size_t from = f->version == f->selectVersion ? std::min(f->selectFrom, f->data.text.size()) : caret;
  switch (c.callee->magic) {
    case 0: return Value::Number(static_cast<double>(std::min(from, caret)));
    case 1: return Value::Number(static_cast<double>(std::max(from, caret)));
    default: return Value::Number(static_cast<double>(caret));
  }
}

Value SetSelection(Vm& vm, CallInfo& c) {
  TextFieldState* f = Focused(Owner(c));
  if (!f) return Value::Undefined();
  auto index = [&](uint32_t i) {
    const double d = vm.ToNumber(c.Arg(i));
    return std::isfinite(d) ? static_cast<size_t>(std::clamp(d, 0.0, double(f->data.text.size()))) : size_t(0);
  };
  f->selectFrom = index(0);
  f->caret = index(1);
  f->selectVersion = ++f->version;
  Owner(c).Player().Changed();
  return Value::Undefined();
}

}  // namespace

void FocusChanged(MovieScripts& owner, EntryObject* from, EntryObject* to) {
  const Value old = from ? Value::Obj(from) : Value::Null(), now = to ? Value::Obj(to) : Value::Null();
  if (from) owner.QueueCall(from, L"onKillFocus", {now});
  if (to) owner.QueueCall(to, L"onSetFocus", {old});
  if (Object* selection = owner.Vm().GlobalObject(L"Selection"))
    owner.QueueCall(selection, L"broadcastMessage", {owner.Vm().Str(L"onSetFocus"), old, now});
}

void InstallSelection(MovieScripts& owner, Vm& vm) {
  Object* selection = vm.NewObject();
  vm.Put(vm.Global(), L"Selection", Value::Obj(selection));
  script::MakeBroadcaster(vm, selection);
  vm.Method(selection, L"getFocus", GetFocus)->hostData = &owner;
  vm.Method(selection, L"setFocus", SetFocus)->hostData = &owner;
  vm.Method(selection, L"getBeginIndex", GetIndex, 0)->hostData = &owner;
  vm.Method(selection, L"getEndIndex", GetIndex, 1)->hostData = &owner;
  vm.Method(selection, L"getCaretIndex", GetIndex, 2)->hostData = &owner;
  vm.Method(selection, L"setSelection", SetSelection)->hostData = &owner;
}

}  // namespace flash
