#include <gtest/gtest.h>

#include "services/TextConv.h"

namespace {

TEST(TextConv, Numbers) {
  EXPECT_EQ(TextToLong(L"  42px"), 42);
  EXPECT_EQ(TextToLong(L"-17"), -17);
  EXPECT_EQ(TextToLong(L"+5"), 5);
  EXPECT_EQ(TextToLong(L"abc"), 0);
  EXPECT_EQ(TextToLong(L""), 0);
  EXPECT_EQ(TextToLongChecked(L"2147483647"), 2147483647L);
  EXPECT_EQ(TextToLongChecked(L"-2147483648"), -2147483647L - 1);
  EXPECT_FALSE(TextToLongChecked(L"2147483648"));
  EXPECT_FALSE(TextToLongChecked(L"-2147483649"));
  EXPECT_FALSE(TextToLongChecked(L"123456789012345678901234567890"));
  EXPECT_EQ(TextToLongChecked(L"0000000000000000000007"), 7);
}

TEST(TextConv, Booleans) {
  EXPECT_TRUE(TextToBool(L"True", false));
  EXPECT_TRUE(TextToBool(L"TRUE", false));
  EXPECT_FALSE(TextToBool(L" false ", true));
  EXPECT_TRUE(TextToBool(L"-1", false));
  EXPECT_FALSE(TextToBool(L"0", true));
  EXPECT_TRUE(TextToBool(L"0.5", false));
  EXPECT_TRUE(TextToBool(L"yes", true));
  EXPECT_FALSE(TextToBool(L"1x", false));
  EXPECT_FALSE(TextToBool(L"", false));
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
