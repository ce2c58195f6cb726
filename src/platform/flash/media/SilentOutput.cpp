#include "platform/flash/media/SilentOutput.h"

#include <algorithm>
#include <cmath>

namespace flash::media {

SilentOutput::SilentOutput(std::shared_ptr<Mixer> mixer, std::function<double()> clock)
    : mixer_(std::move(mixer)), clock_(std::move(clock)), start_(clock_()), block_(kBlockFrames * 2) {}

void SilentOutput::Take() {
  const double elapsed = clock_() - start_;
  if (!(elapsed > 0)) return;
  // A thousandth of a frame of slack: a clock's rounding takes no frame away.
  const uint64_t due = static_cast<uint64_t>(std::floor(std::min(elapsed, 1e9) * kOutputRate + 1e-3));
  const uint64_t done = taken_ + skipped_;
  if (due <= done) return;
  const uint64_t limit = static_cast<uint64_t>(kMaxTakeSeconds * kOutputRate);
  uint64_t left = due - done;
  if (left > limit) {
    skipped_ += left - limit;
    left = limit;
  }
  while (left > 0) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kBlockFrames));
    mixer_->Render(std::span<int16_t>(block_.data(), n * 2));
    taken_ += n;
    left -= n;
  }
}

}  // namespace flash::media
