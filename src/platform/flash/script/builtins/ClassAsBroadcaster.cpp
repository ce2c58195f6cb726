// AsBroadcaster: the function whose initialize(object) gives an object a
// list of listeners (_listeners) and the methods addListener,
// removeListener and broadcastMessage (the broadcaster's own functions, so
// they compare equal), hidden from for..in. Key, Mouse and Stage are made
// broadcasters the same way.
#include "platform/flash/script/builtins/ClassKit.h"

namespace flash::script {
namespace {

Array* Listeners(Vm& vm, const Value& self, bool make) {
  Object* o = self.ObjectOrNull();
  if (!o) return nullptr;
  String* name = vm.Intern(L"_listeners");
  Object* list = vm.Get(self, name).ObjectOrNull();
  if (list && list->Class() == ObjClass::Array) return static_cast<Array*>(list);
  if (!make) return nullptr;
  Array* a = vm.NewArray();
  vm.Put(o, name, Value::Obj(a));
  return a;
}

bool Drop(Vm& vm, Array* a, const Value& listener) {
  for (size_t i = 0; i < a->items.size(); ++i) {
    if (vm.StrictEquals(a->items[i], listener)) {
      a->items.erase(a->items.begin() + static_cast<ptrdiff_t>(i));
      return true;
    }
  }
  return false;
}

// A listener added again moves to the end of the list.
Value AddListener(Vm& vm, CallInfo& c) {
  Array* a = Listeners(vm, c.thisv, true);
  if (!a) return Value::Bool(false);
  Drop(vm, a, c.Arg(0));
  vm.ArrayPut(a, a->items.size(), c.Arg(0));
  return Value::Bool(true);
}

Value RemoveListener(Vm& vm, CallInfo& c) {
  Array* a = Listeners(vm, c.thisv, false);
  return Value::Bool(a && Drop(vm, a, c.Arg(0)));
}

// broadcastMessage(name, args...): true when there were listeners to call.
Value BroadcastMessage(Vm& vm, CallInfo& c) {
  Array* a = Listeners(vm, c.thisv, false);
  if (!a || !c.argc || a->items.empty()) return Value::Undefined();
  String* method = vm.ToString(c.args[0]);
  const std::vector<Value> listeners = a->items;
  for (const Value& l : listeners) {
    vm.CallMethod(l, method, std::span<const Value>(c.args + 1, c.argc - 1));
    if (vm.Stopped()) break;
  }
  return Value::Bool(true);
}

Value Initialize(Vm& vm, CallInfo& c) {
  if (Object* o = c.Arg(0).ObjectOrNull()) MakeBroadcaster(vm, o);
  return Value::Undefined();
}

}  // namespace

void MakeBroadcaster(Vm& vm, Object* o) {
  Object* broadcaster = vm.GlobalObject(L"AsBroadcaster");
  for (const wchar_t* name : {L"addListener", L"removeListener", L"broadcastMessage"}) {
    const Value fn = broadcaster ? vm.Get(Value::Obj(broadcaster), vm.Intern(name)) : Value::Undefined();
    if (fn.IsObject()) {
      vm.Put(o, name, fn);
    } else {
      vm.Method(o, name, name[0] == L'a' ? AddListener : name[0] == L'r' ? RemoveListener : BroadcastMessage);
    }
  }
  vm.Put(o, L"_listeners", Value::Obj(vm.NewArray()));
}

void InstallAsBroadcaster(Vm& vm) {
  Function* f = vm.NewNative([](Vm&, CallInfo&) { return Value::Undefined(); });
  vm.Put(f, vm.N().prototype, Value::Obj(vm.NewObject()));
  vm.Put(vm.Global(), L"AsBroadcaster", Value::Obj(f));
  vm.Method(f, L"initialize", Initialize);
  vm.Method(f, L"addListener", AddListener);
  vm.Method(f, L"removeListener", RemoveListener);
  vm.Method(f, L"broadcastMessage", BroadcastMessage);
}

}  // namespace flash::script
