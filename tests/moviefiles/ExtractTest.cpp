#include <gtest/gtest.h>

#include "MovieTestEnv.h"
#include "moviefiles/ResourceExtractor.h"
#include "services/ShellMod.h"

using namespace moviebytes;
using testing_support::ReadBytes;

namespace {

Bytes WithId(uint16_t id, const Bytes& rest) {
  Bytes b;
  PutLE(b, id, 2);
  Append(b, rest);
  return b;
}
// DefineSound: id, format byte (format in the top 4 bits), sample count, then data.
Bytes Sound(uint16_t id, uint8_t format, const Bytes& data) {
  Bytes b = WithId(id, {static_cast<uint8_t>(format << 4 | 0x0E), 0x10, 0, 0, 0});
  Append(b, data);
  return b;
}
Bytes StreamHead(uint8_t format) { return {0x0E, static_cast<uint8_t>(format << 4 | 0x0E), 0x40, 0x02, 0, 0}; }
Bytes Block(const Bytes& frames) {
  Bytes b{0x40, 0x02, 0, 0};
  Append(b, frames);
  return b;
}

class Recorder : public ExtractProgress {
 public:
  void SetStatus(double f) override { statuses.push_back(f); }
  void SetCaption(const std::wstring& c) override {
    captions.push_back(c);
    if (cancelAfter && captions.size() == cancelAfter) *cancel = true;
  }
  std::vector<double> statuses;
  std::vector<std::wstring> captions;
  size_t cancelAfter = 0;
  bool* cancel = nullptr;
};

}  // namespace

class ExtractTest : public MovieTest {
 protected:
  // Writes the movie, reads it in full mode and extracts into out\.
  void Extract(const Movie& m, int32_t (&counts)[5], bool compressed = false, Recorder* rec = nullptr) {
    std::wstring path = Write(L"intro.swf", compressed ? m.Compressed() : m.Plain());
    out_ = Path(L"out\\");
    CreateDirectoryW(out_.c_str(), nullptr);
    ASSERT_EQ(GetSWFInfo(path, info_, true), L"");
    ExtractResources(info_, out_, rec, counts, cancel_);
  }
  Bytes Out(const std::wstring& name) { return ReadBytes(out_ + name); }
  bool Exists(const std::wstring& name) { return FileExists(out_ + name); }

  SWFInfo info_;
  std::wstring out_;
  bool cancel_ = false;
};

TEST_F(ExtractTest, ImagesWithAndWithoutTables) {
  Movie m;
  Bytes tables{0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x01, 0xFF, 0xD9};
  Bytes jpeg{0xFF, 0xD8, 0xFF, 0xE0, 0x11, 0x22, 0xFF, 0xD9};
  Bytes bitsBefore = WithId(1, {0xFF, 0xD8, 0x55, 0xFF, 0xD9});
  m.tags = {Tag(6, bitsBefore),                               // before any tables: one zero byte first
            Tag(8, tables),
            Tag(6, WithId(2, {0xFF, 0xD8, 0x66, 0xFF, 0xD9})),  // begins with the tables
            Tag(21, WithId(3, Bytes{0xFF, 0xD9, 0xFF, 0xD8} + jpeg)),
            Tag(21, WithId(7, Bytes{0, 0, 0, 0} + jpeg), true),
            Tag(21, {0x09, 0x00, 0xFF}),  // too short for its fixed fields
            Tag(6, {0x01}),
            EndTag()};
  int32_t counts[5] = {0, 5, 0, 0, 9};
  Extract(m, counts, true);
  EXPECT_EQ(counts[0], 4);
  EXPECT_EQ(counts[1], 5);
  EXPECT_EQ(counts[4], 9);
  EXPECT_EQ(Out(L"intro.swf.1.jpg"), (Bytes{0, 0xFF, 0xD8, 0x55, 0xFF, 0xD9}));
  EXPECT_EQ(Out(L"intro.swf.2.jpg"), (Bytes{0xFF, 0xDB, 0x00, 0x43, 0x01, 0xFF, 0xD9, 0xFF, 0xD8, 0x66, 0xFF, 0xD9}));
  EXPECT_EQ(Out(L"intro.swf.3.jpg"), jpeg);
  EXPECT_EQ(Out(L"intro.swf.7.jpg"), jpeg);
  EXPECT_FALSE(Exists(L"intro.swf.9.jpg"));

  int32_t refused[5] = {-1, 0, 0, 0, 0};
  Extract(m, refused);
  EXPECT_EQ(refused[0], -1);
}

