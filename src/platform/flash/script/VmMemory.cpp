// The interpreter's part in collecting garbage: the roots it holds (its
// stacks, frames, timers and pinned values, then the host's), and when to
// collect.
#include "platform/flash/script/Vm.h"

#include <algorithm>
#include <cmath>

#include "platform/flash/script/Convert.h"
#include "platform/flash/script/VmFrame.h"

namespace flash::script {

void Vm::Roots(Tracer& t) {
  t.Mark(global_);
  for (String* s : smallInts_) t.Mark(s);
  const String* const* names = reinterpret_cast<const String* const*>(&names_);
  for (size_t i = 0; i < sizeof(Names) / sizeof(String*); ++i) t.Mark(names[i]);
  t.Mark(classRegistry);
  t.Mark(sharedObjects);
  for (Object* o : {objectProto, functionProto, arrayProto, stringProto, numberProto, booleanProto, dateProto, errorProto})
    t.Mark(o);
  for (const auto& [at, code] : codes_) code->Trace(t);
  for (Value* v = stack_.get(); v < sp_; ++v) t.Mark(*v);
  for (size_t i = 0; i < registerTop_; ++i) t.Mark(registers_[i]);
  for (Frame* f = top_; f; f = f->caller) {
    t.Mark(f->scope);
    t.Mark(f->activation);
    t.Mark(f->target);
    t.Mark(f->baseTarget);
    t.Mark(f->thisv);
    t.Mark(f->callee);
    t.Mark(f->home);
    t.Mark(f->result);
    for (const Block& b : f->blocks) {
      t.Mark(b.scope);
      t.Mark(b.value);
    }
  }
  for (const std::vector<Timer>* list : {&timers_, &firing_})
    for (const Timer& timer : *list) {
      t.Mark(timer.fn);
      t.Mark(timer.object);
      t.Mark(timer.method);
      for (const Value& v : timer.args) t.Mark(v);
    }
  for (const Value& v : pinned_) t.Mark(v);
  t.Mark(thrown_);
  host_.Roots(t);
}

void Vm::Collect() {
  heap_.Collect([this](Tracer& t) { Roots(t); });
}

void Vm::MaybeCollect() {
  if (gcBlocked_ == 0 && runs_ == 0 && heap_.Fresh() > std::max<size_t>(size_t(4) << 20, heap_.Bytes() / 2)) Collect();
}

void Vm::Pin(const Value& v) { pinned_.push_back(v); }

void Vm::Unpin(const Value& v) {
  for (size_t i = pinned_.size(); i-- > 0;) {
    if (pinned_[i].Same(v)) {
      pinned_.erase(pinned_.begin() + static_cast<ptrdiff_t>(i));
      return;
    }
  }
}

}  // namespace flash::script
