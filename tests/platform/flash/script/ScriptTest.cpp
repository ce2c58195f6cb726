// The action interpreter without a movie: code written with our assembler
// runs against a plain object as its timeline and its trace lines are
// compared. One table per behaviour: conversions by version, operators,
// strings, variables, functions, exceptions, objects, arrays, built-ins,
// timers, and the bounds a hostile script meets.
#include <gtest/gtest.h>

#include <list>
#include <map>
#include <memory>

#include "ActionAssembler.h"
#include "base/TextConv.h"
#include "TestSupport.h"
#include "platform/flash/script/Vm.h"

namespace {

using namespace flash::script;

std::string Join(const std::vector<std::wstring>& lines) {
  std::string out;
  for (const auto& l : lines) out += (out.empty() ? "" : "|") + WideToUtf8(l);
  return out;
}

struct Recorder : VmHost {
  std::vector<std::wstring> traces, warnings;
  double now = 100, step = 0;  // the clock moves by step at every look
  std::map<std::wstring, std::string> files;  // what ReadMovieFile finds
  std::wstring sharedFolder;
  uint64_t turn = 0;
  bool interrupted = false;
  void Trace(const std::wstring& t) override { traces.push_back(t); }
  void Warn(const std::wstring& t) override { warnings.push_back(t); }
  double Seconds() override { return now += step; }
  uint64_t Turn() override { return turn; }
  bool Interrupted() override { return interrupted; }
  double EpochMs() override { return 946684800000.0; }
  bool ReadMovieFile(const std::wstring& url, std::string& bytes) override {
    auto it = files.find(url);
    if (it == files.end()) return false;
    bytes = it->second;
    return true;
  }
  std::wstring SharedObjectFolder() override { return sharedFolder; }
};

// A movie's interpreter kept across runs, its timeline kept alive as the player keeps its clips.
struct Session {
  Recorder host;
  std::unique_ptr<Vm> vm;
  Object* root = nullptr;
  explicit Session(int version = 7) { Start(version); }
  void Start(int version) {
    vm = std::make_unique<Vm>(static_cast<uint8_t>(version), host);
    root = vm->NewObject();
    vm->Pin(Value::Obj(root));
  }
  std::string Run(const std::string& text) {
    std::string error;
    codes.push_back(actions::Assemble(text, &error));
    EXPECT_EQ(error, "") << text;
    codes.back().push_back(0);
    host.traces.clear();
    vm->Run(*vm->Decode(codes.back()), root, Value::Obj(root));
    return Join(host.traces);
  }
  std::string Later() {
    host.traces.clear();
    host.now += 1;
    vm->RunTimers();
    return Join(host.traces);
  }
  std::list<std::vector<uint8_t>> codes;
};

// Runs code as a frame's actions of a version; the traces joined by "|".
std::string RunCode(int version, const std::string& text, Recorder* keep = nullptr) {
  std::string error;
  std::vector<uint8_t> code = actions::Assemble(text, &error);
  EXPECT_EQ(error, "") << text;
  code.push_back(0);
  Recorder local;
  Recorder& host = keep ? *keep : local;
  Vm vm(static_cast<uint8_t>(version), host);
  Object* root = vm.NewObject();
  vm.Run(*vm.Decode(code), root, Value::Obj(root));
  return Join(host.traces);
}

struct Case {
  int version;
  const char* code;
  const char* expected;
};

void RunTable(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(RunCode(c.version, c.code), c.expected) << "v" << c.version << ": " << c.code;
}

TEST(ScriptValues, ConversionsFollowTheVersion) {
  RunTable({
      {6, "push '1', 2; add2; trace", "12"},
      {6, "push 1, undefined; add2; trace", "1"},
      {7, "push 1, undefined; add2; trace", "NaN"},
      {6, "push 'a', undefined; add2; trace", "a"},
      {7, "push 'a', undefined; add2; trace", "aundefined"},
      {6, "push 0.1, 0.2; add2; trace", "0.3"},
      {6, "push 1, 3; divide; trace", "0.333333333333333"},
      {6, "push 1e21; trace; push 1.5e-7; trace; push 123456789012345.6; trace", "1e+21|1.5e-7|123456789012346"},
      {6, "push -0.0; trace; push 1e15; trace; push 100000000000000; trace", "0|1e+15|100000000000000"},
      {6, "push 1, 0; divide; trace; push -1, 0; divide; trace", "Infinity|-Infinity"},
      {4, "push 1, 0; divide; trace", "#ERROR#"},
      {6, "push 0, 0; divide; pushDuplicate; equals2; trace", "false"},
      {6, "push '0x1F', 1, 'Number'; callFunction; trace", "31"},
      {6, "push ' 12 ', 1, 'Number'; callFunction; trace; push '12px', 1, 'Number'; callFunction; trace", "12|NaN"},
      {6, "push '', 1, 'Number'; callFunction; trace", "0"},
      {7, "push '', 1, 'Number'; callFunction; trace", "NaN"},
      {4, "push 'abc', 5; add; trace; push '7up', 1; add; trace", "5|8"},
      {5, "push 'abc', 5; add; trace", "NaN"},
      {6, "push 'true'; not; not; trace; push '2'; not; not; trace", "false|true"},
      {7, "push 'true'; not; not; trace; push ''; not; not; trace", "true|false"},
      {4, "push 2, 2; equals; trace; push 1, 2; less; trace", "1|1"},
      {5, "push 2, 2; equals; trace", "true"},
      {6, "push true; trace; push null; trace; push undefined; trace", "true|null|undefined"},
      {6, "push 'x', undefined; stringAdd; trace", "x"},
      {7, "push 'x', undefined; stringAdd; trace", "xundefined"},
      {6, "push f1.5; trace; push -3; trace", "1.5|-3"},
  });
}

TEST(ScriptValues, ComparisonsAndOperators) {
  RunTable({
      {6, "push 'abc', 'abd'; less2; trace; push 'b', 'a'; greater; trace", "true|true"},
      {6, "push 10, 9; less2; trace; push '10', '9'; less2; trace", "false|true"},
      {6, "push 1, 'x'; less2; trace", "undefined"},
      {6, "push 1, '1'; equals2; trace; push 1, '1'; strictEquals; trace", "true|false"},
      {6, "push undefined, null; equals2; trace; push undefined, null; strictEquals; trace", "true|false"},
      {6, "push true, 1; equals2; trace; push 'a', 'a'; strictEquals; trace", "true|true"},
      {6, "push 7, 3; modulo; trace; push -7, 3; modulo; trace", "1|-1"},
      {6, "push -2.5; toInteger; trace; push 4294967297; toInteger; trace", "-2|1"},
      {6, "push 5, 3; bitAnd; trace; push 5, 3; bitOr; trace; push 5, 3; bitXor; trace", "1|7|6"},
      {6, "push 1, 31; bitLShift; trace; push -16, 2; bitRShift; trace; push -1, 28; bitURShift; trace",
       "-2147483648|-4|15"},
      {6, "push 5; increment; trace; push 'a'; decrement; trace", "6|NaN"},
      {6, "push 3, 4; subtract; trace; push 3, 4; multiply; trace", "-1|12"},
      {6, "push true, false; and; trace; push true, false; or; trace", "false|true"},
      {6, "push 1; typeOf; trace; push 'a'; typeOf; trace; push null; typeOf; trace; push undefined; typeOf; trace",
       "number|string|null|undefined"},
      {6, "push 0, 'Object'; newObject; typeOf; trace; push true; typeOf; trace", "object|boolean"},
      {6, "push '12'; toNumber; trace; push 12; toString; push 'x'; add2; trace", "12|12x"},
  });
}

TEST(ScriptValues, StringActions) {
  RunTable({
      {4, "push 'hello', 2, 3; stringExtract; trace; push 'hello', 0, -1; stringExtract; trace", "ell|hello"},
      {4, "push 'hello'; stringLength; trace; push 'ab', 'cd'; stringAdd; trace", "5|abcd"},
      {4, "push 'A'; charToAscii; trace; push 66; asciiToChar; trace", "65|B"},
      {6, "push 'hello', 4, 9; mbStringExtract; trace; push 'hé'; mbStringLength; trace", "lo|2"},
      {5, "push 'a', 'b'; stringLess; trace; push 'a', 'a'; stringEquals; trace; push 'b', 'a'; stringGreater; trace",
       "true|true|true"},
  });
}

TEST(ScriptNames, VariablesRegistersAndPools) {
  RunTable({
      {6, "push 'Foo', 1; setVariable; push 'foo'; getVariable; trace", "1"},
      {7, "push 'Foo', 1; setVariable; push 'foo'; getVariable; trace; push 'Foo'; getVariable; trace",
       "undefined|1"},
      {6, "push 0, 'Object'; newObject; pushDuplicate; push 'Ab', 2; setMember; push 'aB'; getMember; trace", "2"},
      {7, "push 0, 'Object'; newObject; pushDuplicate; push 'Ab', 2; setMember; push 'aB'; getMember; trace",
       "undefined"},
      {6, "push 5; storeRegister 1; pop; push r:1; trace; push r:200; trace", "5|undefined"},
      {6, "constants 'a' 'b'; push c:1; trace; push c:9; trace", "b|undefined"},
      {6, "push 'x', 3; setVariable; push 'x'; delete2; trace; push 'x'; getVariable; trace", "true|undefined"},
      {6, "push 'v', 1; defineLocal; push 'v'; defineLocal2; push 'v'; getVariable; trace", "1"},
      {6, "push 'o', 0, 'Object'; newObject; setVariable; push 'o'; getVariable; push 'p', 4; setMember; "
          "push 'o.p'; getVariable; trace; push 'o.p', 5; setVariable; push 'o.p'; getVariable; trace",
       "4|5"},
      {6, "push 'this'; getVariable; typeOf; trace; push '_global'; getVariable; push 'Math'; getMember; typeOf; trace",
       "object|object"},
  });
}

TEST(ScriptFunctions, CallsClosuresRegistersAndArguments) {
  RunTable({
      {6, "function f (a, b) { push 'a'; getVariable; push 'b'; getVariable; add2; return }; "
          "push 2, 1, 2, 'f'; callFunction; trace",
       "3"},
      {7, "function2 g regs=3 flags=0 (r1:a, r2:b) { push r:1, r:2; multiply; return }; "
          "push 4, 3, 2, 'g'; callFunction; trace",
       "12"},
      // A closure keeps the local of the call that made it.
      {6, "function make (n) { function '' () { push 'n'; getVariable; return }; return }; "
          "push 7, 1, 'make'; callFunction; storeRegister 1; pop; push 8, 1, 'make'; callFunction; pop; "
          "push 0, r:1, undefined; callMethod; trace",
       "7"},
      {6, "function f () { push 'arguments'; getVariable; push 'length'; getMember; return }; "
          "push 3, 2, 1, 3, 'f'; callFunction; trace",
       "3"},
      // Preloaded registers: this (1), arguments (2), _global (3).
      {7, "function2 h regs=4 flags=0x105 () { push r:2, 'length'; getMember; trace; push r:3, 'Math'; getMember; "
          "typeOf; trace; push r:1; typeOf; trace }; push 9, 1, 'h'; callFunction; pop",
       "1|object|object"},
      // Recursion: factorial of 10.
      {7, "function2 fact regs=2 flags=0 (r1:n) { push r:1, 2; less2; not; if more; push 1; return; "
          "more: push r:1, 1; subtract; push 1, 'fact'; callFunction; push r:1; multiply; return }; "
          "push 10, 1, 'fact'; callFunction; trace",
       "3628800"},
      {6, "function f () { push 'x'; return }; push 0, 'f'; getVariable; push 'call'; callMethod; trace", "x"},
      {6, "function f (a) { push 'this'; getVariable; push 'k'; getMember; push 'a'; getVariable; add2; return }; "
          "push 'o', 'k', 'K', 1; initObject; setVariable; push 'z', 1; initArray; push 'o'; getVariable; "
          "push 2, 'f'; getVariable; push 'apply'; callMethod; trace",
       "Kz"},
  });
}

TEST(ScriptFunctions, TryCatchFinallyAndThrow) {
  RunTable({
      {7, "try catch=e { push 'boom'; throw } catch { push 'e'; getVariable; trace } finally { push 'fin'; trace }; "
          "push 'after'; trace",
       "boom|fin|after"},
      {7, "function t () { push 'deep'; throw }; "
          "try catch=r:1 { push 0, 't'; callFunction; push 'not here'; trace } catch { push r:1; trace }",
       "deep"},
      // No catch: the finally runs and the throw goes on to the outer try.
      {7, "try catch=e { try { push 'inner'; throw } finally { push 'f1'; trace } } catch { push 'e'; getVariable; "
          "trace }",
       "f1|inner"},
      // A return inside try runs the finally first.
      {7, "function f () { try { push 1; return } finally { push 'f'; trace } }; push 0, 'f'; callFunction; trace",
       "f|1"},
      {7, "try { push 'ok'; trace } catch { push 'no'; trace } finally { push 'fin'; trace }", "ok|fin"},
      // An uncaught throw ends the list.
      {7, "push 'a'; trace; push 'x'; throw; push 'b'; trace", "a"},
      {7, "push 'o', 'x', 5, 1; initObject; setVariable; push 'o'; getVariable; with { push 'x'; getVariable; trace "
          "}; push 'x'; getVariable; trace",
       "5|undefined"},
  });
}

TEST(ScriptObjects, PrototypesExtendsAndSuper) {
  const char* classes =
      "function A () { push 'this'; getVariable; push 'v', 1; setMember }; "
      "push 'A'; getVariable; push 'prototype'; getMember; push 'hello'; "
      "function '' () { push 'hi '; push 'this'; getVariable; push 'v'; getMember; add2; return }; setMember; "
      "function B () { push 0, 'super'; getVariable; push undefined; callMethod; pop; push 'this'; getVariable; "
      "push 'w', 2; setMember }; "
      "push 'B'; getVariable; push 'A'; getVariable; extends; "
      "push 0, 'B'; newObject; storeRegister 1; pop; ";
  auto with = [&](const std::string& rest) { return std::string(classes) + rest; };
  const std::string a = with("push 0, r:1, 'hello'; callMethod; trace");
  const std::string b = with("push r:1, 'A'; getVariable; instanceOf; trace; push r:1, 'w'; getMember; trace");
  const std::string c = with("push 'A'; getVariable; push r:1; castOp; typeOf; trace; "
                             "push 'Array'; getVariable; push r:1; castOp; trace");
  const std::string d = with("push r:1, '__proto__'; getMember; push 'B'; getVariable; push 'prototype'; getMember; "
                             "strictEquals; trace");
  RunTable({{7, a.c_str(), "hi 1"}, {7, b.c_str(), "true|2"}, {7, c.c_str(), "object|null"}, {7, d.c_str(), "true"}});
}

TEST(ScriptObjects, PropertiesAccessorsWatchAndEnumeration) {
  RunTable({
      // for..in lists the newest first and skips hidden names.
      {6, "push 'o', 'a', 1, 'b', 2, 'c', 3, 3; initObject; setVariable; "
          "push 1, 'b', 'o'; getVariable; push 3, 'ASSetPropFlags'; callFunction; pop; "
          "push 'o'; enumerate; loop: storeRegister 1; push null; equals2; if done; push r:1; trace; jump loop; done:",
       "c|a"},
      {6, "push 'o', 0, 'Object'; newObject; setVariable; "
          "function get () { push 'got'; return }; function set (v) { push 'v'; getVariable; trace }; "
          "push 'set'; getVariable; push 'get'; getVariable; push 'p', 3, 'o'; getVariable; push 'addProperty'; "
          "callMethod; pop; push 'o'; getVariable; push 'p'; getMember; trace; push 'o'; getVariable; push 'p', 'x'; "
          "setMember",
       "got|x"},
      {6, "push 'o', 0, 'Object'; newObject; setVariable; "
          "function w (name, old, nu) { push 'nu'; getVariable; push 10; multiply; return }; "
          "push 'w'; getVariable; push 'p', 2, 'o'; getVariable; push 'watch'; callMethod; pop; "
          "push 'o'; getVariable; push 'p', 4; setMember; push 'o'; getVariable; push 'p'; getMember; trace",
       "40"},
      {6, "push 'o', 'k', 1, 1; initObject; setVariable; push 'k', 1, 'o'; getVariable; push 'hasOwnProperty'; "
          "callMethod; trace; push 'o'; getVariable; push 'k'; delete; trace; push 'o'; getVariable; push 'k'; "
          "getMember; trace",
       "true|true|undefined"},
  });
}

// An array literal of the numbers or texts, sorted by flags (or a function), joined.
std::string SortProgram(const std::string& items, int count, const std::string& sortArgs) {
  return "push " + items + ", " + std::to_string(count) + "; initArray; storeRegister 1; pop; push " + sortArgs +
         ", r:1, 'sort'; callMethod; storeRegister 2; pop; push r:1; trace; push r:2; trace";
}

TEST(ScriptArrays, SortWithEachFlag) {
  // initArray takes the first element from the top of the stack.
  const std::string numbers = "100, 20, 3", texts = "'C', 'a', 'b'", twice = "1, 2, 1";
  const std::string progs[] = {
      SortProgram(numbers, 3, "0"),
      SortProgram(numbers, 3, "16, 1"),
      SortProgram(numbers, 3, "18, 1"),
      SortProgram(texts, 3, "0"),
      SortProgram(texts, 3, "1, 1"),
      SortProgram(texts, 3, "3, 1"),
      SortProgram(twice, 3, "4, 1"),
      SortProgram("10, 30, 20", 3, "24, 1"),
      "function desc (a, b) { push 'b'; getVariable; push 'a'; getVariable; subtract; return }; " +
          SortProgram("2, 3, 1", 3, "'desc'; getVariable; push 1"),
  };
  RunTable({
      {7, progs[0].c_str(), "100,20,3|100,20,3"},
      {7, progs[1].c_str(), "3,20,100|3,20,100"},
      {7, progs[2].c_str(), "100,20,3|100,20,3"},
      {7, progs[3].c_str(), "C,a,b|C,a,b"},
      {7, progs[4].c_str(), "a,b,C|a,b,C"},
      {7, progs[5].c_str(), "C,b,a|C,b,a"},
      {7, progs[6].c_str(), "1,2,1|0"},
      {7, progs[7].c_str(), "20,30,10|2,0,1"},
      {7, progs[8].c_str(), "3,2,1|3,2,1"},
  });
}

TEST(ScriptArrays, MethodsAndSortOn) {
  const char* people =
      "push 'n', 'b', 'a', 2, 2; initObject; push 'n', 'a', 'a', 10, 2; initObject; push 'n', 'c', 'a', 1, 2; "
      "initObject; push 3; initArray; storeRegister 1; pop; ";
  const std::string byN = std::string(people) +
                          "push 'n', 1, r:1, 'sortOn'; callMethod; pop; push 0, r:1, 'length'; getMember; trace; "
                          "push r:1, 0; getMember; push 'n'; getMember; trace";
  const std::string byA = std::string(people) +
                          "push 18, 'a', 2, r:1, 'sortOn'; callMethod; pop; push r:1, 0; getMember; push 'n'; getMember; "
                          "trace";
  RunTable({
      {7, byN.c_str(), "3|a"},
      {7, byA.c_str(), "a"},
      {7, "push 3, 2, 1, 3; initArray; storeRegister 1; push 4, 1, r:1, 'push'; callMethod; trace; "
          "push 0, r:1, 'pop'; callMethod; trace; push 0, r:1, 'shift'; callMethod; trace; push r:1; trace",
       "4|4|1|2,3"},
      {7, "push 5, 4, 3, 2, 1, 5; initArray; storeRegister 1; push 'x', 2, 1, 3, r:1, 'splice'; callMethod; trace; "
          "push r:1; trace; push -1, 1, r:1, 'slice'; callMethod; trace",
       "2,3|1,x,4,5|5"},
      {7, "push 2, 1, 2; initArray; storeRegister 1; pop; push 4, 3, 2; initArray; push 1, r:1, 'concat'; "
          "callMethod; storeRegister 2; pop; push '-', 1, r:2, 'join'; callMethod; trace; push 0, r:1, 'reverse'; "
          "callMethod; trace",
       "1-2-3-4|2,1"},
      {7, "push 0, 'Array'; newObject; storeRegister 1; push 3, 9; setMember; push r:1, 'length'; getMember; trace; "
          "push r:1, 'length', 1; setMember; push r:1; trace",
       "4|undefined"},
      {6, "push 3, 1, 'Array'; newObject; push 'length'; getMember; trace", "3"},
  });
}

TEST(ScriptBuiltins, StringMathNumberDateAndGlobals) {
  RunTable({
      {7, "push -3, 2, 2, 'hello', 'substr'; callMethod; trace", ""},
      {7, "push 2, -3, 2, 'hello'; push 'substr'; callMethod; trace", "ll"},
      {7, "push 0, 'hello'; push 'toUpperCase'; callMethod; trace; push 'l', 1, 'hello', 'lastIndexOf'; "
          "callMethod; trace",
       "HELLO|3"},
      {7, "push ',', 1, 'a,b,,c', 'split'; callMethod; push 'length'; getMember; trace; "
          "push 4, 1, 2, 'hello', 'substring'; callMethod; trace; push 1, 1, 'abc', 'charCodeAt'; callMethod; trace",
       "4|ell|98"},
      {7, "push 'hello', 'length'; getMember; trace; push 67, 66, 2, 'String'; getVariable; push 'fromCharCode'; "
          "callMethod; trace",
       "5|BC"},
      {7, "push '08', 1, 'parseInt'; callFunction; trace; push '010', 1, 'parseInt'; callFunction; trace; "
          "push '0x10', 1, 'parseInt'; callFunction; trace; push 'ff', 1, 'parseInt'; callFunction; trace",
       "0|8|16|NaN"},
      {7, "push 16, 'ff', 2, 'parseInt'; callFunction; trace; push '3.5e2x', 1, 'parseFloat'; callFunction; trace; "
          "push 'x', 1, 'parseFloat'; callFunction; trace",
       "255|350|NaN"},
      {7, "push 'x', 1, 'isNaN'; callFunction; trace; push 1, 0; divide; push 1, 'isFinite'; callFunction; trace",
       "true|false"},
      {6, "push 'a b&\\xC3\\xBC', 1, 'escape'; callFunction; storeRegister 1; trace; push r:1, 1, 'unescape'; "
          "callFunction; push 'a b&\\xC3\\xBC'; equals2; trace",
       "a%20b%26%C3%BC|true"},
      {7, "push 8, 2, 2, 'Math'; getVariable; push 'pow'; callMethod; trace; push 2.5, 1, 'Math'; getVariable; "
          "push 'round'; callMethod; trace; push 0, 'Math'; getVariable; push 'max'; callMethod; trace",
       "256|3|-Infinity"},
      {7, "push 2, 1, 255, 1, 'Number'; newObject; push 'toString'; callMethod; trace; push 'Number'; getVariable; "
          "push 'MAX_VALUE'; getMember; trace",
       "11111111|1.79769313486232e+308"},
      {7, "push 1, 0, 2000, 3, 'Date'; getVariable; push 'UTC'; callMethod; storeRegister 1; trace; "
          "push r:1, 1, 'Date'; newObject; storeRegister 2; push 0; stackSwap; push 'getUTCDay'; callMethod; trace; "
          "push 0, r:2, 'getUTCFullYear'; callMethod; trace; push 2, 1, 2, r:2, 'setUTCMonth'; callMethod; pop; "
          "push 0, r:2, 'getUTCMonth'; callMethod; trace; push 0, r:2, 'getUTCDate'; callMethod; trace",
       "946684800000|6|2000|1|2"},
      {7, "push 0, 'Date'; newObject; push 0; stackSwap; push 'getTime'; callMethod; trace", "946684800000"},
      {7, "push 'm', 1, 'Error'; newObject; storeRegister 1; push 'message'; getMember; trace; push r:1; trace",
       "m|m"},
      {7, "push 0, 'getVersion'; callFunction; trace", "WIN 32,0,0,0"},
  });
}

TEST(ScriptData, XmlParsesAndPrints) {
  RunTable({
      {7, "push \"<?xml version='1.0'?><a x='1'><b>hi &amp; bye</b><c/></a>\", 1, 'XML'; newObject; "
          "storeRegister 1; push 'firstChild'; getMember; storeRegister 2; push 'attributes'; getMember; "
          "push 'x'; getMember; trace; push r:2, 'firstChild'; getMember; push 'firstChild'; getMember; "
          "push 'nodeValue'; getMember; trace; push 0, r:1, 'toString'; callMethod; trace; push r:1, 'status'; "
          "getMember; trace; push r:2, 'childNodes'; getMember; push 'length'; getMember; trace",
       "1|hi & bye|<?xml version='1.0'?><a x=\"1\"><b>hi &amp; bye</b><c /></a>|0|2"},
      {7, "push '<a><b></a>', 1, 'XML'; newObject; push 'status'; getMember; trace", "-10"},
      {7, "push 0, 'XML'; newObject; storeRegister 1; push 'n', 1, r:1, 'createElement'; callMethod; "
          "storeRegister 2; push 1, r:1, 'appendChild'; callMethod; pop; push 't', 1, r:1, 'createTextNode'; "
          "callMethod; push 1, r:2, 'appendChild'; callMethod; pop; push r:1, 1, r:2, 'appendChild'; callMethod; "
          "pop; push 0, r:1, 'toString'; callMethod; trace",
       "<n>t</n>"},
  });
}

TEST(ScriptData, LoadVarsBroadcastersAndKeys) {
  RunTable({
      {7, "push 0, 'LoadVars'; newObject; storeRegister 1; push 'a=1&b=x%20y', 1, r:1, 'decode'; callMethod; pop; "
          "push r:1, 'b'; getMember; trace; push 0, r:1, 'toString'; callMethod; trace",
       "x y|b=x%20y&a=1"},
      {7, "push 'o', 0, 'Object'; newObject; setVariable; push 'o'; getVariable; push 1, 'AsBroadcaster'; "
          "getVariable; push 'initialize'; callMethod; pop; push 'L', 'onPing'; "
          "function '' (x) { push 'x'; getVariable; trace }; push 1; initObject; setVariable; "
          "push 'L'; getVariable; push 1, 'o'; getVariable; push 'addListener'; callMethod; pop; "
          "push 5, 'onPing', 2, 'o'; getVariable; push 'broadcastMessage'; callMethod",
       "5"},
  });
  Session s;
  s.host.files[L"data.txt"] = "v=42&w=%C3%BC";
  EXPECT_EQ(s.Run("push 'lv', 0, 'LoadVars'; newObject; setVariable; push 'lv'; getVariable; push 'onLoad'; "
                  "function '' (ok) { push 'ok'; getVariable; trace; push 'this'; getVariable; push 'v'; "
                  "getMember; trace }; setMember; push 'data.txt', 1, 'lv'; getVariable; push 'load'; callMethod; "
                  "trace; push 'missing.txt', 1, 'lv'; getVariable; push 'load'; callMethod; pop"),
            "true");
  EXPECT_EQ(s.Later(), "true|42|false|42");  // the file, then the missing one
  s.vm->SetKey(37, 0, true);
  EXPECT_EQ(s.Run("push 37, 1, 'Key'; getVariable; push 'isDown'; callMethod; trace; push 0, 'Key'; getVariable; "
                  "push 'getCode'; callMethod; trace; push 38, 1, 'Key'; getVariable; push 'isDown'; callMethod; trace"),
            "true|37|false");
  s.Run("push 'K', 'onKeyDown'; function '' () { push 'down'; trace }; push 1; initObject; setVariable; "
        "push 'K'; getVariable; push 1, 'Key'; getVariable; push 'addListener'; callMethod");
  s.host.traces.clear();
  s.vm->Broadcast(s.vm->GlobalObject(L"Key"), L"onKeyDown");
  EXPECT_EQ(Join(s.host.traces), "down");
}

TEST(ScriptData, SharedObjectsOutliveTheMovieAndStayInTheirFolder) {
  testing_support::TempDir dir;
  const std::wstring folder = dir.File(L"so\\");
  {
    Session s;
    s.host.sharedFolder = folder;
    EXPECT_EQ(s.Run("push 'prefs', 1, 'SharedObject'; getVariable; push 'getLocal'; callMethod; storeRegister 1; "
                    "push 'data'; getMember; push 'score', 7; setMember; push r:1, 'data'; getMember; push 'list', "
                    "'a', 2, 2; initArray; setMember; push 0, r:1, 'flush'; callMethod; trace; "
                    "push '../../escape', 1, 'SharedObject'; getVariable; push 'getLocal'; callMethod; "
                    "push 'data'; getMember; push 'x', 1; setMember"),
              "true");
    s.vm->FlushSharedObjects();  // the movie unloads
  }
  Session again;
  again.host.sharedFolder = folder;
  EXPECT_EQ(again.Run("push 'prefs', 1, 'SharedObject'; getVariable; push 'getLocal'; callMethod; "
                      "push 'data'; getMember; storeRegister 1; push 'score'; getMember; trace; "
                      "push r:1, 'list'; getMember; trace"),
            "7|2,a");
  EXPECT_NE(GetFileAttributesW((folder + L"______escape.sol").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(dir.File(L"escape.sol").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ScriptTimers, IntervalsRunAtMostOncePerLookAndClear) {
  Recorder host;
  Vm vm(7, host);
  Object* root = vm.NewObject();
  vm.Pin(Value::Obj(root));
  std::vector<uint8_t> code = actions::Assemble(
      "function tick (a) { push 'a'; getVariable; trace }; "
      "push 'id', 'x', 100, 'tick'; getVariable; push 3, 'setInterval'; callFunction; setVariable; "
      "push 'y', 50, 'tick'; getVariable; push 3, 'setTimeout'; callFunction; pop");
  code.push_back(0);
  ASSERT_TRUE(vm.Run(*vm.Decode(code), root, Value::Obj(root)));
  host.now += 0.06;
  vm.RunTimers();
  EXPECT_EQ(Join(host.traces), "y");
  host.now += 10;  // long overdue: still once
  vm.RunTimers();
  EXPECT_EQ(Join(host.traces), "y|x");
  std::vector<uint8_t> clear = actions::Assemble("push 'id'; getVariable; push 1, 'clearInterval'; callFunction");
  clear.push_back(0);
  vm.Run(*vm.Decode(clear), root, Value::Obj(root));
  host.now += 10;
  vm.RunTimers();
  EXPECT_EQ(Join(host.traces), "y|x");
  EXPECT_FALSE(vm.HasTimers());
}

TEST(ScriptSafety, BoundsStopTheScriptWithAWarning) {
  struct Bound {
    const char* code;
    const char* warning;  // a part of the warning
  };
  const Bound bounds[] = {
      {"push 'a'; trace; loop: jump loop; push 'b'; trace", "15 seconds"},
      {"push 'a'; trace; function f () { push 0, 'f'; callFunction }; push 0, 'f'; callFunction; push 'b'; trace",
       "256 levels"},
      {"push 'a'; trace; push 'x'; storeRegister 1; loop: push r:1, r:1; add2; storeRegister 1; pop; jump loop",
       "string grew"},
      {"push 'a'; trace; push 0; initArray; push 100000000, 1; setMember", "array grew"},
      {"push 'a'; trace; loop: push 1; jump loop", "stack overflowed"},
  };
  for (const Bound& b : bounds) {
    Recorder host;
    host.step = 0.5;  // every look at the clock finds it half a second later
    RunCode(7, b.code, &host);
    EXPECT_EQ(Join(host.traces), "a") << b.code;
    ASSERT_EQ(host.warnings.size(), 1u) << b.code;
    EXPECT_NE(host.warnings[0].find(Utf8ToWide(b.warning)), std::wstring::npos) << WideToUtf8(host.warnings[0]);
  }
}

TEST(ScriptSafety, CodeThatLeavesItsRecordEndsThere) {
  RunTable({
      // A jump past the record, one into the middle of an action, one into a function body.
      {7, "push 'a'; trace; raw 0x99 0x02 0x00 0x00 0x40; push 'b'; trace", "a"},
      {7, "push 'a'; trace; raw 0x99 0x02 0x00 0x02 0x00; push 'b'; trace", "a"},
      {7, "push 'a'; trace; raw 0x99 0x02 0x00 0x05 0x00; function f () { push 'in'; trace }; push 'b'; trace", "a"},
      // A function body, a with block and a try block longer than the record.
      {7, "push 'a'; trace; raw 0x9B 0x05 0x00 0x66 0x00 0x00 0x00 0xFF; push 'b'; trace", "a"},
      {7, "push 'a'; trace; push 0, 'Object'; newObject; raw 0x94 0x02 0x00 0xFF 0x7F; push 'b'; trace", "a"},
      {7, "push 'a'; trace; raw 0x96 0x03 0x00 0x00 0x61; push 'b'; trace", "a"},
      {7, "push 'a'; trace; raw 0x96 0x02 0x00 0x0F 0x00; push 'b'; trace", "a"},
      {7, "push 'a'; trace; raw 0x8E 0x03 0x00 0x00 0x01", "a"},
  });
}

// Codes no action has (and those our own instructions once shared) do
// nothing wherever they stand, in both record forms, in every version.
TEST(ScriptSafety, UndefinedActionsDoNothing) {
  for (int version = 4; version <= 7; ++version) {
    RunTable({
        {version, "raw 0x01", ""},
        {version, "push 'a'; trace; raw 0x01; trace", "a|undefined"},
        {version, "constants 'p'; push 'a'; trace; raw 0x02; trace; raw 0x03; trace", "a|undefined|undefined"},
        {version, "raw 0x01 0x02 0x03 0x16 0x19 0x1A 0x1B 0x1E 0x1F 0x2F 0x5F 0x7F; push 'b'; trace", "b"},
        {version, "raw 0x80 0x00 0x00 0xA0 0x02 0x00 0x01 0x02 0xFF 0x01 0x00 0x00; push 'b'; trace", "b"},
    });
  }
  RunTable({
      // Inside a function: no early return.
      {7, "function f () { push 'in'; trace; raw 0x1E; push 'on'; trace }; push 0, 'f'; callFunction; pop", "in|on"},
      {7, "function2 f regs=2 () { push 'in'; trace; raw 0x1E 0x01; push 'on'; trace }; push 0, 'f'; callFunction; "
          "pop", "in|on"},
      // Inside a try and a with: their bodies run to their ends.
      {7, "try catch=e { push 'x'; trace; raw 0x19; push 'y'; trace } catch { push 'c'; trace }; push 'z'; trace",
       "x|y|z"},
      {7, "try catch=e { push 'x'; throw } catch { raw 0x1A; push 'c'; trace } finally { raw 0x1B; push 'f'; trace }",
       "c|f"},
      {7, "push 'k', 1, 1; initObject; with { raw 0x16; push 'k'; getVariable; trace }", "1"},
      // Registers a function does not have read as undefined and take nothing.
      {7, "function2 f regs=2 () { push 5; storeRegister 3; pop; push r:3; trace; push r:1; trace }; "
          "push 0, 'f'; callFunction; pop", "undefined|undefined"},
      {7, "push 9; storeRegister 4; pop; push r:4; trace; push r:3; trace", "undefined|undefined"},
  });
}

// A runaway script outlasts its budget: it is stopped, and so is every later
// script of the movie; the runs of one turn of the host share the budget;
// an interrupted host stops them at once.
TEST(ScriptSafety, ARunawayStopsTheMoviesScriptsForGood) {
  auto code = [](const char* text) {
    std::vector<uint8_t> c = actions::Assemble(text);
    c.push_back(0);
    return c;
  };
  // Ten seconds on the clock (a tenth of a millisecond at every look), then "done".
  const auto tenSeconds = code("getTime; storeRegister 1; pop; loop: getTime; push r:1; subtract; push 10000; less2; "
                               "if loop; push 'done'; trace");
  const auto endless = code("loop: jump loop");
  const auto later = code("push 'later'; trace");
  struct Case {
    const char* name;
    double budget;  // 0: the interpreter's own
    bool sameTurn;
    const char* traces;
    const char* warning;
  };
  const Case cases[] = {
      {"own turns", 0, false, "done|done", ""},
      {"one turn", 0, true, "done", "15 seconds"},
      {"short budget", 5, false, "", "5 seconds"},
  };
  for (const Case& c : cases) {
    Recorder host;
    host.step = 0.0001;
    Vm vm(7, host);
    if (c.budget) vm.SetBudget(c.budget);
    Object* root = vm.NewObject();
    vm.Pin(Value::Obj(root));
    for (int run = 0; run < 2; ++run) {
      host.turn = c.sameTurn ? 1 : static_cast<uint64_t>(run + 1);
      vm.Run(*vm.Decode(tenSeconds), root, Value::Obj(root));
    }
    EXPECT_EQ(Join(host.traces), c.traces) << c.name;
    EXPECT_EQ(host.warnings.size(), *c.warning ? 1u : 0u) << c.name;
    if (!host.warnings.empty()) {
      EXPECT_NE(host.warnings[0].find(Utf8ToWide(c.warning)), std::wstring::npos) << c.name;
    }
  }
  // Stopped for good: a later run, a timer and a call do nothing, and warn no more.
  for (bool interrupt : {false, true}) {
    Recorder host;
    host.step = interrupt ? 0 : 1;  // an interrupted host's clock need not move
    Vm vm(7, host);
    Object* root = vm.NewObject();
    vm.Pin(Value::Obj(root));
    const auto timer = code("function tick () { push 'tick'; trace }; push 10, 'tick'; getVariable; "
                            "push 2, 'setInterval'; callFunction; pop; push 'f'; function '' () { push 'call'; "
                            "trace }; setVariable");
    ASSERT_TRUE(vm.Run(*vm.Decode(timer), root, Value::Obj(root)));
    host.interrupted = interrupt;
    EXPECT_FALSE(vm.Run(*vm.Decode(endless), root, Value::Obj(root)));
    EXPECT_TRUE(vm.Halted());
    host.interrupted = false;
    vm.Run(*vm.Decode(later), root, Value::Obj(root));
    host.now += 1;
    vm.RunTimers();
    vm.Call(vm.Get(Value::Obj(root), vm.Intern(L"f")), Value::Obj(root), {});
    EXPECT_EQ(Join(host.traces), "") << interrupt;
    ASSERT_EQ(host.warnings.size(), 1u) << interrupt;
    EXPECT_NE(host.warnings[0].find(interrupt ? L"closing" : L"15 seconds"), std::wstring::npos);
  }
}

TEST(ScriptSafety, GarbageIsCollectedAndMemoryBounded) {
  Recorder host;
  Vm vm(7, host, size_t(64) << 20);
  Object* root = vm.NewObject();
  vm.Pin(Value::Obj(root));  // as the player keeps its clips
  // 200,000 objects of which only the last lives.
  std::vector<uint8_t> code = actions::Assemble(
      "push 0; storeRegister 1; pop; loop: push 'keep', 'n', r:1, 1; initObject; setVariable; "
      "push r:1; increment; storeRegister 1; push 200000; less2; if loop; push 'keep'; getVariable; push 'n'; "
      "getMember; trace");
  code.push_back(0);
  vm.Run(*vm.Decode(code), root, Value::Obj(root));
  EXPECT_EQ(Join(host.traces), "199999");
  EXPECT_TRUE(host.warnings.empty());
  vm.Collect();
  EXPECT_LT(vm.GetHeap().Bytes(), size_t(8) << 20);
  // Everything kept alive: the heap's limit stops it.
  std::vector<uint8_t> hoard = actions::Assemble(
      "push 0; initArray; storeRegister 1; loop: push 0, 'Object'; newObject; push 1, r:1, 'push'; callMethod; pop; "
      "jump loop");
  hoard.push_back(0);
  EXPECT_FALSE(vm.Run(*vm.Decode(hoard), root, Value::Obj(root)));
  ASSERT_FALSE(host.warnings.empty());
  EXPECT_NE(host.warnings.back().find(L"memory"), std::wstring::npos);
}

}  // namespace
