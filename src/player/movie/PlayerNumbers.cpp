#include "player/movie/PlayerNumbers.h"

#include <charconv>
#include <cmath>
#include <cwctype>

#include "services/ShellMod.h"

namespace player {

long RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  const double r = std::nearbyint(value);  // the default rounding: halves to even
  if (r >= 2147483647.0) return 2147483647L;
  if (r <= -2147483648.0) return -2147483647L - 1;
  return static_cast<long>(r);
}

namespace {

// Reads a decimal number at text[at]; returns how many characters it took (0: none).
size_t ReadNumber(const std::wstring& text, size_t at, double& value) {
  size_t i = at;
  std::string ascii;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ascii += static_cast<char>(text[i++]);
  size_t digits = 0;
  while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') ascii += static_cast<char>(text[i++]), ++digits;
  if (i < text.size() && text[i] == L'.') {
    ascii += '.', ++i;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') ascii += static_cast<char>(text[i++]), ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == L'+' || text[j] == L'-')) exponent += static_cast<char>(text[j++]);
    size_t expDigits = 0;
    while (j < text.size() && text[j] >= L'0' && text[j] <= L'9' && expDigits < 6)
      exponent += static_cast<char>(text[j++]), ++expDigits;
    if (expDigits > 0) ascii += exponent, i = j;
  }
  // from_chars reads "." as the decimal point whatever the locale.
  const char* first = ascii.data() + (ascii[0] == '+' ? 1 : 0);
  if (std::from_chars(first, ascii.data() + ascii.size(), value).ec != std::errc() || !std::isfinite(value)) value = 0;
  return i - at;
}

size_t SkipBlanks(const std::wstring& text, size_t at) {
  while (at < text.size() && std::iswspace(text[at])) ++at;
  return at;
}

}  // namespace

double LeadingNumber(const std::wstring& text) {
  double value = 0;
  return ReadNumber(text, SkipBlanks(text, 0), value) ? value : 0;
}

std::optional<double> DotNumber(const std::wstring& text) {
  const size_t start = SkipBlanks(text, 0);
  double value = 0;
  const size_t taken = ReadNumber(text, start, value);
  if (taken == 0 || SkipBlanks(text, start + taken) != text.size()) return std::nullopt;
  return value;
}

std::optional<bool> TruthValue(const std::wstring& text) {
  const size_t start = SkipBlanks(text, 0);
  size_t end = text.size();
  while (end > start && std::iswspace(text[end - 1])) --end;
  const std::wstring word = text.substr(start, end - start);
  if (StrEqualNoCase(word, L"true")) return true;
  if (StrEqualNoCase(word, L"false")) return false;
  if (auto number = DotNumber(word)) return *number != 0;
  return std::nullopt;
}

}  // namespace player
