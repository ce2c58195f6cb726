// Sound in movies through the control: a stream keeps the main timeline on
// its clock (frames from mixed samples, the device replaced by the test's
// own rendering) and without a device the frame clock rules; event sounds
// start with their frames and sound info, stop with StopSounds, Stop and
// unloading; the control's volume scales the mix; sprites' streams stop
// with them.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "MediaTestSupport.h"
#include "platform/flash/FlashTestSupport.h"
#include "platform/flash/control/FlashControl.h"

using namespace flashtest;
using flash::FlashControl;
using flash::media::Mixer;

namespace {

constexpr int kRate = 12;
constexpr size_t kFrameSamples = 44100 / kRate;  // 3675

// 8-bit mono PCM at 44.1 kHz: format byte 0011 1100.
constexpr uint8_t kPcm8 = 0x3C;

Bytes StreamHead() { return moviebytes::Tag(18, Bytes{kPcm8, kPcm8} + U16(kFrameSamples)); }
Bytes StreamBlock(uint8_t level) { return moviebytes::Tag(19, Bytes(kFrameSamples, level), true); }
Bytes DefineSound(uint16_t id, size_t samples, uint8_t level) {
  Bytes body = U16(id) + Bytes{kPcm8};
  moviebytes::PutLE(body, static_cast<uint32_t>(samples), 4);
  moviebytes::Append(body, Bytes(samples, level));
  return moviebytes::Tag(14, body, true);
}
Bytes StartSound(uint16_t id, uint8_t flags = 0) { return moviebytes::Tag(15, U16(id) + Bytes{flags}); }

// A 12 fps movie of `frames` frames whose stream has the format byte given
// and the block block(i) makes in frame i (none when empty).
Bytes StreamMovieOf(int frames, uint8_t format, const std::function<Bytes(int)>& block,
                    const std::vector<Bytes>& firstFrame = {}) {
  moviebytes::Movie m;
  m.rect = moviebytes::Rect(0, 100 * 20, 0, 100 * 20);
  m.rateWhole = kRate;
  m.frames = static_cast<uint16_t>(frames);
  m.tags.push_back(moviebytes::Tag(18, Bytes{format, format} + U16(kFrameSamples)));
  for (const Bytes& t : firstFrame) m.tags.push_back(t);
  for (int i = 0; i < frames; ++i) {
    const Bytes data = block(i);
    if (!data.empty()) m.tags.push_back(moviebytes::Tag(19, data, true));
    m.tags.push_back(moviebytes::ShowFrame());
  }
  m.tags.push_back(moviebytes::EndTag());
  return m.Plain();
}

// 8-bit PCM, one frame's worth in each of the first `streamed` frames.
Bytes StreamMovie(int frames, int streamed, const std::vector<Bytes>& firstFrame = {}) {
  return StreamMovieOf(
      frames, kPcm8,
      [&](int i) { return i < streamed ? Bytes(kFrameSamples, static_cast<uint8_t>(128 + (i % 2 ? 20 : -20))) : Bytes{}; },
      firstFrame);
}

class MovieSoundTest : public ::testing::Test {
 protected:
  void Load(const Bytes& movie, FlashControl::AudioMode mode) {
    ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"m.swf"), movie));
    control.SetClock(clock.Fn());
    control.SetAudioMode(mode);
    control.SetLoop(false);
    control.LoadMovie(0, dir.File(L"m.swf"));
    ASSERT_GE(control.FrameNum(), 0);
  }
  // Mixes `frames` samples as the device would take them, then lets the control run.
  std::vector<int16_t> Hear(size_t frames) {
    std::vector<int16_t> out(frames * 2);
    control.AudioMixer()->Render(out);
    control.Pump();
    return out;
  }
  void TearDown() override { PumpMessages(); }

  testing_support::TempDir dir;
  HostWindow host;
  FakeClock clock;
  FlashControl control{host.get(), 0, 0, 100, 100};
};

}  // namespace

TEST_F(MovieSoundTest, StreamKeepsTheTimelineOnItsClock) {
  Load(StreamMovie(200, 200), FlashControl::AudioMode::Manual);
  // Ten seconds of mixed samples in uneven pieces, the frame clock standing still.
  size_t heard = 0;
  const size_t pieces[] = {1000, 2205, 4410, 777};
  for (int i = 0; heard < 10 * 44100; ++i) {
    const size_t n = std::min(pieces[i % 4], 10 * 44100 - heard);
    Hear(n);
    heard += n;
    const long expected = static_cast<long>(heard / kFrameSamples);
    ASSERT_NEAR(control.CurrentFrame(), expected, 1) << "after " << heard << " samples";
  }
  EXPECT_NEAR(control.CurrentFrame(), 10 * kRate, 1);
}

TEST_F(MovieSoundTest, TheFrameClockRulesWithoutADeviceOrAfterTheStream) {
  for (auto mode : {FlashControl::AudioMode::None, FlashControl::AudioMode::Manual}) {
    Load(StreamMovie(150, 24), mode);
    if (mode == FlashControl::AudioMode::Manual)
      for (int i = 0; i < 30; ++i) Hear(kFrameSamples);  // the stream's two seconds and more
    const long start = control.CurrentFrame();
    for (int i = 0; i < 12 * 10; ++i) {
      clock.now += 1.0 / kRate;
      control.Pump();
    }
    EXPECT_NEAR(control.CurrentFrame() - start, 120, 1);
  }
}

