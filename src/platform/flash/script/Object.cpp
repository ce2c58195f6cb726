#include "platform/flash/script/Object.h"

namespace flash::script {
namespace {

constexpr size_t kLinearSlots = 8;

}  // namespace

// Declared with the heap, which knows values only as bits: an object is a
// thing of the heap, and both kinds are known here.
void Tracer::Mark(const Value& v) {
  if (v.IsString()) {
    Mark(static_cast<const GcThing*>(v.AsString()));
  } else if (v.IsObject()) {
    Mark(static_cast<const GcThing*>(v.AsObject()));
  }
}

Slot& PropertyMap::Add(String* key, String* name, const Value& v, uint32_t flags) {
  slots_.push_back(Slot{key, name, v, flags});
  if (slots_.size() > kLinearSlots) {
    if (index_.empty() || slots_.size() * 2 > index_.size()) {
      Reindex();
    } else {
      const uint32_t mask = static_cast<uint32_t>(index_.size() - 1);
      uint32_t i = key->Hash() & mask;
      while (index_[i]) i = (i + 1) & mask;
      index_[i] = static_cast<uint32_t>(slots_.size());
    }
  }
  return slots_.back();
}

bool PropertyMap::Remove(const String* key) {
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].key != key) continue;
    slots_.erase(slots_.begin() + static_cast<ptrdiff_t>(i));
    if (!index_.empty()) Reindex();
    return true;
  }
  return false;
}

void PropertyMap::Reindex() {
  if (slots_.size() <= kLinearSlots) {
    index_.clear();
    return;
  }
  size_t capacity = 16;
  while (capacity < slots_.size() * 4) capacity *= 2;
  index_.assign(capacity, 0);
  const uint32_t mask = static_cast<uint32_t>(capacity - 1);
  for (size_t n = 0; n < slots_.size(); ++n) {
    uint32_t i = slots_[n].key->Hash() & mask;
    while (index_[i]) i = (i + 1) & mask;
    index_[i] = static_cast<uint32_t>(n + 1);
  }
}

void Object::Trace(Tracer& t) const {
  t.Mark(proto_);
  t.Mark(primitive);
  for (const Slot& s : props_.Slots()) {
    t.Mark(s.key);
    t.Mark(s.name);
    t.Mark(s.value);
  }
  if (extra_) {
    for (Object* o : extra_->interfaces) t.Mark(o);
    for (const Watch& w : extra_->watches) {
      t.Mark(w.key);
      t.Mark(w.callback);
      t.Mark(w.data);
    }
  }
}

void Accessor::Trace(Tracer& t) const {
  Object::Trace(t);
  t.Mark(getter);
  t.Mark(setter);
}

void Array::Trace(Tracer& t) const {
  Object::Trace(t);
  for (const Value& v : items) t.Mark(v);
}

void Function::Trace(Tracer& t) const {
  Object::Trace(t);
  t.Mark(scope);
  t.Mark(target);
}

void SuperObject::Trace(Tracer& t) const {
  Object::Trace(t);
  t.Mark(self);
  t.Mark(constructor);
}

}  // namespace flash::script
