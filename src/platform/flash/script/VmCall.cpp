// Calls of the interpreter: a function value called with its arguments, a
// built-in directly, compiled code in a frame of its own with its
// activation, arguments and registers; and what "super" names.
#include "platform/flash/script/Vm.h"

#include <algorithm>
#include <cmath>

#include "platform/flash/script/Convert.h"
#include "platform/flash/script/VmFrame.h"

namespace flash::script {

Value Vm::CallValue(const Value& fnv, const Value& thisv, const Value* args, uint32_t argc, Object* home,
                    bool construct) {
  if (runs_ == 0) {
    // A call from outside any run (a conversion or an accessor the host asked
    // for) is an entry of its own, with its own budget.
    Value result;
    Outer([&] { result = CallValue(fnv, thisv, args, argc, home, construct); });
    return result;
  }
  if (!fnv.IsObject()) return Value::Undefined();
  Object* o = fnv.AsObject();
  if (o->Class() == ObjClass::Super) {
    // super(...): the superclass's constructor on this object.
    auto* s = static_cast<SuperObject*>(o);
    if (!s->constructor) return Value::Undefined();
    return CallValue(Value::Obj(s->constructor), s->self, args, argc, s->Proto(), construct);
  }
  if (o->Class() != ObjClass::Function) return Value::Undefined();
  auto* fn = static_cast<Function*>(o);
  if (fn->native) {
    if (depth_ >= kMaxDepth) {
      Abort(L"256 levels of recursion were exceeded");
      return Value::Undefined();
    }
    ++depth_;
    ++gcBlocked_;
    steps_ -= kBuiltinSteps;  // the loop looks at the clock sooner
    CallInfo call{thisv, args, argc, fn, construct};
    Value r = fn->native(*this, call);
    --gcBlocked_;
    --depth_;
    return r;
  }
  if (!fn->code || !fn->info) return Value::Undefined();
  return Invoke(fn, thisv, args, argc, home, construct);
}

Value Vm::Invoke(Function* fn, const Value& thisv, const Value* args, uint32_t argc, Object* home, bool) {
  EnsureStacks();
  const FunctionInfo& info = *fn->info;
  const uint32_t regCount = info.version2 ? std::max<uint32_t>(info.registers, 1) : 4;
  if (depth_ >= kMaxDepth || registerTop_ + regCount > kRegisterSpace) {
    Abort(L"256 levels of recursion were exceeded");
    return Value::Undefined();
  }
  ++depth_;
  Frame f;
  f.code = fn->code;
  f.pool = fn->pool;
  f.regs = registers_.get() + registerTop_;
  f.regCount = regCount;
  std::fill(f.regs, f.regs + regCount, Value::Undefined());
  registerTop_ += regCount;
  f.target = f.baseTarget = fn->target;
  f.thisv = thisv;
  f.callee = fn;
  f.home = home;
  f.stackBase = sp_;
  f.caller = top_;
  top_ = &f;

  Object* activation = heap_.New<Object>(nullptr, ObjClass::Activation);
  f.activation = activation;
  f.scope = heap_.New<Scope>(activation, fn->scope);
  const uint16_t flags = info.version2 ? info.flags : 0;
  const bool wantsArguments = !info.version2 || !(flags & kSuppressArguments) || (flags & kPreloadArguments);
  Array* arguments = nullptr;
  if (wantsArguments) {
    arguments = NewArray(argc);
    arguments->items.assign(args, args + argc);
    heap_.Grow(arguments, static_cast<ptrdiff_t>(argc * sizeof(Value)));
    Put(arguments, names_.callee, Value::Obj(fn));
    Put(arguments, names_.caller, f.caller && f.caller->callee ? Value::Obj(f.caller->callee) : Value::Null());
  }
  if (info.version2) {
    uint32_t r = 1;
    auto preload = [&](const Value& v) {
      if (r < regCount) f.regs[r] = v;
      ++r;
    };
    if (flags & kPreloadThis) preload(thisv);
    if (flags & kPreloadArguments) preload(Value::Obj(arguments));
    if (flags & kPreloadSuper) preload(Value::Obj(SuperOf(f)));
    ClipObject* clip = TargetClip(f);
    if (flags & kPreloadRoot) preload(clip ? Value::Obj(clip->RootClip()) : Value::Undefined());
    if (flags & kPreloadParent) {
      ClipObject* parent = clip ? clip->ParentClip() : nullptr;
      preload(parent ? Value::Obj(parent) : Value::Undefined());
    }
    if (flags & kPreloadGlobal) preload(Value::Obj(global_));
    if (!(flags & kSuppressArguments) && !(flags & kPreloadArguments))
      activation->Props().Add(names_.arguments, names_.arguments, Value::Obj(arguments), kDontEnum);
  } else {
    activation->Props().Add(names_.arguments, names_.arguments, Value::Obj(arguments), kDontEnum);
  }
  for (uint32_t i = 0; i < info.params.size(); ++i) {
    const auto& p = info.params[i];
    const Value v = i < argc ? args[i] : Value::Undefined();
    if (info.version2 && p.reg) {
      if (p.reg < regCount) f.regs[p.reg] = v;
    } else {
      String* key = heap_.Key(p.name);
      if (Slot* s = activation->Props().Find(key)) {
        s->value = v;
      } else {
        activation->Props().Add(key, p.name, v, 0);
      }
    }
  }
  heap_.Grow(activation, static_cast<ptrdiff_t>(activation->Props().Size() * sizeof(Slot)));
  if (gcBlocked_ == 0 && heap_.Fresh() > std::max(kMinCollect, heap_.Bytes() / 2)) Collect();
  Execute(f, info.start);
  top_ = f.caller;
  sp_ = f.stackBase;
  registerTop_ -= regCount;
  --depth_;
  return f.result;
}

Object* Vm::SuperOf(Frame& f) {
  Object* home = f.home;
  if (!home && f.thisv.IsObject()) home = f.thisv.AsObject()->Proto();
  if (!home) return nullptr;
  Value ctor;
  Object* superCtor = nullptr;
  if (Slot* s = home->Props().Find(names_.ctor); s && s->value.IsObject()) superCtor = s->value.AsObject();
  (void)ctor;
  return heap_.New<SuperObject>(home->Proto(), f.thisv, superCtor);
}

}  // namespace flash::script
