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
  std::wstring mixed = L"a\u05e9\u00e9\U0001F600";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(mixed)), mixed);
  EXPECT_EQ(WideToUtf8(L"\u00e9"), "\xC3\xA9");
}

TEST(TextConv, XmlEscapingKeepsWhatADocumentCanHold) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"a&b <c> \"d\" 'e'", L"a&amp;b &lt;c&gt; &quot;d&quot; 'e'"},
      {L"&amp;", L"&amp;amp;"},  // escaped again: the text reads back as it stands
      {L"tab\tline\r\n", L"tab\tline\r\n"},
      {std::wstring(L"nul\0bell\x07", 9), L"nul?bell?"},
      {L"\xFFFE\xFFFF", L"??"},
      {L"\U0001F600 pair", L"\U0001F600 pair"},
      {L"lone \xD800 high, lone \xDC00 low, \xD800", L"lone ? high, lone ? low, ?"},
  };
  for (const auto& [text, escaped] : cases) {
    EXPECT_EQ(XmlEscaped(text), escaped);
    std::wstring appended = L"<x>";
    AppendXmlEscaped(appended, text);
    EXPECT_EQ(appended, L"<x>" + escaped);
  }
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
