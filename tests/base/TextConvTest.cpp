#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "base/TextConv.h"

namespace {

TEST(TextConv, Numbers) {
  for (const auto& [text, value] : std::vector<std::pair<const wchar_t*, long>>{
           {L"  42px", 42}, {L"-17", -17}, {L"+5", 5}, {L"abc", 0}, {L"", 0}})
    EXPECT_EQ(TextToLong(text), value) << text;
  EXPECT_EQ(TextToLongChecked(L"2147483647"), 2147483647L);
  EXPECT_EQ(TextToLongChecked(L"-2147483648"), -2147483647L - 1);
  EXPECT_EQ(TextToLongChecked(L"0000000000000000000007"), 7);
  for (const wchar_t* tooBig : {L"2147483648", L"-2147483649", L"123456789012345678901234567890"})
    EXPECT_FALSE(TextToLongChecked(tooBig)) << tooBig;
}

TEST(TextConv, Booleans) {
  // Text, the default, what it reads as.
  for (const auto& [text, dflt, value] : std::vector<std::tuple<const wchar_t*, bool, bool>>{
           {L"True", false, true}, {L"TRUE", false, true}, {L" false ", true, false}, {L"-1", false, true},
           {L"0", true, false}, {L"0.5", false, true}, {L"yes", true, true}, {L"1x", false, false},
           {L"", false, false}})
    EXPECT_EQ(TextToBool(text, dflt), value) << text;
  EXPECT_EQ(BoolToText(true), L"True");
  EXPECT_EQ(BoolToText(false), L"False");
}

TEST(TextConv, CaseAndUtf8) {
  EXPECT_EQ(UpperInvariant(L"file_open"), L"FILE_OPEN");
  EXPECT_EQ(UpperInvariant(L"\u00e9t\u00e9"), L"\u00c9T\u00c9");
  EXPECT_EQ(UpperInvariant(L"title"), L"TITLE");  // no locale's dotted capital I
  EXPECT_EQ(LowerInvariant(L"\u00c9T\u00c9 TITLE"), L"\u00e9t\u00e9 title");
  // A to Z only: other letters keep their case, so names folded this way stay
  // the same on every system.
  EXPECT_EQ(LowerAscii(L"C:\\Movies\\\u00c9T\u00c9 Az@[`{.SWF"), L"c:\\movies\\\u00c9t\u00c9 az@[`{.swf");
  EXPECT_EQ(UpperAscii(L'a'), L'A');
  EXPECT_EQ(UpperAscii(L'z'), L'Z');
  EXPECT_EQ(UpperAscii(L'\u00e9'), L'\u00e9');
  EXPECT_EQ(UpperAscii(L'{'), L'{');
  EXPECT_TRUE(EqualNoCaseAscii("Content-Length", "content-LENGTH"));
  EXPECT_FALSE(EqualNoCaseAscii("chunked", "chunke"));
  EXPECT_FALSE(EqualNoCaseAscii("@[", "`{"));  // neighbours of the letters stay apart
  std::wstring mixed = L"a\u05e9\u00e9\U0001F600";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(mixed)), mixed);
  EXPECT_EQ(WideToUtf8(L"\u00e9"), "\xC3\xA9");
}

