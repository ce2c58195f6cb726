// Sound decoding: ADPCM of every code size against the tests' own encoder,
// PCM in both byte orders and 8-bit, the rates resampled to 44.1 kHz, MP3
// through the system's codec (a tone's frequency and length), and the
// formats without a decoder giving silence.
#include <gtest/gtest.h>

#include <cmath>

#include "MediaTestSupport.h"
#include "platform/flash/media/Mp3Decoder.h"
#include "platform/flash/media/SoundDecoder.h"

using namespace flash::media;
using namespace mediatest;

namespace {

std::vector<int16_t> Sine(double hz, int rate, int frames, int channels, double amplitude) {
  std::vector<int16_t> out;
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      out.push_back(static_cast<int16_t>(std::lround(amplitude * std::sin(2 * 3.14159265358979 * hz * i / rate + c))));
  return out;
}

// Sign changes of the left channel from a start frame.
int Crossings(const std::vector<int16_t>& stereo, size_t from, size_t to) {
  int n = 0;
  for (size_t i = from + 1; i < to; ++i) n += (stereo[2 * i - 2] < 0) != (stereo[2 * i] < 0);
  return n;
}

}  // namespace

TEST(Adpcm, DecodesOwnVectorsWithinOneStep) {
  for (int bits = 2; bits <= 5; ++bits) {
    for (int channels = 1; channels <= 2; ++channels) {
      SCOPED_TRACE("bits " + std::to_string(bits) + " channels " + std::to_string(channels));
      // Two packets and a part, a slow sine the smallest code size can follow.
      const auto input = Sine(110, 22050, 9000, channels, 6000);
      std::vector<int16_t> decoded;
      ASSERT_TRUE(DecodeAdpcm(EncodeAdpcm(input, channels, bits), channels, decoded));
      ASSERT_GE(decoded.size(), input.size());
      decoded.resize(input.size());
      // Each decoded sample lies within one step of the input; the decoder
      // steps the same way the encoder did, so the step is rebuilt here.
      int worst = 0;
      for (size_t i = 64 * channels; i < input.size(); ++i) worst = std::max(worst, std::abs(decoded[i] - input[i]));
      EXPECT_LE(worst, bits == 2 ? 700 : bits == 3 ? 300 : 150);
      for (size_t i = 0; i < input.size(); i += 4096 * channels) EXPECT_EQ(decoded[i], input[i]) << "packet start " << i;
    }
  }
}

TEST(Adpcm, CutPacketsEndTheSound) {
  std::vector<int16_t> out;
  EXPECT_FALSE(DecodeAdpcm({}, 1, out));
  const Bytes full = EncodeAdpcm(Sine(200, 11025, 5000, 1, 3000), 1, 4);
  for (size_t cut : {size_t{1}, size_t{3}, full.size() / 2, full.size() - 1}) {
    out.clear();
    EXPECT_TRUE(DecodeAdpcm(std::span(full).first(cut), 1, out));
    EXPECT_LE(out.size(), 5000u);
  }
}

TEST(SoundDecoder, PcmByteOrdersSizesAndRates) {
  struct Case {
    uint8_t flags;  // the format byte
    bool bigEndian;
    int expectFrames;  // output frames for 441 input frames
  };
  const Case cases[] = {
      {0x3A, false, 882},   // little-endian, 22 kHz, 16-bit, mono
      {0x0F, false, 441},   // native order read as little-endian, 44 kHz stereo
      {0x0F, true, 441},    // native order written big-endian: found by the data
      {0x36, false, 1764},  // 11 kHz
      {0x32, false, 3528},  // 5.5 kHz
  };
  for (const Case& c : cases) {
    const SoundFormat format = SoundFormat::FromByte(c.flags);
    const auto wave = Sine(300, format.rate == 5512 ? 5513 : format.rate, 441, format.Channels(), 9000);
    Bytes data;
    for (int16_t s : wave) {
      const auto u = static_cast<uint16_t>(s);
      if (c.bigEndian) data.push_back(static_cast<uint8_t>(u >> 8));
      data.push_back(static_cast<uint8_t>(u));
      if (!c.bigEndian) data.push_back(static_cast<uint8_t>(u >> 8));
    }
    SoundDecoder decoder(format);
    std::vector<int16_t> out;
    decoder.Decode(data, out);
    decoder.Finish(out);
    SCOPED_TRACE(static_cast<int>(c.flags));
    ASSERT_EQ(out.size(), static_cast<size_t>(c.expectFrames) * 2);
    // Same signal: every input sample reappears at its place (integer ratios).
    const size_t ratio = out.size() / 2 / 441;
    for (size_t i = 0; i < 441; ++i) ASSERT_EQ(out[i * ratio * 2], wave[i * format.Channels()]) << i;
  }
}

