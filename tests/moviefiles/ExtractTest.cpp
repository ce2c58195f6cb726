#include <gtest/gtest.h>

#include "MovieTestEnv.h"
#include "moviefiles/ResourceExtractor.h"
#include "services/ShellMod.h"

using namespace moviebytes;
using namespace std::string_literals;
using testing_support::ReadBytes;

namespace {

Bytes WithId(uint16_t id, const Bytes& rest) {
  return Bytes{static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8)} + rest;
}
// DefineSound: id, format byte (format in the top 4 bits), sample count, then data.
Bytes Sound(uint16_t id, uint8_t format, const Bytes& data) {
  return WithId(id, Bytes{static_cast<uint8_t>(format << 4 | 0x0E), 0x10, 0, 0, 0} + data);
}
Bytes StreamHead(uint8_t format) { return {0x0E, static_cast<uint8_t>(format << 4 | 0x0E), 0x40, 0x02, 0, 0}; }
Bytes Block(const Bytes& frames) { return Bytes{0x40, 0x02, 0, 0} + frames; }

// Records what the walk reports; sets the cancel flag after a number of captions.
struct Recorder : ExtractProgress {
  void SetStatus(double f) override { statuses.push_back(f); }
  void SetCaption(const std::wstring& c) override {
    captions.push_back(c);
    if (cancel && captions.size() == cancelAfter) *cancel = true;
  }
  std::vector<double> statuses;
  std::vector<std::wstring> captions;
  size_t cancelAfter = 0;
  bool* cancel = nullptr;
};

}  // namespace

