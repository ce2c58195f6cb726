#include "base/TextConv.h"

#include <windows.h>

#include <cstdint>
#include <cwctype>
#include <utility>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring Trim(const std::wstring& text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

}  // namespace

std::optional<long> TextToLongChecked(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<long>(value);
}

long TextToLong(const std::wstring& text) { return TextToLongChecked(text).value_or(0); }

bool TextToBool(const std::wstring& text, bool def) {
  std::wstring t = Trim(text);
  if (CompareStringOrdinal(t.c_str(), -1, L"True", -1, TRUE) == CSTR_EQUAL) return true;
  if (CompareStringOrdinal(t.c_str(), -1, L"False", -1, TRUE) == CSTR_EQUAL) return false;
  // A number: optional sign, digits, optional fraction; nothing else.
  size_t i = 0;
  if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) ++i;
  bool digits = false, nonZero = false;
  for (; i < t.size() && t[i] >= L'0' && t[i] <= L'9'; ++i) {
    digits = true;
    nonZero |= t[i] != L'0';
  }
  if (i < t.size() && t[i] == L'.') {
    for (++i; i < t.size() && t[i] >= L'0' && t[i] <= L'9'; ++i) {
      digits = true;
      nonZero |= t[i] != L'0';
    }
  }
  if (!digits || i != t.size()) return def;
  return nonZero;
}

std::wstring BoolToText(bool value) { return value ? L"True" : L"False"; }

std::wstring UpperInvariant(const std::wstring& text) {
  if (text.empty()) return text;
  std::wstring out(text);
  int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()),
                        out.data(), static_cast<int>(out.size()), nullptr, nullptr, 0);
  if (n != static_cast<int>(text.size())) {
    out = text;
    for (auto& c : out) c = static_cast<wchar_t>(std::towupper(c));
  }
  return out;
}

std::wstring LowerInvariant(const std::wstring& text) {
  if (text.empty()) return text;
  std::wstring out(text);
  int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.data(), static_cast<int>(text.size()),
                        out.data(), static_cast<int>(out.size()), nullptr, nullptr, 0);
  if (n != static_cast<int>(text.size())) {
    out = text;
    for (auto& c : out) c = static_cast<wchar_t>(std::towlower(c));
  }
  return out;
}

wchar_t UpperAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

std::wstring LowerAscii(std::wstring_view text) {
  std::wstring out(text);
  for (auto& c : out)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return out;
}

bool EqualNoCaseAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

void AppendXmlEscaped(std::wstring& out, std::wstring_view text, XmlEscaping how) {
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'&') {
      out += L"&amp;";
    } else if (c == L'<') {
      out += L"&lt;";
    } else if (c == L'>') {
      out += L"&gt;";
    } else if (c == L'"' && how.quote) {
      out += L"&quot;";
    } else if (c == L'\'' && how.apostrophe) {
      out += L"&apos;";
    } else if (!how.replaceUnheld) {
      out += c;
    } else if ((c < 0x20 && c != L'\t' && c != L'\n' && c != L'\r') || c == 0xFFFE || c == 0xFFFF ||
               (c >= 0xDC00 && c <= 0xDFFF)) {
      out += L'?';
    } else if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        out += c;
        out += text[++i];
      } else {
        out += L'?';
      }
    } else {
      out += c;
    }
  }
}

std::wstring XmlEscaped(std::wstring_view text, XmlEscaping how) {
  std::wstring out;
  out.reserve(text.size());
  AppendXmlEscaped(out, text, how);
  return out;
}

namespace {

// The code point a numeric reference's digits ("60", "x3C") name; 0 when
// they are not plain digits of a character.
uint32_t NumericReference(std::wstring_view digits) {
  const bool hex = !digits.empty() && digits[0] == L'x';
  if (hex) digits.remove_prefix(1);
  if (digits.empty()) return 0;
  uint32_t code = 0;
  for (wchar_t d : digits) {
    uint32_t v = 0;
    if (d >= L'0' && d <= L'9') v = d - L'0';
    else if (hex && d >= L'a' && d <= L'f') v = d - L'a' + 10;
    else if (hex && d >= L'A' && d <= L'F') v = d - L'A' + 10;
    else return 0;
    code = code * (hex ? 16 : 10) + v;
    if (code > 0x10FFFF) return 0;
  }
  return code >= 0xD800 && code <= 0xDFFF ? 0 : code;
}

}  // namespace

size_t ReadXmlReference(std::wstring_view text, size_t at, std::wstring& out, XmlReferences which) {
  constexpr size_t kLongestReference = 10;  // "&#x10FFFF;"
  if (at >= text.size() || text[at] != L'&') return 0;
  const size_t semi = text.find(L';', at);
  if (semi == std::wstring_view::npos || semi - at > kLongestReference) return 0;
  const std::wstring_view name = text.substr(at + 1, semi - at - 1);
  static const std::pair<std::wstring_view, wchar_t> kNamed[] = {
      {L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}, {L"nbsp", 0xA0}};
  for (const auto& [known, c] : kNamed) {
    if (name == known) {
      out += c;
      return semi - at + 1;
    }
  }
  if (which != XmlReferences::kNamedAndNumeric || name.empty() || name[0] != L'#') return 0;
  uint32_t code = NumericReference(name.substr(1));
  if (code == 0) return 0;
  if (code > 0xFFFF) {
    code -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (code >> 10));
    out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
  } else {
    out += static_cast<wchar_t>(code);
  }
  return semi - at + 1;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  if (a.empty()) return true;
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view tail) {
  return text.size() >= tail.size() && EqualNoCase(text.substr(text.size() - tail.size()), tail);
}

std::wstring Utf8ToWide(std::string_view bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring HTMLEncode(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    switch (text[i]) {
      case L'<': out += L"&#60;"; break;
      case L'>': out += L"&#62;"; break;
      case L'"': out += L"&#34;"; break;
      case L'&':
        if (i + 1 < text.size() && text[i + 1] == L'#') {
          out += L'&';
        } else {
          out += L"&#38;";
        }
        break;
      default: out += text[i];
    }
  }
  return out;
}
