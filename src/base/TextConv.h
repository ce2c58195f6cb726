// Text-to-number rules shared by registry and XML readers: blanks skipped, an
// optional sign, then leading decimal digits; no digits gives 0. Booleans are
// "True"/"False" in any case or a number (non-zero is True).
#pragma once
#include <optional>
#include <string>
#include <string_view>

long TextToLong(const std::wstring& text);  // 0 also when the number does not fit 32 bits
// The value when the text's leading number fits 32 bits, nothing otherwise.
std::optional<long> TextToLongChecked(const std::wstring& text);
bool TextToBool(const std::wstring& text, bool def);
std::wstring BoolToText(bool value);  // "True" / "False"
// Invariant upper-casing (no locale rules), for keys and names.
std::wstring UpperInvariant(const std::wstring& text);
std::wstring Utf8ToWide(std::string_view bytes);
std::string WideToUtf8(std::wstring_view text);
// "<", ">", "\"" and "&" as numeric entities; an "&#" already written is kept.
std::wstring HTMLEncode(const std::wstring& text);
