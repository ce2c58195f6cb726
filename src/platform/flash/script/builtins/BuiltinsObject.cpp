// Object, Function, Error and the global functions.
#include <windows.h>

#include <cmath>

#include "base/TextConv.h"
#include "platform/flash/script/builtins/Builtins.h"
#include "platform/flash/script/builtins/ClassKit.h"
#include "platform/flash/script/Convert.h"

namespace flash::script {
namespace {

// ---- Object ------------------------------------------------------------------------

Value ObjectCtor(Vm& vm, CallInfo& c) {
  if (c.argc && !c.Arg(0).IsNullish()) {
    if (Object* o = vm.ToObject(c.Arg(0))) return Value::Obj(o);
  }
  return c.construct ? c.thisv : Value::Obj(vm.NewObject());
}

Value ObjectToString(Vm& vm, CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  std::wstring text;
  if (o && o->NativeString(vm, text)) return vm.Str(text);
  return Value::Str(vm.Intern(o && o->IsCallable() ? L"[type Function]" : L"[object Object]"));
}

Value ObjectValueOf(Vm&, CallInfo& c) { return c.thisv; }

Value HasOwnProperty(Vm& vm, CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  return Value::Bool(o && vm.HasOwn(o, vm.KeyOf(c.Arg(0))));
}

Value IsPropertyEnumerable(Vm& vm, CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  if (!o) return Value::Bool(false);
  Slot* s = o->Props().Find(vm.KeyOf(c.Arg(0)));
  return Value::Bool(s && !(s->flags & kDontEnum));
}

Value IsPrototypeOf(Vm&, CallInfo& c) {
  Object* self = c.thisv.ObjectOrNull();
  Object* o = c.Arg(0).ObjectOrNull();
  for (int depth = 0; self && o && depth < 64; ++depth) {
    o = o->Proto();
    if (o == self) return Value::Bool(true);
  }
  return Value::Bool(false);
}

Value AddProperty(Vm& vm, CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  const Value getter = c.Arg(1), setter = c.Arg(2);
  String* name = vm.ToString(c.Arg(0));
  if (!o || !name->Size() || !getter.IsObject() || !getter.AsObject()->IsCallable()) return Value::Bool(false);
  if (!setter.IsNull() && !(setter.IsObject() && setter.AsObject()->IsCallable())) return Value::Bool(false);
  Accessor* a = vm.GetHeap().New<Accessor>(getter, setter);
  String* key = vm.GetHeap().Key(name);
  if (Slot* s = o->Props().Find(key)) {
    s->value = Value::Obj(a);
    s->flags |= kAccessor;
  } else {
    o->Props().Add(key, name, Value::Obj(a), kAccessor);
  }
  return Value::Bool(true);
}

Value WatchProperty(Vm& vm, CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  const Value callback = c.Arg(1);
  if (!o || !callback.IsObject() || !callback.AsObject()->IsCallable()) return Value::Bool(false);
  String* key = vm.KeyOf(c.Arg(0));
  auto& watches = o->More().watches;
  for (auto& w : watches) {
    if (w.key == key) {
      w.callback = callback, w.data = c.Arg(2);
      return Value::Bool(true);
    }
  }
  if (watches.size() < 4096) watches.push_back(Object::Watch{key, callback, c.Arg(2)});
  return Value::Bool(true);
}

Value UnwatchProperty(Vm& vm, CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  if (!o || !o->MoreOrNull()) return Value::Bool(false);
  String* key = vm.KeyOf(c.Arg(0));
  auto& watches = o->More().watches;
  for (size_t i = 0; i < watches.size(); ++i) {
    if (watches[i].key == key) {
      watches.erase(watches.begin() + static_cast<ptrdiff_t>(i));
      return Value::Bool(true);
    }
  }
  return Value::Bool(false);
}

Value RegisterClass(Vm& vm, CallInfo& c) {
  String* name = vm.ToString(c.Arg(0));
  if (!name->Size()) return Value::Bool(false);
  vm.Put(vm.classRegistry, name, c.Arg(1), 0);
  return Value::Bool(true);
}

// ---- Function ------------------------------------------------------------------------

Value FunctionCtor(Vm& vm, CallInfo&) {
  return Value::Obj(vm.NewNative([](Vm&, CallInfo&) { return Value::Undefined(); }));
}

Value FunctionCall(Vm& vm, CallInfo& c) {
  const uint32_t n = c.argc > 0 ? c.argc - 1 : 0;
  return vm.Call(c.thisv, c.Arg(0), std::span<const Value>(c.args ? c.args + (c.argc ? 1 : 0) : nullptr, n));
}

Value FunctionApply(Vm& vm, CallInfo& c) {
  std::vector<Value> args;
  if (Object* a = c.Arg(1).ObjectOrNull(); a && a->Class() == ObjClass::Array) args = static_cast<Array*>(a)->items;
  return vm.Call(c.thisv, c.Arg(0), args);
}

// ---- Error ---------------------------------------------------------------------------------

Value ErrorCtor(Vm& vm, CallInfo& c) {
  Object* o = c.construct ? c.thisv.ObjectOrNull() : vm.NewObject(vm.errorProto);
  if (o && c.argc && !c.Arg(0).IsUndefined()) vm.Put(o, vm.N().message, c.Arg(0), 0);
  return o ? Value::Obj(o) : Value::Undefined();
}

Value ErrorToString(Vm& vm, CallInfo& c) { return Value::Str(vm.ToString(vm.Get(c.thisv, vm.N().message))); }

// ---- Global functions ----------------------------------------------------------------------

bool Alnum(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

Value Escape(Vm& vm, CallInfo& c) {
  String* s = vm.ToString(c.Arg(0));
  std::wstring out;
  static const wchar_t hex[] = L"0123456789ABCDEF";
  auto byte = [&](unsigned b) {
    out += L'%';
    out += hex[(b >> 4) & 15];
    out += hex[b & 15];
  };
  for (wchar_t ch : s->View()) {
    if (Alnum(ch)) {
      out += ch;
    } else if (ch < 0x80 || vm.Version() < 6) {
      byte(ch & 0xFF);
    } else {
      for (unsigned char b : WideToUtf8(std::wstring(1, ch))) byte(b);
    }
    if (!vm.CheckLength(out.size())) return Value::Undefined();
  }
  return vm.Str(out);
}

int Hex(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

Value Unescape(Vm& vm, CallInfo& c) {
  String* s = vm.ToString(c.Arg(0));
  const std::wstring_view v = s->View();
  std::wstring out;
  std::string bytes;
  auto flush = [&] {
    if (bytes.empty()) return;
    if (vm.Version() >= 6) {
      out += Utf8ToWide(bytes);
    } else {
      for (unsigned char b : bytes) out += static_cast<wchar_t>(b);
    }
    bytes.clear();
  };
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] == L'%' && i + 2 < v.size() && Hex(v[i + 1]) >= 0 && Hex(v[i + 2]) >= 0) {
      bytes.push_back(static_cast<char>(Hex(v[i + 1]) * 16 + Hex(v[i + 2])));
      i += 2;
      continue;
    }
    flush();
    out += v[i];
  }
  flush();
  return vm.Str(out);
}

Value ParseInt(Vm& vm, CallInfo& c) {
  const std::wstring_view s = vm.ToString(c.Arg(0))->View();
  size_t i = 0;
  while (i < s.size() && (s[i] == L' ' || s[i] == L'\t' || s[i] == L'\n' || s[i] == L'\r')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
  int radix = c.argc > 1 && !c.Arg(1).IsUndefined() ? vm.ToInt32(c.Arg(1)) : 0;
  if (radix == 0) {
    if (i + 1 < s.size() && s[i] == L'0' && (s[i + 1] == L'x' || s[i + 1] == L'X')) {
      radix = 16;
      i += 2;
    } else if (i + 1 < s.size() && s[i] == L'0') {
      radix = 8;  // a leading zero reads as octal, so "08" is 0
    } else {
      radix = 10;
    }
  } else if (radix == 16 && i + 1 < s.size() && s[i] == L'0' && (s[i + 1] == L'x' || s[i + 1] == L'X')) {
    i += 2;
  }
  if (radix < 2 || radix > 36) return Value::Number(NAN);
  double v = 0;
  size_t digits = 0;
  for (; i < s.size(); ++i, ++digits) {
    int d = -1;
    const wchar_t ch = s[i];
    if (ch >= L'0' && ch <= L'9') d = ch - L'0';
    else if (ch >= L'a' && ch <= L'z') d = ch - L'a' + 10;
    else if (ch >= L'A' && ch <= L'Z') d = ch - L'A' + 10;
    if (d < 0 || d >= radix) break;
    v = v * radix + d;
  }
  if (!digits) return Value::Number(NAN);
  return Value::Number(negative ? -v : v);
}

Value ParseFloat(Vm& vm, CallInfo& c) {
  const std::wstring_view s = vm.ToString(c.Arg(0))->View();
  size_t i = 0;
  while (i < s.size() && (s[i] == L' ' || s[i] == L'\t' || s[i] == L'\n' || s[i] == L'\r')) ++i;
  size_t end = i, digits = 0;
  if (end < s.size() && (s[end] == L'+' || s[end] == L'-')) ++end;
  while (end < s.size() && s[end] >= L'0' && s[end] <= L'9') ++end, ++digits;
  if (end < s.size() && s[end] == L'.') {
    ++end;
    while (end < s.size() && s[end] >= L'0' && s[end] <= L'9') ++end, ++digits;
  }
  if (!digits) return Value::Number(NAN);
  if (end < s.size() && (s[end] == L'e' || s[end] == L'E')) {
    size_t e = end + 1;
    if (e < s.size() && (s[e] == L'+' || s[e] == L'-')) ++e;
    const size_t start = e;
    while (e < s.size() && s[e] >= L'0' && s[e] <= L'9') ++e;
    if (e > start) end = e;
  }
  return Value::Number(ParseNumber(s.substr(i, end - i), 5));
}

Value IsNaN(Vm& vm, CallInfo& c) { return Value::Bool(std::isnan(NumberArg(vm, c, 0))); }
Value IsFinite(Vm& vm, CallInfo& c) { return Value::Bool(std::isfinite(NumberArg(vm, c, 0))); }

// setInterval(fn, ms, args...) or setInterval(object, "method", ms, args...);
// magic 1: setTimeout.
Value SetTimer(Vm& vm, CallInfo& c) {
  Timer t;
  t.once = c.callee->magic == 1;
  uint32_t next = 0;
  const Value first = c.Arg(0);
  if (first.IsObject() && first.AsObject()->IsCallable()) {
    t.fn = first;
    next = 1;
  } else if (first.IsObject() && c.argc >= 2) {
    t.object = first;
    t.method = vm.ToString(c.Arg(1));
    next = 2;
  } else {
    return Value::Undefined();
  }
  t.intervalMs = NumberArg(vm, c, next);
  if (!std::isfinite(t.intervalMs)) t.intervalMs = 0;
  for (uint32_t i = next + 1; i < c.argc; ++i) t.args.push_back(c.args[i]);
  const int id = vm.AddTimer(std::move(t));
  return id ? Value::Number(id) : Value::Undefined();
}

Value ClearTimer(Vm& vm, CallInfo& c) {
  vm.ClearTimer(vm.ToInt32(c.Arg(0)));
  return Value::Undefined();
}

Value SetPropFlags(Vm& vm, CallInfo& c) {
  Object* o = c.Arg(0).ObjectOrNull();
  if (!o) return Value::Undefined();
  const uint32_t set = static_cast<uint32_t>(vm.ToInt32(c.Arg(2))) & 0xFF;
  const uint32_t clear = static_cast<uint32_t>(vm.ToInt32(c.Arg(3))) & 0xFF;
  auto apply = [&](Slot& s) { s.flags = (s.flags & ~clear & ~0xFFu) | ((s.flags & 0xFF & ~clear) | set); };
  const Value props = c.Arg(1);
  if (props.IsNull()) {
    for (Slot& s : o->Props().Slots()) apply(s);
    return Value::Undefined();
  }
  std::vector<String*> names;
  if (Object* a = props.ObjectOrNull(); a && a->Class() == ObjClass::Array) {
    for (const Value& v : static_cast<Array*>(a)->items) names.push_back(vm.ToString(v));
  } else {
    const std::wstring list = vm.ToText(props);
    size_t start = 0;
    while (start <= list.size()) {
      size_t comma = list.find(L',', start);
      if (comma == std::wstring::npos) comma = list.size();
      names.push_back(vm.Intern(std::wstring_view(list).substr(start, comma - start)));
      start = comma + 1;
    }
  }
  for (String* n : names)
    if (Slot* s = o->Props().Find(vm.GetHeap().Key(n))) apply(*s);
  return Value::Undefined();
}

Value GetVersion(Vm& vm, CallInfo&) { return Value::Str(vm.Intern(L"WIN 32,0,0,0")); }

}  // namespace

void InstallObjectBuiltins(Vm& vm) {
  Object* global = vm.Global();
  Object* op = vm.objectProto;
  vm.Method(op, L"toString", ObjectToString);
  vm.Method(op, L"toLocaleString", ObjectToString);
  vm.Method(op, L"valueOf", ObjectValueOf);
  vm.Method(op, L"hasOwnProperty", HasOwnProperty);
  vm.Method(op, L"isPropertyEnumerable", IsPropertyEnumerable);
  vm.Method(op, L"isPrototypeOf", IsPrototypeOf);
  vm.Method(op, L"addProperty", AddProperty);
  vm.Method(op, L"watch", WatchProperty);
  vm.Method(op, L"unwatch", UnwatchProperty);
  Function* object = vm.Class(L"Object", ObjectCtor, op);
  vm.Method(object, L"registerClass", RegisterClass);
  vm.classRegistry = vm.NewObject();

  Object* fp = vm.functionProto;
  vm.Method(fp, L"call", FunctionCall);
  vm.Method(fp, L"apply", FunctionApply);
  vm.Class(L"Function", FunctionCtor, fp);

  vm.errorProto = vm.NewObject();
  vm.Put(vm.errorProto, L"message", Value::Str(vm.Intern(L"Error")));
  vm.Put(vm.errorProto, L"name", Value::Str(vm.Intern(L"Error")));
  vm.Method(vm.errorProto, L"toString", ErrorToString);
  vm.Class(L"Error", ErrorCtor, vm.errorProto);

  vm.Method(global, L"escape", Escape);
  vm.Method(global, L"unescape", Unescape);
  vm.Method(global, L"parseInt", ParseInt);
  vm.Method(global, L"parseFloat", ParseFloat);
  vm.Method(global, L"isNaN", IsNaN);
  vm.Method(global, L"isFinite", IsFinite);
  vm.Method(global, L"setInterval", SetTimer, 0);
  vm.Method(global, L"setTimeout", SetTimer, 1);
  vm.Method(global, L"clearInterval", ClearTimer);
  vm.Method(global, L"clearTimeout", ClearTimer);
  vm.Method(global, L"ASSetPropFlags", SetPropFlags);
  vm.Method(global, L"getVersion", GetVersion);
}

void InstallBuiltins(Vm& vm) {
  InstallObjectBuiltins(vm);
  InstallNumberBuiltins(vm);
  InstallStringBuiltins(vm);
  InstallArrayBuiltins(vm);
  InstallDateBuiltins(vm);
  InstallPlayerBuiltins(vm);
  InstallLoadVarsBuiltins(vm);
  InstallXmlBuiltins(vm);
  InstallSharedObjectBuiltins(vm);
  InstallLaterClasses(vm);
  InstallFilterBuiltins(vm);
}

size_t RelativeIndex(double d, size_t length) {
  if (std::isnan(d)) return 0;
  d = std::trunc(d);
  if (d < 0) d = std::max(0.0, double(length) + d);
  return static_cast<size_t>(std::min(d, double(length)));
}

std::wstring ToUpper(std::wstring_view s) { return UpperInvariant(std::wstring(s)); }

std::wstring ToLower(std::wstring_view s) { return LowerInvariant(std::wstring(s)); }

}  // namespace flash::script
