// Text-to-number rules shared by registry and XML readers: blanks skipped, an
// optional sign, then leading decimal digits; no digits gives 0. Booleans are
// "True"/"False" in any case or a number (non-zero is True).
#pragma once
#include <cstddef>
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
// A to Z only, as the C library folds in its default locale: for names made
// from text that must fold alike on every system (folder names from paths).
wchar_t UpperAscii(wchar_t c);
std::wstring LowerAscii(std::wstring_view text);
// Bytes compared with A to Z folded (protocol names: HTTP fields, codings).
bool EqualNoCaseAscii(std::string_view a, std::string_view b);
// Comparisons without case, by the system's ordinal case table (as file
// names compare): whole texts, a start and an end.
bool EqualNoCase(std::wstring_view a, std::wstring_view b);
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);
bool EndsWithNoCase(std::wstring_view text, std::wstring_view tail);
std::wstring Utf8ToWide(std::string_view bytes);
std::string WideToUtf8(std::wstring_view text);
// How text is escaped for XML: "&", "<" and ">" always become "&amp;",
// "&lt;" and "&gt;"; the policy says which quotes become "&quot;" and
// "&apos;", and whether characters a document cannot hold (controls other
// than tab and line ends, U+FFFE, U+FFFF, unpaired surrogates) become "?" or
// pass as they are (text a script reads back as it wrote it).
struct XmlEscaping {
  bool quote = false;       // '"' as "&quot;"
  bool apostrophe = false;  // '\'' as "&apos;"
  bool replaceUnheld = false;
};
// Element text or a double-quoted attribute of a document this program writes.
inline constexpr XmlEscaping kXmlDocument{true, false, true};
// Element text and attribute values of scripts' XML and HTML text.
inline constexpr XmlEscaping kXmlScriptText{false, false, false};
inline constexpr XmlEscaping kXmlScriptAttribute{true, true, false};
void AppendXmlEscaped(std::wstring& out, std::wstring_view text, XmlEscaping how = kXmlDocument);
std::wstring XmlEscaped(std::wstring_view text, XmlEscaping how = kXmlDocument);
// Which character references a reader takes: the five XML names and
// "&nbsp;", or those and numeric ones ("&#60;", "&#x3C;").
enum class XmlReferences { kNamed, kNamedAndNumeric };
// The character reference starting at text[at] (an "&"): appends its
// character to out and returns the reference's length (through its ";");
// 0, with out unchanged, when none starts there.
size_t ReadXmlReference(std::wstring_view text, size_t at, std::wstring& out, XmlReferences which);
// "<", ">", "\"" and "&" as numeric entities; an "&#" already written is kept.
std::wstring HTMLEncode(const std::wstring& text);
