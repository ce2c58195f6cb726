#include "saver/SaverCommandLine.h"

#include "base/TextConv.h"

namespace saver {
namespace {

std::wstring Trimmed(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return L"";
  return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// A window handle written in decimal, as the system writes it; none for
// anything else (no digits, stray characters, a number too long for a handle).
HWND WindowNumber(const std::wstring& text) {
  if (text.empty() || text.size() > 20) return nullptr;
  unsigned long long value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return nullptr;
    const unsigned long long next = value * 10 + static_cast<unsigned>(c - L'0');
    if (next / 10 != value) return nullptr;  // overflow
    value = next;
  }
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

}  // namespace

SaverCommand ParseSaverCommandLine(const std::wstring& arguments) {
  const std::wstring text = Trimmed(arguments);
  if (text.size() < 2 || (text[0] != L'/' && text[0] != L'-')) return {};
  const wchar_t letter = UpperAscii(text[1]);
  std::wstring rest = text.substr(2);
  if (!rest.empty() && rest[0] != L' ' && rest[0] != L'\t' && rest[0] != L':') return {};  // "/sx" is no switch
  if (!rest.empty() && rest[0] == L':') rest.erase(0, 1);
  rest = Trimmed(rest);
  switch (letter) {
    case L'S':
      return SaverCommand{SaverMode::FullScreen};
    case L'P':
      // A preview without a usable window has nothing to draw into: the run ends at once.
      return SaverCommand{SaverMode::Preview, WindowNumber(rest)};
    case L'C':
      return SaverCommand{SaverMode::Settings, WindowNumber(rest)};
    default:
      return {};
  }
}

std::wstring SaverArgumentsOf(const std::wstring& commandLine) {
  size_t i = 0;
  while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) ++i;
  if (i < commandLine.size() && commandLine[i] == L'"') {
    const size_t close = commandLine.find(L'"', i + 1);
    i = close == std::wstring::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t') ++i;
  }
  return Trimmed(commandLine.substr(i));
}

}  // namespace saver
