// H.264 in FLV: pictures stored out of presentation order (B-frames) shown
// by their presentation times, playing and seeking; the picture size the
// stream's sequence parameters crop to when no metadata gives one; and the
// sequence parameter reader on hand-written sets, damaged ones included.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "MediaTestSupport.h"
#include "platform/flash/media/FlvPlayer.h"
#include "platform/flash/media/H264Sequence.h"

using namespace flash::media;
using namespace mediatest;

namespace {

// h264-bframes.flv: 50 pictures 40 ms apart, the first presented at 80 ms;
// its references hold these pictures (see make_media.py).
constexpr int kBFrameRefs[] = {0, 1, 2, 3, 25, 26, 47, 48, 49};
constexpr uint32_t kFirstShown = 80, kFrameMs = 40;
constexpr int kQcifBytes = 176 * 144 * 3 / 2;

// The reference picture `index` of a YUV reference file as opaque pixels.
std::vector<uint32_t> ReferencePixels(const Bytes& ref, size_t index, int width, int height) {
  const int cw = (width + 1) / 2, ch = (height + 1) / 2;
  const uint8_t* y = ref.data() + index * (static_cast<size_t>(width) * height + 2 * cw * ch);
  const VideoImage image{width, height, true, {y, y + width * height, y + width * height + cw * ch}, {width, cw, cw}};
  return ToArgb(image);
}

double PixelPsnr(const std::vector<uint32_t>& got, const std::vector<uint32_t>& want) {
  if (got.size() != want.size()) return 0;
  return Psnr(reinterpret_cast<const uint8_t*>(got.data()), reinterpret_cast<const uint8_t*>(want.data()), got.size() * 4);
}

bool HaveH264() { return CreateVideoDecoder(VideoCodec::H264) != nullptr; }

// Shows the picture of `ms` and checks it is picture `frame`, and where the
// references hold that picture, that it looks like it.
void ExpectPicture(FlvPlayer& player, const Bytes& ref, uint32_t ms, int frame) {
  SCOPED_TRACE(testing::Message() << "at " << ms << " ms");
  player.ShowAt(ms / 1000.0);
  EXPECT_EQ(player.Shown(), frame);
  const auto* at = std::find(std::begin(kBFrameRefs), std::end(kBFrameRefs), frame);
  if (at == std::end(kBFrameRefs) || player.Shown() != frame) return;
  const auto want = ReferencePixels(ref, static_cast<size_t>(at - std::begin(kBFrameRefs)), 176, 144);
  EXPECT_GE(PixelPsnr(player.Pixels(), want), 35.0) << "picture " << frame;
}

}  // namespace

