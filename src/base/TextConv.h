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
// Invariant upper- and lower-casing (no locale rules), for keys and names.
std::wstring UpperInvariant(const std::wstring& text);
std::wstring LowerInvariant(const std::wstring& text);
// Comparisons without case, by the system's ordinal case table (as file
// names compare): whole texts, a start and an end.
bool EqualNoCase(std::wstring_view a, std::wstring_view b);
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);
bool EndsWithNoCase(std::wstring_view text, std::wstring_view tail);
std::wstring Utf8ToWide(std::string_view bytes);
std::string WideToUtf8(std::wstring_view text);
// Text for an XML element or a double-quoted attribute: "&", "<", ">" and
// "\"" as entities, and characters a document cannot hold (controls other
// than tab and line ends, U+FFFE, U+FFFF, unpaired surrogates) as "?".
void AppendXmlEscaped(std::wstring& out, std::wstring_view text);
std::wstring XmlEscaped(std::wstring_view text);
// "<", ">", "\"" and "&" as numeric entities; an "&#" already written is kept.
std::wstring HTMLEncode(const std::wstring& text);
