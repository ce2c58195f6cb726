// Where the mix goes: a sink takes blocks of 16-bit stereo at 44.1 kHz. The
// wave-out sink feeds the platform's wave output with about 100 ms queued;
// AudioOutput runs a worker thread that renders the mixer into a sink block
// after block until it is destroyed. Without a wave-out device there is no
// sink, and sounds are not started at all. A MixOutput is whatever takes
// the mix: this threaded one, or one the caller drives (SilentOutput).
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <thread>

#include "platform/flash/media/Mixer.h"

namespace flash::media {

inline constexpr size_t kBlockFrames = 1102;  // 25 ms at 44.1 kHz

class AudioSink {
 public:
  virtual ~AudioSink() = default;
  // Takes one block; may wait for room (never much longer than a block's
  // time). False when the device failed: the output then stops.
  virtual bool Write(std::span<const int16_t> block) = 0;
  // Frames written but not heard yet.
  virtual size_t Latency() const { return 0; }
  // Wakes a Write that waits, for shutting down.
  virtual void Cancel() {}
};

// The platform's wave output; null when the machine has no device.
std::unique_ptr<AudioSink> OpenWaveOut();

class MixOutput {
 public:
  virtual ~MixOutput() = default;
  // Frames taken from the mixer but not heard yet.
  virtual size_t Latency() const = 0;
  // The output stopped taking sound.
  virtual bool Failed() const = 0;
  // Takes what is due now, for an output driven from the caller's thread.
  virtual void Take() {}
};

class AudioOutput : public MixOutput {
 public:
  AudioOutput(std::shared_ptr<Mixer> mixer, std::unique_ptr<AudioSink> sink);
  ~AudioOutput() override;  // stops the worker and waits for it
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  size_t Latency() const override { return sink_->Latency(); }
  bool Failed() const override { return failed_; }

 private:
  void Run();

  std::shared_ptr<Mixer> mixer_;
  std::unique_ptr<AudioSink> sink_;
  std::atomic<bool> stop_{false}, failed_{false};
  std::thread worker_;
};

}  // namespace flash::media
