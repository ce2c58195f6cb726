// Names: variables along the scope chain and the target, members along
// prototypes (with accessors and watchers), paths of clips, enumeration,
// construction, and the actions that take a target or a frame.
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "platform/flash/script/Convert.h"
#include "platform/flash/script/Vm.h"
#include "platform/flash/script/VmFrame.h"

namespace flash::script {
namespace {

constexpr int kMaxProtoDepth = 64;

}  // namespace

// ---- Creation -------------------------------------------------------------------

void Vm::CheckHeap() {
  if (heap_.OverLimit() && runs_ > 0) Abort(L"a script took more memory than a movie may");
}

Object* Vm::NewObject(Object* proto) {
  CheckHeap();
  return heap_.New<Object>(proto ? proto : objectProto);
}

Array* Vm::NewArray(size_t reserve) {
  CheckHeap();
  Array* a = heap_.New<Array>(arrayProto);
  a->items.reserve(std::min(reserve, Array::kMaxLength));
  return a;
}

Function* Vm::NewNative(NativeFn fn, int magic, Object* proto) {
  Function* f = heap_.New<Function>(proto ? proto : functionProto);
  f->native = fn;
  f->magic = magic;
  return f;
}

void Vm::Put(Object* on, String* name, const Value& v, uint32_t flags) {
  String* key = heap_.Key(name);
  if (Slot* s = on->Props().Find(key)) {
    s->value = v;
    s->flags = flags;
  } else {
    on->Props().Add(key, name, v, flags);
    heap_.Grow(on, sizeof(Slot));
  }
}

void Vm::Put(Object* on, const wchar_t* name, const Value& v, uint32_t flags) { Put(on, Intern(name), v, flags); }

Function* Vm::Method(Object* on, const wchar_t* name, NativeFn fn, int magic) {
  Function* f = NewNative(fn, magic);
  Put(on, name, Value::Obj(f));
  return f;
}

Function* Vm::Class(const wchar_t* name, NativeFn ctor, Object* prototype, int magic) {
  Function* f = NewNative(ctor, magic);
  Put(f, names_.prototype, Value::Obj(prototype));
  Put(prototype, names_.constructor, Value::Obj(f));
  if (name) Put(global_, name, Value::Obj(f));
  return f;
}

Object* Vm::ToObjectProto(const Value& v) const {
  if (v.IsString()) return stringProto;
  if (v.IsNumber()) return numberProto;
  if (v.IsBool()) return booleanProto;
  return nullptr;
}

// ---- Members ---------------------------------------------------------------------

Value Vm::CallGetter(const Value& fn, const Value& thisv) {
  ++gcBlocked_;
  Value r = CallValue(fn, thisv, nullptr, 0, nullptr, false);
  --gcBlocked_;
  return r;
}

bool Vm::FindMethod(Object* obj, String* key, const Value& thisv, Value& out, Object*& holder) {
  holder = obj;
  if (obj->HasHooks() && obj->GetHook(*this, key, out)) return true;
  if (key == names_.proto) {
    out = obj->Proto() ? Value::Obj(obj->Proto()) : Value::Undefined();
    return obj->Proto() != nullptr;
  }
  Object* o = obj;
  for (int depth = 0; o && depth < kMaxProtoDepth; ++depth, o = o->Proto()) {
    if (o->Class() == ObjClass::Array) {
      auto* a = static_cast<Array*>(o);
      uint32_t index = 0;
      if (key == names_.length) {
        out = Value::Number(static_cast<double>(a->items.size()));
        return true;
      }
      if (key->IsIndex(index) && index < a->items.size()) {
        out = a->items[index];
        return true;
      }
    } else if (o->Class() == ObjClass::String && key == names_.length && o->primitive.IsString()) {
      out = Value::Number(o->primitive.AsString()->Size());
      return true;
    }
    if (Slot* s = o->Props().Find(key)) {
      holder = o;
      if (s->flags & kAccessor) {
        out = CallGetter(static_cast<Accessor*>(s->value.AsObject())->getter, thisv);
      } else {
        out = s->value;
      }
      return true;
    }
    if (o == obj && obj->HasHooks() && obj->LateHook(*this, key, out)) return true;
  }
  return false;
}

bool Vm::Find(Object* obj, String* key, const Value& thisv, Value& out) {
  Object* holder = nullptr;
  return FindMethod(obj, key, thisv, out, holder);
}

Value Vm::GetProp(Object* obj, String* key, const Value& thisv) {
  Value out;
  return Find(obj, key, thisv, out) ? out : Value::Undefined();
}

Value Vm::Get(const Value& obj, String* name) {
  String* key = heap_.Key(name);
  if (obj.IsObject()) return GetProp(obj.AsObject(), key, obj);
  if (obj.IsString() && key == names_.length) return Value::Number(obj.AsString()->Size());
  if (Object* proto = ToObjectProto(obj)) return GetProp(proto, key, obj);
  return Value::Undefined();
}

Value Vm::GetMember(const Value& obj, const Value& key) {
  if (obj.IsObject() && key.IsNumber() && obj.AsObject()->Class() == ObjClass::Array) {
    auto* a = static_cast<Array*>(obj.AsObject());
    const double d = key.AsNumber();
    if (d >= 0 && d < double(a->items.size()) && d == std::floor(d)) return a->items[static_cast<size_t>(d)];
  }
  if (obj.IsNullish()) return Value::Undefined();
  return Get(obj, key.IsString() ? key.AsString() : ToString(key));
}

Value Vm::Watch(Object* obj, String* key, const Value& old, const Value& v) {
  const Object::Extra* extra = obj->MoreOrNull();
  if (!extra) return v;
  for (const Object::Watch& w : extra->watches) {
    if (w.key != key) continue;
    const Value args[] = {Value::Str(key), old, v, w.data};
    const Value callback = w.callback;
    ++gcBlocked_;
    Value r = CallValue(callback, Value::Obj(obj), args, 4, nullptr, false);
    --gcBlocked_;
    return r;
  }
  return v;
}

bool Vm::ArrayPut(Array* a, size_t index, const Value& v) {
  if (index >= Array::kMaxLength) {
    Abort(L"an array grew past " + std::to_wstring(Array::kMaxLength) + L" elements");
    return false;
  }
  if (index >= a->items.size()) {
    heap_.Grow(a, static_cast<ptrdiff_t>((index + 1 - a->items.size()) * sizeof(Value)));
    CheckHeap();
    a->items.resize(index + 1);
  }
  a->items[index] = v;
  return true;
}

bool Vm::SetArrayLength(Array* a, size_t length) {
  if (length > Array::kMaxLength) {
    Abort(L"an array grew past " + std::to_wstring(Array::kMaxLength) + L" elements");
    return false;
  }
  heap_.Grow(a, (static_cast<ptrdiff_t>(length) - static_cast<ptrdiff_t>(a->items.size())) *
                    static_cast<ptrdiff_t>(sizeof(Value)));
  CheckHeap();
  a->items.resize(length);
  return true;
}

void Vm::SetProp(Object* obj, String* name, const Value& v) {
  String* key = heap_.Key(name);
  if (obj->HasHooks() && obj->SetHook(*this, key, v)) return;
  if (key == names_.proto) {
    if (v.IsObject()) obj->SetProto(v.AsObject());
    else if (v.IsNull()) obj->SetProto(nullptr);
    return;
  }
  if (obj->Class() == ObjClass::Array) {
    auto* a = static_cast<Array*>(obj);
    uint32_t index = 0;
    if (key->IsIndex(index)) {
      ArrayPut(a, index, v);
      return;
    }
    if (key == names_.length) {
      const double d = ToNumber(v);
      if (d >= 0 && d == std::floor(d)) SetArrayLength(a, static_cast<size_t>(std::min(d, 1e12)));
      return;
    }
  }
  if (Slot* s = obj->Props().Find(key)) {
    if (s->flags & kAccessor) {
      const Value setter = static_cast<Accessor*>(s->value.AsObject())->setter;
      ++gcBlocked_;
      CallValue(setter, Value::Obj(obj), &v, 1, nullptr, false);
      --gcBlocked_;
      return;
    }
    if (s->flags & kReadOnly) return;
    if (obj->Watched()) {
      const Value nv = Watch(obj, key, s->value, v);
      if (Slot* again = obj->Props().Find(key)) again->value = nv;
      return;
    }
    s->value = v;
    return;
  }
  // A setter on a prototype (addProperty on a class) takes the write.
  int depth = 0;
  for (Object* p = obj->Proto(); p && depth < kMaxProtoDepth; p = p->Proto(), ++depth) {
    if (Slot* s = p->Props().Find(key)) {
      if (s->flags & kAccessor) {
        const Value setter = static_cast<Accessor*>(s->value.AsObject())->setter;
        ++gcBlocked_;
        CallValue(setter, Value::Obj(obj), &v, 1, nullptr, false);
        --gcBlocked_;
        return;
      }
      break;
    }
  }
  const Value nv = obj->Watched() ? Watch(obj, key, Value::Undefined(), v) : v;
  obj->Props().Add(key, name, nv, 0);
  heap_.Grow(obj, sizeof(Slot));
  CheckHeap();
}

void Vm::Set(const Value& obj, String* name, const Value& v) {
  if (obj.IsObject()) SetProp(obj.AsObject(), name, v);
}

void Vm::SetMember(const Value& obj, const Value& key, const Value& v) {
  if (!obj.IsObject()) return;
  Object* o = obj.AsObject();
  if (key.IsNumber() && o->Class() == ObjClass::Array) {
    const double d = key.AsNumber();
    if (d >= 0 && d == std::floor(d)) {
      if (d >= double(Array::kMaxLength)) {
        ArrayPut(static_cast<Array*>(o), Array::kMaxLength, v);
      } else {
        ArrayPut(static_cast<Array*>(o), static_cast<size_t>(d), v);
      }
      return;
    }
  }
  SetProp(o, key.IsString() ? key.AsString() : ToString(key), v);
}

bool Vm::HasOwn(Object* obj, String* key) {
  if (obj->Class() == ObjClass::Array) {
    uint32_t index = 0;
    if (key->IsIndex(index)) return index < static_cast<Array*>(obj)->items.size();
  }
  if (obj->Props().Find(key)) return true;
  Value ignored;
  return obj->HasHooks() && (obj->GetHook(*this, key, ignored) || obj->LateHook(*this, key, ignored));
}

bool Vm::Has(Object* obj, String* key) {
  int depth = 0;
  for (Object* o = obj; o && depth < kMaxProtoDepth; o = o->Proto(), ++depth)
    if (HasOwn(o, key)) return true;
  return false;
}

bool Vm::Delete(Object* obj, String* key) {
  if (obj->Class() == ObjClass::Array) {
    auto* a = static_cast<Array*>(obj);
    uint32_t index = 0;
    if (key->IsIndex(index)) {
      if (index >= a->items.size()) return false;
      a->items[index] = Value::Undefined();
      return true;
    }
  }
  Slot* s = obj->Props().Find(key);
  if (!s || (s->flags & kDontDelete)) return false;
  obj->Props().Remove(key);
  return true;
}

std::vector<String*> Vm::Enumerate(Object* obj) {
  std::vector<String*> names;
  std::unordered_set<const String*> seen;
  std::vector<String*> hooked;
  obj->EnumerateHook(*this, hooked);
  for (String* n : hooked)
    if (seen.insert(heap_.Key(n)).second) names.push_back(n);
  int depth = 0;
  for (Object* o = obj; o && depth < kMaxProtoDepth; o = o->Proto(), ++depth) {
    const auto& slots = o->Props().Slots();
    for (size_t i = slots.size(); i-- > 0;) {
      const Slot& s = slots[i];
      if (seen.insert(s.key).second && !(s.flags & kDontEnum)) names.push_back(s.name);
    }
    if (o->Class() == ObjClass::Array && o == obj) {
      const auto& items = static_cast<Array*>(o)->items;
      for (size_t i = items.size(); i-- > 0;) names.push_back(NumberText(static_cast<double>(i)));
    }
  }
  return names;
}

bool Vm::InstanceOf(const Value& obj, Object* ctor) {
  if (!obj.IsObject()) return false;
  Object* proto = Get(Value::Obj(ctor), names_.prototype).ObjectOrNull();
  if (!proto) return false;
  int depth = 0;
  for (Object* o = obj.AsObject()->Proto(); o && depth < kMaxProtoDepth; o = o->Proto(), ++depth) {
    if (o == proto) return true;
    if (const Object::Extra* e = o->MoreOrNull())
      for (Object* i : e->interfaces)
        if (i == ctor) return true;
  }
  return false;
}

Value Vm::Construct(const Value& ctor, std::span<const Value> args) {
  Object* c = ctor.ObjectOrNull();
  if (!c || !c->IsCallable()) return Value::Undefined();
  Object* proto = Get(ctor, names_.prototype).ObjectOrNull();
  Object* o = NewObject(proto);
  if (version_ <= 5) Put(o, names_.constructor, ctor);
  Value r = CallValue(ctor, Value::Obj(o), args.data(), static_cast<uint32_t>(args.size()), proto, true);
  return r.IsObject() ? r : Value::Obj(o);
}

// ---- Variables --------------------------------------------------------------------

Object* Vm::VarTarget(Frame& f) const { return f.target ? f.target : f.baseTarget; }

ClipObject* Vm::TargetClip(Frame& f) const {
  Object* t = f.target;
  return t && t->Class() == ObjClass::Clip ? static_cast<ClipObject*>(t) : nullptr;
}

bool Vm::SpecialName(Frame& f, String* key, Value& out) {
  if (key == names_.thisName) {
    out = f.thisv.IsUndefined() && !f.callee ? (VarTarget(f) ? Value::Obj(VarTarget(f)) : Value::Undefined()) : f.thisv;
    return true;
  }
  if (key->Size() < 5 || key->Data()[0] != L'_') {
    if (key == names_.superName && f.callee) {
      Object* s = SuperOf(f);
      out = s ? Value::Obj(s) : Value::Undefined();
      return true;
    }
    return false;
  }
  if (key == names_.global) {
    out = Value::Obj(global_);
    return true;
  }
  ClipObject* clip = TargetClip(f);
  if (key == names_.root) {
    ClipObject* root = clip ? clip->RootClip() : host_.Level(0);
    out = root ? Value::Obj(root) : Value::Undefined();
    return true;
  }
  if (key->Size() > 6 && key->View().substr(0, 6) == L"_level") {
    int n = 0;
    for (wchar_t c : key->View().substr(6)) {
      if (c < L'0' || c > L'9' || n > 100000) return false;
      n = n * 10 + (c - L'0');
    }
    ClipObject* level = host_.Level(n);
    out = level ? Value::Obj(level) : Value::Undefined();
    return true;
  }
  return false;
}

Value Vm::GetVariable(Frame& f, String* name) {
  if (name->IsPath()) return GetPathVariable(f, name);
  String* key = heap_.Key(name);
  Value out;
  if (SpecialName(f, key, out)) return out;
  for (Scope* s = f.scope; s; s = s->parent)
    if (s->object && Find(s->object, key, Value::Obj(s->object), out)) return out;
  if (Object* t = VarTarget(f))
    if (Find(t, key, Value::Obj(t), out)) return out;
  if (Find(global_, key, Value::Obj(global_), out)) return out;
  return Value::Undefined();
}

Value Vm::GetPathVariable(Frame& f, String* name) {
  const std::wstring_view s = name->View();
  const size_t colon = s.rfind(L':');
  if (colon != std::wstring_view::npos) {
    Object* o = colon ? ResolvePath(VarTarget(f), s.substr(0, colon)) : VarTarget(f);
    return o ? Get(Value::Obj(o), Intern(s.substr(colon + 1))) : Value::Undefined();
  }
  if (s.find(L'/') != std::wstring_view::npos) {
    Object* o = ResolvePath(VarTarget(f), s);
    return o ? Value::Obj(o) : Value::Undefined();
  }
  const size_t dot = s.rfind(L'.');
  if (dot == 0 || dot + 1 == s.size()) return Value::Undefined();
  // The first name is a variable; the rest are members.
  const size_t first = s.find(L'.');
  Value cur = GetVariable(f, Intern(s.substr(0, first)));
  size_t at = first + 1;
  while (at <= s.size()) {
    size_t next = s.find(L'.', at);
    if (next == std::wstring_view::npos) next = s.size();
    if (cur.IsNullish()) return Value::Undefined();
    cur = Get(cur, Intern(s.substr(at, next - at)));
    at = next + 1;
  }
  return cur;
}

void Vm::SetVariable(Frame& f, String* name, const Value& v) {
  if (name->IsPath()) {
    const std::wstring_view s = name->View();
    size_t split = s.rfind(L':');
    if (split == std::wstring_view::npos) split = s.rfind(L'.');
    if (split == std::wstring_view::npos) return;  // a slash path names a clip, not a variable
    Object* o = split ? ResolvePath(VarTarget(f), s.substr(0, split)) : VarTarget(f);
    if (!o && s[split] == L'.') {
      const Value base = GetPathVariable(f, Intern(s.substr(0, split)));
      o = base.ObjectOrNull();
      if (!o && s.substr(0, split).find(L'.') == std::wstring_view::npos)
        o = GetVariable(f, Intern(s.substr(0, split))).ObjectOrNull();
    }
    if (o) SetProp(o, Intern(s.substr(split + 1)), v);
    return;
  }
  String* key = heap_.Key(name);
  for (Scope* s = f.scope; s; s = s->parent) {
    if (s->object && Has(s->object, key)) {
      SetProp(s->object, name, v);
      return;
    }
  }
  if (Object* t = VarTarget(f)) SetProp(t, name, v);
}

void Vm::DefineLocal(Frame& f, String* name, const Value& v) {
  if (!f.activation) {
    if (Object* t = VarTarget(f)) SetProp(t, name, v);
    return;
  }
  String* key = heap_.Key(name);
  if (Slot* s = f.activation->Props().Find(key)) {
    s->value = v;
  } else {
    f.activation->Props().Add(key, name, v, 0);
    heap_.Grow(f.activation, sizeof(Slot));
  }
}

bool Vm::DeleteVariable(Frame& f, String* name) {
  String* key = heap_.Key(name);
  for (Scope* s = f.scope; s; s = s->parent)
    if (s->object && s->object->Props().Find(key)) return Delete(s->object, key);
  if (Object* t = VarTarget(f))
    if (t->Props().Find(key)) return Delete(t, key);
  return Delete(global_, key);
}

// ---- Paths ------------------------------------------------------------------------

Object* Vm::Step(Object* cur, std::wstring_view segment) {
  if (segment.empty()) return cur;
  String* key = heap_.Key(segment);
  ClipObject* clip = cur->Class() == ObjClass::Clip ? static_cast<ClipObject*>(cur) : nullptr;
  if (key == names_.root) return clip ? clip->RootClip() : host_.Level(0);
  if (key == names_.parent) return clip ? clip->ParentClip() : nullptr;
  if (key == names_.global) return global_;
  if (key == names_.thisName) return cur;
  if (segment.size() > 6 && key->View().substr(0, 6) == L"_level") {
    int n = 0;
    for (wchar_t c : segment.substr(6)) {
      if (c < L'0' || c > L'9' || n > 100000) return nullptr;
      n = n * 10 + (c - L'0');
    }
    return host_.Level(n);
  }
  if (clip)
    if (Object* child = clip->Child(*this, key)) return child;
  Value v;
  if (Find(cur, key, Value::Obj(cur), v) && v.IsObject()) return v.AsObject();
  return nullptr;
}

Object* Vm::ResolvePath(Object* from, std::wstring_view path) {
  Object* cur = from;
  size_t i = 0;
  if (!path.empty() && path[0] == L'/') {
    ClipObject* clip = cur && cur->Class() == ObjClass::Clip ? static_cast<ClipObject*>(cur) : nullptr;
    cur = clip ? clip->RootClip() : host_.Level(0);
    i = 1;
  }
  while (cur && i < path.size()) {
    if (path.compare(i, 2, L"..") == 0 && (i + 2 == path.size() || path[i + 2] == L'/')) {
      cur = cur->Class() == ObjClass::Clip ? static_cast<ClipObject*>(cur)->ParentClip() : nullptr;
      i += 2;
    } else {
      size_t j = path.find_first_of(L"/.:", i);
      if (j == std::wstring_view::npos) j = path.size();
      cur = Step(cur, path.substr(i, j - i));
      i = j;
    }
    if (i < path.size()) ++i;  // the separator
  }
  return cur;
}

ClipObject* Vm::ResolveTarget(Object* from, const std::wstring& path) {
  if (!from) from = host_.Level(0);
  if (!from) return nullptr;
  Object* o = path.empty() ? from : ResolvePath(from, path);
  return o && o->Class() == ObjClass::Clip ? static_cast<ClipObject*>(o) : nullptr;
}

ClipObject* Vm::ClipOf(Frame& f, const Value& v) {
  if (v.IsObject()) return v.AsObject()->Class() == ObjClass::Clip ? static_cast<ClipObject*>(v.AsObject()) : nullptr;
  const std::wstring path = ToText(v);
  if (path.empty()) return TargetClip(f);
  return ResolveTarget(VarTarget(f), path);
}

bool Vm::FrameOf(ClipObject* base, const Value& frame, ClipObject*& clip, int& index) {
  clip = base;
  if (frame.IsNumber() || frame.IsBool()) {
    const double d = ToNumber(frame);
    if (!std::isfinite(d)) return false;
    index = static_cast<int>(std::clamp(std::floor(d), -1.0, 1e9)) - 1;
    return clip != nullptr;
  }
  std::wstring text = ToText(frame);
  const size_t colon = text.rfind(L':');
  if (colon != std::wstring::npos) {
    clip = ResolveTarget(base, text.substr(0, colon));
    text = text.substr(colon + 1);
  }
  if (!clip) return false;
  const double n = ParseNumber(text, 5);
  if (!text.empty() && std::isfinite(n)) {
    index = static_cast<int>(std::clamp(std::floor(n), -1.0, 1e9)) - 1;
    return true;
  }
  index = clip->FrameOfLabel(text);
  return index >= 0;
}

// ---- Actions with targets and frames ---------------------------------------------------

void Vm::OpGetProperty(Frame& f) {
  const double index = ToNumber(Pop(f));
  ClipObject* c = ClipOf(f, Pop(f));
  const int i = std::isfinite(index) ? static_cast<int>(index) : -1;
  Push(c && i >= 0 && i < kPropCount ? c->GetProperty(*this, i) : Value::Undefined());
}

void Vm::OpSetProperty(Frame& f) {
  const Value v = Pop(f);
  const double index = ToNumber(Pop(f));
  ClipObject* c = ClipOf(f, Pop(f));
  const int i = std::isfinite(index) ? static_cast<int>(index) : -1;
  if (c && i >= 0 && i < kPropCount) c->SetProperty(*this, i, v);
}

void Vm::OpGotoFrame2(Frame& f, const Instr& in) {
  const Value frame = Pop(f);
  ClipObject* c = nullptr;
  int index = 0;
  if (!FrameOf(TargetClip(f), frame, c, index)) return;
  if (frame.IsNumber() && (in.a & 0x02)) index += static_cast<int>(in.arg);
  c->GotoFrame(*this, std::max(index, 0), (in.a & 0x01) ? 1 : 0);
}

void Vm::OpCall(Frame& f) {
  const Value frame = Pop(f);
  ClipObject* c = nullptr;
  int index = 0;
  if (FrameOf(TargetClip(f), frame, c, index) && index >= 0) c->CallFrame(*this, index);
}

bool Vm::WaitedFrameLoaded(Frame& f, const Value& frame) {
  ClipObject* c = nullptr;
  int index = 0;
  if (!TargetClip(f)) return true;
  if (!FrameOf(TargetClip(f), frame, c, index)) return false;
  return index < c->FramesLoaded();
}

void Vm::OpStartDrag(Frame& f) {
  const Value target = Pop(f);
  const bool lock = ToBool(Pop(f));
  const bool constrain = ToBool(Pop(f));
  double rect[4] = {};
  if (constrain) {
    rect[3] = ToNumber(Pop(f));
    rect[2] = ToNumber(Pop(f));
    rect[1] = ToNumber(Pop(f));
    rect[0] = ToNumber(Pop(f));
  }
  if (ClipObject* c = ClipOf(f, target)) c->StartDrag(*this, lock, constrain ? rect : nullptr);
}

void Vm::OpGetUrl2(Frame& f, uint8_t flags) {
  String* target = ToString(Pop(f));
  String* url = ToString(Pop(f));
  host_.GetUrl(*this, url->Str(), target->Str(), flags, TargetClip(f));
}

void Vm::OpEnumerate(Frame& f, const Value& v) {
  Push(Value::Null());
  Object* o = v.IsObject() ? v.AsObject() : nullptr;
  if (!o) return;
  const std::vector<String*> names = Enumerate(o);
  for (size_t i = names.size(); i-- > 0;) Push(Value::Str(names[i]));
}

void Vm::OpDefineFunction(Frame& f, const Instr& in) {
  const FunctionInfo& info = f.code->functions[in.arg];
  CheckHeap();
  Function* fn = heap_.New<Function>(functionProto);
  fn->code = f.code;
  fn->info = &info;
  fn->scope = f.scope;
  fn->target = VarTarget(f);
  fn->pool = f.pool;
  Object* proto = NewObject();
  Put(proto, names_.constructor, Value::Obj(fn));
  Put(fn, names_.prototype, Value::Obj(proto));
  if (info.name && info.name->Size()) {
    DefineLocal(f, info.name, Value::Obj(fn));
  } else {
    Push(Value::Obj(fn));
  }
}

void Vm::OpCallFunction(Frame& f) {
  String* name = ToString(Pop(f));
  const uint32_t argc = PopCount(f);
  Value* args = sp_ - argc;
  std::reverse(args, sp_);
  const Value fn = GetVariable(f, name);
  Object* t = VarTarget(f);
  const Value r = CallValue(fn, t ? Value::Obj(t) : Value::Undefined(), args, argc, nullptr, false);
  sp_ = args;
  Push(r);
}

void Vm::OpCallMethod(Frame& f) {
  const Value nameV = Pop(f);
  const Value obj = Pop(f);
  const uint32_t argc = PopCount(f);
  Value* args = sp_ - argc;
  std::reverse(args, sp_);
  Value fn, thisv = obj;
  Object* home = nullptr;
  const bool blank = nameV.IsUndefined() || (nameV.IsString() && nameV.AsString()->Size() == 0);
  if (blank) {
    fn = obj;
    thisv = Value::Undefined();
  } else {
    Object* o = obj.IsObject() ? obj.AsObject() : ToObjectProto(obj);
    if (o) {
      String* key = KeyOf(nameV);
      if (o->Class() == ObjClass::Super) {
        auto* s = static_cast<SuperObject*>(o);
        thisv = s->self;
        if (s->Proto()) FindMethod(s->Proto(), key, thisv, fn, home);
      } else {
        FindMethod(o, key, obj, fn, home);
      }
    }
  }
  const Value r = CallValue(fn, thisv, args, argc, home, false);
  sp_ = args;
  Push(r);
}

void Vm::OpNew(Frame& f, bool method) {
  Value ctor;
  if (method) {
    const Value nameV = Pop(f);
    const Value obj = Pop(f);
    const bool blank = nameV.IsUndefined() || (nameV.IsString() && nameV.AsString()->Size() == 0);
    ctor = blank ? obj : GetMember(obj, nameV);
  } else {
    ctor = GetVariable(f, ToString(Pop(f)));
  }
  const uint32_t argc = PopCount(f);
  Value* args = sp_ - argc;
  std::reverse(args, sp_);
  const Value r = Construct(ctor, std::span<const Value>(args, argc));
  sp_ = args;
  Push(r);
}

}  // namespace flash::script
