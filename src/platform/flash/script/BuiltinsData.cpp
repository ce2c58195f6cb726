// LoadVars, XML and XMLNode, and SharedObject. Files are read only through
// the host (the movie's own folder); shared objects are kept in the host's
// folder for the movie, one file per name, in a small text form of our own.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/BinaryFile.h"
#include "base/TextConv.h"
#include "platform/flash/script/UrlQuery.h"
#include "platform/flash/script/Builtins.h"
#include "platform/flash/script/Convert.h"

namespace flash::script {
namespace {

constexpr int kMaxXmlDepth = 256;
constexpr size_t kMaxSharedBytes = size_t(1) << 20;

std::wstring Text(Vm& vm, const std::string& bytes) {
  std::string b = bytes;
  if (b.size() >= 3 && uint8_t(b[0]) == 0xEF && uint8_t(b[1]) == 0xBB && uint8_t(b[2]) == 0xBF) b.erase(0, 3);
  if (vm.Version() >= 6) return Utf8ToWide(b);
  std::wstring out;
  for (unsigned char c : b) out += static_cast<wchar_t>(c);
  return out;
}

// Starts reading url for obj; obj.onData(text) runs once the scripts of
// this frame are done (with undefined when the file cannot be read).
bool Load(Vm& vm, const Value& obj, const Value& url) {
  const std::wstring u = vm.ToText(url);
  if (u.empty() || !obj.IsObject()) return false;
  std::string bytes;
  const bool ok = vm.Host().ReadMovieFile(u, bytes);
  vm.Set(obj, vm.Intern(L"loaded"), Value::Bool(false));
  vm.Set(obj, vm.Intern(L"_bytesTotal"), Value::Number(ok ? double(bytes.size()) : 0));
  vm.Later(obj, vm.Intern(L"onData"), {ok ? vm.Str(Text(vm, bytes)) : Value::Undefined()});
  return true;
}

// ---- LoadVars ---------------------------------------------------------------------------

Value LoadVarsCtor(Vm& vm, CallInfo& c) {
  return Value::Obj(vm.GetHeap().New<Object>(c.construct ? c.thisv.AsObject()->Proto() : vm.objectProto,
                                             ObjClass::LoadVars));
}

Value LoadVarsLoad(Vm& vm, CallInfo& c) { return Value::Bool(Load(vm, c.thisv, c.Arg(0))); }

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

Value LoadVarsSendAndLoad(Vm& vm, CallInfo& c) {
  // No network: a local file is read into the target, anything else fails.
  return Value::Bool(Load(vm, c.Arg(1), c.Arg(0)));
}

Value NoSend(Vm&, CallInfo&) { return Value::Bool(false); }

Value BytesLoaded(Vm& vm, CallInfo& c) { return vm.Get(c.thisv, vm.Intern(L"_bytesTotal")); }

// ---- XML ---------------------------------------------------------------------------------

class XmlNode final : public Object {
 public:
  XmlNode(Object* proto, int type) : Object(proto, ObjClass::XmlNode), type(type) { hooks_ = true; }
  int type;  // 1 element, 3 text
  String* name = nullptr;
  String* value = nullptr;
  Object* attributes = nullptr;
  XmlNode* parent = nullptr;
  std::vector<XmlNode*> children;

