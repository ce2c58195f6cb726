// The mixer: a reference mix of two event sounds with envelopes, loops, in
// and out points and a pan, sample for sample; master volume and pan; what
// stops what; channels and their mixes; streams and their clock; the worker
// thread over a counting sink.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <cmath>
#include <thread>

#include "MediaTestSupport.h"
#include "platform/flash/media/AudioOutput.h"
#include "platform/flash/media/Mixer.h"

using namespace flash::media;

namespace {

std::shared_ptr<const SoundClip> Clip(size_t frames, int seed) {
  auto clip = std::make_shared<SoundClip>();
  for (size_t i = 0; i < frames; ++i) {
    clip->samples.push_back(static_cast<int16_t>(((i * 37 + seed * 101) % 2001) * 10 - 10000));
    clip->samples.push_back(static_cast<int16_t>(((i * 53 + seed * 7) % 1999) * 9 - 9000));
  }
  return clip;
}

std::vector<int16_t> Render(Mixer& mixer, size_t frames, size_t chunk = 100) {
  std::vector<int16_t> out(frames * 2);
  for (size_t done = 0; done < frames; done += chunk)
    mixer.Render(std::span(out).subspan(done * 2, std::min(chunk, frames - done) * 2));
  return out;
}

// The envelope level written out in the plainest way.
double Level(const std::vector<EnvelopePoint>& env, uint64_t pos, bool left) {
  if (env.empty()) return 1;
  auto lv = [&](const EnvelopePoint& p) { return (left ? p.left : p.right) / 32768.0; };
  if (pos <= env.front().position) return lv(env.front());
  for (size_t i = 0; i + 1 < env.size(); ++i)
    if (pos < env[i + 1].position)
      return lv(env[i]) + (lv(env[i + 1]) - lv(env[i])) * double(pos - env[i].position) / double(env[i + 1].position - env[i].position);
  return lv(env.back());
}

// A sound as the reference plays it: the frames from in to out, loops times.
std::vector<double> Expected(const SoundClip& clip, const SoundInfo& info, size_t total) {
  std::vector<double> out(total * 2, 0.0);
  const uint32_t from = info.inPoint.value_or(0), to = info.outPoint.value_or(static_cast<uint32_t>(clip.Frames()));
  size_t t = 0;
  for (uint32_t loop = 0; loop < info.loops && t < total; ++loop)
    for (uint32_t p = from; p < to && t < total; ++p, ++t) {
      out[2 * t] = clip.samples[2 * p] * Level(info.envelope, p, true);
      out[2 * t + 1] = clip.samples[2 * p + 1] * Level(info.envelope, p, false);
    }
  return out;
}

}  // namespace

