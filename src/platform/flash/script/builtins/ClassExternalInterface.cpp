// flash.external.ExternalInterface of a player with no container to talk
// to: available is false, call() gives null and addCallback() false.
#include "platform/flash/script/builtins/ClassKit.h"

namespace flash::script {

void InstallExternalInterface(Vm& vm) {
  Object* ei = vm.NewObject();
  vm.Put(Package(vm, L"flash.external"), L"ExternalInterface", Value::Obj(ei));
  vm.Put(ei, L"available", Value::Bool(false), kDontEnum | kReadOnly);
  vm.Method(ei, L"call", [](Vm&, CallInfo&) { return Value::Null(); });
  vm.Method(ei, L"addCallback", [](Vm&, CallInfo&) { return Value::Bool(false); });
}

}  // namespace flash::script