TEST(SoundDecoder, EightBitIsUnsignedAndEventLengthFollowsCount) {
  const Bytes data{0, 128, 255, 128};
  auto clip = DecodeEventSound(SoundFormat::FromByte(0x3C), 3, data);  // 44 kHz 8-bit mono, 3 samples declared
  ASSERT_EQ(clip->Frames(), 3u);
  EXPECT_EQ(clip->samples[0], -32768);
  EXPECT_EQ(clip->samples[2], 0);
  EXPECT_EQ(clip->samples[4], 127 << 8);
  EXPECT_EQ(clip->samples[5], 127 << 8);  // mono goes to both sides
}

TEST(SoundDecoder, UndecodableFormatsAreSilent) {
  for (uint8_t flags : {0x42, 0x52, 0x62, 0xB2}) {  // Nellymoser (three kinds), Speex
    SoundDecoder decoder(SoundFormat::FromByte(flags));
    EXPECT_FALSE(decoder.Supported());
    std::vector<int16_t> out;
    decoder.Decode(Bytes(512, 0x55), out);
    EXPECT_TRUE(out.empty());
  }
}

TEST(Mp3, ToneHasItsFrequencyAndLength) {
  const Bytes mp3 = ReadData(L"tone.mp3");
  ASSERT_FALSE(mp3.empty());
  SoundDecoder decoder(SoundFormat::FromByte(0x2A));  // MP3, 22 kHz mono as declared
  ASSERT_TRUE(decoder.Supported());
  std::vector<int16_t> out;
  // Fed in odd pieces, as stream blocks cut frames.
  for (size_t pos = 0; pos < mp3.size(); pos += 700)
    decoder.Decode(std::span(mp3).subspan(pos, std::min<size_t>(700, mp3.size() - pos)), out);
  decoder.Finish(out);
  const double seconds = out.size() / 2 / 44100.0;
  EXPECT_NEAR(seconds, 1.0, 0.08);  // the encoder's delay and padding to whole frames
  // 440 Hz: 880 sign changes a second, counted over the steady middle half.
  const size_t from = out.size() / 2 / 4, to = out.size() / 2 * 3 / 4;
  const double hz = Crossings(out, from, to) / 2.0 / ((to - from) / 44100.0);
  EXPECT_NEAR(hz, 440, 5);
}

TEST(Mp3, DamagedFramesAreSkipped) {
  Bytes mp3 = ReadData(L"tone.mp3");
  ASSERT_GT(mp3.size(), 2000u);
  Mp3FrameInfo info;
  size_t first = 0;
  while (!ParseMp3Header(std::span(mp3).subspan(first), info)) ++first;
  EXPECT_EQ(info.rate, 22050);
  EXPECT_EQ(info.channels, 1);
  // Garbage in front, a broken header in the middle, a cut frame at the end.
  Bytes damaged(37, 0xFF);
  moviebytes::Append(damaged, mp3);
  damaged[37 + first + info.bytes * 3 + 1] = 0x00;
  damaged.resize(damaged.size() - 50);
  Mp3Decoder decoder;
  std::vector<int16_t> out;
  decoder.Decode(damaged, out);
  EXPECT_GT(out.size(), 15000u);
  EXPECT_LT(out.size(), 24000u);
}
