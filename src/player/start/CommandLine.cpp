#include "player/start/CommandLine.h"

#include <cwctype>

namespace player {

std::wstring CommandLineTail(const std::wstring& full) {
  size_t i = 0;
  // The program token: a quoted path up to its closing quote, else up to the
  // first blank or tab (the rules the system's own start-up code follows).
  if (i < full.size() && full[i] == L'"') {
    size_t close = full.find(L'"', 1);
    i = close == std::wstring::npos ? full.size() : close + 1;
  } else {
    while (i < full.size() && full[i] != L' ' && full[i] != L'\t') ++i;
  }
  while (i < full.size() && (full[i] == L' ' || full[i] == L'\t')) ++i;
  return full.substr(i);
}

std::vector<std::wstring> SplitCommandLine(const std::wstring& text) {
  constexpr wchar_t kSep = L'\0';
  std::wstring s = text;
  if (s.find(L'"') == std::wstring::npos) {
    for (wchar_t& c : s)
      if (c == L' ') c = kSep;
  } else {
    bool quoted = false;
    size_t pos = 0;
    for (;;) {
      size_t blank = s.find(L' ', pos), quote = s.find(L'"', pos);
      if (blank == std::wstring::npos) break;
      if (quote == std::wstring::npos) {
        for (size_t k = pos; k < s.size(); ++k)
          if (s[k] == L' ') s[k] = kSep;
        break;
      }
      if (quote < blank) {
        pos = quote + 1;
        quoted = !quoted;
      } else {
        if (!quoted) s[blank] = kSep;
        pos = blank + 1;
      }
    }
    std::wstring unquoted;
    unquoted.reserve(s.size());
    for (wchar_t c : s)
      if (c != L'"') unquoted += c;
    s = std::move(unquoted);
  }
  s += kSep;

  std::vector<std::wstring> names;
  size_t pos = 0;
  while (s.size() - pos >= 3) {
    size_t sep = s.find(kSep, pos);
    std::wstring name = s.substr(pos, sep - pos);
    pos = sep + 1;
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

namespace {

// The words of a command line by the rules programs quote their arguments
// by: blanks outside double quotes separate, a double quote opens or closes,
// 2n backslashes before a double quote stand for n and the quote acts, 2n + 1
// for n and a quote of the word; other backslashes stand as they are.
std::vector<std::wstring> ArgumentWords(const std::wstring& text) {
  std::vector<std::wstring> words;
  std::wstring word;
  bool inWord = false, quoted = false;
  for (size_t i = 0; i < text.size();) {
    const wchar_t c = text[i];
    if (c == L'\\') {
      size_t n = 0;
      for (; i < text.size() && text[i] == L'\\'; ++i) ++n;
      const bool beforeQuote = i < text.size() && text[i] == L'"';
      word.append(beforeQuote ? n / 2 : n, L'\\');
      if (beforeQuote && n % 2) {
        word += L'"';
        ++i;
      }
      inWord = true;
    } else if (c == L'"') {
      quoted = !quoted;
      inWord = true;
      ++i;
    } else if ((c == L' ' || c == L'\t') && !quoted) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
      ++i;
    } else {
      word += c;
      inWord = true;
      ++i;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

bool EveryQuoteEscaped(const std::wstring& text) {
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == L'"' && (i == 0 || text[i - 1] != L'\\')) return false;
  return true;
}

bool StartsNoCase(const std::wstring& text, const wchar_t* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i)
    if (i >= text.size() || std::towlower(text[i]) != std::towlower(prefix[i])) return false;
  return true;
}
}  // namespace

bool IsExecCommand(const std::wstring& text) { return StartsNoCase(text, L"/exec"); }

std::wstring ScriptCommandLine(const std::wstring& text) {
  const bool quoted = !text.empty() && text[0] == L'"';
  const bool escaped = text.find(L"\\\"") != std::wstring::npos && EveryQuoteEscaped(text);
  if (!quoted && !escaped) return text;
  const std::vector<std::wstring> words = ArgumentWords(text);
  if (words.empty() || !IsExecCommand(words[0])) return text;
  std::wstring joined = words[0];
  for (size_t i = 1; i < words.size(); ++i) joined += L" " + words[i];
  return joined;
}

bool IsScriptStatement(const std::wstring& text) { return StartsNoCase(text, L"/exec "); }

std::wstring ScriptStatementOf(const std::wstring& text) {
  std::wstring statement = text.size() > 5 ? text.substr(5) : std::wstring();
  for (wchar_t& c : statement)
    if (c == L'\r') c = L'"';
  return statement;
}

}  // namespace player
