#include <gtest/gtest.h>

#include <tuple>

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
  std::wstring mixed = L"a\u05e9\u00e9\U0001F600";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(mixed)), mixed);
  EXPECT_EQ(WideToUtf8(L"\u00e9"), "\xC3\xA9");
}

}  // namespace
