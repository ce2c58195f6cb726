#include "skin/SkinItems.h"

#include <cmath>
#include <cwctype>

std::vector<SkinItem> SkinItems;
std::vector<SkinRegion> SkinRegions;
int CurrentView = 0;
bool SkinLoaded = false;
SkinHost* SkinWindow = nullptr;

int SkinItemCount() { return static_cast<int>(SkinItems.size()); }

SkinItem* SkinItemAt(int index) {
  if (index < 1 || index > SkinItemCount()) return nullptr;
  return &SkinItems[static_cast<size_t>(index) - 1];
}

forms::Control* SkinControl(int index) {
  SkinItem* item = SkinItemAt(index);
  return item ? item->Control : nullptr;
}

namespace {

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

std::optional<double> SkinNumber(const std::wstring& text) {
  std::wstring s;
  for (wchar_t c : text) {
    if (c != L' ' && c != L'\t') s += c;
  }
  size_t i = 0;
  if (s.size() >= 2 && s[0] == L'&' && (s[1] == L'H' || s[1] == L'h')) {
    // Hexadecimal: a 32-bit pattern, as the colour texts need ("&H00FF8000").
    i = 2;
    unsigned long long value = 0;
    size_t digits = 0;
    for (; i < s.size() && HexDigit(s[i]) >= 0; ++i, ++digits) {
      value = value * 16 + static_cast<unsigned>(HexDigit(s[i]));
      if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    return static_cast<double>(value);
  }
  bool negative = false;
  if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
  double value = 0;
  size_t digits = 0;
  for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i, ++digits) value = value * 10 + (s[i] - L'0');
  if (i < s.size() && s[i] == L'.') {
    double scale = 0.1;
    for (++i; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i, ++digits, scale /= 10) value += (s[i] - L'0') * scale;
  }
  if (digits == 0) return std::nullopt;
  return negative ? -value : value;
}

std::optional<long> SkinLongChecked(const std::wstring& text) {
  std::optional<double> number = SkinNumber(text);
  if (!number) return std::nullopt;
  double rounded = std::nearbyint(*number);  // the default rounding mode: halves to even
  if (rounded < -2147483648.0 || rounded > 4294967295.0) return std::nullopt;
  if (rounded > 2147483647.0) return static_cast<long>(static_cast<unsigned long>(rounded));  // "&HFFFFFFFF"
  return static_cast<long>(rounded);
}

long SkinLong(const std::wstring& text) { return SkinLongChecked(text).value_or(0); }

COLORREF ParseSkinColor(const std::wstring& text) {
  std::wstring s;
  for (wchar_t c : text) {
    if (c != L'#') s += c;
  }
  auto part = [&](size_t from) { return from < s.size() ? s.substr(from, 2) : std::wstring(); };
  std::wstring swapped = (part(4) + part(2) + part(0)).substr(0, 6);
  swapped.resize(6, L' ');
  long value = SkinLong(L"&H00" + swapped);
  return static_cast<COLORREF>(value) & 0x00FFFFFF;
}