TEST_F(MovieSoundTest, EventSoundsStartWithTheirFramesAndStopWithTheMovie) {
  moviebytes::Movie m = Frames(0);
  m.rateWhole = kRate;
  m.frames = 4;
  m.tags = {DefineSound(5, 44100, 200), DefineSound(6, 500, 60), moviebytes::ShowFrame(), StartSound(5),
            StartSound(5, 0x10) /* not twice */, moviebytes::ShowFrame(), StartSound(6), moviebytes::ShowFrame(),
            moviebytes::ShowFrame(), moviebytes::EndTag()};
  Load(m.Plain(), FlashControl::AudioMode::Manual);
  auto mixer = control.AudioMixer();
  EXPECT_EQ(mixer->VoiceCount(), 0u);
  clock.now += 1.0 / kRate;
  control.Pump();
  EXPECT_EQ(mixer->VoiceCount(), 1u);
  auto sound = Hear(100);
  EXPECT_EQ(sound[0], (200 - 128) << 8);
  EXPECT_EQ(sound[1], (200 - 128) << 8);
  control.SetVolume(50);
  sound = Hear(100);
  EXPECT_EQ(sound[0], (200 - 128) << 7);
  control.SetVolume(0);
  sound = Hear(100);
  EXPECT_EQ(sound[0], 0);
  control.SetVolume(100);
  clock.now += 1.0 / kRate;
  control.Pump();
  EXPECT_EQ(mixer->VoiceCount(), 2u);
  control.StopSounds();
  EXPECT_EQ(mixer->VoiceCount(), 0u);
  control.Rewind();
  control.Play();
  clock.now += 1.0 / kRate;
  control.Pump();
  EXPECT_EQ(mixer->VoiceCount(), 1u);
  control.LoadMovie(0, flash::kNoMovie);
  EXPECT_EQ(mixer->VoiceCount(), 0u);
  // StartSound2 names its sound by the class SymbolClass gives it.
  m.tags = {DefineSound(7, 4410, 90), moviebytes::Tag(76, U16(1) + U16(7) + moviebytes::Text("Beep") + Bytes{0}),
            moviebytes::Tag(89, moviebytes::Text("Beep") + Bytes{0, 0}), moviebytes::ShowFrame(), moviebytes::EndTag()};
  Load(m.Plain(), FlashControl::AudioMode::Manual);
  EXPECT_EQ(mixer->VoiceCount(), 1u);
}

TEST_F(MovieSoundTest, StoppingTheTimelineOrItsSpriteStopsTheStream) {
  Load(StreamMovie(100, 100), FlashControl::AudioMode::Manual);
  auto mixer = control.AudioMixer();
  Hear(kFrameSamples * 3);
  EXPECT_EQ(mixer->VoiceCount(), 1u);
  control.Stop();
  Hear(100);
  EXPECT_EQ(mixer->VoiceCount(), 0u);
  control.Play();
  clock.now += 1.0 / kRate;
  control.Pump();  // plays on from where it stood: the stream starts again there
  EXPECT_EQ(mixer->VoiceCount(), 1u);

  // A sprite with its own stream, removed on the main timeline's third frame.
  std::vector<Bytes> inner{StreamHead()};
  for (int i = 0; i < 30; ++i) inner.push_back(StreamBlock(150)), inner.push_back(moviebytes::ShowFrame());
  moviebytes::Movie m = Frames(0);
  m.rateWhole = kRate;
  m.frames = 5;
  m.tags = {Sprite(3, inner), Place(1, 3, 0, 0), moviebytes::ShowFrame(), moviebytes::ShowFrame(), Remove(1),
            moviebytes::ShowFrame(), moviebytes::ShowFrame(), moviebytes::ShowFrame(), moviebytes::EndTag()};
  Load(m.Plain(), FlashControl::AudioMode::Manual);
  EXPECT_EQ(mixer->VoiceCount(), 1u);
  for (int i = 0; i < 3; ++i) {
    clock.now += 1.0 / kRate;
    Hear(kFrameSamples);
  }
  EXPECT_EQ(control.CurrentFrame(), 3);
  Hear(10);
  EXPECT_EQ(mixer->VoiceCount(), 0u);
}

// With a sound device (one that plays nothing at the clock's pace), a stream
// that yields no samples (formats without a decoder, MP3 of random bytes)
// leads nothing: the frames follow the frame clock as without a device. So
// they do through a stream's silent stretch, and a stream that plays keeps
// them on its own clock, which here is the same pace.
TEST_F(MovieSoundTest, AStreamThatYieldsNothingLeavesTheFramesToTheClock) {
  std::mt19937 rng(35);
  auto noise = [&](size_t bytes) {
    Bytes b(bytes);
    for (auto& v : b) v = static_cast<uint8_t>(rng());
    return b;
  };
  const struct {
    const char* name;
    uint8_t format;  // codec, rate, size, channels
    std::function<Bytes(int)> block;
  } cases[] = {
      {"Nellymoser", 0x6E, [&](int) { return noise(256); }},
      {"Speex", 0xB2, [&](int) { return noise(100); }},
      {"MP3 of random bytes", 0x2F, [&](int) { return U16(1152) + U16(0) + noise(400); }},
      {"PCM with a silent stretch", kPcm8,
       [&](int i) { return i < 12 || i >= 48 ? Bytes(kFrameSamples, 150) : Bytes{}; }},
      {"PCM", kPcm8, [&](int) { return Bytes(kFrameSamples, 150); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Load(StreamMovieOf(200, c.format, c.block), FlashControl::AudioMode::Silent);
    control.Pump();  // the device has taken nothing yet
    long worst = std::labs(control.CurrentFrame());
    for (int tick = 1; tick <= 72; ++tick) {
      clock.now += 1.0 / kRate;
      control.Pump();
      worst = std::max(worst, std::labs(control.CurrentFrame() - tick));
    }
    EXPECT_LE(worst, 1) << "frames away from the clock";
  }
}
