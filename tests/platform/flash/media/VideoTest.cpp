// Video decoding: each codec's test stream against the encoder's own decoded
// frames, seeking an FLV to 2.5 s, and damaged streams (seeded mutations,
// cut packets, oversized headers) that must neither crash nor draw garbage.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "MediaTestSupport.h"

using namespace flash::media;
using namespace mediatest;

namespace {

struct Stream {
  const wchar_t* file;
  const wchar_t* reference;
  VideoCodec codec;
  int width, height;
  bool yuv;
  size_t FrameBytes() const { return yuv ? static_cast<size_t>(width) * height * 3 / 2 : static_cast<size_t>(width) * height * 3; }
};

const Stream kStreams[] = {
    {L"sorenson.flv", L"sorenson.ref", VideoCodec::SorensonH263, 168, 120, true},
    {L"screen.flv", L"screen.ref", VideoCodec::ScreenVideo, 160, 120, false},
    {L"screen2.flv", L"screen2.ref", VideoCodec::ScreenVideo2, 160, 120, false},
    {L"h264.flv", L"h264.ref", VideoCodec::H264, 176, 144, true},  // the system's decoder
};

// The video tags that hold pictures (an H.264 configuration packet or end
// marker holds none), numbered as the decoders number their pictures.
std::vector<const FlvTag*> Pictures(const FlvStream& flv) {
  std::vector<const FlvTag*> out;
  for (const FlvTag& tag : flv.Video())
    if (!((tag.data[0] & 15) == 7 && (tag.data.size() < 2 || tag.data[1] != 1))) out.push_back(&tag);
  return out;
}

// Feeds pictures first..last (and at the stream's end what the decoder held
// back), telling seen about every picture that comes out.
void DecodeRange(VideoDecoder& decoder, const FlvStream& flv, size_t first, size_t last,
                 const std::function<void(const VideoImage&)>& seen) {
  for (const FlvTag& tag : flv.Video())
    if (tag.data.size() > 1 && (tag.data[0] & 15) == 7 && tag.data[1] == 0) decoder.Decode(Payload(tag), false);
  const auto pictures = Pictures(flv);
  for (size_t i = first; i <= last && i < pictures.size(); ++i)
    if (decoder.Decode(Payload(*pictures[i]), pictures[i]->key, static_cast<int64_t>(i)) == DecodeResult::Picture)
      seen(*decoder.Image());
  if (decoder.Flush()) seen(*decoder.Image());
}

std::unique_ptr<VideoDecoder> DecoderOrSkip(VideoCodec codec) {
  auto decoder = CreateVideoDecoder(codec);
  if (!decoder && codec != VideoCodec::H264) ADD_FAILURE() << "no decoder for codec " << static_cast<int>(codec);
  return decoder;
}

}  // namespace

TEST(VideoDecoders, MatchTheEncodersOwnDecoding) {
  for (const Stream& s : kStreams) {
    SCOPED_TRACE(std::string(s.file, s.file + wcslen(s.file)));
    const Bytes file = ReadData(s.file);
    const Bytes ref = ReadReference(s.reference, s.FrameBytes());
    ASSERT_FALSE(ref.empty());
    FlvStream flv;
    ASSERT_TRUE(flv.Open(file));
    ASSERT_EQ(Pictures(flv).size(), 100u);
    auto decoder = DecoderOrSkip(s.codec);
    if (!decoder) continue;
    size_t next = 0;
    DecodeRange(*decoder, flv, 0, 99, [&](const VideoImage& image) {
      EXPECT_EQ(image.width, s.width);
      EXPECT_EQ(image.height, s.height);
      if (next < std::size(kRefFrames) && image.frame == kRefFrames[next]) {
        const Bytes got = PictureBytes(image);
        ASSERT_EQ(got.size(), s.FrameBytes());
        EXPECT_GE(Psnr(got.data(), ref.data() + next * s.FrameBytes(), got.size()), 35.0) << "frame " << image.frame;
        ++next;
      }
    });
    EXPECT_EQ(next, std::size(kRefFrames));
  }
}

