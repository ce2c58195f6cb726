#include <gtest/gtest.h>

#include <limits>

#include "MovieTestEnv.h"
#include "moviefiles/FLVReader.h"
#include "services/ShellMod.h"
#include "services/XmlDocument.h"

using namespace moviebytes;
using namespace std::string_literals;

class FLVTest : public MovieTest {
 protected:
  // The video's page, read as the UTF-8 text it is.
  std::wstring PageText(const std::wstring& video) {
    Bytes b = testing_support::ReadBytes(VideoPagePath(video));
    std::wstring text(b.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()),
                                    text.data(), static_cast<int>(text.size())));
    return text;
  }
  std::wstring WrapperPrefix(const std::wstring& video) {
    return FlashFolder + L"video.swf?myXML=" + URLEncode(VideoPagePath(video)) + L"&time=";
  }
  // Reads a video made of the header and these tags.
  SWFInfo Video(const std::vector<Bytes>& tags, const std::wstring& name = L"v.flv") {
    Bytes flv = FlvHeader();
    for (const Bytes& t : tags) Append(flv, t);
    SWFInfo info;
    EXPECT_EQ(Read(name, flv, info), L"");
    return info;
  }
  // A key frame of codec 2 (Sorenson): 17 bits start code, 5 version, 8 temporal reference,
  // then 3 bits of picture-size code and, for codes 0 and 1, the size in 8 or 16 bits.
  static Bytes Sorenson(uint32_t sizeCode, uint32_t w = 0, uint32_t h = 0) {
    BitWriter b;
    b.Put(0x22, 8).Put(1, 17).Put(0, 5).Put(0, 8).Put(sizeCode, 3);
    if (sizeCode < 2) b.Put(w, sizeCode ? 16 : 8).Put(h, sizeCode ? 16 : 8);
    return b.Done();
  }
};

TEST_F(FLVTest, MetadataGivesSizeRateAndLength) {
  Bytes flv = FlvHeader() + FlvTag(18, MetaData({{"duration", AmfNumber(10)},
                                                 {"width", AmfNumber(640)},
                                                 {"height", AmfNumber(360)},
                                                 {"framerate", AmfNumber(25)},
                                                 {"videocodecid", AmfNumber(4)},
                                                 {"videodatarate", AmfNumber(781.25)},
                                                 {"audiodatarate", AmfNumber(96)}}),
                                       0) +
              FlvTag(9, Sorenson(5), 0);
  std::wstring path = Write(L"vid\u00E9o \u20AC.flv", flv);  // the page is UTF-8, whatever the code page
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(std::tuple(info.IsFLV, info.Version, info.BackColor), std::tuple(true, 1, L"000000"s));
  EXPECT_EQ(Frame(info), std::tuple(640, 360, 25.0f, 250));
  // The codec from the metadata: video tags after it are not walked.
  EXPECT_EQ(std::tuple(info.VideoCodecID, info.VideoDataRate, info.AudioDataRate), std::tuple(4, 781, 96));
  EXPECT_EQ(info.MovieLength, static_cast<double>(flv.size()));
  EXPECT_EQ(info.RequestedPath, path);
  EXPECT_EQ(info.Path.rfind(WrapperPrefix(path), 0), 0u) << info.Path;
  EXPECT_NE(PageText(path).find(L"<VIDEO><SOURCE>" + path + L"</SOURCE><WIDTH>640</WIDTH><HEIGHT>360</HEIGHT>"
                            L"<TIME>0</TIME></VIDEO>"),
            std::wstring::npos);
  EXPECT_EQ(VideoPageText(L"C:\\v\\a&b.flv", 320, 240, 0),
            L"<?xml version=\"1.0\"?><VIDEO>\r\n<SOURCE>C:\\v\\a&amp;b.flv</SOURCE>\r\n<WIDTH>320</WIDTH>\r\n"
            L"<HEIGHT>240</HEIGHT>\r\n<TIME>0</TIME>\r\n</VIDEO>");
}

TEST_F(FLVTest, MetadataValuesOfOtherTypesAreSkippedAndOddNumbersClamped) {
  Bytes object = Bytes{3} + AmfKey("inner") + AmfString("x") + Bytes{0, 0, 9};
  Bytes strict = Bytes{10, 0, 0, 0, 2} + AmfNumber(1) + AmfString("two");
  Bytes date = Bytes{11} + Filled(10, 0);
  SWFInfo info = Video({FlvTag(18, MetaData({{"creator", AmfString("someone")},
                                             {"keyframes", object},
                                             {"times", strict},
                                             {"created", date},
                                             {"hasVideo", {1, 1}},
                                             {"Width", AmfNumber(999)},  // keys are exact and lower case
                                             {"width", AmfNumber(-5)},
                                             {"height", AmfNumber(std::numeric_limits<double>::quiet_NaN())},
                                             {"framerate", AmfNumber(29.97)},
                                             {"videocodecid", AmfNumber(1e9)},
                                             {"videodatarate", AmfNumber(1e12)}}),
                                  0)});
  EXPECT_EQ(Frame(info), std::tuple(320, 240, 29.97f, 0));  // a negative width -> 0 -> the default
  EXPECT_EQ(std::tuple(info.VideoCodecID, info.VideoDataRate), std::tuple(255, 32767));

  // Without framerate and duration: 24 frames a second and no frames.
  info = Video({FlvTag(18, MetaData({{"width", AmfNumber(100)}}), 0)});
  EXPECT_EQ(Frame(info), std::tuple(100, 240, 24.0f, 0));
}