  bool GetHook(Vm& vm, String* key, Value& out) override;
  bool SetHook(Vm& vm, String* key, const Value& v) override;
  void Trace(Tracer& t) const override {
    Object::Trace(t);
    t.Mark(name);
    t.Mark(value);
    t.Mark(attributes);
    t.Mark(parent);
    for (XmlNode* n : children) t.Mark(n);
  }
  int Depth() const {
    int d = 0;
    for (const XmlNode* p = parent; p && d <= kMaxXmlDepth; p = p->parent) ++d;
    return d;
  }
  void Detach() {
    if (!parent) return;
    auto& list = parent->children;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    parent = nullptr;
  }
  XmlNode* Sibling(int step) const {
    if (!parent) return nullptr;
    const auto& list = parent->children;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return nullptr;
    const ptrdiff_t at = (it - list.begin()) + step;
    return at >= 0 && at < static_cast<ptrdiff_t>(list.size()) ? list[static_cast<size_t>(at)] : nullptr;
  }
};

Value NodeValue(XmlNode* n) { return n ? Value::Obj(n) : Value::Null(); }

bool XmlNode::GetHook(Vm& vm, String* key, Value& out) {
  const std::wstring_view k = key->View();
  auto is = [&](const wchar_t* name) { return vm.Key(name) == key; };
  if (k.empty() || (k[0] != L'n' && k[0] != L'f' && k[0] != L'l' && k[0] != L'p' && k[0] != L'c' && k[0] != L'a'))
    return false;
  if (is(L"nodeName")) out = type == 1 && name ? Value::Str(name) : Value::Null();
  else if (is(L"nodeValue")) out = type == 3 && value ? Value::Str(value) : Value::Null();
  else if (is(L"nodeType")) out = Value::Number(type);
  else if (is(L"firstChild")) out = NodeValue(children.empty() ? nullptr : children.front());
  else if (is(L"lastChild")) out = NodeValue(children.empty() ? nullptr : children.back());
  else if (is(L"nextSibling")) out = NodeValue(Sibling(1));
  else if (is(L"previousSibling")) out = NodeValue(Sibling(-1));
  else if (is(L"parentNode")) out = NodeValue(parent);
  else if (is(L"childNodes")) {
    Array* a = vm.NewArray(children.size());
    for (XmlNode* n : children) a->items.push_back(Value::Obj(n));
    out = Value::Obj(a);
  } else if (is(L"attributes")) {
    if (!attributes) attributes = vm.NewObject();
    out = Value::Obj(attributes);
  } else {
    return false;
  }
  return true;
}

bool XmlNode::SetHook(Vm& vm, String* key, const Value& v) {
  if (key == vm.Key(L"nodeName")) {
    name = v.IsNullish() ? nullptr : vm.ToString(v);
  } else if (key == vm.Key(L"nodeValue")) {
    value = v.IsNullish() ? nullptr : vm.ToString(v);
  } else if (key == vm.Key(L"attributes")) {
    if (v.IsObject()) attributes = v.AsObject();
  } else {
    return key == vm.Key(L"firstChild") || key == vm.Key(L"lastChild") || key == vm.Key(L"childNodes") ||
           key == vm.Key(L"parentNode") || key == vm.Key(L"nextSibling") || key == vm.Key(L"previousSibling") ||
           key == vm.Key(L"nodeType");  // read-only
  }
  return true;
}

XmlNode* ThisNode(const CallInfo& c) { return ThisAs<XmlNode>(c, ObjClass::XmlNode); }

Object* NodeProto(Vm& vm) {
  Object* ctor = vm.Get(Value::Obj(vm.Global()), vm.Intern(L"XMLNode")).ObjectOrNull();
  Object* proto = ctor ? vm.Get(Value::Obj(ctor), vm.N().prototype).ObjectOrNull() : nullptr;
  return proto ? proto : vm.objectProto;
}

XmlNode* NewNode(Vm& vm, int type, String* text) {
  XmlNode* n = vm.GetHeap().New<XmlNode>(NodeProto(vm), type);
  if (type == 1) n->name = text;
  else n->value = text;
  return n;
}

void AppendEscaped(std::wstring& out, std::wstring_view s, bool attribute) {
  for (wchar_t ch : s) {
    switch (ch) {
      case L'&': out += L"&amp;"; break;
      case L'<': out += L"&lt;"; break;
      case L'>': out += L"&gt;"; break;
      case L'"': out += attribute ? L"&quot;" : L"\""; break;
      case L'\'': out += attribute ? L"&apos;" : L"'"; break;
      default: out += ch;
    }
  }
}

void Serialize(Vm& vm, XmlNode* n, std::wstring& out, int depth) {
  if (depth > kMaxXmlDepth || vm.Stopped() || !vm.CheckLength(out.size())) return;
  if (n->type == 3) {
    if (n->value) AppendEscaped(out, n->value->View(), false);
    return;
  }
  if (n->name) {
    out += L"<";
    out += n->name->View();
    if (n->attributes)
      for (String* a : vm.Enumerate(n->attributes)) {
        out += L" ";
        out += a->View();
        out += L"=\"";
        AppendEscaped(out, vm.ToString(vm.Get(Value::Obj(n->attributes), a))->View(), true);
        out += L"\"";
      }
    if (n->children.empty()) {
      out += L" />";
      return;
    }
    out += L">";
  }
  for (XmlNode* child : n->children) Serialize(vm, child, out, depth + 1);
  if (n->name) {
    out += L"</";
    out += n->name->View();
    out += L">";
  }
}

std::wstring Entities(std::wstring_view s) {
  std::wstring out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != L'&') {
      out += s[i];
      continue;
    }
    const size_t semi = s.find(L';', i);
    if (semi == std::wstring_view::npos || semi - i > 10) {
      out += s[i];
      continue;
    }
    const std::wstring_view e = s.substr(i + 1, semi - i - 1);
    wchar_t ch = 0;
    if (e == L"lt") ch = L'<';
    else if (e == L"gt") ch = L'>';
    else if (e == L"amp") ch = L'&';
    else if (e == L"quot") ch = L'"';
    else if (e == L"apos") ch = L'\'';
    else if (e.size() > 1 && e[0] == L'#') {
      const bool hex = e[1] == L'x' || e[1] == L'X';
      const std::wstring digits(e.substr(hex ? 2 : 1));
      ch = static_cast<wchar_t>(std::wcstoul(digits.c_str(), nullptr, hex ? 16 : 10) & 0xFFFF);
    }
    if (!ch) {
      out += s[i];
      continue;
    }
    out += ch;
    i = semi;
  }
  return out;
}

