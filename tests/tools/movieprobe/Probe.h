// The probe's command table: each command file registers its commands with a
// static ProbeCommand object; output goes to stdout as UTF-8 lines.
#pragma once
#include <string>
#include <vector>

namespace probe {

using Args = std::vector<std::wstring>;
using CommandFn = int (*)(const Args& args);

struct ProbeCommand {
  ProbeCommand(const wchar_t* name, const wchar_t* usage, CommandFn fn);
};

// Writes one line (a "\n" is added) to stdout as UTF-8.
void Out(const std::wstring& line);
// Writes "Name=Value".
void Out(const std::wstring& name, const std::wstring& value);
// Writes a message to stderr as UTF-8 and returns 2 (usage errors).
int Fail(const std::wstring& message);

}  // namespace probe