TEST_F(FLVTest, WithoutMetadataFramesAreCountedAndTimed) {
  std::vector<Bytes> tags;
  for (int i = 0; i < 100; ++i) {
    tags.push_back(FlvTag(9, i == 0 ? Sorenson(5) : Bytes{0x22, 0, 0}, i * 40));
    tags.push_back(FlvTag(8, {0x2F, 1, 2, 3}, i * 40));
  }
  SWFInfo info = Video(tags);
  EXPECT_EQ(Frame(info), std::tuple(320, 240, 25.0f, 100));
  EXPECT_EQ(info.VideoCodecID, 2);
  EXPECT_NE(PageText(Path(L"v.flv")).find(L"<TIME>3960</TIME>"), std::wstring::npos);
  // One frame at time 0: no rate from the formula, 24 instead.
  EXPECT_EQ(Frame(Video({FlvTag(9, Sorenson(5), 0)})), std::tuple(320, 240, 24.0f, 1));
}

TEST_F(FLVTest, PictureSizeOfEachCodec) {
  const struct {
    Bytes frame;
    int32_t width, height;
  } cases[] = {
      {Sorenson(0, 200, 100), 200, 100}, {Sorenson(1, 1280, 720), 1280, 720}, {Sorenson(2), 352, 288},
      {Sorenson(3), 176, 144},           {Sorenson(4), 128, 96},              {Sorenson(6), 160, 120},
      {Sorenson(7), 640, 480},
      {{0x13, 0x41, 0x90, 0x30, 0xF0}, 400, 240},  // screen video: 4 bits, 12 bits width, 4 bits, 12 bits height
      {{0x16, 0x01, 0x00, 0x00, 0x80}, 256, 128},  // screen video 2
      {{0x10, 0x9A}, 9, 10},                       // codec 0: two nibbles
      {{0x17, 0x01, 0x02}, 320, 240},              // AVC: no size from the tag
  };
  for (const auto& c : cases) {
    SWFInfo info = Video({FlvTag(9, c.frame, 0)});
    EXPECT_EQ(std::tuple(info.Width, info.Height, info.VideoCodecID), std::tuple(c.width, c.height, c.frame[0] & 0x0F))
        << int(c.frame[0]);
  }
  // The size bits are read only inside the tag: a cut Sorenson header gives the default.
  Bytes cut = Sorenson(1, 1280, 720);
  cut.resize(6);
  SWFInfo info = Video({FlvTag(9, cut, 0), FlvTag(9, Filled(20, 0xFF), 40)});
  EXPECT_EQ(std::tuple(info.Width, info.Height), std::tuple(320, 240));
}

TEST_F(FLVTest, TruncatedVideoStillGetsItsPageAndEscapedSource) {
  Bytes flv = FlvHeader();
  for (int i = 0; i < 10; ++i) Append(flv, FlvTag(9, i == 0 ? Sorenson(3) : Filled(100, 1), i * 100));
  flv.resize(flv.size() - 50);
  std::wstring path = Write(L"R&D #1 'cut'.flv", flv);
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(std::tuple(info.FrameCount, info.Width), std::tuple(10, 176));
  EXPECT_EQ(info.Path.rfind(WrapperPrefix(path), 0), 0u);
  XmlDocument page;
  ASSERT_TRUE(page.Load(VideoPagePath(path)));
  EXPECT_EQ(page.SelectSingleNode(L"VIDEO/SOURCE").Text(), path);

  // A file that ends inside the first tag header: no tags, the defaults.
  EXPECT_EQ(Frame(Video({Bytes{9, 0, 0}}, L"tiny.flv")), std::tuple(320, 240, 24.0f, 0));
}

TEST_F(FLVTest, EachVideoKeepsItsOwnPage) {
  std::wstring first = Write(L"one.flv", FlvHeader() + FlvTag(9, Sorenson(3), 0));
  std::wstring second = Write(L"two.flv", FlvHeader() + FlvTag(9, Sorenson(7), 0));
  SWFInfo a, b;
  ASSERT_EQ(GetSWFInfo(first, a, false), L"");
  ASSERT_EQ(GetSWFInfo(second, b, false), L"");
  EXPECT_EQ(a.Path.rfind(WrapperPrefix(first), 0), 0u) << a.Path;
  EXPECT_EQ(b.Path.rfind(WrapperPrefix(second), 0), 0u) << b.Path;
  // The address handed out first still leads to the first video.
  EXPECT_NE(PageText(first).find(L"<SOURCE>" + first + L"</SOURCE><WIDTH>176</WIDTH>"), std::wstring::npos);
  EXPECT_NE(PageText(second).find(L"<SOURCE>" + second + L"</SOURCE><WIDTH>640</WIDTH>"), std::wstring::npos);
}

TEST_F(FLVTest, DeeplyNestedMetadataEndsTheMetadata) {
  // An object nested `depth` levels deep before the width: skipped whole up to
  // the nesting limit; deeper, the metadata is read no further.
  for (auto [depth, width] : {std::pair{20, 640}, std::pair{1000, 320}}) {
    Bytes nested = Bytes{5};  // null
    for (int i = 0; i < depth; ++i) nested = Bytes{3} + AmfKey("k") + nested + Bytes{0, 0, 9};
    SWFInfo info = Video({FlvTag(18, MetaData({{"deep", nested}, {"width", AmfNumber(640)}}), 0)});
    EXPECT_EQ(info.Width, width) << depth;
  }
}