TEST(FlvStream, H264PicturesCarryTheirCompositionOffset) {
  using namespace moviebytes;
  auto avc = [](uint8_t frameType, uint8_t packetType, uint32_t offset) {
    Bytes b{static_cast<uint8_t>(frameType << 4 | 7), packetType};
    PutBE(b, offset & 0xFFFFFF, 3);
    return b + Bytes{0, 0, 0, 1, 0x65};
  };
  struct Case {
    Bytes body;
    uint32_t time, presented;
  } cases[] = {
      {avc(1, 0, 0x000050), 0, 0},       // a configuration record has no offset
      {avc(1, 1, 0x000050), 0, 80},      // a key picture shown 80 ms after it is decoded
      {avc(2, 1, 0x0000F0), 40, 280},
      {avc(2, 1, 0xFFFFD8), 120, 80},    // a negative offset: 24 bits with their sign
      {avc(2, 1, 0xFFFF00), 100, 0},     // never before the start
      {Bytes{0x22, 0x00, 0x01, 0x00}, 200, 200},  // another codec's bytes are no offset
  };
  Bytes file = FlvHeader();
  for (const Case& c : cases) Append(file, moviebytes::FlvTag(9, c.body, c.time));
  FlvStream flv;
  ASSERT_TRUE(flv.Open(file));
  ASSERT_EQ(flv.Video().size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(flv.Video()[i].Presented(), cases[i].presented) << i;
  // Seeking finds the key picture by when it shows, not by when it is stored.
  EXPECT_EQ(flv.KeyFrameAtOrBefore(79), 0u);
  EXPECT_EQ(flv.KeyFrameAtOrBefore(80), 1u);
}

TEST(H264Timing, EveryTimeShowsTheLastPicturePresentedByThen) {
  if (!HaveH264()) GTEST_SKIP() << "no H.264 decoder on this system";
  const Bytes ref = ReadReference(L"h264-bframes.ref", kQcifBytes, std::size(kBFrameRefs));
  ASSERT_FALSE(ref.empty());
  FlvPlayer player;
  ASSERT_TRUE(player.Open(DataPath(L"h264-bframes.flv")));
  // Playing: every picture's first and last millisecond, in order.
  ExpectPicture(player, ref, 0, 0);  // before the first is presented, the first stands
  for (int i = 0; i < 50; ++i) {
    const uint32_t shown = kFirstShown + kFrameMs * i;
    ExpectPicture(player, ref, shown, i);
    ExpectPicture(player, ref, shown + kFrameMs - 1, i);
  }
  ExpectPicture(player, ref, 5000, 49);
  // Seeking: the same pictures in a shuffled order, back and forth across key frames.
  std::vector<int> order(50);
  for (int i = 0; i < 50; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(35));
  for (int i : order) ExpectPicture(player, ref, kFirstShown + kFrameMs * i + 20, i);
}

TEST(H264Timing, SeekingGoesToTheKeyPictureAsItIsPresented) {
  if (!HaveH264()) GTEST_SKIP() << "no H.264 decoder on this system";
  FlvPlayer player;
  ASSERT_TRUE(player.Open(DataPath(L"h264-bframes.flv")));
  EXPECT_DOUBLE_EQ(player.KeyTime(1.5), 1.08);   // stored at 1.0 s, shown at 1.08 s
  EXPECT_DOUBLE_EQ(player.KeyTime(1.07), 0.08);  // the second key picture is not shown yet
  player.ShowAt(player.KeyTime(1.5));
  EXPECT_EQ(player.Shown(), 25);
}

TEST(H264Size, AStreamWithoutMetadataHasItsCroppedSize) {
  if (!HaveH264()) GTEST_SKIP() << "no H.264 decoder on this system";
  constexpr int kWidth = 160, kHeight = 90;
  const int frames[] = {0, 24, 49};
  const Bytes ref = ReadReference(L"h264-nosize.ref", kWidth * kHeight * 3 / 2, std::size(frames));
  ASSERT_FALSE(ref.empty());
  FlvPlayer player;
  ASSERT_TRUE(player.Open(DataPath(L"h264-nosize.flv")));
  for (size_t k = 0; k < std::size(frames); ++k) {
    player.ShowAt((kFirstShown + kFrameMs * frames[k]) / 1000.0);
    EXPECT_EQ(player.Width(), kWidth);
    EXPECT_EQ(player.Height(), kHeight);
    ASSERT_EQ(player.Shown(), frames[k]);
    EXPECT_GE(PixelPsnr(player.Pixels(), ReferencePixels(ref, k, kWidth, kHeight)), 35.0) << "picture " << frames[k];
  }
}

namespace {

// Writes a sequence parameter set field by field; Unit() escapes it as a NAL unit.
struct SpsWriter {
  moviebytes::BitWriter w;
  SpsWriter& U(uint32_t v, int n) {
    w.Put(v, n);
    return *this;
  }
  SpsWriter& Ue(uint64_t v) {
    int zeros = 0;
    while ((v + 1) >> (zeros + 1)) ++zeros;
    w.Put(0, zeros).Put(v + 1, zeros + 1);
    return *this;
  }
  SpsWriter& Se(int64_t v) { return Ue(v > 0 ? 2 * static_cast<uint64_t>(v) - 1 : 2 * static_cast<uint64_t>(-v)); }
  // The stop bit, then a 3 after every two zero bytes.
  Bytes Unit(uint8_t header = 0x67) {
    w.Put(1, 1);
    const Bytes raw = w.Done();
    Bytes out{header};
    int zeros = 0;
    for (uint8_t b : raw) {
      if (zeros == 2) out.push_back(3), zeros = 0;
      out.push_back(b);
      zeros = b == 0 ? zeros + 1 : 0;
    }
    return out;
  }
};

// The fields up to the size: profile, the high profiles' chroma fields, frame numbering.
SpsWriter Start(uint32_t profile, uint32_t chroma = 1, bool scaling = false) {
  SpsWriter s;
  s.U(profile, 8).U(0, 8).U(30, 8).Ue(0);
  if (profile >= 100) {
    s.Ue(chroma);
    if (chroma == 3) s.U(0, 1);
    s.Ue(0).Ue(0).U(0, 1).U(scaling, 1);
  }
  return s;
}
// From the frame numbering on: order count type 0, then size, field flag and crop.
Bytes Rest(SpsWriter s, uint32_t mbWide, uint32_t mapHigh, bool frameMbsOnly, std::vector<uint32_t> crop = {}) {
  s.Ue(0).Ue(0).Ue(2).Ue(4).U(0, 1).Ue(mbWide - 1).Ue(mapHigh - 1).U(frameMbsOnly, 1);
  if (!frameMbsOnly) s.U(0, 1);
  s.U(1, 1).U(!crop.empty(), 1);
  for (uint32_t c : crop) s.Ue(c);
  return s.U(0, 1).Unit();  // no usability information
}

}  // namespace

TEST(H264Sequence, ReadsTheCroppedPictureOfEveryLayout) {
  struct Case {
    const char* what;
    Bytes unit;
    std::optional<H264Geometry> want;
  };
  // Scaling lists: one 4x4 list of deltas, one 8x8 list ended early by a zero step.
  SpsWriter scaled = Start(100, 1, true);
  for (int i = 0; i < 8; ++i) {
    scaled.U(i == 1 || i == 6, 1);
    if (i == 1)
      for (int j = 0; j < 16; ++j) scaled.Se(j % 2 ? -3 : 5);
    if (i == 6) scaled.Se(4).Se(-12);  // 8 -> 12 -> 0: the rest repeat
  }
  // 4:4:4 has twelve lists, each present and flat.
  SpsWriter full = Start(244, 3, true);
  for (int i = 0; i < 12; ++i) {
    full.U(1, 1);
    for (int j = 0; j < (i < 6 ? 16 : 64); ++j) full.Se(0);
  }
  // Order count type 1 with a cycle, one offset large enough to need escape bytes.
  SpsWriter cycle = Start(77);
  cycle.Ue(0).Ue(1).U(0, 1).Se(-(int64_t{1} << 24)).Se(3).Ue(3).Se(1).Se(-1).Se(2);
  cycle.Ue(2).U(0, 1).Ue(39).Ue(22).U(1, 1).U(1, 1).U(1, 1).Ue(0).Ue(0).Ue(0).Ue(4).U(0, 1);
  const Bytes cycleUnit = cycle.Unit();
  const Case cases[] = {
      {"640x360, baseline", Rest(Start(66), 40, 23, true, {0, 0, 0, 4}), H264Geometry{640, 368, 0, 0, 640, 360}},
      {"uncropped", Rest(Start(66), 11, 9, true), H264Geometry{176, 144, 0, 0, 176, 144}},
      {"168x120, high", Rest(Start(100), 11, 8, true, {0, 4, 0, 4}), H264Geometry{176, 128, 0, 0, 168, 120}},
      {"crop on every side", Rest(Start(100), 11, 8, true, {1, 2, 3, 1}), H264Geometry{176, 128, 2, 6, 170, 120}},
      {"fields: rows count twice", Rest(Start(100), 45, 18, false, {0, 0, 1, 2}), H264Geometry{720, 576, 0, 4, 720, 564}},
      {"monochrome: units of one", Rest(Start(100, 0), 4, 4, true, {1, 1, 1, 1}), H264Geometry{64, 64, 1, 1, 62, 62}},
      {"4:2:2: whole rows", Rest(Start(122, 2), 4, 4, true, {1, 0, 1, 0}), H264Geometry{64, 64, 2, 1, 62, 63}},
      {"scaling lists", Rest(scaled, 11, 8, true, {0, 4, 0, 4}), H264Geometry{176, 128, 0, 0, 168, 120}},
      {"4:4:4 with twelve lists", Rest(full, 4, 4, true, {0, 3, 0, 3}), H264Geometry{64, 64, 0, 0, 61, 61}},
      {"order count cycle, escaped", cycleUnit, H264Geometry{640, 368, 0, 0, 640, 360}},
      // Damaged or hostile sets give nothing.
      {"not a sequence unit", Bytes{0x68, 0xCE, 0x38, 0x80}, std::nullopt},
      {"cut before the size", Bytes(cycleUnit.begin(), cycleUnit.begin() + 12), std::nullopt},
      {"empty", Bytes{}, std::nullopt},
      {"wider than the cap", Rest(Start(66), 257, 9, true), std::nullopt},
      {"crop the whole width", Rest(Start(66), 11, 9, true, {44, 44, 0, 0}), std::nullopt},
      {"crop past the height", Rest(Start(66), 11, 9, true, {0, 0, 0, 0xFFFFFFF}), std::nullopt},
      {"a code of 32 zeros", Bytes{0x67, 66, 0, 30, 0, 0, 0, 0, 0x80}, std::nullopt},
  };
  const uint8_t escape[] = {0, 0, 3};  // there to be removed
  EXPECT_NE(std::search(cycleUnit.begin(), cycleUnit.end(), std::begin(escape), std::end(escape)), cycleUnit.end());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto got = ReadH264Geometry(c.unit);
    ASSERT_EQ(got.has_value(), c.want.has_value());
    if (!got) continue;
    EXPECT_EQ(got->codedWidth, c.want->codedWidth);
    EXPECT_EQ(got->codedHeight, c.want->codedHeight);
    EXPECT_EQ(got->left, c.want->left);
    EXPECT_EQ(got->top, c.want->top);
    EXPECT_EQ(got->width, c.want->width);
    EXPECT_EQ(got->height, c.want->height);
  }
}

TEST(H264Sequence, SeededDamageNeverReadsPastTheUnit) {
  const Bytes good = Rest(Start(100), 11, 8, true, {0, 4, 0, 4});
  std::mt19937 random(8);
  for (int round = 0; round < 2000; ++round) {
    Bytes unit = good;
    unit.resize(1 + random() % unit.size());
    for (int k = 0; k < 3 && unit.size() > 1; ++k) unit[1 + random() % (unit.size() - 1)] ^= static_cast<uint8_t>(random());
    // Heap copies of the exact length, so a read past the end is a fault the run sees.
    const auto copy = std::make_unique<uint8_t[]>(unit.size());
    std::copy(unit.begin(), unit.end(), copy.get());
    if (const auto g = ReadH264Geometry({copy.get(), unit.size()})) {
      ASSERT_GT(g->width, 0);
      ASSERT_LE(g->left + g->width, g->codedWidth);
      ASSERT_LE(g->top + g->height, g->codedHeight);
      ASSERT_LE(g->codedWidth, kMaxVideoSide);
      ASSERT_LE(g->codedHeight, kMaxVideoSide);
    }
  }
}
