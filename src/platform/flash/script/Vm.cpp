// The interpreter loop: frames of running action lists, blocks of with and
// try, the budget and the bounds. Calls are in VmCall.cpp, timers and
// listeners in VmTimers.cpp, the collector's roots in VmMemory.cpp and the
// making of an interpreter with its built-in classes in VmCreate.cpp.
#include "platform/flash/script/Vm.h"

#include <algorithm>
#include <cmath>

#include "platform/flash/script/Convert.h"
#include "platform/flash/script/VmFrame.h"

namespace flash::script {
namespace {

constexpr size_t kStackSize = size_t(1) << 17;
constexpr int64_t kChunk = 1 << 16;                 // instructions between looks at the clock
constexpr uint64_t kMaxStepsPerRun = uint64_t(1) << 32;  // when the clock stands still

}  // namespace

// The operand stack and the registers are made when code first runs (a
// movie without scripts never pays for them).
void Vm::EnsureStacks() {
  if (stack_) return;
  stack_ = std::make_unique<Value[]>(kStackSize);
  registers_ = std::make_unique<Value[]>(kRegisterSpace);
  sp_ = stack_.get();
  stackEnd_ = sp_ + kStackSize;
}

uint64_t Vm::Steps() const { return static_cast<uint64_t>(stepsBase_ - steps_); }

// ---- Stack ------------------------------------------------------------------------

Value Vm::Pop(const Frame& f) { return sp_ > f.stackBase ? *--sp_ : Value::Undefined(); }

void Vm::Push(const Value& v) {
  if (sp_ < stackEnd_) {
    *sp_++ = v;
  } else {
    Abort(L"the operand stack overflowed");
  }
}

// An argument or element count: at most what the stack holds.
uint32_t Vm::PopCount(const Frame& f) {
  const double d = ToNumber(Pop(f));
  const double held = static_cast<double>(sp_ - f.stackBase);
  if (!(d > 0)) return 0;
  return static_cast<uint32_t>(std::min(std::floor(d), held));
}

// ---- Pending stops -------------------------------------------------------------------

void Vm::SetSteps(int64_t n) {
  stepsBase_ = stepsBase_ - steps_ + n;
  steps_ = n;
}

void Vm::Throw(const Value& v) {
  if (pending_ == Pending::Abort) return;
  pending_ = Pending::Throw;
  thrown_ = v;
  SetSteps(0);  // the loop looks at once
}

void Vm::Abort(const std::wstring& why) {
  if (pending_ == Pending::Abort) return;
  pending_ = Pending::Abort;
  abortReason_ = why;
  SetSteps(0);
}

void Vm::SetBudget(double seconds) {
  if (seconds > 0) budget_ = std::min(seconds, kBudgetSeconds);
}

void Vm::Halt(const std::wstring& why) {
  halted_ = true;
  Abort(why + L"; the movie's scripts are stopped");
}

bool Vm::CheckBudget() {
  if (host_.Interrupted()) {
    Halt(L"the player is closing");
    return false;
  }
  const double elapsed = host_.Seconds() - runStart_;
  if (elapsed > budget_ || Steps() - runStartSteps_ > kMaxStepsPerRun) {
    wchar_t seconds[32];
    swprintf(seconds, 32, L"%g", budget_);
    Halt(L"a script ran longer than " + std::wstring(seconds) + L" seconds");
    return false;
  }
  return true;
}

// An outermost run begins: its budget is the turn's when the host is in the
// same turn as the last run, else its own from now.
void Vm::StartRun() {
  pending_ = Pending::None;
  const uint64_t turn = host_.Turn();
  if (turn != 0 && turn == turn_) return;
  turn_ = turn;
  runStart_ = host_.Seconds();
  runStartSteps_ = Steps();
}

// ---- Entries from the host ---------------------------------------------------------

const Code* Vm::Decode(std::span<const uint8_t> actions) {
  auto it = codes_.find(actions.data());
  if (it != codes_.end() && it->second->source == actions.size()) return it->second.get();
  auto code = ReadActions(heap_, actions, version_);
  code->source = actions.size();
  const Code* raw = code.get();
  codes_[actions.data()] = std::move(code);
  return raw;
}

bool Vm::Run(const Code& code, Object* target, const Value& thisv) {
  const bool outer = runs_ == 0;
  if (outer) StartRun();
  if (halted_ || pending_ != Pending::None) return false;
  EnsureStacks();
  if (registerTop_ + 4 > kRegisterSpace || depth_ >= kMaxDepth) {
    Abort(L"256 levels of recursion were exceeded");
  } else {
    ++runs_;
    ++depth_;
    Frame f;
    f.code = &code;
    f.regs = registers_.get() + registerTop_;
    f.regCount = 4;
    std::fill(f.regs, f.regs + 4, Value::Undefined());
    registerTop_ += 4;
    f.target = f.baseTarget = target;
    f.thisv = thisv;
    f.stackBase = sp_;
    f.caller = top_;
    top_ = &f;
    Execute(f, 0);
    top_ = f.caller;
    sp_ = f.stackBase;
    registerTop_ -= 4;
    --depth_;
    --runs_;
  }
  bool ok = pending_ == Pending::None;
  if (pending_ == Pending::Throw) {
    // An uncaught throw ends its own action list only.
    host_.Warn(L"uncaught exception: " + ToText(thrown_));
    pending_ = Pending::None;
    thrown_ = Value::Undefined();
  }
  if (outer && pending_ == Pending::Abort) {
    host_.Warn(abortReason_);
    pending_ = Pending::None;
  }
  return ok;
}

Value Vm::Call(const Value& fn, const Value& thisv, std::span<const Value> args) {
  Value result;
  Outer([&] { result = CallValue(fn, thisv, args.data(), static_cast<uint32_t>(args.size()), nullptr, false); });
  return pending_ == Pending::None ? result : Value::Undefined();
}

bool Vm::CallMethod(const Value& obj, String* name, std::span<const Value> args, Value* result) {
  Object* o = obj.IsObject() ? obj.AsObject() : ToObjectProto(obj);
  if (!o) return false;
  Value fn;
  Object* holder = nullptr;
  if (!FindMethod(o, heap_.Key(name), obj, fn, holder) || !fn.IsObject() || !fn.AsObject()->IsCallable()) return false;
  ++gcBlocked_;
  Value r = CallValue(fn, obj, args.data(), static_cast<uint32_t>(args.size()), holder, false);
  --gcBlocked_;
  if (result) *result = r;
  return true;
}

// ---- Blocks ----------------------------------------------------------------------------

void Vm::LeaveBlocks(Frame& f, uint32_t target) {
  while (!f.blocks.empty()) {
    const Block& b = f.blocks.back();
    if (target >= b.start && target < b.end) break;
    if (b.kind == Block::kWith) f.scope = b.scope;
    f.blocks.pop_back();
  }
}

// A throw reaches the frame: the innermost try takes it (its catch, else its
// finally), or the frame ends and its caller sees the throw. False when the
// frame must end.
bool Vm::Unwind(Frame& f, uint32_t& pc) {
  if (pending_ == Pending::Abort) return false;
  while (!f.blocks.empty()) {
    Block& b = f.blocks.back();
    if (b.kind == Block::kWith) {
      f.scope = b.scope;
      f.blocks.pop_back();
      continue;
    }
    const TryInfo& t = *b.t;
    if (b.phase == 0 && t.hasCatch) {
      b.phase = 1;
      const Value v = thrown_;
      pending_ = Pending::None;
      thrown_ = Value::Undefined();
      if (t.catchInRegister) {
        if (t.catchRegister < f.regCount) f.regs[t.catchRegister] = v;
      } else if (t.catchName) {
        if (f.activation) {
          DefineLocal(f, t.catchName, v);
        } else {
          SetVariable(f, t.catchName, v);
        }
      }
      pc = t.catchStart;
      return true;
    }
    if (b.phase < 2 && t.hasFinally) {
      b.phase = 2;
      b.throwing = true;
      b.returning = false;
      b.value = thrown_;
      pending_ = Pending::None;
      thrown_ = Value::Undefined();
      pc = t.finallyStart;
      return true;
    }
    f.blocks.pop_back();
  }
  return false;
}

// A return inside a try with a finally runs the finally first.
bool Vm::ReturnThroughFinally(Frame& f, const Value& v, uint32_t& pc) {
  while (!f.blocks.empty()) {
    Block& b = f.blocks.back();
    if (b.kind == Block::kTry && b.phase < 2 && b.t->hasFinally) {
      b.phase = 2;
      b.returning = true;
      b.throwing = false;
      b.value = v;
      pc = b.t->finallyStart;
      return true;
    }
    if (b.kind == Block::kWith) f.scope = b.scope;
    f.blocks.pop_back();
  }
  return false;
}

// ---- The loop -----------------------------------------------------------------------------

void Vm::Execute(Frame& f, uint32_t pc) {
  const Instr* const code = f.code->instrs.data();
  for (;;) {
    if (--steps_ < 0) {
      if (pending_ == Pending::None) {
        SetSteps(kChunk);
        CheckBudget();
      }
      if (pending_ != Pending::None) {
        SetSteps(0);  // every frame below looks at once too
        if (!Unwind(f, pc)) return;
      }
    }
    const Instr& in = code[pc++];
    switch (in.op) {
      case kOpEnd:
      case kOpFunctionEnd:
        return;
      case kOpNop: break;
      case kOpPushConst: Push(f.code->constants[in.arg]); break;
      case kOpPushPool:
        Push(f.pool && in.arg < f.pool->size() ? (*f.pool)[in.arg] : Value::Undefined());
        break;
      case kOpPushReg: Push(in.a < f.regCount ? f.regs[in.a] : Value::Undefined()); break;
      case kPop: Pop(f); break;
      case kPushDuplicate: Push(sp_ > f.stackBase ? sp_[-1] : Value::Undefined()); break;
      case kStackSwap: {
        const Value a = Pop(f), b = Pop(f);
        Push(a);
        Push(b);
        break;
      }
      case kStoreRegister:
        if (in.a < f.regCount) f.regs[in.a] = sp_ > f.stackBase ? sp_[-1] : Value::Undefined();
        break;

      // Arithmetic of version 4 (numbers only) and of version 5.
      case kAdd:
      case kSubtract:
      case kMultiply:
      case kDivide: {
        const Value vb = Pop(f), va = Pop(f);
        const double b = ToNumber(vb), a = ToNumber(va);
        double r = 0;
        if (in.op == kAdd) r = a + b;
        else if (in.op == kSubtract) r = a - b;
        else if (in.op == kMultiply) r = a * b;
        else if (b == 0 && version_ < 5) {
          Push(Value::Str(Intern(L"#ERROR#")));
          break;
        } else {
          r = a / b;
        }
        Push(Value::Number(r));
        break;
      }
      case kAdd2: {
        const Value b = Pop(f), a = Pop(f);
        Push(a.IsNumber() && b.IsNumber() ? Value::Number(a.AsNumber() + b.AsNumber()) : Add(a, b));
        break;
      }
      case kModulo: {
        const Value vb = Pop(f), va = Pop(f);
        Push(Value::Number(std::fmod(ToNumber(va), ToNumber(vb))));
        break;
      }
      case kIncrement:
      case kDecrement: {
        const Value v = Pop(f);
        const double d = v.IsNumber() ? v.AsNumber() : ToNumber(v);
        Push(Value::Number(in.op == kIncrement ? d + 1 : d - 1));
        break;
      }
      case kEquals:
      case kLess: {
        const Value vb = Pop(f), va = Pop(f);
        const double b = ToNumber(vb), a = ToNumber(va);
        const bool r = in.op == kEquals ? a == b : a < b;
        Push(version_ < 5 ? Value::Number(r ? 1 : 0) : Value::Bool(r));
        break;
      }
      case kAnd:
      case kOr: {
        const bool b = ToBool(Pop(f)), a = ToBool(Pop(f));
        const bool r = in.op == kAnd ? a && b : a || b;
        Push(version_ < 5 ? Value::Number(r ? 1 : 0) : Value::Bool(r));
        break;
      }
      case kNot: {
        const bool r = !ToBool(Pop(f));
        Push(version_ < 5 ? Value::Number(r ? 1 : 0) : Value::Bool(r));
        break;
      }
      case kLess2: {
        const Value b = Pop(f), a = Pop(f);
        if (a.IsNumber() && b.IsNumber() && !std::isnan(a.AsNumber()) && !std::isnan(b.AsNumber())) {
          Push(Value::Bool(a.AsNumber() < b.AsNumber()));
        } else {
          Push(Less(a, b));
        }
        break;
      }
      case kGreater: {
        const Value b = Pop(f), a = Pop(f);
        Push(Less(b, a));
        break;
      }
      case kEquals2: {
        const Value b = Pop(f), a = Pop(f);
        Push(Value::Bool(a.IsNumber() && b.IsNumber() ? a.AsNumber() == b.AsNumber() : Equals(a, b)));
        break;
      }
      case kStrictEquals: {
        const Value b = Pop(f), a = Pop(f);
        Push(Value::Bool(StrictEquals(a, b)));
        break;
      }
      case kBitAnd:
      case kBitOr:
      case kBitXor:
      case kBitLShift:
      case kBitRShift:
      case kBitURShift: {
        const int32_t b = ToInt32(Pop(f)), a = ToInt32(Pop(f));
        double r = 0;
        switch (in.op) {
          case kBitAnd: r = a & b; break;
          case kBitOr: r = a | b; break;
          case kBitXor: r = a ^ b; break;
          case kBitLShift: r = static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31)); break;
          case kBitRShift: r = a >> (b & 31); break;
          default: r = static_cast<uint32_t>(a) >> (b & 31); break;
        }
        Push(Value::Number(r));
        break;
      }
      case kToInteger: {
        const double d = ToNumber(Pop(f));
        Push(Value::Number(version_ < 5 ? std::trunc(std::isfinite(d) ? d : 0) : DoubleToInt32(d)));
        break;
      }
      case kToNumber: Push(Value::Number(ToNumber(Pop(f)))); break;
      case kToString: Push(Value::Str(ToString(Pop(f)))); break;
      case kTypeOf: Push(Value::Str(TypeOf(Pop(f)))); break;

      // Strings.
      case kStringEquals:
      case kStringLess:
      case kStringGreater: {
        String* b = ToString(Pop(f));
        String* a = ToString(Pop(f));
        const bool r = in.op == kStringEquals ? a->View() == b->View()
                       : in.op == kStringLess ? a->View() < b->View()
                                              : a->View() > b->View();
        Push(version_ < 5 ? Value::Number(r ? 1 : 0) : Value::Bool(r));
        break;
      }
      case kStringAdd: {
        String* b = ToString(Pop(f));
        String* a = ToString(Pop(f));
        if (!CheckLength(size_t(a->Size()) + b->Size())) break;
        Push(Value::Str(heap_.Concat(a, b)));
        break;
      }
      case kStringLength:
      case kMBStringLength: Push(Value::Number(ToString(Pop(f))->Size())); break;
      case kStringExtract:
      case kMBStringExtract: {
        const double count = ToNumber(Pop(f)), index = ToNumber(Pop(f));
        String* s = ToString(Pop(f));
        const double from = std::isnan(index) ? 0 : std::clamp(std::trunc(index) - 1, 0.0, double(s->Size()));
        const double rest = double(s->Size()) - from;
        const double n = std::isnan(count) || count < 0 ? rest : std::min(std::trunc(count), rest);
        Push(Str(s->View().substr(static_cast<size_t>(from), static_cast<size_t>(n))));
        break;
      }
      case kCharToAscii:
      case kMBCharToAscii: {
        String* s = ToString(Pop(f));
        Push(s->Size() ? Value::Number(s->Data()[0]) : Value::Number(NAN));
        break;
      }
      case kAsciiToChar:
      case kMBAsciiToChar: {
        const wchar_t c = static_cast<wchar_t>(ToInt32(Pop(f)) & 0xFFFF);
        Push(c ? Str(std::wstring_view(&c, 1)) : Value::Str(names_.empty));
        break;
      }

      // Variables and members.
      case kGetVariable: {
        String* name = ToString(Pop(f));
        Push(GetVariable(f, name));
        break;
      }
      case kSetVariable: {
        const Value v = Pop(f);
        String* name = ToString(Pop(f));
        SetVariable(f, name, v);
        break;
      }
      case kDefineLocal: {
        const Value v = Pop(f);
        DefineLocal(f, ToString(Pop(f)), v);
        break;
      }
      case kDefineLocal2: {
        String* name = ToString(Pop(f));
        Object* holder = f.activation ? f.activation : VarTarget(f);
        if (holder && !HasOwn(holder, heap_.Key(name))) DefineLocal(f, name, Value::Undefined());
        break;
      }
      case kDelete: {
        String* name = ToString(Pop(f));
        const Value obj = Pop(f);
        Push(Value::Bool(obj.IsObject() && Delete(obj.AsObject(), heap_.Key(name))));
        break;
      }
      case kDelete2: Push(Value::Bool(DeleteVariable(f, ToString(Pop(f))))); break;
      case kGetMember: {
        const Value key = Pop(f), obj = Pop(f);
        Push(GetMember(obj, key));
        break;
      }
      case kSetMember: {
        const Value v = Pop(f), key = Pop(f), obj = Pop(f);
        SetMember(obj, key, v);
        break;
      }
      case kInitArray: {
        const uint32_t n = PopCount(f);
        Array* a = NewArray(n);
        for (uint32_t i = 0; i < n; ++i) a->items.push_back(Pop(f));
        heap_.Grow(a, static_cast<ptrdiff_t>(n * sizeof(Value)));
        Push(Value::Obj(a));
        break;
      }
      case kInitObject: {
        const uint32_t n = std::min(PopCount(f), static_cast<uint32_t>((sp_ - f.stackBase) / 2));
        Object* o = NewObject();
        // The pairs are on the stack last first; they are added in source order.
        Value* pairs = sp_ - 2 * n;
        for (uint32_t i = 0; i < n; ++i) SetProp(o, ToString(pairs[2 * i]), pairs[2 * i + 1]);
        sp_ = pairs;
        Push(Value::Obj(o));
        break;
      }
      case kTargetPath: {
        const Value v = Pop(f);
        Object* o = v.ObjectOrNull();
        if (o && o->Class() == ObjClass::Clip) {
          Push(Str(static_cast<ClipObject*>(o)->Path(false)));
        } else {
          Push(Value::Undefined());
        }
        break;
      }
      case kEnumerate: {
        String* name = ToString(Pop(f));
        OpEnumerate(f, GetVariable(f, name));
        break;
      }
      case kEnumerate2: OpEnumerate(f, Pop(f)); break;
      case kInstanceOf: {
        const Value ctor = Pop(f), obj = Pop(f);
        Push(Value::Bool(ctor.IsObject() && InstanceOf(obj, ctor.AsObject())));
        break;
      }
      case kCastOp: {
        const Value obj = Pop(f), ctor = Pop(f);
        Push(ctor.IsObject() && InstanceOf(obj, ctor.AsObject()) ? obj : Value::Null());
        break;
      }
      case kImplementsOp: {
        const Value ctor = Pop(f);
        const uint32_t n = PopCount(f);
        std::vector<Object*> interfaces;
        for (uint32_t i = 0; i < n; ++i)
          if (Object* o = Pop(f).ObjectOrNull()) interfaces.push_back(o);
        if (ctor.IsObject())
          if (Object* proto = Get(ctor, names_.prototype).ObjectOrNull()) proto->More().interfaces = interfaces;
        break;
      }
      case kExtends: {
        const Value superclass = Pop(f), subclass = Pop(f);
        Object* sub = subclass.ObjectOrNull();
        if (!sub) break;
        Object* proto = NewObject(Get(superclass, names_.prototype).ObjectOrNull());
        Put(proto, names_.ctor, superclass);
        Set(subclass, names_.prototype, Value::Obj(proto));
        break;
      }

      // Functions.
      case kDefineFunction:
      case kDefineFunction2:
        OpDefineFunction(f, in);
        pc = in.arg2;
        break;
      case kCallFunction: OpCallFunction(f); break;
      case kCallMethod: OpCallMethod(f); break;
      case kNewObject: OpNew(f, false); break;
      case kNewMethod: OpNew(f, true); break;
      case kReturn: {
        const Value v = Pop(f);
        if (ReturnThroughFinally(f, v, pc)) break;
        f.result = v;
        return;
      }
      case kConstantPool: f.pool = &f.code->pools[in.arg]; break;

      // Control.
      case kJump:
        if (in.arg < pc) {
          if (gcBlocked_ == 0 && heap_.Fresh() > std::max(kMinCollect, heap_.Bytes() / 2)) Collect();
          if (heap_.OverLimit()) Abort(L"a script took more memory than a movie may");
        }
        pc = in.arg;
        if (!f.blocks.empty()) LeaveBlocks(f, pc);
        break;
      case kIf:
        if (ToBool(Pop(f))) {
          if (in.arg < pc && gcBlocked_ == 0 && heap_.Fresh() > std::max(kMinCollect, heap_.Bytes() / 2)) Collect();
          pc = in.arg;
          if (!f.blocks.empty()) LeaveBlocks(f, pc);
        }
        break;
      case kWith: {
        const Value v = Pop(f);
        Block b;
        b.kind = Block::kWith;
        b.start = pc;
        b.end = in.arg;
        b.scope = f.scope;
        f.blocks.push_back(b);
        if (Object* o = v.IsObject() ? v.AsObject() : ToObject(v)) f.scope = heap_.New<Scope>(o, f.scope);
        break;
      }
      case kOpWithEnd:
        if (!f.blocks.empty() && f.blocks.back().kind == Block::kWith) {
          f.scope = f.blocks.back().scope;
          f.blocks.pop_back();
        }
        break;
      case kTry: {
        Block b;
        b.kind = Block::kTry;
        b.t = &f.code->tries[in.arg];
        b.start = pc;
        b.end = b.t->end;
        f.blocks.push_back(b);
        break;
      }
      case kOpTryBodyEnd:
      case kOpCatchEnd:
        if (!f.blocks.empty() && f.blocks.back().kind == Block::kTry && f.blocks.back().t == &f.code->tries[in.arg]) {
          Block& b = f.blocks.back();
          if (b.t->hasFinally) {
            b.phase = 2;
            pc = b.t->finallyStart;
          } else {
            pc = b.t->end;
            f.blocks.pop_back();
          }
        }
        break;
      case kOpFinallyEnd:
        if (!f.blocks.empty() && f.blocks.back().kind == Block::kTry && f.blocks.back().t == &f.code->tries[in.arg]) {
          const Block b = f.blocks.back();
          f.blocks.pop_back();
          if (b.throwing) {
            Throw(b.value);
          } else if (b.returning) {
            if (ReturnThroughFinally(f, b.value, pc)) break;
            f.result = b.value;
            return;
          }
        }
        break;
      case kThrow: Throw(Pop(f)); break;

      // Timelines.
      case kGotoFrame:
        if (ClipObject* c = TargetClip(f)) c->GotoFrame(*this, static_cast<int>(in.arg), -1);
        break;
      case kNextFrame:
      case kPrevFrame:
        if (ClipObject* c = TargetClip(f)) c->GotoFrame(*this, c->CurrentFrame() + (in.op == kNextFrame ? 1 : -1), 0);
        break;
      case kPlay:
      case kStop:
        if (ClipObject* c = TargetClip(f)) c->SetPlaying(in.op == kPlay);
        break;
      case kGoToLabel:
        if (ClipObject* c = TargetClip(f)) {
          const int frame = c->FrameOfLabel(f.code->constants[in.arg].AsString()->Str());
          if (frame >= 0) c->GotoFrame(*this, frame, -1);
        }
        break;
      case kGotoFrame2: OpGotoFrame2(f, in); break;
      case kSetTarget:
      case kSetTarget2: {
        const Value v = in.op == kSetTarget ? f.code->constants[in.arg] : Pop(f);
        if (v.IsObject()) {
          f.target = v.AsObject();
        } else {
          const std::wstring path = ToText(v);
          f.target = path.empty() ? f.baseTarget : ResolveTarget(f.baseTarget, path);
        }
        break;
      }
      case kGetProperty: OpGetProperty(f); break;
      case kSetProperty: OpSetProperty(f); break;
      case kCloneSprite: {
        const int depth = ToInt32(Pop(f));
        String* name = ToString(Pop(f));
        const Value source = Pop(f);
        ClipObject* c = source.IsObject() && source.AsObject()->Class() == ObjClass::Clip
                            ? static_cast<ClipObject*>(source.AsObject())
                            : ResolveTarget(VarTarget(f), ToText(source));
        if (c) c->Duplicate(*this, name, depth);
        break;
      }
      case kRemoveSprite: {
        const Value v = Pop(f);
        ClipObject* c = v.IsObject() && v.AsObject()->Class() == ObjClass::Clip ? static_cast<ClipObject*>(v.AsObject())
                                                                                 : ResolveTarget(VarTarget(f), ToText(v));
        if (c) c->Remove(*this);
        break;
      }
      case kStartDrag: OpStartDrag(f); break;
      case kEndDrag: host_.EndDrag(); break;
      case kWaitForFrame:
        if (!WaitedFrameLoaded(f, Value::Number(double(in.arg) + 1))) pc = in.arg2;
        break;
      case kWaitForFrame2:
        if (!WaitedFrameLoaded(f, Pop(f))) pc = in.arg2;
        break;
      case kCall: OpCall(f); break;
      case kGetURL:
        host_.GetUrl(*this, f.code->constants[in.arg].AsString()->Str(), f.code->constants[in.arg2].AsString()->Str(),
                     0, TargetClip(f));
        break;
      case kGetURL2: OpGetUrl2(f, in.a); break;

      // The player.
      case kTrace: {
        const Value v = Pop(f);
        host_.Trace(v.IsUndefined() ? L"undefined" : ToText(v));
        break;
      }
      case kGetTime: Push(Value::Number(std::floor((host_.Seconds() - startSeconds_) * 1000))); break;
      case kRandomNumber: {
        const double max = std::floor(ToNumber(Pop(f)));
        Push(Value::Number(max > 0 && std::isfinite(max) ? std::floor(Random() * max) : 0));
        break;
      }
      case kToggleQuality: host_.ToggleQuality(); break;
      case kStopSounds: host_.StopSounds(); break;
      default: break;  // actions this version does not know do nothing
    }
  }
}

double Vm::Random() {
  // xorshift64*
  random_ ^= random_ >> 12;
  random_ ^= random_ << 25;
  random_ ^= random_ >> 27;
  const uint64_t r = random_ * 2685821657736338717ull;
  return static_cast<double>(r >> 11) / 9007199254740992.0;
}

}  // namespace flash::script