TEST_F(ExtractTest, SoundsStreamsAndMetadata) {
  Movie m;
  Bytes mp3{0xFF, 0xFB, 0x90, 0x64, 1, 2, 3};
  m.tags = {MetadataTag("T", "D"),
            Tag(14, Sound(4, 1, {9, 9, 9, 9})),    // ADPCM: not extracted
            Tag(14, Sound(12, 2, Bytes{0x20, 0x00} + mp3)),
            Tag(14, {0x05, 0x00, 0x20}),           // too short
            Tag(39, {0x05, 0x00, 0x01, 0x00, 0x00, 0x00}),
            Tag(18, StreamHead(2))};
  Bytes expected;
  for (int i = 0; i < 100; ++i) {
    Bytes frame{0xFF, 0xFB, static_cast<uint8_t>(i)};
    m.tags.push_back(Tag(19, Block(frame)));
    Append(expected, frame);
  }
  m.tags.push_back(Tag(45, StreamHead(1)));  // not MP3: closes the first stream
  m.tags.push_back(Tag(19, Block({0xEE})));
  m.tags.push_back(Tag(45, StreamHead(2)));  // a second MP3 stream keeps the first
  m.tags.push_back(Tag(19, Block({0xAB, 0xCD})));
  m.tags.push_back(EndTag());
  m.tags.push_back(Tag(19, Block({0x99})));  // after End: no stream open
  int32_t counts[5] = {0, 0, 0, 0, 0};
  Recorder rec;
  Extract(m, counts, false, &rec);
  EXPECT_EQ(counts[2], 1);
  EXPECT_EQ(counts[3], 2);
  EXPECT_EQ(Out(L"intro.swf.12.mp3"), mp3);
  EXPECT_FALSE(Exists(L"intro.swf.4.mp3"));
  EXPECT_EQ(Out(L"intro.swf.stream.mp3"), expected);
  EXPECT_EQ(Out(L"intro.swf.stream-2.mp3"), (Bytes{0xAB, 0xCD}));
  std::string rdf(reinterpret_cast<const char*>(Out(L"intro.swf.rdf.xml").data()), Out(L"intro.swf.rdf.xml").size());
  EXPECT_EQ(rdf.rfind("<rdf:RDF", 0), 0u);
  EXPECT_NE(rdf.find("<dc:title>T</dc:title>"), std::string::npos);

  ASSERT_FALSE(rec.captions.empty());
  EXPECT_EQ(rec.captions.front(), L"Info");
  EXPECT_EQ(rec.captions.back(), L"SoundStreamBlock");
  for (double f : rec.statuses) EXPECT_TRUE(f >= 0 && f <= 1);
  EXPECT_DOUBLE_EQ(rec.statuses.back(), 1.0);

  int32_t none[5] = {0, 0, -1, -1, 0};
  Extract(m, none);
  EXPECT_EQ(none[2], -1);
  EXPECT_EQ(none[3], -1);
}

TEST_F(ExtractTest, CancelEndsTheWalkAfterTheCurrentTag) {
  Movie m;
  Bytes jpeg{0xFF, 0xD8, 0xFF, 0xD9};
  for (uint16_t id = 1; id <= 5; ++id) m.tags.push_back(Tag(21, WithId(id, Bytes{0, 0, 0, 0} + jpeg)));
  Recorder rec;
  rec.cancelAfter = 2;
  rec.cancel = &cancel_;
  int32_t counts[5] = {};
  Extract(m, counts, false, &rec);
  EXPECT_EQ(counts[0], 2);
  EXPECT_TRUE(Exists(L"intro.swf.2.jpg"));
  EXPECT_FALSE(Exists(L"intro.swf.3.jpg"));
}

TEST_F(ExtractTest, ProgressIsSafeWithAZeroLength) {
  Movie m;
  m.tags = {Tag(21, WithId(1, Bytes{0, 0, 0, 0, 0xFF, 0xD8}))};
  std::wstring path = Write(L"intro.swf", m.Plain());
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  info.MovieLength = 0;
  Recorder rec;
  int32_t counts[5] = {};
  bool cancel = false;
  std::wstring out = Path(L"");
  ExtractResources(info, out, &rec, counts, cancel);
  EXPECT_EQ(counts[0], 1);
  ASSERT_EQ(rec.statuses.size(), 1u);
  EXPECT_TRUE(rec.statuses[0] >= 0 && rec.statuses[0] <= 1);
}

TEST(FixJPEGStream, MovesTheMisplacedStartOfImage) {
  Bytes img(700);
  for (size_t i = 0; i < img.size(); ++i) img[i] = static_cast<uint8_t>(i);
  img[1] = 0x00;
  img[570] = 0xFF, img[571] = 0xD8;
  Bytes fixed = img;
  FixJPEGStream(fixed);
  EXPECT_TRUE(std::equal(fixed.begin(), fixed.begin() + 40, img.begin() + 570));
  EXPECT_EQ(fixed[40], 0xDB);
  EXPECT_TRUE(std::equal(fixed.begin() + 41, fixed.begin() + 610, img.begin()));
  EXPECT_EQ(fixed[610], 0xDA);
  EXPECT_EQ(fixed[611], 0x00);
  EXPECT_TRUE(std::equal(fixed.begin() + 612, fixed.end(), img.begin() + 612));

  Bytes proper = img;
  proper[1] = 0xD8;  // already starts with an image
  Bytes same = proper;
  FixJPEGStream(same);
  EXPECT_EQ(same, proper);
  Bytes shortOne(img.begin(), img.begin() + 611);
  same = shortOne;
  FixJPEGStream(same);
  EXPECT_EQ(same, shortOne);
}