class ExtractTest : public MovieTest {
 protected:
  // Writes the movie, reads it in full mode and extracts into out\ (with the movie's length
  // replaced when one is given).
  void Extract(const Movie& m, int32_t (&counts)[5], bool compressed = false, Recorder* rec = nullptr,
               double length = -1) {
    out_ = Path(L"out\\");
    CreateDirectoryW(out_.c_str(), nullptr);
    ASSERT_EQ(Read(L"intro.swf", compressed ? m.Compressed() : m.Plain(), info_, true), L"");
    if (length >= 0) info_.MovieLength = length;
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
  EXPECT_EQ(std::tuple(counts[0], counts[1], counts[4]), std::tuple(4, 5, 9));
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
  m.tags.insert(m.tags.end(), {Tag(45, StreamHead(1)),  // not MP3: closes the first stream
                               Tag(19, Block({0xEE})),
                               Tag(45, StreamHead(2)),  // a second MP3 stream keeps the first
                               Tag(19, Block({0xAB, 0xCD})), EndTag(),
                               Tag(19, Block({0x99}))});  // after End: no stream open
  int32_t counts[5] = {0, 0, 0, 0, 0};
  Recorder rec;
  Extract(m, counts, false, &rec);
  EXPECT_EQ(std::tuple(counts[2], counts[3]), std::tuple(1, 2));
  EXPECT_EQ(Out(L"intro.swf.12.mp3"), mp3);
  EXPECT_FALSE(Exists(L"intro.swf.4.mp3"));
  EXPECT_EQ(Out(L"intro.swf.stream.mp3"), expected);
  EXPECT_EQ(Out(L"intro.swf.stream-2.mp3"), (Bytes{0xAB, 0xCD}));
  Bytes xml = Out(L"intro.swf.rdf.xml");
  std::string rdf(xml.begin(), xml.end());
  EXPECT_EQ(rdf.rfind("<rdf:RDF", 0), 0u);
  EXPECT_NE(rdf.find("<dc:title>T</dc:title>"), std::string::npos);

  ASSERT_FALSE(rec.captions.empty());
  EXPECT_EQ(std::tuple(rec.captions.front(), rec.captions.back()), std::tuple(L"Info"s, L"SoundStreamBlock"s));
  for (double f : rec.statuses) EXPECT_TRUE(f >= 0 && f <= 1);
  EXPECT_DOUBLE_EQ(rec.statuses.back(), 1.0);

  int32_t none[5] = {0, 0, -1, -1, 0};
  Extract(m, none);
  EXPECT_EQ(std::tuple(none[2], none[3]), std::tuple(-1, -1));
}

TEST_F(ExtractTest, CancelAfterTheCurrentTagAndProgressWithAZeroLength) {
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

  // With a movie length of 0 the progress stays within 0..1.
  cancel_ = false;
  Recorder zero;
  int32_t all[5] = {};
  Extract(m, all, false, &zero, 0);
  EXPECT_EQ(all[0], 5);
  ASSERT_EQ(zero.statuses.size(), 5u);
  for (double f : zero.statuses) EXPECT_TRUE(f >= 0 && f <= 1);
}

TEST_F(ExtractTest, OutputsReplaceEarlierOnesOnlyWhenWholeAndStayInTheFolder) {
  Movie m;
  m.tags = {Tag(21, WithId(1, Bytes{0, 0, 0, 0, 0xFF, 0xD8, 0xFF, 0xD9})), Tag(18, StreamHead(2))};
  Bytes stream;
  for (int i = 0; i < 20; ++i) {
    m.tags.push_back(Tag(19, Block({0xFF, 0xFB, static_cast<uint8_t>(i)})));
    Append(stream, {0xFF, 0xFB, static_cast<uint8_t>(i)});
  }
  m.tags.push_back(EndTag());
  int32_t counts[5] = {};
  Extract(m, counts);
  ASSERT_EQ(Out(L"intro.swf.stream.mp3"), stream);

  // Halfway through the second run the earlier stream file is still whole.
  struct Peek : Recorder {
    std::wstring file;
    Bytes seen;
    void SetCaption(const std::wstring& c) override {
      Recorder::SetCaption(c);
      if (captions.size() == 12) seen = ReadBytes(file);
    }
  } peek;
  peek.file = out_ + L"intro.swf.stream.mp3";
  int32_t again[5] = {};
  ExtractResources(info_, out_, &peek, again, cancel_);
  EXPECT_EQ(peek.seen, stream);
  EXPECT_EQ(Out(L"intro.swf.stream.mp3"), stream);

  // A movie named by a relative path, and titles that try to climb out of the folder.
  ASSERT_TRUE(CreateDirectoryW(Path(L"work").c_str(), nullptr) && CreateDirectoryW(Path(L"movies").c_str(), nullptr));
  Write(L"movies\\intro.swf", m.Plain());
  InFolder work(Path(L"work"));
  ASSERT_EQ(GetSWFInfo(L"../movies/intro.swf", info_, true), L"");
  EXPECT_EQ(info_.FileTitle, L"intro.swf");
  for (const wchar_t* title : {L"..\\..\\x.swf", L"../x.swf", L"a/../../x.swf", L"x.swf"}) {
    SWFInfo crafted = info_;
    crafted.FileTitle = title;
    int32_t n[5] = {};
    ExtractResources(crafted, out_, nullptr, n, cancel_);
    EXPECT_EQ(n[0], 1) << title;
    EXPECT_TRUE(Exists(L"x.swf.1.jpg")) << title;
    EXPECT_FALSE(FileExists(Path(L"x.swf.1.jpg")) || FileExists(Path(L"..\\x.swf.1.jpg"))) << title;
    DeleteFileW((out_ + L"x.swf.1.jpg").c_str());
  }
}

TEST(FixJPEGStream, MovesTheMisplacedStartOfImage) {
  Bytes img(700);
  for (size_t i = 0; i < img.size(); ++i) img[i] = static_cast<uint8_t>(i);
  img[1] = 0x00;
  img[570] = 0xFF, img[571] = 0xD8;
  // Bytes 570..609 first, then 0xDB, the first 569 bytes, 0xDA 0x00 and the rest as it was.
  Bytes expected = Bytes(img.begin() + 570, img.begin() + 610) + Bytes{0xDB} + Bytes(img.begin(), img.begin() + 569) +
                   Bytes{0xDA, 0x00} + Bytes(img.begin() + 612, img.end());
  Bytes fixed = img;
  FixJPEGStream(fixed);
  EXPECT_EQ(fixed, expected);

  Bytes proper = img, shortOne(img.begin(), img.begin() + 611);
  proper[1] = 0xD8;  // already starts with an image
  for (const Bytes& kept : {proper, shortOne}) {
    Bytes same = kept;
    FixJPEGStream(same);
    EXPECT_EQ(same, kept);
  }
}
