// Reads an action record (a DoAction body, a button's or a clip event's
// actions) once into compact instructions: pushes split into one
// instruction per value, jumps resolved to instruction numbers, function
// bodies, with-blocks and try-blocks marked by end instructions, strings
// interned in the heap. Everything is read through the bounds-checked
// reader: an action that runs past its record, a jump that lands outside its
// own function or between actions, or a block that overlaps its container
// ends the list there (the instruction becomes an end). A register beyond
// what its function has reads as undefined and is not written.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/flash/script/Heap.h"

namespace flash::script {

// Instruction codes: the codes of the actions this interpreter knows (below
// 0x100), and these of our own above them, which no movie can write. An
// action code the reader does not know becomes kOpNop.
enum Op : uint16_t {
  kOpEnd = 0x100,
  kOpNop,
  kOpPushConst,    // arg: constant
  kOpPushPool,     // arg: constant-pool index
  kOpPushReg,      // a: register
  kOpWithEnd,
  kOpTryBodyEnd,   // arg: try
  kOpCatchEnd,     // arg: try
  kOpFinallyEnd,   // arg: try
  kOpFunctionEnd,
};

// Action codes.
enum Action : uint8_t {
  kNextFrame = 0x04, kPrevFrame = 0x05, kPlay = 0x06, kStop = 0x07, kToggleQuality = 0x08, kStopSounds = 0x09,
  kAdd = 0x0A, kSubtract = 0x0B, kMultiply = 0x0C, kDivide = 0x0D, kEquals = 0x0E, kLess = 0x0F, kAnd = 0x10,
  kOr = 0x11, kNot = 0x12, kStringEquals = 0x13, kStringLength = 0x14, kStringExtract = 0x15, kPop = 0x17,
  kToInteger = 0x18, kGetVariable = 0x1C, kSetVariable = 0x1D, kSetTarget2 = 0x20, kStringAdd = 0x21,
  kGetProperty = 0x22, kSetProperty = 0x23, kCloneSprite = 0x24, kRemoveSprite = 0x25, kTrace = 0x26,
  kStartDrag = 0x27, kEndDrag = 0x28, kStringLess = 0x29, kThrow = 0x2A, kCastOp = 0x2B, kImplementsOp = 0x2C,
  kRandomNumber = 0x30, kMBStringLength = 0x31, kCharToAscii = 0x32, kAsciiToChar = 0x33, kGetTime = 0x34,
  kMBStringExtract = 0x35, kMBCharToAscii = 0x36, kMBAsciiToChar = 0x37, kDelete = 0x3A, kDelete2 = 0x3B,
  kDefineLocal = 0x3C, kCallFunction = 0x3D, kReturn = 0x3E, kModulo = 0x3F, kNewObject = 0x40,
  kDefineLocal2 = 0x41, kInitArray = 0x42, kInitObject = 0x43, kTypeOf = 0x44, kTargetPath = 0x45,
  kEnumerate = 0x46, kAdd2 = 0x47, kLess2 = 0x48, kEquals2 = 0x49, kToNumber = 0x4A, kToString = 0x4B,
  kPushDuplicate = 0x4C, kStackSwap = 0x4D, kGetMember = 0x4E, kSetMember = 0x4F, kIncrement = 0x50,
  kDecrement = 0x51, kCallMethod = 0x52, kNewMethod = 0x53, kInstanceOf = 0x54, kEnumerate2 = 0x55,
  kBitAnd = 0x60, kBitOr = 0x61, kBitXor = 0x62, kBitLShift = 0x63, kBitRShift = 0x64, kBitURShift = 0x65,
  kStrictEquals = 0x66, kGreater = 0x67, kStringGreater = 0x68, kExtends = 0x69,
  kGotoFrame = 0x81, kGetURL = 0x83, kStoreRegister = 0x87, kConstantPool = 0x88, kWaitForFrame = 0x8A,
  kSetTarget = 0x8B, kGoToLabel = 0x8C, kWaitForFrame2 = 0x8D, kDefineFunction2 = 0x8E, kTry = 0x8F,
  kWith = 0x94, kPush = 0x96, kJump = 0x99, kGetURL2 = 0x9A, kDefineFunction = 0x9B, kIf = 0x9D, kCall = 0x9E,
  kGotoFrame2 = 0x9F,
};

// Whether the interpreter knows an action code (the others do nothing).
bool KnownAction(uint8_t code);

// Every index an instruction holds (a constant, a pool, a register, a
// function, a try, another instruction) was checked by the reader against
// its table: the interpreter uses them as they are.
struct Instr {
  uint16_t op = kOpEnd;
  uint8_t a = 0;
  uint32_t arg = 0;
  uint32_t arg2 = 0;
};

// DefineFunction2's flags as one little-endian 16-bit field.
enum FunctionFlags : uint16_t {
  kPreloadThis = 0x01, kSuppressThis = 0x02, kPreloadArguments = 0x04, kSuppressArguments = 0x08,
  kPreloadSuper = 0x10, kSuppressSuper = 0x20, kPreloadRoot = 0x40, kPreloadParent = 0x80, kPreloadGlobal = 0x100,
};

struct FunctionInfo {
  String* name = nullptr;  // empty for an anonymous function
  struct Param {
    String* name;
    uint8_t reg;  // 0: a local variable (always 0 for DefineFunction)
  };
  std::vector<Param> params;
  bool version2 = false;
  uint8_t registers = 4;  // DefineFunction gets the 4 registers of plain code
  uint16_t flags = 0;
  uint32_t start = 0, end = 0;  // the body; end is its FunctionEnd
};

struct TryInfo {
  bool hasCatch = false, hasFinally = false, catchInRegister = false;
  uint8_t catchRegister = 0;
  String* catchName = nullptr;
  uint32_t catchStart = 0, finallyStart = 0, end = 0;
};

struct Code {
  std::vector<Instr> instrs;
  std::vector<Value> constants;
  std::vector<std::vector<Value>> pools;
  std::vector<FunctionInfo> functions;
  std::vector<TryInfo> tries;
  uint8_t version = 0;
  size_t source = 0;  // the record's length in bytes
  void Trace(Tracer& t) const;
};

// Strings in code are UTF-8 from version 6 on, the ANSI code page before.
std::unique_ptr<Code> ReadActions(Heap& heap, std::span<const uint8_t> actions, uint8_t version);

}  // namespace flash::script
