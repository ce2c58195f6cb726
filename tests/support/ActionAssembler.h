// A small assembler of action records for the tests and the benchmarks:
// text in, the bytes of a DoAction body out (without its end action).
//
//   statements are separated by ";" or line breaks; "#" starts a comment
//   name:                         a jump target
//   push 'text' "text" 12 -3 1.5 f1.5 true false null undefined r:2 c:0
//                                 (f: a 32-bit float, r: register, c: constant-pool index)
//   add2, getMember, trace ...    any action without data, by its name
//   gotoFrame 3 | gotoLabel 'x' | getURL 'url' 'target' | setTarget 'x' | storeRegister 1
//   constants 'a' 'b' | waitForFrame 5 1 | waitForFrame2 1 | getURL2 0x40 | gotoFrame2 1 [bias]
//   jump label | if label
//   function name (a, b) { ... }          (name may be '' for an anonymous function)
//   function2 name regs=4 flags=0x1 (r1:a, 0:b) { ... }
//   with { ... }
//   try catch=e { ... } catch { ... } finally { ... }   (catch=r:1 for a register)
//   raw 0x96 0x02 0x00 ...                bytes as they are
//
// Malformed text yields an empty record and an error message.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace actions {

std::vector<uint8_t> Assemble(const std::string& text, std::string* error = nullptr);

}  // namespace actions
