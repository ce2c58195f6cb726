// SharedObject: each name's data kept in the host's folder for the movie,
// one file per name in a small text form of our own, written by flush and
// when the movie ends.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/BinaryFile.h"
#include "base/TextConv.h"
#include "platform/flash/script/builtins/Builtins.h"
#include "platform/flash/script/Convert.h"

namespace flash::script {
namespace {

constexpr size_t kMaxSharedBytes = size_t(1) << 20;

// Names are kept to letters, digits, "_", "-" and "."; nothing that climbs out.
std::wstring FileName(const std::wstring& name) {
  std::wstring out;
  for (wchar_t c : name.substr(0, 100)) {
    const bool plain = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
                       c == L'_' || c == L'-';
    out += plain ? c : L'_';
  }
  return out.empty() ? L"_" : out;
}

class Writer {
 public:
  explicit Writer(Vm& vm) : vm_(vm) {}
  void Write(const Value& v, int depth) {
    if (out_.size() > kMaxSharedBytes) return;
    switch (v.GetType()) {
      case Type::Undefined: out_ += L"undefined"; return;
      case Type::Null: out_ += L"null"; return;
      case Type::Boolean: out_ += v.AsBool() ? L"true" : L"false"; return;
      case Type::Number: {
        const double d = v.AsNumber();
        if (std::isnan(d)) out_ += L"NaN";
        else if (std::isinf(d)) out_ += d > 0 ? L"Infinity" : L"-Infinity";
        else {
          wchar_t buf[40];
          swprintf(buf, 40, L"%.17g", d);
          out_ += buf;
        }
        return;
      }
      case Type::String: Quote(v.AsString()->View()); return;
      case Type::Object: break;
    }
    Object* o = v.AsObject();
    if (depth > 64 || o->IsCallable() || std::find(path_.begin(), path_.end(), o) != path_.end()) {
      out_ += L"null";
      return;
    }
    path_.push_back(o);
    if (o->Class() == ObjClass::Array) {
      out_ += L"[";
      const auto& items = static_cast<Array*>(o)->items;
      for (size_t i = 0; i < items.size(); ++i) {
        if (i) out_ += L",";
        Write(items[i], depth + 1);
      }
      out_ += L"]";
    } else {
      out_ += L"{";
      bool first = true;
      for (String* name : vm_.Enumerate(o)) {
        const Value child = vm_.Get(v, name);
        if (child.IsObject() && child.AsObject()->IsCallable()) continue;
        if (!first) out_ += L",";
        first = false;
        Quote(name->View());
        out_ += L":";
        Write(child, depth + 1);
      }
      out_ += L"}";
    }
    path_.pop_back();
  }
  const std::wstring& Text() const { return out_; }

 private:
  void Quote(std::wstring_view s) {
    out_ += L'"';
    for (wchar_t c : s) {
      if (c == L'"' || c == L'\\') {
        out_ += L'\\';
        out_ += c;
      } else if (c < 0x20) {
        wchar_t buf[8];
        swprintf(buf, 8, L"\\u%04x", c);
        out_ += buf;
      } else {
        out_ += c;
      }
    }
    out_ += L'"';
  }
  Vm& vm_;
  std::wstring out_;
  std::vector<Object*> path_;
};

class Reader {
 public:
  Reader(Vm& vm, std::wstring_view s) : vm_(vm), s_(s) {}
  bool Read(Value& out, int depth = 0) {
    Skip();
    if (depth > 64 || i_ >= s_.size()) return false;
    const wchar_t c = s_[i_];
    if (c == L'"') {
      std::wstring text;
      if (!Quoted(text)) return false;
      out = vm_.Str(text);
      return true;
    }
    if (c == L'[') {
      ++i_;
      Array* a = vm_.NewArray();
      out = Value::Obj(a);
      Skip();
      if (i_ < s_.size() && s_[i_] == L']') return ++i_, true;
      for (;;) {
        Value item;
        if (!Read(item, depth + 1)) return false;
        vm_.ArrayPut(a, a->items.size(), item);
        Skip();
        if (i_ >= s_.size()) return false;
        if (s_[i_++] == L']') return true;
      }
    }
    if (c == L'{') {
      ++i_;
      Object* o = vm_.NewObject();
      out = Value::Obj(o);
      Skip();
      if (i_ < s_.size() && s_[i_] == L'}') return ++i_, true;
      for (;;) {
        std::wstring name;
        Skip();
        if (!Quoted(name)) return false;
        Skip();
        if (i_ >= s_.size() || s_[i_++] != L':') return false;
        Value item;
        if (!Read(item, depth + 1)) return false;
        vm_.Set(out, vm_.Intern(name), item);
        Skip();
        if (i_ >= s_.size()) return false;
        if (s_[i_++] == L'}') return true;
      }
    }
    size_t j = i_;
    while (j < s_.size() && s_[j] != L',' && s_[j] != L']' && s_[j] != L'}' && s_[j] != L' ') ++j;
    const std::wstring_view word = s_.substr(i_, j - i_);
    i_ = j;
    if (word == L"undefined") out = Value::Undefined();
    else if (word == L"null") out = Value::Null();
    else if (word == L"true") out = Value::Bool(true);
    else if (word == L"false") out = Value::Bool(false);
    else if (word == L"NaN") out = Value::Number(NAN);
    else out = Value::Number(ParseNumber(word, 7));
    return !word.empty();
  }