TEST(Mixer, TwoEnvelopedSoundsMatchTheReferenceMix) {
  const auto a = Clip(3000, 1), b = Clip(1000, 2);
  SoundInfo first;
  first.envelope = {{0, 0, 32768}, {1500, 32768, 8000}, {2500, 16384, 16384}};
  first.inPoint = 100;
  first.outPoint = 2900;
  SoundInfo second;
  second.loops = 3;
  second.envelope = {{200, 32768, 0}, {800, 0, 32768}};
  Mixer mixer;
  mixer.SetVolume(80);
  mixer.SetPan(-40);  // right at 60 per cent
  ASSERT_NE(mixer.Start(a, first, 1, 10), 0u);
  ASSERT_NE(mixer.Start(b, second, 1, 11), 0u);
  const size_t total = 3500;
  const auto got = Render(mixer, total, 333);
  const auto ea = Expected(*a, first, total), eb = Expected(*b, second, total);
  int mismatches = 0;
  for (size_t i = 0; i < total * 2; ++i) {
    const double gain = 0.8 * (i % 2 ? 0.6 : 1.0);
    const double want = std::clamp((ea[i] + eb[i]) * gain, -32768.0, 32767.0);
    if (std::abs(got[i] - want) > 1.0) ++mismatches;
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(mixer.VoiceCount(), 0u);
  EXPECT_EQ(mixer.TakeFinished().size(), 2u);
}

TEST(Mixer, VolumeZeroIsSilentAndFiftyHalves) {
  const auto clip = Clip(500, 3);
  for (int volume : {0, 50, 100}) {
    Mixer mixer;
    mixer.SetVolume(volume);
    mixer.Start(clip, {}, 1, 1);
    const auto out = Render(mixer, 500);
    for (size_t i = 0; i < out.size(); ++i)
      ASSERT_NEAR(out[i], clip->samples[i] * volume / 100.0, 0.5001) << "volume " << volume << " at " << i;
  }
}

TEST(Mixer, StopsWhatTheOwnerOrTheSoundSays) {
  const auto clip = Clip(100000, 4);
  Mixer mixer;
  SoundInfo once;
  once.noMultiple = true;
  EXPECT_NE(mixer.Start(clip, {}, 1, 5), 0u);
  EXPECT_EQ(mixer.Start(clip, once, 1, 5), 0u);  // already playing
  EXPECT_NE(mixer.Start(clip, once, 2, 5), 0u);  // another owner's
  EXPECT_NE(mixer.Start(clip, {}, 1, 6), 0u);
  SoundInfo stop;
  stop.stop = true;
  mixer.Start(clip, stop, 1, 5);
  EXPECT_FALSE(mixer.IsPlaying(1, 5));
  EXPECT_TRUE(mixer.IsPlaying(1, 6));
  mixer.StopOwner(1);
  EXPECT_EQ(mixer.VoiceCount(), 1u);
  mixer.StopAll();
  EXPECT_EQ(mixer.VoiceCount(), 0u);
  // A flood of sounds is capped, never refused by failing.
  for (int i = 0; i < 300; ++i) mixer.Start(clip, {}, 3, static_cast<uint32_t>(i));
  EXPECT_EQ(mixer.VoiceCount(), Mixer::kMaxVoices);
  Render(mixer, 1000);
}

TEST(Mixer, ChannelsTakeTheirMixAndStopApart) {
  const auto clip = Clip(1000, 6);
  Mixer mixer;
  mixer.SetChannelMix(1, 42, ChannelMix{0, 100, 100, 0});  // left and right swapped
  const VoiceId swapped = mixer.Start(clip, {}, 1, 5, 42);
  mixer.Start(clip, {}, 1, 6, 43);
  mixer.SetChannelMix(1, 43, ChannelMix{50, 0, 0, 50});
  auto out = Render(mixer, 10);
  for (size_t i = 0; i < 10; ++i) {
    ASSERT_NEAR(out[2 * i], clip->samples[2 * i + 1] + clip->samples[2 * i] * 0.5, 0.5001) << i;
    ASSERT_NEAR(out[2 * i + 1], clip->samples[2 * i] + clip->samples[2 * i + 1] * 0.5, 0.5001) << i;
  }
  EXPECT_EQ(mixer.Position(swapped), 10u);
  mixer.StopChannel(42, 6);  // no sound 6 on channel 42
  EXPECT_EQ(mixer.VoiceCount(), 2u);
  mixer.StopChannel(42);
  EXPECT_EQ(mixer.VoiceCount(), 1u);
  // Stopping the owner's sounds keeps its mixes; forgetting them plays plain.
  mixer.StopOwner(1);
  mixer.Start(clip, {}, 1, 5, 42);
  EXPECT_EQ(Render(mixer, 1)[0], clip->samples[1]);
  mixer.ForgetMixes(1);
  EXPECT_EQ(Render(mixer, 1)[0], clip->samples[2]);
}

TEST(Mixer, StreamClockCountsMixedFrames) {
  Mixer mixer;
  const VoiceId stream = mixer.OpenStream(7);
  const std::vector<int16_t> block(2 * 3675, 1000);  // one frame's worth at 12 fps
  mixer.Append(stream, block);
  Render(mixer, 2000);
  EXPECT_EQ(mixer.Played(stream), 2000u);
  Render(mixer, 3000);  // starves: the clock waits for data
  EXPECT_EQ(mixer.Played(stream), 3675u);
  EXPECT_TRUE(mixer.IsPlaying(stream));
  mixer.Append(stream, block);
  mixer.CloseStream(stream);
  Render(mixer, 5000);
  EXPECT_FALSE(mixer.IsPlaying(stream));
  EXPECT_EQ(mixer.TakeFinished(), std::vector<VoiceId>{stream});  // played out, as event sounds are
}

namespace {

class CountingSink : public AudioSink {
 public:
  explicit CountingSink(std::atomic<size_t>& frames) : frames_(frames) {}
  bool Write(std::span<const int16_t> block) override {
    frames_ += block.size() / 2;
    std::this_thread::yield();
    return true;
  }

 private:
  std::atomic<size_t>& frames_;
};

// A device that takes nothing until it is let go; entered is set once the
// worker waits in it (it mixed its first block before).
class StalledSink : public AudioSink {
 public:
  explicit StalledSink(std::atomic<bool>& entered) : entered_(entered) {}
  bool Write(std::span<const int16_t>) override {
    std::unique_lock lock(mutex_);
    entered_ = true;
    wake_.wait(lock, [&] { return cancelled_; });
    return false;
  }
  void Cancel() override {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    wake_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool cancelled_ = false;
  std::atomic<bool>& entered_;
};

}  // namespace

TEST(AudioOutput, AStalledDeviceHoldsUpNeitherTheMixerNorTheClose) {
  auto mixer = std::make_shared<Mixer>();
  {
    std::atomic<bool> stalled{false};
    AudioOutput output(mixer, std::make_unique<StalledSink>(stalled));
    // Sounds started before the worker stalls could be mixed to their end.
    while (!stalled) std::this_thread::yield();
    for (int i = 0; i < 100; ++i) mixer->Start(Clip(1000, i), {}, 1, static_cast<uint32_t>(i));
    EXPECT_EQ(mixer->VoiceCount(), 100u);  // starting sounds does not wait for the device
    mixer->StopAll();
  }  // the close lets the worker go
  SUCCEED();
}

TEST(AudioOutput, WorkerFeedsTheSinkAndStopsWhenDestroyed) {
  auto mixer = std::make_shared<Mixer>();
  std::atomic<size_t> frames{0};
  {
    AudioOutput output(mixer, std::make_unique<CountingSink>(frames));
    mixer->Start(Clip(44100, 5), {}, 1, 1);
    while (frames < 44100 * 2) std::this_thread::yield();
  }  // joins the worker
  const size_t after = frames;
  EXPECT_EQ(frames, after);
  EXPECT_EQ(after % kBlockFrames, 0u);
  EXPECT_EQ(mixer->VoiceCount(), 0u);  // the sound played out
}