TEST(TextConv, XmlEscapingByPolicy) {
  const struct {
    std::wstring text;
    XmlEscaping how;
    std::wstring escaped;
  } cases[] = {
      {L"a&b <c> \"d\" 'e'", kXmlDocument, L"a&amp;b &lt;c&gt; &quot;d&quot; 'e'"},
      {L"a&b <c> \"d\" 'e'", kXmlScriptText, L"a&amp;b &lt;c&gt; \"d\" 'e'"},
      {L"a&b <c> \"d\" 'e'", kXmlScriptAttribute, L"a&amp;b &lt;c&gt; &quot;d&quot; &apos;e&apos;"},
      {L"&amp;", kXmlDocument, L"&amp;amp;"},  // escaped again: the text reads back as it stands
      {L"tab\tline\r\n", kXmlDocument, L"tab\tline\r\n"},
      {std::wstring(L"nul\0bell\x07", 9), kXmlDocument, L"nul?bell?"},
      {L"\xFFFE\xFFFF", kXmlDocument, L"??"},
      {L"\U0001F600 pair", kXmlDocument, L"\U0001F600 pair"},
      {L"lone \xD800 high, lone \xDC00 low, \xD800", kXmlDocument, L"lone ? high, lone ? low, ?"},
      // Scripts read back what they wrote, characters a document cannot hold too.
      {std::wstring(L"nul\0\xFFFE\xD800<", 7), kXmlScriptText, std::wstring(L"nul\0\xFFFE\xD800&lt;", 10)},
      {std::wstring(L"\x07\xDC00'", 3), kXmlScriptAttribute, L"\x07\xDC00&apos;"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(XmlEscaped(c.text, c.how), c.escaped) << c.text;
    std::wstring appended = L"<x>";
    AppendXmlEscaped(appended, c.text, c.how);
    EXPECT_EQ(appended, L"<x>" + c.escaped) << c.text;
  }
  EXPECT_EQ(XmlEscaped(L"\"&\x01"), L"&quot;&amp;?");  // a document's text unless told otherwise
}

TEST(TextConv, CharacterReferences) {
  using enum XmlReferences;
  // Text with a reference at its start, which references are read, what is
  // appended and the length read (0: none).
  const struct {
    const wchar_t* text;
    XmlReferences which;
    std::wstring read;
    size_t length;
  } cases[] = {
      {L"&amp;x", kNamed, L"&", 5},
      {L"&lt;&gt;", kNamed, L"<", 4},
      {L"&quot;", kNamed, L"\"", 6},
      {L"&apos;", kNamed, L"'", 6},
      {L"&nbsp;", kNamed, L"\xA0", 6},
      {L"&AMP;", kNamed, L"", 0},  // names are read as written
      {L"&amp", kNamed, L"", 0},
      {L"& amp;", kNamed, L"", 0},
      {L"&unknown;", kNamedAndNumeric, L"", 0},
      {L"&verylongname;", kNamedAndNumeric, L"", 0},
      {L"&#60;", kNamed, L"", 0},
      {L"&#60;", kNamedAndNumeric, L"<", 5},
      {L"&#x3C;", kNamedAndNumeric, L"<", 6},
      {L"&#x3c;", kNamedAndNumeric, L"<", 6},
      {L"&#x1F600;", kNamedAndNumeric, L"\U0001F600", 9},
      {L"&#1114111;", kNamedAndNumeric, L"\U0010FFFF", 10},
      {L"&#1114112;", kNamedAndNumeric, L"", 0},
      {L"&#0;", kNamedAndNumeric, L"", 0},
      {L"&#xD800;", kNamedAndNumeric, L"", 0},
      {L"&#;", kNamedAndNumeric, L"", 0},
      {L"&#x;", kNamedAndNumeric, L"", 0},
      {L"&#+60;", kNamedAndNumeric, L"", 0},
      {L"&#6a;", kNamedAndNumeric, L"", 0},
      {L"x&amp;", kNamed, L"", 0},  // not at an "&"
  };
  for (const auto& c : cases) {
    std::wstring out = L">";
    EXPECT_EQ(ReadXmlReference(c.text, 0, out, c.which), c.length) << c.text;
    EXPECT_EQ(out, L">" + c.read) << c.text;
  }
  std::wstring out;
  EXPECT_EQ(ReadXmlReference(L"a &lt;", 2, out, kNamed), 4u);
  EXPECT_EQ(ReadXmlReference(L"a &lt;", 6, out, kNamed), 0u);  // past the end
  EXPECT_EQ(out, L"<");
}

TEST(TextConv, ComparisonsWithoutCase) {
  const struct {
    const wchar_t *text, *other;
    bool equal, starts, ends;
  } cases[] = {
      {L"Movie.SWF", L"movie.swf", true, true, true},
      {L"Movie.SWF", L"movie", false, true, false},
      {L"Movie.SWF", L".swf", false, false, true},
      {L"\u00c9t\u00e9.flv", L"\u00e9T\u00c9", false, true, false},
      {L"a.swf", L"xa.swf", false, false, false},  // longer than the text
      {L"", L"", true, true, true},
      {L"abc", L"", false, true, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EqualNoCase(c.text, c.other), c.equal) << c.text << L" " << c.other;
    EXPECT_EQ(StartsWithNoCase(c.text, c.other), c.starts) << c.text << L" " << c.other;
    EXPECT_EQ(EndsWithNoCase(c.text, c.other), c.ends) << c.text << L" " << c.other;
  }
}

}  // namespace
