// The interpreter's own records of a running call (inside the Vm only).
#pragma once
#include <cstddef>
#include <vector>

#include "platform/flash/script/Vm.h"

namespace flash::script {

inline constexpr size_t kRegisterSpace = size_t(Vm::kMaxDepth + 4) * 256;
inline constexpr size_t kMinCollect = size_t(16) << 20;  // fresh bytes before a collection inside a run

struct Vm::Block {
  enum Kind : uint8_t { kWith, kTry };
  Kind kind = kWith;
  uint8_t phase = 0;  // try: 0 body, 1 catch, 2 finally
  Pending resume = Pending::None;  // what the finally goes on with: a throw
  bool returning = false;          // or a return
  uint32_t start = 0, end = 0;     // instructions the block spans
  const TryInfo* t = nullptr;
  Scope* scope = nullptr;          // with: the scope to restore
  Value value;                     // the pending throw or return value
};

struct Vm::Frame {
  const Code* code = nullptr;
  const std::vector<Value>* pool = nullptr;
  Value* regs = nullptr;
  uint32_t regCount = 0;
  Scope* scope = nullptr;
  Object* activation = nullptr;
  Object* target = nullptr;
  Object* baseTarget = nullptr;
  Value thisv;
  Function* callee = nullptr;
  Object* home = nullptr;
  Value* stackBase = nullptr;
  Frame* caller = nullptr;
  std::vector<Block> blocks;
  Value result;
};

// An entry from the host: the budget starts with the outermost one, and a
// stop or an uncaught throw is warned about and cleared there.
template <class Body>
void Vm::Outer(Body body) {
  const bool outer = runs_ == 0;
  if (outer) StartRun();
  if (halted_ || pending_ != Pending::None) return;
  ++runs_;
  body();
  --runs_;
  if (outer && pending_ != Pending::None) {
    host_.Warn(pending_ == Pending::Throw ? L"uncaught exception: " + ToText(thrown_) : abortReason_);
    pending_ = Pending::None;
    thrown_ = Value::Undefined();
  }
}

}  // namespace flash::script
