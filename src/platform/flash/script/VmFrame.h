// The interpreter's own records of a running call (inside the Vm only): a
// call's frame with its registers, scope chain and targets, and the with
// and try blocks it is inside.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/flash/script/ActionReader.h"
#include "platform/flash/script/Object.h"
#include "platform/flash/script/Value.h"

namespace flash::script {

// A with or try block a call is inside.
struct VmBlock {
  enum Kind : uint8_t { kWith, kTry };
  Kind kind = kWith;
  uint8_t phase = 0;            // try: 0 body, 1 catch, 2 finally
  bool throwing = false;        // what the finally goes on with: a throw
  bool returning = false;       // or a return
  uint32_t start = 0, end = 0;  // instructions the block spans
  const TryInfo* t = nullptr;
  Scope* scope = nullptr;       // with: the scope to restore
  Value value;                  // the pending throw or return value
};

// A running call.
struct VmFrame {
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
  VmFrame* caller = nullptr;
  std::vector<VmBlock> blocks;
  Value result;
};

}  // namespace flash::script
