// A small compiler for the tests: a subset of the action language's source
// text in, assembler text (see ActionAssembler.h) out, so a test reads as
// the script a movie's author wrote.
//
//   statements: var a = 1, b;  a = e;  a.b[c] += e;  i++;  e;  trace(e);
//               if (e) s else s   while (e) s   for (init; e; step) s
//               for (var k in e) s   function f(a, b) { ... }   return e;
//               { ... }
//   expressions: numbers (0x hex), 'text' and "text", true false null
//               undefined this, names, a.b, a[b], calls f(x) and a.b(x),
//               new a.B(x), [1, 2], {a: 1}, function (a) { ... },
//               ! - ~ typeof, * / %, + -, << >> >>>, < > <= >=
//               instanceof, == != === !==, & ^ |, && ||, ?:
//
// Assignments are statements, not expressions. Malformed source yields
// empty text and an error message.
#pragma once
#include <string>

namespace actions {

std::string CompileScript(const std::string& source, std::string* error = nullptr);

}  // namespace actions