bool Space(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// Parses text into doc's children; returns the status players report (0 ok).
int ParseXml(Vm& vm, XmlNode* doc, std::wstring_view s, bool ignoreWhite, std::wstring& decl, std::wstring& doctype) {
  doc->children.clear();
  XmlNode* cur = doc;
  size_t i = 0;
  int depth = 0;
  auto text = [&](std::wstring_view t, bool raw) {
    if (ignoreWhite && std::all_of(t.begin(), t.end(), Space)) return;
    if (t.empty()) return;
    XmlNode* n = NewNode(vm, 3, vm.ToString(vm.Str(raw ? std::wstring(t) : Entities(t))));
    n->parent = cur;
    cur->children.push_back(n);
  };
  while (i < s.size() && !vm.Stopped()) {
    const size_t lt = s.find(L'<', i);
    if (lt == std::wstring_view::npos) {
      text(s.substr(i), false);
      break;
    }
    text(s.substr(i, lt - i), false);
    const std::wstring_view rest = s.substr(lt);
    if (rest.substr(0, 4) == L"<!--") {
      const size_t end = s.find(L"-->", lt + 4);
      if (end == std::wstring_view::npos) return -5;
      i = end + 3;
    } else if (rest.substr(0, 9) == L"<![CDATA[") {
      const size_t end = s.find(L"]]>", lt + 9);
      if (end == std::wstring_view::npos) return -2;
      text(s.substr(lt + 9, end - lt - 9), true);
      i = end + 3;
    } else if (rest.substr(0, 2) == L"<?") {
      const size_t end = s.find(L"?>", lt + 2);
      if (end == std::wstring_view::npos) return -3;
      decl = s.substr(lt, end + 2 - lt);
      i = end + 2;
    } else if (rest.substr(0, 2) == L"<!") {
      const size_t end = s.find(L'>', lt + 2);
      if (end == std::wstring_view::npos) return -4;
      doctype = s.substr(lt, end + 1 - lt);
      i = end + 1;
    } else if (rest.substr(0, 2) == L"</") {
      const size_t end = s.find(L'>', lt + 2);
      if (end == std::wstring_view::npos) return -6;
      std::wstring_view name = s.substr(lt + 2, end - lt - 2);
      while (!name.empty() && Space(name.back())) name.remove_suffix(1);
      if (cur == doc || !cur->name || cur->name->View() != name) return -10;
      cur = cur->parent;
      --depth;
      i = end + 1;
    } else {
      size_t j = lt + 1;
      while (j < s.size() && !Space(s[j]) && s[j] != L'>' && s[j] != L'/') ++j;
      if (j == lt + 1) return -6;
      XmlNode* n = NewNode(vm, 1, vm.Intern(s.substr(lt + 1, j - lt - 1)));
      n->attributes = vm.NewObject();
      n->parent = cur;
      cur->children.push_back(n);
      bool closed = false;
      for (;;) {
        while (j < s.size() && Space(s[j])) ++j;
        if (j >= s.size()) return -6;
        if (s[j] == L'>') {
          ++j;
          break;
        }
        if (s[j] == L'/' && j + 1 < s.size() && s[j + 1] == L'>') {
          j += 2;
          closed = true;
          break;
        }
        size_t a = j;
        while (j < s.size() && !Space(s[j]) && s[j] != L'=' && s[j] != L'>') ++j;
        const std::wstring_view attr = s.substr(a, j - a);
        while (j < s.size() && Space(s[j])) ++j;
        if (j >= s.size() || s[j] != L'=' || attr.empty()) return -6;
        ++j;
        while (j < s.size() && Space(s[j])) ++j;
        if (j >= s.size() || (s[j] != L'"' && s[j] != L'\'')) return -8;
        const size_t close = s.find(s[j], j + 1);
        if (close == std::wstring_view::npos) return -8;
        vm.Set(Value::Obj(n->attributes), vm.Intern(attr), vm.Str(Entities(s.substr(j + 1, close - j - 1))));
        j = close + 1;
      }
      if (!closed) {
        if (++depth > kMaxXmlDepth) return -9;
        cur = n;
      }
      i = j;
    }
  }
  return cur == doc ? 0 : -9;
}

Value XmlNodeCtor(Vm& vm, CallInfo& c) {
  const int type = c.argc ? vm.ToInt32(c.Arg(0)) : 1;
  XmlNode* n = NewNode(vm, type == 3 ? 3 : 1, c.argc > 1 ? vm.ToString(c.Arg(1)) : nullptr);
  if (c.construct) n->SetProto(c.thisv.AsObject()->Proto());
  return Value::Obj(n);
}

Value ParseXmlMethod(Vm& vm, CallInfo& c) {
  XmlNode* doc = ThisNode(c);
  if (!doc) return Value::Undefined();
  std::wstring decl, doctype;
  const bool ignoreWhite = vm.ToBool(vm.Get(c.thisv, vm.Intern(L"ignoreWhite")));
  const int status = ParseXml(vm, doc, vm.ToString(c.Arg(0))->View(), ignoreWhite, decl, doctype);
  vm.Set(c.thisv, vm.Intern(L"status"), Value::Number(status));
  vm.Set(c.thisv, vm.Intern(L"xmlDecl"), decl.empty() ? Value::Undefined() : vm.Str(decl));
  vm.Set(c.thisv, vm.Intern(L"docTypeDecl"), doctype.empty() ? Value::Undefined() : vm.Str(doctype));
  return Value::Undefined();
}

Value XmlCtor(Vm& vm, CallInfo& c) {
  XmlNode* doc = NewNode(vm, 1, nullptr);
  if (c.construct) doc->SetProto(c.thisv.AsObject()->Proto());
  if (c.argc && !c.Arg(0).IsNullish()) {
    CallInfo parse{Value::Obj(doc), c.args, 1, c.callee, false};
    ParseXmlMethod(vm, parse);
  }
  return Value::Obj(doc);
}

Value XmlOnData(Vm& vm, CallInfo& c) {
  const Value src = c.Arg(0);
  bool ok = false;
  if (!src.IsUndefined()) {
    vm.CallMethod(c.thisv, vm.Intern(L"parseXML"), std::span<const Value>(&src, 1));
    vm.Set(c.thisv, vm.Intern(L"loaded"), Value::Bool(true));
    ok = true;
  }
  const Value result = Value::Bool(ok);
  vm.CallMethod(c.thisv, vm.Intern(L"onLoad"), std::span<const Value>(&result, 1));
  return Value::Undefined();
}

Value XmlLoad(Vm& vm, CallInfo& c) { return Value::Bool(Load(vm, c.thisv, c.Arg(0))); }

// magic 1: element, 3: text.
Value XmlCreate(Vm& vm, CallInfo& c) { return Value::Obj(NewNode(vm, c.callee->magic, vm.ToString(c.Arg(0)))); }

Value AppendChild(Vm& vm, CallInfo& c) {
  XmlNode* self = ThisNode(c);
  Object* o = c.Arg(0).ObjectOrNull();
  if (!self || !o || o->Class() != ObjClass::XmlNode) return Value::Undefined();
  auto* child = static_cast<XmlNode*>(o);
  for (XmlNode* p = self; p; p = p->parent)
    if (p == child) return Value::Undefined();  // a node inside itself
  if (self->Depth() >= kMaxXmlDepth) return Value::Undefined();
  child->Detach();
  child->parent = self;
  self->children.push_back(child);
  vm.GetHeap().Grow(self, sizeof(void*));
  return Value::Undefined();
}

Value InsertBefore(Vm& vm, CallInfo& c) {
  XmlNode* self = ThisNode(c);
  Object* o = c.Arg(0).ObjectOrNull();
  Object* before = c.Arg(1).ObjectOrNull();
  if (!self || !o || o->Class() != ObjClass::XmlNode || !before) return Value::Undefined();
  auto* child = static_cast<XmlNode*>(o);
  for (XmlNode* p = self; p; p = p->parent)
    if (p == child) return Value::Undefined();
  auto it = std::find(self->children.begin(), self->children.end(), before);
  if (it == self->children.end() || *it == child) return Value::Undefined();
  child->Detach();
  it = std::find(self->children.begin(), self->children.end(), before);
  child->parent = self;
  self->children.insert(it, child);
  (void)vm;
  return Value::Undefined();
}

Value RemoveNode(Vm&, CallInfo& c) {
  if (XmlNode* n = ThisNode(c)) n->Detach();
  return Value::Undefined();
}

Value HasChildNodes(Vm&, CallInfo& c) {
  XmlNode* n = ThisNode(c);
  return Value::Bool(n && !n->children.empty());
}

XmlNode* Clone(Vm& vm, XmlNode* n, bool deep, int depth) {
  XmlNode* copy = NewNode(vm, n->type, n->type == 1 ? n->name : n->value);
  copy->SetProto(n->Proto());
  if (n->attributes) {
    copy->attributes = vm.NewObject();
    for (String* a : vm.Enumerate(n->attributes))
      vm.Set(Value::Obj(copy->attributes), a, vm.Get(Value::Obj(n->attributes), a));
  }
  if (deep && depth < kMaxXmlDepth)
    for (XmlNode* child : n->children) {
      if (vm.Stopped()) break;
      XmlNode* c = Clone(vm, child, true, depth + 1);
      c->parent = copy;
      copy->children.push_back(c);
    }
  return copy;
}

Value CloneNode(Vm& vm, CallInfo& c) {
  XmlNode* n = ThisNode(c);
  return n ? Value::Obj(Clone(vm, n, vm.ToBool(c.Arg(0)), 0)) : Value::Undefined();
}

Value XmlToString(Vm& vm, CallInfo& c) {
  XmlNode* n = ThisNode(c);
  if (!n) return Value::Undefined();
  std::wstring out;
  if (!n->name && !n->parent && n->type == 1) {
    const Value decl = vm.Get(c.thisv, vm.Intern(L"xmlDecl"));
    if (decl.IsString()) out += decl.AsString()->View();
  }
  Serialize(vm, n, out, 0);
  return vm.Str(out);
}

// ---- SharedObject ----------------------------------------------------------------------------

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

void InstallDataBuiltins(Vm& vm) {
  Object* lv = vm.NewObject();
  vm.Method(lv, L"load", LoadVarsLoad);
  vm.Method(lv, L"decode", LoadVarsDecode);
  vm.Method(lv, L"onData", LoadVarsOnData);
  vm.Method(lv, L"toString", LoadVarsToString);
  vm.Method(lv, L"send", NoSend);
  vm.Method(lv, L"sendAndLoad", LoadVarsSendAndLoad);
  vm.Method(lv, L"getBytesLoaded", BytesLoaded);
  vm.Method(lv, L"getBytesTotal", BytesLoaded);
  vm.Class(L"LoadVars", LoadVarsCtor, lv);

  Object* node = vm.NewObject();
  vm.Method(node, L"appendChild", AppendChild);
  vm.Method(node, L"insertBefore", InsertBefore);
  vm.Method(node, L"removeNode", RemoveNode);
  vm.Method(node, L"hasChildNodes", HasChildNodes);
  vm.Method(node, L"cloneNode", CloneNode);
  vm.Method(node, L"toString", XmlToString);
  vm.Class(L"XMLNode", XmlNodeCtor, node);
  Object* xml = vm.NewObject(node);
  vm.Method(xml, L"parseXML", ParseXmlMethod);
  vm.Method(xml, L"createElement", XmlCreate, 1);
  vm.Method(xml, L"createTextNode", XmlCreate, 3);
  vm.Method(xml, L"load", XmlLoad);
  vm.Method(xml, L"onData", XmlOnData);
  vm.Method(xml, L"send", NoSend);
  vm.Method(xml, L"sendAndLoad", LoadVarsSendAndLoad);
  vm.Method(xml, L"getBytesLoaded", BytesLoaded);
  vm.Method(xml, L"getBytesTotal", BytesLoaded);
  vm.Put(xml, L"ignoreWhite", Value::Bool(false));
  vm.Put(xml, L"loaded", Value::Undefined());
  vm.Put(xml, L"status", Value::Number(0));
  vm.Class(L"XML", XmlCtor, xml);

  vm.sharedObjects = vm.NewObject();
  Object* so = vm.NewObject();
  vm.Method(so, L"flush", Flush);
  vm.Method(so, L"clear", Clear);
  vm.Method(so, L"getSize", GetSize);
  Function* shared = vm.Class(L"SharedObject", [](Vm&, CallInfo&) { return Value::Undefined(); }, so);
  vm.Method(shared, L"getLocal", GetLocal);
}

}  // namespace flash::script
