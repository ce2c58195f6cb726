#include "platform/flash/script/ActionReader.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "base/ByteReader.h"
#include "base/TextConv.h"

namespace flash::script {
namespace {

std::wstring Decode(std::span<const uint8_t> bytes, uint8_t version) {
  std::string raw(bytes.begin(), bytes.end());
  if (version >= 6) return Utf8ToWide(raw);
  if (raw.empty()) return L"";
  int n = MultiByteToWideChar(CP_ACP, 0, raw.data(), static_cast<int>(raw.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, raw.data(), static_cast<int>(raw.size()), out.data(), n);
  return out;
}

class Reader {
 public:
  Reader(Heap& heap, std::span<const uint8_t> bytes, uint8_t version, Code& code)
      : heap_(heap), bytes_(bytes), version_(version), code_(code), at_(bytes.size() + 1, -1),
        owner_(bytes.size() + 1, 0) {}

  void Run() {
    fns_.push_back(FnRange{0, static_cast<uint32_t>(bytes_.size()), 0, {}});
    Range(0, static_cast<uint32_t>(bytes_.size()), 0, -1);
    Fix();
    Check();
  }

 private:
  struct FnRange {
    uint32_t start, end, endInstr;
    std::vector<uint32_t> actions;  // offsets of the function's own actions, in order
  };
  struct Region {
    uint32_t end;
    uint16_t op;
    uint32_t arg;
  };
  struct Jump {
    uint32_t instr, target, fn;
  };
  struct Skip {
    uint32_t instr, ordinal, count, fn;
  };

  uint32_t Emit(uint16_t op, uint32_t arg = 0, uint8_t a = 0) {
    Instr i;
    i.op = op, i.arg = arg, i.a = a;
    code_.instrs.push_back(i);
    return static_cast<uint32_t>(code_.instrs.size() - 1);
  }
  uint32_t Next() const { return static_cast<uint32_t>(code_.instrs.size()); }

  bool Text(ByteReader& r, String*& out) {
    std::span<const uint8_t> rest = r.Rest();
    for (size_t i = 0; i < rest.size(); ++i) {
      if (rest[i]) continue;
      out = heap_.Intern(Decode(rest.first(i), version_));
      return r.Skip(i + 1);
    }
    return false;
  }
  uint32_t Constant(const Value& v) {
    code_.constants.push_back(v);
    return static_cast<uint32_t>(code_.constants.size() - 1);
  }

  void CloseRegions(std::vector<Region>& open, uint32_t pos) {
    while (!open.empty() && open.back().end <= pos) {
      const Region r = open.back();
      open.pop_back();
      const uint32_t index = Emit(r.op, r.op == kOpWithEnd ? 0 : r.arg);
      if (r.op == kOpWithEnd) code_.instrs[r.arg].arg = index;  // the With learns where its body ends
      if (r.op == kOpTryBodyEnd || r.op == kOpCatchEnd || r.op == kOpFinallyEnd) {
        TryInfo& t = code_.tries[r.arg];
        if (r.op == kOpTryBodyEnd) t.catchStart = t.finallyStart = t.end = Next();
        if (r.op == kOpCatchEnd) t.finallyStart = t.end = Next();
        if (r.op == kOpFinallyEnd) t.end = Next();
      }
    }
  }

  // Reads the actions of [start, end) for function fn; nested functions recurse.
  void Range(uint32_t start, uint32_t end, uint32_t fn, int info) {
    std::vector<Region> open;
    // The registers this code has: 4 outside functions and in DefineFunction's.
    const FunctionInfo* holder = info >= 0 ? &functions_[static_cast<size_t>(info)] : nullptr;
    registers_ = holder && holder->version2 ? std::max<uint32_t>(holder->registers, 1) : 4;
    uint32_t pos = start;
    int64_t endAction = -1;  // where an ActionEnd stands, a target like the end itself
    while (pos < end) {
      CloseRegions(open, pos);
      ByteReader r(bytes_.subspan(pos, end - pos));
      uint8_t code = 0;
      r.U8(code);
      std::span<const uint8_t> data;
      if (code >= 0x80) {
        uint32_t length = 0;
        if (!r.U16LE(length) || !r.Bytes(length, data)) break;  // runs past the record
      }
      if (code == 0) {
        endAction = pos;
        break;
      }
      const uint32_t next = pos + static_cast<uint32_t>(r.Pos());
      at_[pos] = static_cast<int32_t>(Next());
      owner_[pos] = fn;
      fns_[fn].actions.push_back(pos);
      ByteReader d(data);
      const uint32_t limit = open.empty() ? end : std::min(end, open.back().end);
      uint32_t after = next;  // a function definition's body is read with it
      bool ok = true;
      switch (code) {
        case kPush: ok = Push(d, registers_); break;
        case kGotoFrame: {
          uint32_t frame = 0;
          ok = d.U16LE(frame);
          if (ok) Emit(code, frame);
          break;
        }
        case kGetURL: {
          String *url = nullptr, *target = nullptr;
          ok = Text(d, url) && Text(d, target);
          if (ok) code_.instrs[Emit(code, Constant(Value::Str(url)))].arg2 = Constant(Value::Str(target));
          break;
        }
        case kSetTarget:
        case kGoToLabel: {
          String* text = nullptr;
          ok = Text(d, text);
          if (ok) Emit(code, Constant(Value::Str(text)));
          break;
        }
        case kWaitForFrame:
        case kWaitForFrame2: {
          uint32_t frame = 0;
          uint8_t skip = 0;
          ok = (code == kWaitForFrame2 || d.U16LE(frame)) && d.U8(skip);
          if (ok) {
            skips_.push_back(Skip{Emit(code, frame), static_cast<uint32_t>(fns_[fn].actions.size() - 1), skip, fn});
          }
          break;
        }
        case kStoreRegister: {
          uint8_t reg = 0;
          ok = d.U8(reg);
          if (ok) Emit(reg < registers_ ? uint16_t{kStoreRegister} : uint16_t{kOpNop}, 0, reg);
          break;
        }
        case kGetURL2: {
          uint8_t flags = 0;
          ok = d.U8(flags);
          if (ok) Emit(code, 0, flags);
          break;
        }
        case kGotoFrame2: {
          uint8_t flags = 0;
          uint32_t bias = 0;
          ok = d.U8(flags) && (!(flags & 0x02) || d.U16LE(bias));
          if (ok) Emit(code, bias, flags);
          break;
        }
        case kConstantPool: ok = ConstantPool(d); break;
        case kJump:
        case kIf: ok = Branch(d, code, next, fn); break;
        case kDefineFunction:
        case kDefineFunction2: ok = DefineFunction(d, code == kDefineFunction2, next, limit, after); break;
        case kWith: {
          uint32_t size = 0;
          ok = d.U16LE(size) && size <= limit - next;
          if (ok) open.push_back(Region{next + size, kOpWithEnd, Emit(code)});
          break;
        }
        case kTry: ok = Try(d, next, limit, open); break;
        default:
          Emit(KnownAction(code) ? code : kOpNop);  // actions without data; unknown ones do nothing
          break;
      }
      if (!ok) {
        // A record that cannot be read ends the list here.
        at_[pos] = -1;
        fns_[fn].actions.pop_back();
        break;
      }
      pos = after;
    }
    CloseRegions(open, UINT32_MAX);
    fns_[fn].endInstr = Emit(info >= 0 ? kOpFunctionEnd : kOpEnd);
    if (endAction >= 0) {
      at_[static_cast<size_t>(endAction)] = static_cast<int32_t>(fns_[fn].endInstr);
      owner_[static_cast<size_t>(endAction)] = fn;
    }
    if (info >= 0) functions_[static_cast<size_t>(info)].end = fns_[fn].endInstr;
  }

  // ActionConstantPool: the strings the pushes that follow name by index.
  bool ConstantPool(ByteReader& d) {
    uint32_t count = 0;
    if (!d.U16LE(count)) return false;
    std::vector<Value> pool;
    for (uint32_t i = 0; i < count; ++i) {
      String* s = nullptr;
      if (!Text(d, s)) return false;
      pool.push_back(Value::Str(s));
    }
    code_.pools.push_back(std::move(pool));
    Emit(kConstantPool, static_cast<uint32_t>(code_.pools.size() - 1));
    return true;
  }

  // ActionJump and ActionIf: an offset from the next action, resolved once all
  // actions are read; a target outside the bytes ends the code there.
  bool Branch(ByteReader& d, uint8_t code, uint32_t next, uint32_t fn) {
    uint32_t raw = 0;
    if (!d.U16LE(raw)) return false;
    const int64_t target = int64_t(next) + int16_t(raw);
    const uint32_t i = Emit(code);
    if (target < 0 || target > int64_t(bytes_.size())) {
      code_.instrs[i].op = kOpEnd;
    } else {
      jumps_.push_back(Jump{i, static_cast<uint32_t>(target), fn});
    }
    return true;
  }

  // ActionDefineFunction(2): the header, then its body, read at once as a
  // function of its own; after is where the actions go on past the body.
  bool DefineFunction(ByteReader& d, bool version2, uint32_t next, uint32_t limit, uint32_t& after) {
    FunctionInfo f;
    uint32_t size = 0;
    if (!Function(d, version2, f, size) || size > limit - next) return false;
    const uint32_t define = Emit(version2 ? kDefineFunction2 : kDefineFunction, static_cast<uint32_t>(functions_.size()));
    functions_.push_back(std::move(f));
    const uint32_t index = static_cast<uint32_t>(functions_.size() - 1);
    const uint32_t id = static_cast<uint32_t>(fns_.size());
    fns_.push_back(FnRange{next, next + size, 0, {}});
    functions_[index].start = Next();
    const uint32_t registers = registers_;
    Range(next, next + size, id, static_cast<int>(index));
    registers_ = registers;
    code_.instrs[define].arg2 = Next();
    after = next + size;
    return true;
  }

  bool Push(ByteReader& d, uint32_t registers) {
    while (!d.AtEnd()) {
      uint8_t type = 0;
      d.U8(type);
      switch (type) {
        case 0: {
          String* s = nullptr;
          if (!Text(d, s)) return false;
          Emit(kOpPushConst, Constant(Value::Str(s)));
          break;
        }
        case 1: {
          uint32_t bits = 0;
          if (!d.U32LE(bits)) return false;
          float f;
          std::memcpy(&f, &bits, sizeof f);
          Emit(kOpPushConst, Constant(Value::Number(f)));
          break;
        }
        case 2: Emit(kOpPushConst, Constant(Value::Null())); break;
        case 3: Emit(kOpPushConst, Constant(Value::Undefined())); break;
        case 4: {
          uint8_t reg = 0;
          if (!d.U8(reg)) return false;
          if (reg < registers) {
            Emit(kOpPushReg, 0, reg);
          } else {
            Emit(kOpPushConst, Constant(Value::Undefined()));
          }
          break;
        }
        case 5: {
          uint8_t b = 0;
          if (!d.U8(b)) return false;
          Emit(kOpPushConst, Constant(Value::Bool(b != 0)));
          break;
        }
        case 6: {
          // Two little-endian halves, the high one first.
          uint32_t high = 0, low = 0;
          if (!d.U32LE(high) || !d.U32LE(low)) return false;
          const uint64_t bits = uint64_t(high) << 32 | low;
          double v;
          std::memcpy(&v, &bits, sizeof v);
          Emit(kOpPushConst, Constant(Value::Number(v)));
          break;
        }
        case 7: {
          uint32_t v = 0;
          if (!d.U32LE(v)) return false;
          Emit(kOpPushConst, Constant(Value::Number(static_cast<int32_t>(v))));
          break;
        }
        case 8:
        case 9: {
          uint32_t index = 0;
          uint8_t small = 0;
          if (type == 8 ? !d.U8(small) : !d.U16LE(index)) return false;
          Emit(kOpPushPool, type == 8 ? small : index);
          break;
        }
        default: return false;
      }
    }
    return true;
  }

  bool Function(ByteReader& d, bool version2, FunctionInfo& f, uint32_t& size) {
    f.version2 = version2;
    uint32_t count = 0;
    if (!Text(d, f.name) || !d.U16LE(count)) return false;
    if (version2) {
      uint32_t flags = 0;
      if (!d.U8(f.registers) || !d.U16LE(flags)) return false;
      f.flags = static_cast<uint16_t>(flags);
    }
    for (uint32_t i = 0; i < count; ++i) {
      FunctionInfo::Param p{nullptr, 0};
      if (version2 && !d.U8(p.reg)) return false;
      if (!Text(d, p.name)) return false;
      f.params.push_back(p);
    }
    return d.U16LE(size);
  }

  bool Try(ByteReader& d, uint32_t next, uint32_t limit, std::vector<Region>& open) {
    uint8_t flags = 0;
    uint32_t trySize = 0, catchSize = 0, finallySize = 0;
    if (!d.U8(flags) || !d.U16LE(trySize) || !d.U16LE(catchSize) || !d.U16LE(finallySize)) return false;
    TryInfo t;
    t.hasCatch = flags & 0x01;
    t.hasFinally = flags & 0x02;
    t.catchInRegister = flags & 0x04;
    if (t.catchInRegister ? !d.U8(t.catchRegister) : !Text(d, t.catchName)) return false;
    const uint64_t total = uint64_t(trySize) + catchSize + finallySize;
    if (total > limit - next) return false;
    code_.tries.push_back(t);
    const uint32_t index = static_cast<uint32_t>(code_.tries.size() - 1);
    Emit(kTry, index);
    const uint32_t tryEnd = next + trySize, catchEnd = tryEnd + catchSize, finallyEnd = catchEnd + finallySize;
    if (t.hasFinally) open.push_back(Region{finallyEnd, kOpFinallyEnd, index});
    if (t.hasCatch) open.push_back(Region{catchEnd, kOpCatchEnd, index});
    open.push_back(Region{tryEnd, kOpTryBodyEnd, index});
    return true;
  }

  // Jump targets and skip counts become instruction numbers.
  void Fix() {
    for (const Jump& j : jumps_) {
      const FnRange& f = fns_[j.fn];
      Instr& i = code_.instrs[j.instr];
      if (j.target == f.end) {
        i.arg = f.endInstr;
      } else if (j.target >= f.start && j.target < f.end && at_[j.target] >= 0 && owner_[j.target] == j.fn) {
        i.arg = static_cast<uint32_t>(at_[j.target]);
      } else {
        i.op = kOpEnd;  // outside its function or between actions
      }
    }
    for (const Skip& s : skips_) {
      const FnRange& f = fns_[s.fn];
      const size_t target = size_t(s.ordinal) + 1 + s.count;
      code_.instrs[s.instr].arg2 =
          target < f.actions.size() ? static_cast<uint32_t>(at_[f.actions[target]]) : f.endInstr;
    }
    code_.functions = std::move(functions_);
  }

  // Every index an instruction holds, checked against its table: one that
  // names nothing ends the list there.
  void Check() {
    const size_t n = code_.instrs.size();
    auto text = [&](uint32_t i) { return i < code_.constants.size() && code_.constants[i].IsString(); };
    auto tryOk = [&](uint32_t i) {
      if (i >= code_.tries.size()) return false;
      const TryInfo& t = code_.tries[i];
      return t.catchStart < n && t.finallyStart < n && t.end < n;
    };
    auto functionOk = [&](uint32_t i) {
      return i < code_.functions.size() && code_.functions[i].start < n && code_.functions[i].end < n;
    };
    for (Instr& i : code_.instrs) {
      bool ok = true;
      switch (i.op) {
        case kOpPushConst: ok = i.arg < code_.constants.size(); break;
        case kGetURL: ok = text(i.arg) && text(i.arg2); break;
        case kSetTarget:
        case kGoToLabel: ok = text(i.arg); break;
        case kConstantPool: ok = i.arg < code_.pools.size(); break;
        case kTry:
        case kOpTryBodyEnd:
        case kOpCatchEnd:
        case kOpFinallyEnd: ok = tryOk(i.arg); break;
        case kDefineFunction:
        case kDefineFunction2: ok = functionOk(i.arg) && i.arg2 < n; break;
        case kJump:
        case kIf:
        case kWith: ok = i.arg < n; break;
        case kWaitForFrame:
        case kWaitForFrame2: ok = i.arg2 < n; break;
        default: break;
      }
      if (!ok) i = Instr{};
    }
    // The list ends in an end whatever came before.
    if (code_.instrs.empty() || (code_.instrs.back().op != kOpEnd && code_.instrs.back().op != kOpFunctionEnd))
      code_.instrs.push_back(Instr{});
  }

  Heap& heap_;
  std::span<const uint8_t> bytes_;
  uint8_t version_;
  Code& code_;
  std::vector<int32_t> at_;     // action offset -> its first instruction
  std::vector<uint32_t> owner_;  // action offset -> the function holding it
  std::vector<FnRange> fns_;
  std::vector<FunctionInfo> functions_;
  std::vector<Jump> jumps_;
  std::vector<Skip> skips_;
  uint32_t registers_ = 4;  // of the code being read
};

// The action codes the interpreter knows.
constexpr uint8_t kKnownActions[] = {
    kNextFrame, kPrevFrame, kPlay, kStop, kToggleQuality, kStopSounds, kAdd, kSubtract, kMultiply, kDivide,
    kEquals, kLess, kAnd, kOr, kNot, kStringEquals, kStringLength, kStringExtract, kPop, kToInteger,
    kGetVariable, kSetVariable, kSetTarget2, kStringAdd, kGetProperty, kSetProperty, kCloneSprite,
    kRemoveSprite, kTrace, kStartDrag, kEndDrag, kStringLess, kThrow, kCastOp, kImplementsOp, kRandomNumber,
    kMBStringLength, kCharToAscii, kAsciiToChar, kGetTime, kMBStringExtract, kMBCharToAscii, kMBAsciiToChar,
    kDelete, kDelete2, kDefineLocal, kCallFunction, kReturn, kModulo, kNewObject, kDefineLocal2, kInitArray,
    kInitObject, kTypeOf, kTargetPath, kEnumerate, kAdd2, kLess2, kEquals2, kToNumber, kToString,
    kPushDuplicate, kStackSwap, kGetMember, kSetMember, kIncrement, kDecrement, kCallMethod, kNewMethod,
    kInstanceOf, kEnumerate2, kBitAnd, kBitOr, kBitXor, kBitLShift, kBitRShift, kBitURShift, kStrictEquals,
    kGreater, kStringGreater, kExtends, kGotoFrame, kGetURL, kStoreRegister, kConstantPool, kWaitForFrame,
    kSetTarget, kGoToLabel, kWaitForFrame2, kDefineFunction2, kTry, kWith, kPush, kJump, kGetURL2,
    kDefineFunction, kIf, kCall, kGotoFrame2,
};

}  // namespace

bool KnownAction(uint8_t code) {
  static const auto known = [] {
    std::array<bool, 256> table{};
    for (uint8_t c : kKnownActions) table[c] = true;
    return table;
  }();
  return known[code];
}

void Code::Trace(Tracer& t) const {
  for (const Value& v : constants) t.Mark(v);
  for (const auto& pool : pools)
    for (const Value& v : pool) t.Mark(v);
  for (const FunctionInfo& f : functions) {
    t.Mark(f.name);
    for (const auto& p : f.params) t.Mark(p.name);
  }
  for (const TryInfo& i : tries) t.Mark(i.catchName);
}

std::unique_ptr<Code> ReadActions(Heap& heap, std::span<const uint8_t> actions, uint8_t version) {
  auto code = std::make_unique<Code>();
  code->version = version;
  Reader(heap, actions, version, *code).Run();
  return code;
}

}  // namespace flash::script
