// String: the wrapper class and the methods strings share.
#include <algorithm>
#include <cmath>

#include "platform/flash/script/builtins/Builtins.h"

namespace flash::script {
namespace {

String* ThisString(Vm& vm, const CallInfo& c) {
  if (Object* o = ThisAs(c, ObjClass::String)) return vm.ToString(o->primitive);
  return vm.ToString(c.thisv);
}

Value StringCtor(Vm& vm, CallInfo& c) {
  String* s = c.argc ? vm.ToString(c.Arg(0)) : vm.N().empty;
  if (!c.construct) return Value::Str(s);
  Object* o = vm.GetHeap().New<Object>(c.thisv.AsObject()->Proto(), ObjClass::String);
  o->primitive = Value::Str(s);
  return Value::Obj(o);
}

Value StringValue(Vm& vm, CallInfo& c) { return Value::Str(ThisString(vm, c)); }

Value CharAt(Vm& vm, CallInfo& c) {
  String* s = ThisString(vm, c);
  const double i = std::trunc(NumberArg(vm, c, 0));
  if (!(i >= 0 && i < s->Size())) return Value::Str(vm.N().empty);
  return vm.Str(s->View().substr(static_cast<size_t>(i), 1));
}

Value CharCodeAt(Vm& vm, CallInfo& c) {
  String* s = ThisString(vm, c);
  const double i = std::trunc(NumberArg(vm, c, 0));
  if (!(i >= 0 && i < s->Size())) return Value::Number(NAN);
  return Value::Number(s->Data()[static_cast<size_t>(i)]);
}

Value Concat(Vm& vm, CallInfo& c) {
  std::wstring out(ThisString(vm, c)->View());
  for (uint32_t i = 0; i < c.argc; ++i) {
    out += vm.ToString(c.args[i])->View();
    if (!vm.CheckLength(out.size())) return Value::Undefined();
  }
  return vm.Str(out);
}

Value IndexOf(Vm& vm, CallInfo& c) {
  const std::wstring_view s = ThisString(vm, c)->View();
  const std::wstring_view find = StringArg(vm, c, 0)->View();
  const double from = c.argc > 1 ? std::trunc(NumberArg(vm, c, 1)) : 0;
  const size_t start = std::isnan(from) || from < 0 ? 0 : static_cast<size_t>(std::min(from, double(s.size())));
  const size_t at = s.find(find, start);
  return Value::Number(at == std::wstring_view::npos ? -1.0 : double(at));
}

Value LastIndexOf(Vm& vm, CallInfo& c) {
  const std::wstring_view s = ThisString(vm, c)->View();
  const std::wstring_view find = StringArg(vm, c, 0)->View();
  size_t start = std::wstring_view::npos;
  if (c.argc > 1) {
    const double from = std::trunc(NumberArg(vm, c, 1));
    if (from < 0) return Value::Number(-1);
    if (!std::isnan(from)) start = static_cast<size_t>(std::min(from, double(s.size())));
  }
  const size_t at = s.rfind(find, start);
  return Value::Number(at == std::wstring_view::npos ? -1.0 : double(at));
}

Value Slice(Vm& vm, CallInfo& c) {
  const std::wstring_view s = ThisString(vm, c)->View();
  const size_t a = RelativeIndex(NumberArg(vm, c, 0), s.size());
  const size_t b = c.argc > 1 && !c.Arg(1).IsUndefined() ? RelativeIndex(NumberArg(vm, c, 1), s.size()) : s.size();
  return b > a ? vm.Str(s.substr(a, b - a)) : Value::Str(vm.N().empty);
}

Value Substr(Vm& vm, CallInfo& c) {
  const std::wstring_view s = ThisString(vm, c)->View();
  const size_t a = RelativeIndex(NumberArg(vm, c, 0), s.size());
  double n = c.argc > 1 && !c.Arg(1).IsUndefined() ? std::trunc(NumberArg(vm, c, 1)) : double(s.size());
  if (std::isnan(n) || n <= 0) return Value::Str(vm.N().empty);
  n = std::min(n, double(s.size() - a));
  return vm.Str(s.substr(a, static_cast<size_t>(n)));
}

Value Substring(Vm& vm, CallInfo& c) {
  const std::wstring_view s = ThisString(vm, c)->View();
  auto clamp = [&](double d) {
    if (std::isnan(d) || d < 0) return size_t(0);
    return static_cast<size_t>(std::min(std::trunc(d), double(s.size())));
  };
  size_t a = clamp(NumberArg(vm, c, 0));
  size_t b = c.argc > 1 && !c.Arg(1).IsUndefined() ? clamp(NumberArg(vm, c, 1)) : s.size();
  if (a > b) std::swap(a, b);
  return vm.Str(s.substr(a, b - a));
}

Value Split(Vm& vm, CallInfo& c) {
  const std::wstring_view s = ThisString(vm, c)->View();
  Array* out = vm.NewArray();
  size_t limit = Array::kMaxLength;
  if (c.argc > 1 && !c.Arg(1).IsUndefined()) {
    const double l = NumberArg(vm, c, 1);
    limit = std::isnan(l) || l < 0 ? 0 : static_cast<size_t>(std::min(l, double(Array::kMaxLength)));
  }
  if (c.Arg(0).IsUndefined()) {
    if (limit) vm.ArrayPut(out, 0, Value::Str(ThisString(vm, c)));
    return Value::Obj(out);
  }
  const std::wstring_view sep = StringArg(vm, c, 0)->View();
  if (sep.empty()) {
    for (size_t i = 0; i < s.size() && out->items.size() < limit && !vm.Stopped(); ++i)
      vm.ArrayPut(out, out->items.size(), vm.Str(s.substr(i, 1)));
    return Value::Obj(out);
  }
  size_t start = 0;
  while (out->items.size() < limit && !vm.Stopped()) {
    const size_t at = s.find(sep, start);
    if (at == std::wstring_view::npos) {
      vm.ArrayPut(out, out->items.size(), vm.Str(s.substr(start)));
      break;
    }
    vm.ArrayPut(out, out->items.size(), vm.Str(s.substr(start, at - start)));
    start = at + sep.size();
  }
  return Value::Obj(out);
}

Value UpperCase(Vm& vm, CallInfo& c) { return vm.Str(ToUpper(ThisString(vm, c)->View())); }
Value LowerCase(Vm& vm, CallInfo& c) { return vm.Str(ToLower(ThisString(vm, c)->View())); }

Value FromCharCode(Vm& vm, CallInfo& c) {
  std::wstring out;
  for (uint32_t i = 0; i < c.argc; ++i) {
    const wchar_t ch = static_cast<wchar_t>(vm.ToInt32(c.args[i]) & 0xFFFF);
    if (ch) out += ch;
  }
  return vm.Str(out);
}

}  // namespace

void InstallStringBuiltins(Vm& vm) {
  vm.stringProto = vm.NewObject();
  Object* p = vm.stringProto;
  vm.Method(p, L"toString", StringValue);
  vm.Method(p, L"valueOf", StringValue);
  vm.Method(p, L"charAt", CharAt);
  vm.Method(p, L"charCodeAt", CharCodeAt);
  vm.Method(p, L"concat", Concat);
  vm.Method(p, L"indexOf", IndexOf);
  vm.Method(p, L"lastIndexOf", LastIndexOf);
  vm.Method(p, L"slice", Slice);
  vm.Method(p, L"substr", Substr);
  vm.Method(p, L"substring", Substring);
  vm.Method(p, L"split", Split);
  vm.Method(p, L"toUpperCase", UpperCase);
  vm.Method(p, L"toLowerCase", LowerCase);
  Function* string = vm.Class(L"String", StringCtor, p);
  vm.Method(string, L"fromCharCode", FromCharCode);
}

}  // namespace flash::script