TEST(VideoDecoders, SeekingDecodesFromTheKeyFrameBefore) {
  const Stream& s = kStreams[0];
  const Bytes file = ReadData(s.file);
  const Bytes ref = ReadReference(s.reference, s.FrameBytes());
  FlvStream flv;
  ASSERT_TRUE(flv.Open(file));
  EXPECT_NEAR(flv.Duration(), 4.0, 0.1);  // the sound runs a little longer
  const long target = flv.FrameAt(2500);
  ASSERT_EQ(target, 62);  // shown from 2.48 s to 2.52 s
  const size_t key = flv.KeyFrameAtOrBefore(2500);
  EXPECT_EQ(key, 50u);
  EXPECT_EQ(flv.KeyFrameAtOrBefore(0), 0u);
  auto decoder = CreateVideoDecoder(s.codec);
  decoder->Decode(Payload(flv.Video()[7]), false);  // somewhere else first
  decoder->Reset();
  DecodeRange(*decoder, flv, key, static_cast<size_t>(target), [](const VideoImage&) {});
  ASSERT_TRUE(decoder->Image());
  EXPECT_EQ(decoder->Image()->frame, target);
  const Bytes got = PictureBytes(*decoder->Image());
  EXPECT_GE(Psnr(got.data(), ref.data() + 3 * s.FrameBytes(), got.size()), 35.0);
}

TEST(FlvStream, KeyFramesFromTheMetadataTableWhenItIsTrue) {
  using namespace moviebytes;
  auto video = [](bool key) { return Bytes{static_cast<uint8_t>((key ? 0x10 : 0x20) | 2), 0, 0}; };
  auto keyTable = [](std::vector<double> times, std::vector<double> positions) {
    Bytes obj{3};
    for (auto* list : {&times, &positions}) {
      Append(obj, AmfKey(list == &times ? "times" : "filepositions"));
      obj.push_back(10);
      PutBE(obj, list->size(), 4);
      for (double v : *list) Append(obj, AmfNumber(v));
    }
    return obj + Bytes{0, 0, 9};
  };
  for (bool truthful : {true, false}) {
    const Bytes head = FlvHeader();
    // Positions of the tags: metadata first (its size known once built), then frames.
    Bytes meta = MetaData({{"duration", AmfNumber(3)}, {"keyframes", keyTable({0, 2}, {0, 0})}});
    const size_t firstFrame = head.size() + 11 + meta.size() + 4, frameTag = 11 + 3 + 4;
    meta = MetaData({{"duration", AmfNumber(3)},
                     {"keyframes", keyTable({0, 2}, {double(firstFrame), double(firstFrame + frameTag * (truthful ? 2 : 1))})}});
    Bytes file = head + moviebytes::FlvTag(18, meta, 0);
    for (int i = 0; i < 4; ++i) Append(file, moviebytes::FlvTag(9, video(i % 2 == 0), i * 1000));
    FlvStream flv;
    ASSERT_TRUE(flv.Open(file));
    EXPECT_EQ(flv.KeyFramesFromMetadata(), truthful);
    EXPECT_EQ(flv.KeyFrameAtOrBefore(2500), 2u);
    EXPECT_DOUBLE_EQ(flv.Duration(), 3.0);
  }
}

TEST(VideoDecoders, DamagedStreamsAreDroppedWithoutHarm) {
  std::mt19937 random(31);
  for (const Stream& s : kStreams) {
    const Bytes file = ReadData(s.file);
    FlvStream flv;
    ASSERT_TRUE(flv.Open(file));
    for (int round = 0; round < 6; ++round) {
      auto decoder = DecoderOrSkip(s.codec);
      if (!decoder) break;
      for (const FlvTag& tag : flv.Video()) {
        Bytes packet(Payload(tag).begin(), Payload(tag).end());
        switch (random() % 4) {
          case 0: packet.resize(random() % (packet.size() + 1)); break;
          case 1:
            for (int k = 0; k < 5 && !packet.empty(); ++k) packet[random() % packet.size()] ^= static_cast<uint8_t>(1 + random() % 255);
            break;
          case 2: if (packet.size() > 8) packet[random() % 8] = 0xFF; break;
          default: break;
        }
        decoder->Decode(packet, tag.key, 0);
        if (const VideoImage* image = decoder->Image()) {
          ASSERT_LE(image->width, kMaxVideoSide);
          ASSERT_LE(image->height, kMaxVideoSide);
          ToArgb(*image);  // every pixel reachable
        }
      }
    }
  }
  // Headers asking for more than the cap are refused before any allocation.
  auto screen = CreateVideoDecoder(VideoCodec::ScreenVideo);
  EXPECT_EQ(screen->Decode(Bytes{0xF0, 0x00, 0xFF, 0xFF}, true), DecodeResult::Dropped);
  auto sorenson = CreateVideoDecoder(VideoCodec::SorensonH263);
  moviebytes::BitWriter w;
  w.Put(1, 17).Put(0, 5).Put(0, 8).Put(1, 3).Put(65535, 16).Put(65535, 16).Put(0, 2).Put(0, 1).Put(5, 5).Put(0, 1);
  EXPECT_EQ(sorenson->Decode(w.Done(), true), DecodeResult::Dropped);
  EXPECT_EQ(sorenson->Image(), nullptr);
  EXPECT_FALSE(CreateVideoDecoder(VideoCodec::Vp6));
}

