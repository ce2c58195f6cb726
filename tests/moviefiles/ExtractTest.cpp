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

TEST_F(ExtractTest, ImagesOfEveryTagInTheirOwnFormat) {
  const Bytes soi{0xFF, 0xD8}, eoi{0xFF, 0xD9}, prefix{0xFF, 0xD9, 0xFF, 0xD8};
  const Bytes tables{0xFF, 0xDB, 0x00, 0x03, 0x01, 0xFF, 0xC4, 0x00, 0x03, 0x02};
  const Bytes frame{0xFF, 0xC0, 0x00, 0x03, 0x03, 0xFF, 0xDA, 0x00, 0x03, 0x04, 0x55, 0x66};
  const Bytes jpeg = soi + tables + frame + eoi;
  const Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3};
  const Bytes gif = Text("GIF89a") + Bytes{4, 5, 6};
  Bytes jpeg3;
  PutLE(jpeg3, static_cast<uint32_t>(jpeg.size()), 4);
  Movie m;
  m.tags = {Tag(6, WithId(1, soi + frame + eoi)),             // before any tables: the image alone
            Tag(8, prefix + soi + tables + eoi),
            Tag(6, WithId(2, soi + frame + eoi)),             // over the tables
            Tag(21, WithId(3, prefix + jpeg)),
            Tag(21, WithId(4, jpeg), true),
            Tag(21, WithId(5, soi + tables + eoi + soi + frame + eoi)),  // after its own tables
            Tag(21, WithId(6, png)),
            Tag(21, WithId(7, gif)),
            Tag(35, WithId(8, jpeg3 + jpeg + Bytes{0x78, 0x9C, 0x03, 0x00})),  // the alpha plane is left out
            Tag(35, WithId(9, jpeg3 + png)),                  // an image size past the end
            Tag(21, {0x09}),                                  // too short for its id
            EndTag()};
  int32_t counts[5] = {0, 0, 0, 0, 9};
  Extract(m, counts, true);
  EXPECT_EQ(std::tuple(counts[0], counts[1], counts[4]), std::tuple(6, 2, 9));
  EXPECT_EQ(Out(L"intro.swf.1.jpg"), soi + frame + eoi);
  for (const wchar_t* name : {L"intro.swf.2.jpg", L"intro.swf.3.jpg", L"intro.swf.4.jpg", L"intro.swf.5.jpg",
                              L"intro.swf.8.jpg"})
    EXPECT_EQ(Out(name), jpeg) << name;
  EXPECT_EQ(Out(L"intro.swf.6.png"), png);
  EXPECT_EQ(Out(L"intro.swf.7.gif"), gif);
  EXPECT_FALSE(Exists(L"intro.swf.9.jpg") || Exists(L"intro.swf.9.png"));

  // A second run writes beside the first one's files, never over them.
  int32_t again[5] = {0, -1, 0, 0, 0};
  ExtractResources(info_, out_, nullptr, again, cancel_);
  EXPECT_EQ(std::tuple(again[0], again[1]), std::tuple(6, -1));
  EXPECT_EQ(Out(L"intro.swf.3(1).jpg"), jpeg);
  EXPECT_FALSE(Exists(L"intro.swf.6(1).png"));
  EXPECT_EQ(Out(L"intro.swf.3.jpg"), jpeg);

  int32_t refused[5] = {-1, -1, 0, 0, 0};
  Extract(m, refused);
  EXPECT_EQ(std::tuple(refused[0], refused[1]), std::tuple(-1, -1));
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

TEST_F(ExtractTest, OutputsNeverReplaceEarlierOnesAndStayInTheFolder) {
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

  // A second run writes numbered files beside the first one's; halfway through it the stream has no
  // file of its own yet.
  struct Peek : Recorder {
    std::wstring folder;
    bool numberedSeen = false;
    void SetCaption(const std::wstring& c) override {
      Recorder::SetCaption(c);
      if (captions.size() == 12) numberedSeen = FileExists(folder + L"intro.swf.stream(1).mp3");
    }
  } peek;
  peek.folder = out_;
  const Bytes image = Out(L"intro.swf.1.jpg");
  int32_t again[5] = {};
  ExtractResources(info_, out_, &peek, again, cancel_);
  EXPECT_EQ(std::tuple(again[0], again[3]), std::tuple(1, 1));
  EXPECT_FALSE(peek.numberedSeen);
  EXPECT_EQ(Out(L"intro.swf.stream.mp3"), stream);
  EXPECT_EQ(Out(L"intro.swf.stream(1).mp3"), stream);
  EXPECT_EQ(Out(L"intro.swf.1(1).jpg"), image);

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
