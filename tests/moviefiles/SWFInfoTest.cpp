#include <gtest/gtest.h>

#include "MovieTestEnv.h"
#include "moviefiles/ByteReader.h"

using namespace moviebytes;

namespace {
Movie Basic() {
  Movie m;
  m.tags = {BackgroundTag(0xFF, 0xFF, 0xFF), ShowFrame(), EndTag()};
  return m;
}
}  // namespace

class SWFInfoTest : public MovieTest {};

TEST_F(SWFInfoTest, PlainMovieGivesItsHeaderFacts) {
  Bytes bytes = Basic().Plain();
  std::wstring path = Write(L"intro.swf", bytes);
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(info.Version, 10);
  EXPECT_FALSE(info.Compressed);
  EXPECT_EQ(info.Width, 550);
  EXPECT_EQ(info.Height, 400);
  EXPECT_EQ(info.FrameRate, 24.0f);
  EXPECT_EQ(info.FrameCount, 120);
  EXPECT_EQ(info.BackColor, L"FFFFFF");
  EXPECT_EQ(info.Path, path);
  EXPECT_EQ(info.RequestedPath, path);
  EXPECT_EQ(info.FileTitle, L"intro.swf");
  EXPECT_EQ(info.FileSize, static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(info.MovieLength, static_cast<double>(bytes.size()));
  EXPECT_EQ(info.FirstTagOffset, static_cast<int32_t>(8 + Basic().rect.size() + 4 + 1));
  EXPECT_FALSE(info.PathChanged);
  EXPECT_FALSE(info.IsFLV);
  EXPECT_EQ(info.HeaderCachePath, L"");

  // Read again from the record's own path field (as when a movie is reloaded).
  ASSERT_EQ(GetSWFInfo(info.RequestedPath, info, false), L"");
  EXPECT_EQ(info.RequestedPath, path);
  EXPECT_EQ(info.Width, 550);
}

TEST_F(SWFInfoTest, RectangleAndRateFields) {
  Movie m = Basic();
  m.rect = Rect(2000, 550 * 20 + 10, 100, 400 * 20 + 30);  // Xmin ignored; 550.5 -> 550, 401.5 -> 402
  m.rateFraction = 0xF8, m.rateWhole = 0x1D;               // 29.97: the whole part only
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(Write(L"a.swf", m.Plain()), info, false), L"");
  EXPECT_EQ(info.Width, 550);
  EXPECT_EQ(info.Height, 402);
  EXPECT_EQ(info.FrameRate, 29.0f);

  m.rect = Rect(0, -400, 0, 200);  // a negative extent is no extent
  ASSERT_EQ(GetSWFInfo(Write(L"b.swf", m.Plain()), info, false), L"");
  EXPECT_EQ(info.Width, 0);
  EXPECT_EQ(info.Height, 10);

  m.rect = Rect(0, 0, 0, 0, 0);  // Nbits 0: one byte, a zero rectangle
  ASSERT_EQ(m.rect.size(), 1u);
  ASSERT_EQ(GetSWFInfo(Write(L"c.swf", m.Plain()), info, false), L"");
  EXPECT_EQ(info.Width, 0);
  EXPECT_EQ(info.Height, 0);
  EXPECT_EQ(info.FrameCount, 120);
}

TEST_F(SWFInfoTest, BackgroundColourOnlyAmongTheFirstFiveTags) {
  Movie m;
  Bytes other = Tag(69, {0, 0, 0, 0});
  m.tags = {other, other, other, BackgroundTag(0x12, 0xAB, 0x05), EndTag()};
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(Write(L"fourth.swf", m.Plain()), info, false), L"");
  EXPECT_EQ(info.BackColor, L"12AB05");

  m.tags = {other, other, other, other, other, BackgroundTag(0x12, 0xAB, 0x05)};
  ASSERT_EQ(GetSWFInfo(Write(L"sixth.swf", m.Plain()), info, false), L"");
  EXPECT_EQ(info.BackColor, L"000000");

  m.tags = {Tag(2, Filled(10001, 7)), BackgroundTag(1, 2, 3)};  // a long first tag ends the scan
  ASSERT_EQ(GetSWFInfo(Write(L"long.swf", m.Plain()), info, false), L"");
  EXPECT_EQ(info.BackColor, L"000000");
  m.tags = {Tag(2, Filled(10000, 7)), BackgroundTag(1, 2, 3)};
  ASSERT_EQ(GetSWFInfo(Write(L"tenk.swf", m.Plain()), info, false), L"");
  EXPECT_EQ(info.BackColor, L"010203");

  m.tags = {EndTag(), BackgroundTag(1, 2, 3)};
  ASSERT_EQ(GetSWFInfo(Write(L"end.swf", m.Plain()), info, false), L"");
  EXPECT_EQ(info.BackColor, L"000000");
}

TEST_F(SWFInfoTest, TagsCrossingTheEndKeepWhatWasRead) {
  Movie m;
  m.tags = {BackgroundTag(9, 8, 7)};
  Bytes bytes = m.Plain();
  Append(bytes, {0x7F, 0x13, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2});  // Metadata claiming 2 GB
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(Write(L"cut.swf", bytes), info, false), L"");
  EXPECT_EQ(info.BackColor, L"090807");
  EXPECT_EQ(info.Title, L"");
  bytes.resize(bytes.size() - 5);  // a tag header cut in half
  ASSERT_EQ(GetSWFInfo(Write(L"cut2.swf", bytes), info, false), L"");
  EXPECT_EQ(info.BackColor, L"090807");
}

