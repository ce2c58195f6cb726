// ContextMenu and ContextMenuItem as scripts see them: the built-in items'
// flags (all shown until hideBuiltInItems), the custom items, onSelect and
// copy. The player shows its own pop-up menu whatever a movie sets.
#include "platform/flash/script/builtins/ClassKit.h"

namespace flash::script {
namespace {

const wchar_t* const kBuiltIn[] = {L"forward_back", L"loop", L"play", L"print", L"quality", L"rewind", L"save", L"zoom"};
const wchar_t* const kItemFields[] = {L"caption", L"onSelect", L"separatorBefore", L"enabled", L"visible"};

Object* NewBuiltIns(Vm& vm, Object* from) {
  Object* items = vm.NewObject();
  for (const wchar_t* name : kBuiltIn) {
    const Value v = from ? vm.Get(Value::Obj(from), vm.Intern(name)) : Value::Bool(true);
    vm.Set(Value::Obj(items), vm.Intern(name), v);
  }
  return items;
}

Value MenuCtor(Vm& vm, CallInfo& c) {
  Object* o = Fresh(c);
  if (!o) return Value::Undefined();
  vm.Set(Value::Obj(o), vm.Intern(L"onSelect"), c.Arg(0));
  vm.Set(Value::Obj(o), vm.Intern(L"builtInItems"), Value::Obj(NewBuiltIns(vm, nullptr)));
  vm.Set(Value::Obj(o), vm.Intern(L"customItems"), Value::Obj(vm.NewArray()));
  return Value::Undefined();
}

Value HideBuiltInItems(Vm& vm, CallInfo& c) {
  const Value items = vm.Get(c.thisv, vm.Intern(L"builtInItems"));
  if (items.IsObject())
    for (const wchar_t* name : kBuiltIn) vm.Set(items, vm.Intern(name), Value::Bool(false));
  return Value::Undefined();
}

// The copy has its own built-in flags and copies of the custom items.
Value MenuCopy(Vm& vm, CallInfo& c) {
  const Value onSelect = vm.Get(c.thisv, vm.Intern(L"onSelect"));
  const Value copy = NewOf(vm, L"ContextMenu", std::span<const Value>(&onSelect, 1));
  Object* builtIns = vm.Get(c.thisv, vm.Intern(L"builtInItems")).ObjectOrNull();
  vm.Set(copy, vm.Intern(L"builtInItems"), Value::Obj(NewBuiltIns(vm, builtIns)));
  Array* items = vm.NewArray();
  vm.Set(copy, vm.Intern(L"customItems"), Value::Obj(items));
  Object* from = vm.Get(c.thisv, vm.Intern(L"customItems")).ObjectOrNull();
  if (from && from->Class() == ObjClass::Array) {
    const std::vector<Value> list = static_cast<Array*>(from)->items;
    for (const Value& item : list) {
      Value dup = item;
      vm.CallMethod(item, vm.Intern(L"copy"), {}, &dup);
      vm.ArrayPut(items, items->items.size(), dup);
      if (vm.Stopped()) break;
    }
  }
  return copy;
}

Value ItemCtor(Vm& vm, CallInfo& c) {
  Object* o = Fresh(c);
  if (!o) return Value::Undefined();
  const Value values[] = {c.Arg(0), c.Arg(1), c.argc > 2 ? c.args[2] : Value::Bool(false),
                          c.argc > 3 ? c.args[3] : Value::Bool(true), c.argc > 4 ? c.args[4] : Value::Bool(true)};
  for (int i = 0; i < 5; ++i) vm.Set(Value::Obj(o), vm.Intern(kItemFields[i]), values[i]);
  return Value::Undefined();
}

Value ItemCopy(Vm& vm, CallInfo& c) {
  Value args[5];
  for (int i = 0; i < 5; ++i) args[i] = vm.Get(c.thisv, vm.Intern(kItemFields[i]));
  return NewOf(vm, L"ContextMenuItem", args);
}

}  // namespace

void InstallContextMenu(Vm& vm) {
  Object* menu = vm.NewObject();
  vm.Method(menu, L"hideBuiltInItems", HideBuiltInItems);
  vm.Method(menu, L"copy", MenuCopy);
  vm.Class(L"ContextMenu", MenuCtor, menu);
  Object* item = vm.NewObject();
  vm.Method(item, L"copy", ItemCopy);
  vm.Class(L"ContextMenuItem", ItemCtor, item);
}

}  // namespace flash::script
