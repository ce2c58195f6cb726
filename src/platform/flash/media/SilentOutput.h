// A sound device that plays nothing: it takes the mix at the pace of a
// clock, as a device would, whenever the caller asks (Take), so streams and
// sounds run on their own clock where no device is (tests, machines without
// sound). It holds nothing unheard and never fails.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "platform/flash/media/AudioOutput.h"

namespace flash::media {

class SilentOutput : public MixOutput {
 public:
  // At most this much is taken at once: a clock that jumps further skips the rest.
  static constexpr double kMaxTakeSeconds = 2;

  SilentOutput(std::shared_ptr<Mixer> mixer, std::function<double()> clock);
  size_t Latency() const override { return 0; }
  bool Failed() const override { return false; }
  void Take() override;
  // Frames taken since the output opened.
  uint64_t Taken() const { return taken_; }

 private:
  std::shared_ptr<Mixer> mixer_;
  std::function<double()> clock_;
  double start_ = 0;
  uint64_t taken_ = 0;    // frames mixed
  uint64_t skipped_ = 0;  // frames the clock jumped past
  std::vector<int16_t> block_;
};

}  // namespace flash::media