TEST_F(SWFInfoTest, MetadataTitleAndDescription) {
  Movie m;
  m.tags = {MetadataTag("Caf\xC3\xA9 &amp; more", "A \xE2\x82\xAC movie"), BackgroundTag(1, 1, 1)};
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(Write(L"meta.swf", m.Plain()), info, false), L"");
  EXPECT_EQ(info.Title, L"Caf\u00E9 & more");
  EXPECT_EQ(info.Description, L"A \u20AC movie");
  EXPECT_EQ(info.BackColor, L"010101");

  // A title beginning with "!" is text, not a reference.
  m.tags = {MetadataTag("!intro", "")};
  ASSERT_EQ(GetSWFInfo(Write(L"bang.swf", m.Plain()), info, false), L"");
  EXPECT_EQ(info.Title, L"!intro");

  // Cut at the first NUL; bytes that are not UTF-8 are read in the ANSI code page.
  Bytes body = Text("<rdf:RDF xmlns:rdf=\"r\"><rdf:Description xmlns:dc=\"d\"><dc:title>Ol\xE9</dc:title>"
                    "</rdf:Description></rdf:RDF>");
  body.push_back(0);
  Append(body, Text("garbage<<"));
  m.tags = {Tag(77, body)};
  ASSERT_EQ(GetSWFInfo(Write(L"ansi.swf", m.Plain()), info, false), L"");
  wchar_t e9 = 0;
  char e9a = '\xE9';
  MultiByteToWideChar(CP_ACP, 0, &e9a, 1, &e9, 1);
  EXPECT_EQ(info.Title, std::wstring(L"Ol") + e9);

  // Broken XML leaves the texts empty and the read successful.
  m.tags = {Tag(77, Text("<rdf:RDF><oops")), BackgroundTag(4, 5, 6)};
  ASSERT_EQ(GetSWFInfo(Write(L"broken.swf", m.Plain()), info, false), L"");
  EXPECT_EQ(info.Title, L"");
  EXPECT_EQ(info.BackColor, L"040506");
}

TEST_F(SWFInfoTest, FailuresClearTheRecordAndSayWhy) {
  SWFInfo info;
  info.Width = 5;
  EXPECT_EQ(GetSWFInfo(Path(L"missing.swf"), info, false), L"File Not Found");
  EXPECT_EQ(LastError, L"File Not Found");
  EXPECT_EQ(info.Width, 0);
  EXPECT_EQ(info.BackColor, std::wstring(6, L'\0'));

  EXPECT_EQ(GetSWFInfo(Write(L"readme.txt", Text("Hello, this is text")), info, false), L"Not a Flash Movie");
  EXPECT_EQ(info.RequestedPath, L"");
  EXPECT_EQ(GetSWFInfo(Write(L"empty.swf", {}), info, false), L"Not a Flash Movie");

  Bytes full = Basic().Plain();
  for (size_t cut : {size_t{5}, size_t{8}, size_t{10}, size_t{8} + Basic().rect.size() + 3}) {
    Bytes part(full.begin(), full.begin() + cut);
    EXPECT_EQ(GetSWFInfo(Write(L"short.swf", part), info, false), L"File Truncated") << cut;
    EXPECT_EQ(LastError, L"File Truncated");
    EXPECT_EQ(info.Path, L"");
  }
}

TEST_F(SWFInfoTest, OldCompressedSignatureIsReadAsPlain) {
  Movie m = Basic();
  m.version = 5;
  Bytes bytes = m.Plain();
  bytes[0] = 'C';
  std::wstring path = Write(L"old.swf", bytes);
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(path, info, true), L"");
  EXPECT_FALSE(info.Compressed);
  EXPECT_EQ(info.Path, path);
  EXPECT_EQ(info.Width, 550);
  EXPECT_EQ(info.BackColor, L"FFFFFF");
}

TEST(SWFHelpers, TimesAndColours) {
  EXPECT_EQ(FramesToTime(750, 12), L"1:02");
  EXPECT_EQ(FramesToTime(125, 12), L"0:10");
  EXPECT_EQ(FramesToTime(65, 12), L"0:05");
  EXPECT_EQ(FramesToTime(9000, 12), L"12:30");
  EXPECT_EQ(FramesToTime(100, 0), L"0:00");
  EXPECT_EQ(FramesToTime(-100, 12), L"0:00");
  EXPECT_EQ(FramesToTime(719, 12), L"1:00");  // 59.9 s
  // A tiny rate gives a very long time, written out in full.
  std::wstring longest = FramesToTime(INT32_MAX, 1e-40f);
  EXPECT_GT(longest.size(), 50u);
  EXPECT_EQ(longest.find(L':'), longest.size() - 3) << longest;
  EXPECT_EQ(BytesToHexColor(0, 0x0A, 0xFF), L"000AFF");
  EXPECT_EQ(Ceiling(2.1), 3);
  EXPECT_EQ(Ceiling(2.0), 2);
}
