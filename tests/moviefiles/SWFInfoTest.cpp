#include <gtest/gtest.h>

#include "MovieTestEnv.h"

using namespace moviebytes;
using namespace std::string_literals;

namespace {
Movie Basic() {
  Movie m;
  m.tags = {BackgroundTag(0xFF, 0xFF, 0xFF), ShowFrame(), EndTag()};
  return m;
}
}  // namespace

class SWFInfoTest : public MovieTest {
 protected:
  // The record read from a plain movie with these tags.
  SWFInfo Of(std::vector<Bytes> tags) {
    Movie m;
    m.tags = std::move(tags);
    SWFInfo info;
    EXPECT_EQ(Read(L"m.swf", m.Plain(), info), L"");
    return info;
  }
};

TEST_F(SWFInfoTest, PlainMoviesGiveTheirHeaderFacts) {
  Bytes bytes = Basic().Plain();
  std::wstring path = Write(L"intro.swf", bytes);
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(std::tuple(info.Version, info.Compressed, info.IsFLV, info.PathChanged),
            std::tuple(10, false, false, false));
  EXPECT_EQ(Frame(info), std::tuple(550, 400, 24.0f, 120));
  EXPECT_EQ(info.BackColor, L"FFFFFF");
  EXPECT_EQ(std::tuple(info.Path, info.RequestedPath, info.FileTitle, info.HeaderCachePath),
            std::tuple(path, path, L"intro.swf"s, L""s));
  EXPECT_EQ(info.FileSize, static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(info.MovieLength, static_cast<double>(bytes.size()));
  EXPECT_EQ(info.FirstTagOffset, static_cast<int32_t>(8 + Basic().rect.size() + 4 + 1));

  // Read again from the record's own path field (as when a movie is reloaded).
  ASSERT_EQ(GetSWFInfo(info.RequestedPath, info, false), L"");
  EXPECT_EQ(info.RequestedPath, path);
  EXPECT_EQ(info.Width, 550);

  // Before version 6 a compressed signature means nothing: the movie is read as plain.
  Movie old = Basic();
  old.version = 5;
  bytes = old.Plain();
  bytes[0] = 'C';
  path = Write(L"old.swf", bytes);
  ASSERT_EQ(GetSWFInfo(path, info, true), L"");
  EXPECT_EQ(std::tuple(info.Compressed, info.Path, info.Width, info.BackColor), std::tuple(false, path, 550, L"FFFFFF"s));
}

TEST_F(SWFInfoTest, RectangleAndRateFields) {
  const struct {
    Bytes rect;
    uint8_t fraction, whole;
    int32_t width, height;
    float rate;
  } cases[] = {
      {Rect(2000, 550 * 20 + 10, 100, 400 * 20 + 30), 0xF8, 0x1D, 550, 402, 29.97f},  // Xmin ignored
      {Rect(0, -400, 0, 200), 0, 12, 0, 10, 12.0f},                                  // a negative extent is no extent
      {Rect(0, 0, 0, 0, 0), 0, 24, 0, 0, 24.0f},                                     // Nbits 0: one byte, zero size
  };
  EXPECT_EQ(cases[2].rect.size(), 1u);
  // The 8.8 rate keeps its fraction, as the decimal of fewest digits that stores as the same value.
  const struct {
    uint8_t fraction, whole;
    float rate;
  } rates[] = {{0x80, 0, 0.5f}, {0xF8, 29, 29.97f}, {0, 12, 12.0f}, {0x40, 7, 7.25f}, {0xFA, 23, 23.977f},
               {1, 0, 0.004f}, {0, 0, 0.0f}, {0xFF, 0xFF, 255.996f}};
  for (const auto& r : rates) EXPECT_EQ(FrameRateFromFixed(r.fraction, r.whole), r.rate) << int(r.whole) << "." << int(r.fraction);
  EXPECT_EQ(std::tuple(FrameRateText(29.97f), FrameRateText(12.0f), FrameRateText(0.5f, L',')),
            std::tuple(L"29.97"s, L"12"s, L"0,5"s));
  EXPECT_EQ(FramesToTime(45, 0.5f), L"1:30");
  for (const auto& c : cases) {
    Movie m = Basic();
    m.rect = c.rect, m.rateFraction = c.fraction, m.rateWhole = c.whole;
    SWFInfo info;
    ASSERT_EQ(Read(L"r.swf", m.Plain(), info), L"");
    EXPECT_EQ(Frame(info), std::tuple(c.width, c.height, c.rate, 120));
  }
}

TEST_F(SWFInfoTest, BackgroundColourOnlyAmongTheFirstFiveTagsAndBytes) {
  const Bytes other = Tag(69, {0, 0, 0, 0}), bg = BackgroundTag(0x12, 0xAB, 0x05);
  EXPECT_EQ(Of({other, other, other, bg, EndTag()}).BackColor, L"12AB05");
  EXPECT_EQ(Of({other, other, other, other, other, bg}).BackColor, L"000000");
  EXPECT_EQ(Of({Tag(2, Filled(10001, 7)), bg}).BackColor, L"000000");  // a long first tag ends the scan
  EXPECT_EQ(Of({Tag(2, Filled(10000, 7)), bg}).BackColor, L"12AB05");
  EXPECT_EQ(Of({EndTag(), bg}).BackColor, L"000000");
}

TEST_F(SWFInfoTest, TagsCrossingTheEndKeepWhatWasRead) {
  Movie m;
  m.tags = {BackgroundTag(9, 8, 7)};
  Bytes bytes = m.Plain() + Bytes{0x7F, 0x13, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2};  // Metadata claiming 2 GB
  SWFInfo info;
  ASSERT_EQ(Read(L"cut.swf", bytes, info), L"");
  EXPECT_EQ(std::tuple(info.BackColor, info.Title), std::tuple(L"090807"s, L""s));
  bytes.resize(bytes.size() - 5);  // a tag header cut in half
  ASSERT_EQ(Read(L"cut2.swf", bytes, info), L"");
  EXPECT_EQ(info.BackColor, L"090807");
}

TEST(SWFInfoTags, FirstBytesCutInsideATagAskForMoreOnlyWhenItsBodyMatters) {
  Movie m;
  const size_t start = 8 + m.rect.size() + 4;
  const struct {
    Bytes tag;
    uint64_t wanted;  // 0: the scan ends without reading further
  } cases[] = {
      {Tag(2, Filled(200000, 7)), 0},                          // a long shape: never read
      {Tag(77, Filled(20000, ' ')), start + 6 + 20000},        // metadata: read whole
      {Tag(9, Filled(20000, 1)), start + 6 + 20000},           // a background colour, however long
      {Tag(2, Filled(5000, 7)), start + 6 + 5000},             // a short tag: the scan goes on past it
  };
  for (const auto& c : cases) {
    m.tags = {c.tag, BackgroundTag(1, 2, 3)};
    const Bytes bytes = m.Plain();
    SWFInfo info;
    info.FirstTagOffset = static_cast<int32_t>(start + 1);
    EXPECT_EQ(ReadSWFInfoTags(std::span(bytes).first(start + 100), info), c.wanted) << c.tag.size();
    EXPECT_EQ(ReadSWFInfoTags(std::span(bytes).first(start + 3), info), start + 6);  // a header cut in half
  }
}

TEST_F(SWFInfoTest, MetadataTitleAndDescription) {
  SWFInfo info = Of({MetadataTag("Caf\xC3\xA9 &amp; more", "A \xE2\x82\xAC movie"), BackgroundTag(1, 1, 1)});
  EXPECT_EQ(info.Title, L"Caf\u00E9 & more");
  EXPECT_EQ(info.Description, L"A \u20AC movie");
  EXPECT_EQ(info.BackColor, L"010101");
  EXPECT_EQ(Of({MetadataTag("!intro", "")}).Title, L"!intro");  // text, not a reference

  // Cut at the first NUL; bytes that are not UTF-8 are read in the ANSI code page.
  Bytes body = Text("<rdf:RDF xmlns:rdf=\"r\"><rdf:Description xmlns:dc=\"d\"><dc:title>Ol\xE9</dc:title>"
                    "</rdf:Description></rdf:RDF>");
  body.push_back(0);
  wchar_t e9 = 0;
  MultiByteToWideChar(CP_ACP, 0, "\xE9", 1, &e9, 1);
  EXPECT_EQ(Of({Tag(77, body + Text("garbage<<"))}).Title, L"Ol"s + e9);

  // Broken XML leaves the texts empty and the read successful.
  info = Of({Tag(77, Text("<rdf:RDF><oops")), BackgroundTag(4, 5, 6)});
  EXPECT_EQ(std::tuple(info.Title, info.BackColor), std::tuple(std::wstring(), L"040506"s));
}

TEST_F(SWFInfoTest, MetadataIsReadInItsOwnEncodingWhateverTheVersion) {
  const std::string utf8 = "\xC3\xA9\xE4\xB8\xAD";  // e acute and a CJK character
  auto titleOf = [this](uint8_t version, const Bytes& tag) {
    Movie m;
    m.version = version;
    m.tags = {tag, EndTag()};
    SWFInfo info;
    EXPECT_EQ(Read(L"meta.swf", m.Plain(), info), L"");
    return info.Title;
  };
  auto rdf = [](const std::string& title) {
    return "<rdf:RDF xmlns:rdf=\"r\"><rdf:Description xmlns:dc=\"d\"><dc:title>" + title +
           "</dc:title></rdf:Description></rdf:RDF>";
  };
  for (uint8_t version : {4, 5, 6, 8}) {
    EXPECT_EQ(titleOf(version, MetadataTag(utf8, "")), L"\u00E9\u4E2D") << int(version);
    // A declared encoding is the document's own, not the user's code page.
    const std::string latin = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + rdf("Ol\xE9");
    EXPECT_EQ(titleOf(version, Tag(77, Text(latin) + Bytes{0}, true)), L"Ol\u00E9") << int(version);
  }
  // A UTF-16 document with its byte order mark, ended by a 16-bit NUL.
  const std::wstring wide = L"\xFEFF" + std::wstring(L"<rdf:RDF xmlns:rdf=\"r\"><rdf:Description xmlns:dc=\"d\">") +
                            L"<dc:title>\u00E9\u4E2D</dc:title></rdf:Description></rdf:RDF>";
  Bytes utf16;
  for (wchar_t c : wide + L'\0' + L"junk") PutLE(utf16, c, 2);
  EXPECT_EQ(titleOf(5, Tag(77, utf16, true)), L"\u00E9\u4E2D");
}

TEST_F(SWFInfoTest, MetadataOverAMegabyteIsSkipped) {
  for (bool compressed : {false, true}) {
    for (size_t size : {size_t{1000000}, size_t{(1u << 20) + 1}}) {
      Bytes tag = MetadataTag("Big", ""), body(tag.begin() + 6, tag.end());  // after the long header
      body.resize(size, ' ');
      Movie m;
      m.tags = {Tag(77, body), EndTag()};
      SWFInfo info;
      ASSERT_EQ(Read(L"meta.swf", compressed ? m.Compressed() : m.Plain(), info, true), L"");
      EXPECT_EQ(info.Title, size < (1u << 20) ? L"Big" : L"") << size;
    }
  }
}

TEST_F(SWFInfoTest, FailuresClearTheRecordAndSayWhy) {
  SWFInfo info;
  info.Width = 5;
  EXPECT_EQ(GetSWFInfo(Path(L"missing.swf"), info, false), L"File Not Found");
  EXPECT_EQ(LastError, L"File Not Found");
  EXPECT_EQ(info.Width, 0);
  EXPECT_EQ(info.BackColor, std::wstring(6, L'\0'));

  EXPECT_EQ(Read(L"readme.txt", Text("Hello, this is text"), info), L"Not a Flash Movie");
  EXPECT_EQ(info.RequestedPath, L"");
  EXPECT_EQ(Read(L"empty.swf", {}, info), L"Not a Flash Movie");

  Bytes full = Basic().Plain();
  for (size_t cut : {size_t{5}, size_t{8}, size_t{10}, size_t{8} + Basic().rect.size() + 3}) {
    EXPECT_EQ(Read(L"short.swf", Bytes(full.begin(), full.begin() + cut), info), L"File Truncated") << cut;
    EXPECT_EQ(LastError, L"File Truncated");
    EXPECT_EQ(info.Path, L"");
  }
}

TEST(SWFHelpers, TimesAndColours) {
  const struct {
    int32_t frames;
    float rate;
    const wchar_t* text;
  } times[] = {{750, 12, L"1:02"},  {125, 12, L"0:10"}, {65, 12, L"0:05"}, {9000, 12, L"12:30"},
               {-100, 12, L"0:00"}, {719, 12, L"1:00"},  // 59.9 s
               {296, 10, L"0:30"},  {14, 24, L"0:01"}};  // under a minute, rounded up: no "-0"
  for (const auto& t : times) EXPECT_EQ(FramesToTime(t.frames, t.rate), t.text) << t.frames;
  EXPECT_EQ(FramesToTime(100, 0), L"0:00");
  // A tiny rate gives a very long time, written out in full.
  std::wstring longest = FramesToTime(INT32_MAX, 1e-40f);
  EXPECT_GT(longest.size(), 50u);
  EXPECT_EQ(longest.find(L':'), longest.size() - 3) << longest;
  EXPECT_EQ(BytesToHexColor(0, 0x0A, 0xFF), L"000AFF");
}
