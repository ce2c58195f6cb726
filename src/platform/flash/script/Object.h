// Objects of the action language: a prototype link and named properties
// (keys are interned names, see Heap), with the flags ASSetPropFlags sets
// and getter/setter pairs from addProperty. Arrays keep their elements in a
// dense vector; functions are native (a C++ function) or compiled action
// code with the scope they were defined in. Classes of the host (clips, text
// fields) derive from Object and answer some names themselves (hooks).
// Lookups along prototypes, accessors and watchers are the interpreter's
// (Vm); this file is the data.
#pragma once
#include <memory>
#include <vector>

#include "platform/flash/script/Heap.h"

namespace flash::script {

class Vm;
struct Code;
struct FunctionInfo;

enum PropFlags : uint32_t {
  kDontEnum = 1,
  kDontDelete = 2,
  kReadOnly = 4,
  kAccessor = 0x100,  // the value is an Accessor
};

enum class ObjClass : uint8_t {
  Object, Function, Array, String, Number, Boolean, Date, Error, Activation, Super, Accessor,
  Clip, Button, TextField, TextFormat, Color, Sound, Xml, XmlNode, LoadVars, SharedObject, Other,
};

struct Slot {
  String* key;   // interned property key
  String* name;  // the name as first written (enumeration shows it)
  Value value;
  uint32_t flags;
};

// Slots in creation order with a hash index once there are more than a few.
class PropertyMap {
 public:
  Slot* Find(const String* key) {
    if (index_.empty()) {
      for (Slot& s : slots_)
        if (s.key == key) return &s;
      return nullptr;
    }
    const uint32_t mask = static_cast<uint32_t>(index_.size() - 1);
    for (uint32_t i = key->Hash() & mask;; i = (i + 1) & mask) {
      const uint32_t at = index_[i];
      if (!at) return nullptr;
      if (slots_[at - 1].key == key) return &slots_[at - 1];
    }
  }
  Slot& Add(String* key, String* name, const Value& v, uint32_t flags);
  bool Remove(const String* key);
  size_t Size() const { return slots_.size(); }
  std::vector<Slot>& Slots() { return slots_; }
  const std::vector<Slot>& Slots() const { return slots_; }
  void Clear() {
    slots_.clear();
    index_.clear();
  }

 private:
  void Reindex();
  std::vector<Slot> slots_;
  std::vector<uint32_t> index_;  // slot number + 1, 0 for empty
};

class Object : public GcThing {
 public:
  explicit Object(Object* proto, ObjClass cls = ObjClass::Object) : proto_(proto), class_(cls) {}

  Object* Proto() const { return proto_; }
  void SetProto(Object* p) { proto_ = p; }
  ObjClass Class() const { return class_; }
  PropertyMap& Props() { return props_; }
  const PropertyMap& Props() const { return props_; }
  // The value a String, Number, Boolean or Date object wraps.
  Value primitive;
  // Hooks: host classes answer their own names before the property table.
  bool HasHooks() const { return hooks_; }
  virtual bool GetHook(Vm&, String* /*key*/, Value& /*out*/) { return false; }
  virtual bool SetHook(Vm&, String* /*key*/, const Value& /*v*/) { return false; }
  // Asked after the object's own properties, before its prototypes (instances by name).
  virtual bool LateHook(Vm&, String* /*key*/, Value& /*out*/) { return false; }
  // Extra names for for..in (children of a clip).
  virtual void EnumerateHook(Vm&, std::vector<String*>& /*names*/) {}
  // The text of ToString for objects that have a native one (clips: their path).
  virtual bool NativeString(Vm&, std::wstring& /*out*/) { return false; }
  virtual bool IsCallable() const { return false; }

  // Interfaces a prototype declares (ImplementsOp), watchers (watch()).
  struct Watch {
    String* key;
    Value callback, data;
  };
  struct Extra {
    std::vector<Object*> interfaces;
    std::vector<Watch> watches;
  };
  Extra& More() {
    if (!extra_) extra_ = std::make_unique<Extra>();
    return *extra_;
  }
  const Extra* MoreOrNull() const { return extra_.get(); }
  bool Watched() const { return extra_ && !extra_->watches.empty(); }

  void Trace(Tracer& t) const override;

 protected:
  Object* proto_;
  ObjClass class_;
  bool hooks_ = false;
  PropertyMap props_;
  std::unique_ptr<Extra> extra_;
};

// A getter/setter pair (addProperty), the value of an accessor slot.
class Accessor final : public Object {
 public:
  Accessor(const Value& get, const Value& set) : Object(nullptr, ObjClass::Accessor), getter(get), setter(set) {}
  Value getter, setter;
  void Trace(Tracer& t) const override;
};

class Array final : public Object {
 public:
  static constexpr size_t kMaxLength = 1u << 22;
  explicit Array(Object* proto) : Object(proto, ObjClass::Array) {}
  std::vector<Value> items;
  void Trace(Tracer& t) const override;
};

// A link of a scope chain: an activation, a with-object, or (for code of a
// timeline) nothing beyond the frame's target.
class Scope final : public GcThing {
 public:
  Scope(Object* o, Scope* p) : object(o), parent(p) {}
  Object* object;
  Scope* parent;
  void Trace(Tracer& t) const override {
    t.Mark(object);
    t.Mark(parent);
  }
};

struct CallInfo {
  Value thisv;
  const Value* args = nullptr;
  uint32_t argc = 0;
  class Function* callee = nullptr;
  bool construct = false;
  Value Arg(uint32_t i) const { return i < argc ? args[i] : Value::Undefined(); }
};

using NativeFn = Value (*)(Vm& vm, CallInfo& call);

class Function final : public Object {
 public:
  explicit Function(Object* proto) : Object(proto, ObjClass::Function) {}
  bool IsCallable() const override { return true; }

  // A built-in: fn with a number telling apart built-ins that share one fn.
  NativeFn native = nullptr;
  int magic = 0;
  // Compiled code: the function's record in its code, the scope and timeline
  // it was defined in, and the constant pool then in force.
  const Code* code = nullptr;
  const FunctionInfo* info = nullptr;
  Scope* scope = nullptr;
  Object* target = nullptr;
  const std::vector<Value>* pool = nullptr;

  void Trace(Tracer& t) const override;
};

// What "super" names inside a method: calls go to the prototype's methods
// with the caller's this.
class SuperObject final : public Object {
 public:
  SuperObject(Object* proto, const Value& self, Object* ctor)
      : Object(proto, ObjClass::Super), self(self), constructor(ctor) {}
  Value self;
  Object* constructor;
  void Trace(Tracer& t) const override;
};

}  // namespace flash::script
