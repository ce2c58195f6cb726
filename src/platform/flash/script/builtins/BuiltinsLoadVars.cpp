// LoadVars: name=value pairs read from a file beside the movie (decode),
// and the object's own variables written back as a query (toString).
#include "base/TextConv.h"
#include "platform/flash/script/builtins/DataLoad.h"
#include "platform/flash/script/UrlQuery.h"

namespace flash::script {
namespace {

Value LoadVarsCtor(Vm& vm, CallInfo& c) {
  return Value::Obj(vm.GetHeap().New<Object>(c.construct ? c.thisv.AsObject()->Proto() : vm.objectProto,
                                             ObjClass::LoadVars));
}

Value LoadVarsLoad(Vm& vm, CallInfo& c) { return Value::Bool(StartLoad(vm, c.thisv, c.Arg(0))); }

Value LoadVarsDecode(Vm& vm, CallInfo& c) {
  if (!c.thisv.IsObject()) return Value::Undefined();
  for (const auto& [name, value] : ParseQuery(vm.ToText(c.Arg(0)))) {
    if (vm.Stopped()) break;
    vm.Set(c.thisv, vm.Intern(name), vm.Str(value));
  }
  return Value::Undefined();
}

// The default onData: decode the text and tell onLoad.
Value LoadVarsOnData(Vm& vm, CallInfo& c) {
  const Value src = c.Arg(0);
  if (src.IsUndefined()) {
    const Value no = Value::Bool(false);
    vm.CallMethod(c.thisv, vm.Intern(L"onLoad"), std::span<const Value>(&no, 1));
    return Value::Undefined();
  }
  vm.CallMethod(c.thisv, vm.Intern(L"decode"), std::span<const Value>(&src, 1));
  vm.Set(c.thisv, vm.Intern(L"loaded"), Value::Bool(true));
  const Value yes = Value::Bool(true);
  vm.CallMethod(c.thisv, vm.Intern(L"onLoad"), std::span<const Value>(&yes, 1));
  return Value::Undefined();
}

std::wstring Encode(Vm& vm, const std::wstring& text) {
  std::wstring out;
  static const wchar_t hex[] = L"0123456789ABCDEF";
  for (unsigned char b : WideToUtf8(text)) {
    if ((b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || b == '-' || b == '_' || b == '.') {
      out += static_cast<wchar_t>(b);
    } else {
      out += L'%';
      out += hex[b >> 4];
      out += hex[b & 15];
    }
  }
  (void)vm;
  return out;
}

Value LoadVarsToString(Vm& vm, CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  if (!o) return Value::Undefined();
  std::wstring out;
  for (String* name : vm.Enumerate(o)) {
    const Value v = vm.Get(c.thisv, name);
    if (v.IsObject() && v.AsObject()->IsCallable()) continue;
    if (!out.empty()) out += L'&';
    out += Encode(vm, name->Str()) + L"=" + Encode(vm, vm.ToText(v));
    if (!vm.CheckLength(out.size())) return Value::Undefined();
  }
  return vm.Str(out);
}

}  // namespace

void InstallLoadVarsBuiltins(Vm& vm) {
  Object* lv = vm.NewObject();
  vm.Method(lv, L"load", LoadVarsLoad);
  vm.Method(lv, L"decode", LoadVarsDecode);
  vm.Method(lv, L"onData", LoadVarsOnData);
  vm.Method(lv, L"toString", LoadVarsToString);
  vm.Method(lv, L"send", DataNoSend);
  vm.Method(lv, L"sendAndLoad", DataSendAndLoad);
  vm.Method(lv, L"getBytesLoaded", DataBytesLoaded);
  vm.Method(lv, L"getBytesTotal", DataBytesLoaded);
  vm.Class(L"LoadVars", LoadVarsCtor, lv);
}

}  // namespace flash::script