TEST(VideoDecoders, ADamagedScreenFrameLeavesThePictureForTheNextFrame) {
  for (const Stream& s : {kStreams[1], kStreams[2]}) {
    SCOPED_TRACE(std::string(s.file, s.file + wcslen(s.file)));
    const Bytes file = ReadData(s.file);
    FlvStream flv;
    ASSERT_TRUE(flv.Open(file));
    const auto pictures = Pictures(flv);
    auto clean = CreateVideoDecoder(s.codec), damaged = CreateVideoDecoder(s.codec);
    for (size_t i = 0; i < 30; ++i) {
      const FlvTag& tag = *pictures[i];
      ASSERT_EQ(clean->Decode(Payload(tag), tag.key, static_cast<int64_t>(i)), DecodeResult::Picture);
      if (i % 3 == 2) {
        // The frame cut short inside its last block: every block before it already written.
        const Bytes before = PictureBytes(*damaged->Image());
        const Bytes cut(Payload(tag).begin(), Payload(tag).end() - 3);
        EXPECT_EQ(damaged->Decode(cut, tag.key, static_cast<int64_t>(i)), DecodeResult::Dropped) << "frame " << i;
        EXPECT_EQ(PictureBytes(*damaged->Image()), before) << "frame " << i;
      }
      ASSERT_EQ(damaged->Decode(Payload(tag), tag.key, static_cast<int64_t>(i)), DecodeResult::Picture);
      ASSERT_EQ(PictureBytes(*damaged->Image()), PictureBytes(*clean->Image())) << "frame " << i;
    }
  }
}

TEST(VideoDecoders, ScreenBlocksAreCheckedAndMayEndWithoutTheStreamsEnd) {
  // One 16x16 block of a 16x16 key frame, its pixels compressed as each case says.
  Bytes pixels(16 * 16 * 3);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7 + i / 48);
  auto compress = [&](int flush) {
    z_stream z{};
    deflateInit(&z, 9);
    Bytes out(1024);
    z.next_in = pixels.data(), z.avail_in = static_cast<uInt>(pixels.size());
    z.next_out = out.data(), z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, flush);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    return out;
  };
  const Bytes whole = compress(Z_FINISH), flushed = compress(Z_SYNC_FLUSH);
  Bytes wrongSum = whole;
  wrongSum.back() ^= 1;
  const struct {
    const char* name;
    Bytes data;
    DecodeResult result;
  } cases[] = {{"the whole stream", whole, DecodeResult::Picture},
               {"flushed, without the stream's end", flushed, DecodeResult::Picture},
               {"a wrong check value", wrongSum, DecodeResult::Dropped},
               {"cut inside the data", Bytes(whole.begin(), whole.begin() + whole.size() / 2), DecodeResult::Dropped}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes packet{0x00, 16, 0x00, 16, static_cast<uint8_t>(c.data.size() >> 8), static_cast<uint8_t>(c.data.size())};
    packet.insert(packet.end(), c.data.begin(), c.data.end());
    auto decoder = CreateVideoDecoder(VideoCodec::ScreenVideo);
    ASSERT_EQ(decoder->Decode(packet, true), c.result);
    if (c.result != DecodeResult::Picture) continue;
    // Rows come bottom-up.
    const Bytes got = PictureBytes(*decoder->Image());
    for (int row = 0; row < 16; ++row)
      EXPECT_TRUE(std::equal(got.begin() + row * 48, got.begin() + row * 48 + 48, pixels.begin() + (15 - row) * 48)) << "row " << row;
  }
}
