// XML and XMLNode: a document parsed from text (entities, attributes,
// declarations and doctype kept aside), its nodes edited and cloned, and
// written back as text; XML.load reads a file beside the movie.
#include "base/TextConv.h"
#include "platform/flash/script/builtins/DataLoad.h"

namespace flash::script {
namespace {

constexpr int kMaxXmlDepth = 256;

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

void Serialize(Vm& vm, XmlNode* n, std::wstring& out, int depth) {
  if (depth > kMaxXmlDepth || vm.Stopped() || !vm.CheckLength(out.size())) return;
  if (n->type == 3) {
    if (n->value) AppendXmlEscaped(out, n->value->View(), kXmlScriptText);
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
        AppendXmlEscaped(out, vm.ToString(vm.Get(Value::Obj(n->attributes), a))->View(), kXmlScriptAttribute);
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

Value XmlLoad(Vm& vm, CallInfo& c) { return Value::Bool(StartLoad(vm, c.thisv, c.Arg(0))); }

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

}  // namespace

void InstallXmlBuiltins(Vm& vm) {
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
  vm.Method(xml, L"send", DataNoSend);
  vm.Method(xml, L"sendAndLoad", DataSendAndLoad);
  vm.Method(xml, L"getBytesLoaded", DataBytesLoaded);
  vm.Method(xml, L"getBytesTotal", DataBytesLoaded);
  vm.Put(xml, L"ignoreWhite", Value::Bool(false));
  vm.Put(xml, L"loaded", Value::Undefined());
  vm.Put(xml, L"status", Value::Number(0));
  vm.Class(L"XML", XmlCtor, xml);
}

}  // namespace flash::script
