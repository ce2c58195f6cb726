// PrintJob as on a machine without a printer: start() answers false, so no
// page is added and nothing is sent; the paper's sizes stay undefined.
#include "platform/flash/script/builtins/ClassKit.h"

namespace flash::script {
namespace {

Value No(Vm&, CallInfo&) { return Value::Bool(false); }
Value Nothing(Vm&, CallInfo&) { return Value::Undefined(); }

}  // namespace

void InstallPrintJob(Vm& vm) {
  Object* p = vm.NewObject();
  vm.Method(p, L"start", No);
  vm.Method(p, L"addPage", No);
  vm.Method(p, L"send", Nothing);
  vm.Class(L"PrintJob", [](Vm&, CallInfo&) { return Value::Undefined(); }, p);
}

}  // namespace flash::script
