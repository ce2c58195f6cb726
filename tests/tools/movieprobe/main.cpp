// movieprobe: drives the program's libraries from the command line.
#include <windows.h>

#include <cstdio>
#include <map>

#include "Probe.h"
#include "base/TextConv.h"

namespace probe {
namespace {

struct Entry {
  std::wstring usage;
  CommandFn fn;
};

std::map<std::wstring, Entry>& Table() {
  static std::map<std::wstring, Entry> table;
  return table;
}

void WriteUtf8(FILE* f, const std::wstring& text) {
  std::string bytes = WideToUtf8(text);
  bytes += '\n';
  fwrite(bytes.data(), 1, bytes.size(), f);
}

}  // namespace

ProbeCommand::ProbeCommand(const wchar_t* name, const wchar_t* usage, CommandFn fn) {
  Table()[name] = Entry{usage, fn};
}

void Out(const std::wstring& line) { WriteUtf8(stdout, line); }
void Out(const std::wstring& name, const std::wstring& value) { WriteUtf8(stdout, name + L"=" + value); }

int Fail(const std::wstring& message) {
  WriteUtf8(stderr, message);
  return 2;
}

}  // namespace probe

int wmain(int argc, wchar_t** argv) {
  auto& table = probe::Table();
  if (argc < 2 || table.find(argv[1]) == table.end()) {
    probe::Out(L"usage: movieprobe COMMAND [ARGS]");
    for (const auto& [name, entry] : table) probe::Out(L"  " + name + L" " + entry.usage);
    return 2;
  }
  probe::Args args(argv + 2, argv + argc);
  int rc = table[argv[1]].fn(args);
  fflush(stdout);
  return rc;
}