 private:
  void Skip() {
    while (i_ < s_.size() && (s_[i_] == L' ' || s_[i_] == L'\n' || s_[i_] == L'\r' || s_[i_] == L'\t')) ++i_;
  }
  bool Quoted(std::wstring& text) {
    if (i_ >= s_.size() || s_[i_] != L'"') return false;
    for (++i_; i_ < s_.size(); ++i_) {
      wchar_t c = s_[i_];
      if (c == L'"') return ++i_, true;
      if (c == L'\\' && i_ + 1 < s_.size()) {
        c = s_[++i_];
        if (c == L'u' && i_ + 4 < s_.size()) {
          c = static_cast<wchar_t>(std::wcstoul(std::wstring(s_.substr(i_ + 1, 4)).c_str(), nullptr, 16));
          i_ += 4;
        }
      }
      text += c;
    }
    return false;
  }
  Vm& vm_;
  std::wstring_view s_;
  size_t i_ = 0;
};

std::wstring SharedPath(Vm& vm, Object* so) {
  const std::wstring folder = vm.Host().SharedObjectFolder();
  if (folder.empty()) return L"";
  return folder + FileName(vm.ToText(so->primitive)) + L".sol";
}

bool FlushOne(Vm& vm, Object* so) {
  const std::wstring path = SharedPath(vm, so);
  if (path.empty()) return false;
  Writer w(vm);
  w.Write(vm.Get(Value::Obj(so), vm.Intern(L"data")), 0);
  if (w.Text().size() > kMaxSharedBytes) return false;
  const std::string bytes = WideToUtf8(w.Text());
  // The folders down to the file's, each made if missing.
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  return WriteWholeFile(path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

Object* ThisShared(const CallInfo& c) { return ThisAs(c, ObjClass::SharedObject); }

Value GetLocal(Vm& vm, CallInfo& c) {
  String* name = vm.ToString(c.Arg(0));
  if (!name->Size()) return Value::Null();
  String* file = vm.Intern(FileName(name->Str()));
  const Value known = vm.Get(Value::Obj(vm.sharedObjects), file);
  if (known.IsObject()) return known;
  Object* proto = vm.Get(vm.Get(Value::Obj(vm.Global()), vm.Intern(L"SharedObject")), vm.N().prototype).ObjectOrNull();
  Object* so = vm.GetHeap().New<Object>(proto ? proto : vm.objectProto, ObjClass::SharedObject);
  so->primitive = Value::Str(name);
  Value data = Value::Obj(vm.NewObject());
  const std::wstring path = SharedPath(vm, so);
  BinaryFile f;
  if (!path.empty() && f.OpenRead(path)) {
    const int64_t size = f.Size();
    if (size > 0 && size <= static_cast<int64_t>(kMaxSharedBytes)) {
      std::string bytes(static_cast<size_t>(size), '\0');
      if (f.ReadExactAt(0, std::span<uint8_t>(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()))) {
        Value read;
        if (Reader(vm, Utf8ToWide(bytes)).Read(read) && read.IsObject()) data = read;
      }
    }
  }
  vm.Put(so, L"data", data, kDontDelete);
  vm.Put(vm.sharedObjects, file, Value::Obj(so), 0);
  return Value::Obj(so);
}

Value Flush(Vm& vm, CallInfo& c) {
  Object* so = ThisShared(c);
  return Value::Bool(so && FlushOne(vm, so));
}

Value Clear(Vm& vm, CallInfo& c) {
  Object* so = ThisShared(c);
  if (!so) return Value::Undefined();
  vm.Put(so, L"data", Value::Obj(vm.NewObject()), kDontDelete);
  const std::wstring path = SharedPath(vm, so);
  if (!path.empty()) DeleteFileW(path.c_str());
  return Value::Undefined();
}

Value GetSize(Vm& vm, CallInfo& c) {
  Object* so = ThisShared(c);
  if (!so) return Value::Number(0);
  Writer w(vm);
  w.Write(vm.Get(Value::Obj(so), vm.Intern(L"data")), 0);
  return Value::Number(static_cast<double>(WideToUtf8(w.Text()).size()));
}

}  // namespace

void Vm::FlushSharedObjects() {
  if (!sharedObjects) return;
  for (String* name : Enumerate(sharedObjects))
    if (Object* so = Get(Value::Obj(sharedObjects), name).ObjectOrNull()) FlushOne(*this, so);
}

void InstallSharedObjectBuiltins(Vm& vm) {
  vm.sharedObjects = vm.NewObject();
  Object* so = vm.NewObject();
  vm.Method(so, L"flush", Flush);
  vm.Method(so, L"clear", Clear);
  vm.Method(so, L"getSize", GetSize);
  Function* shared = vm.Class(L"SharedObject", [](Vm&, CallInfo&) { return Value::Undefined(); }, so);
  vm.Method(shared, L"getLocal", GetLocal);
}

}  // namespace flash::script
