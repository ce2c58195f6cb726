// LocalConnection between the movies of this program (every movie control
// of the process): a movie connects under a name, and another (or itself)
// sends it a method call whose arguments are copied into the receiver's
// scripts (numbers, strings, Booleans, null, undefined, arrays, plain
// objects and dates; functions and clips arrive undefined; at most 40 KB).
// The call runs at the receiver's next timers, and the sender's onStatus
// hears "status" or, when no movie listens on the name, "error". Every
// movie plays from a file, so all share the domain "localhost"; names
// starting with "localhost:" mean the same as without it.
#include <algorithm>
#include <cwctype>

#include "platform/flash/binding/MovieScripts.h"
#include "base/TextConv.h"
#include "platform/flash/binding/ScriptClasses.h"

namespace flash {
namespace {

using script::CallInfo;
using script::Object;
using script::Value;
using script::Vm;

constexpr size_t kMaxMessageBytes = 40 * 1024;
constexpr int kMaxDepth = 64;
constexpr size_t kMaxConnections = 1024;

struct Listening {
  std::wstring name;  // lower case, without the domain
  MovieScripts* owner;
  Object* connection;
};

// The process's connections; every control runs on the one window thread.
std::vector<Listening>& Connections() {
  static std::vector<Listening> list;
  return list;
}

MovieScripts& Owner(const CallInfo& c) { return *static_cast<MovieScripts*>(c.callee->hostData); }

std::wstring Normalized(std::wstring name) {
  name = LowerInvariant(name);
  if (name.rfind(L"localhost:", 0) == 0) name.erase(0, 10);
  return name;
}

Listening* Find(const std::wstring& name) {
  for (Listening& l : Connections())
    if (l.name == name) return &l;
  return nullptr;
}

// A value copied from one interpreter to another, counting its bytes.
class Copier {
 public:
  Copier(Vm& from, Vm& to) : from_(from), to_(to) {}
  bool TooLarge() const { return bytes_ > kMaxMessageBytes; }

  Value Copy(const Value& v, int depth = 0) {
    bytes_ += 8;
    if (TooLarge() || depth > kMaxDepth) return Value::Undefined();
    if (v.IsNumber() || v.IsBool() || v.IsNullish()) return v;
    if (v.IsString()) {
      bytes_ += v.AsString()->Size() * 2;
      return TooLarge() ? Value::Undefined() : to_.Str(v.AsString()->View());
    }
    Object* o = v.AsObject();
    switch (o->Class()) {
      case script::ObjClass::Array: {
        script::Array* out = to_.NewArray();
        const std::vector<Value> items = static_cast<script::Array*>(o)->items;
        for (const Value& item : items) {
          to_.ArrayPut(out, out->items.size(), Copy(item, depth + 1));
          if (TooLarge()) break;
        }
        return Value::Obj(out);
      }
      case script::ObjClass::Date: {
        const Value t = o->primitive;
        return script::NewOf(to_, L"Date", std::span<const Value>(&t, 1));
      }
      case script::ObjClass::Object: {
        if (o->IsCallable()) return Value::Undefined();
        Object* out = to_.NewObject();
        for (script::String* name : from_.Enumerate(o)) {
          bytes_ += name->Size() * 2;
          const Value item = Copy(from_.Get(v, name), depth + 1);
          if (TooLarge()) break;
          to_.Set(Value::Obj(out), to_.Intern(name->View()), item);
        }
        return Value::Obj(out);
      }
      default: return Value::Undefined();
    }
  }

 private:
  Vm& from_;
  Vm& to_;
  size_t bytes_ = 0;
};

void Close(Object* connection) {
  auto& list = Connections();
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].connection != connection) continue;
    list[i].owner->Vm().Unpin(Value::Obj(connection));
    list.erase(list.begin() + static_cast<ptrdiff_t>(i));
    return;
  }
}

Value ConnectionCtor(Vm&, CallInfo&) { return Value::Undefined(); }

Value Connect(Vm& vm, CallInfo& c) {
  Object* self = c.thisv.ObjectOrNull();
  const std::wstring name = Normalized(vm.ToText(c.Arg(0)));
  if (!self || name.empty() || name.find(L':') != std::wstring::npos || Find(name)) return Value::Bool(false);
  for (const Listening& l : Connections())
    if (l.connection == self) return Value::Bool(false);
  if (Connections().size() >= kMaxConnections) return Value::Bool(false);
  Connections().push_back(Listening{name, &Owner(c), self});
  vm.Pin(c.thisv);
  return Value::Bool(true);
}

Value CloseMethod(Vm&, CallInfo& c) {
  if (Object* self = c.thisv.ObjectOrNull()) Close(self);
  return Value::Undefined();
}

Value Send(Vm& vm, CallInfo& c) {
  Object* self = c.thisv.ObjectOrNull();
  const std::wstring name = Normalized(vm.ToText(c.Arg(0)));
  const std::wstring method = vm.ToText(c.Arg(1));
  static const wchar_t* const reserved[] = {L"send", L"connect", L"close", L"domain", L"onStatus", L"allowDomain",
                                            L"allowInsecureDomain"};
  if (!self || name.empty() || method.empty() || c.argc < 2) return Value::Bool(false);
  for (const wchar_t* r : reserved)
    if (method == r) return Value::Bool(false);
  Object* status = vm.NewObject();
  Listening* to = Find(name);
  if (to) {
    Vm& receiver = to->owner->Vm();
    Copier copier(vm, receiver);
    std::vector<Value> args;
    for (uint32_t i = 2; i < c.argc && !copier.TooLarge(); ++i) args.push_back(copier.Copy(c.args[i]));
    if (copier.TooLarge()) return Value::Bool(false);
    receiver.Later(Value::Obj(to->connection), receiver.Intern(method), std::move(args));
  }
  vm.Put(status, L"level", vm.Str(to ? L"status" : L"error"), 0);
  vm.Later(c.thisv, vm.Intern(L"onStatus"), {Value::Obj(status)});
  return Value::Bool(true);
}

Value Domain(Vm& vm, CallInfo&) { return vm.Str(L"localhost"); }

}  // namespace

void ForgetLocalConnections(MovieScripts& owner) {
  std::erase_if(Connections(), [&](const Listening& l) { return l.owner == &owner; });
}

void InstallLocalConnection(MovieScripts& owner, Vm& vm) {
  Object* p = vm.NewObject();
  vm.Method(p, L"connect", Connect)->hostData = &owner;
  vm.Method(p, L"close", CloseMethod);
  vm.Method(p, L"send", Send);
  vm.Method(p, L"domain", Domain);
  vm.Class(L"LocalConnection", ConnectionCtor, p);
}

}  // namespace flash
