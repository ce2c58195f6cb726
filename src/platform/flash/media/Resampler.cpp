#include "platform/flash/media/Resampler.h"

#include <algorithm>

#include "platform/flash/media/SoundFormat.h"

namespace flash::media {

Resampler::Resampler(int rate, int channels)
    : rate_(std::clamp(rate, 1000, 192000)), channels_(channels == 2 ? 2 : 1) {
  // 5512 stands for a quarter of 22050 (the files' 5.5 kHz).
  const uint64_t from = rate_ == 5512 ? 11025 : static_cast<uint64_t>(rate_) * 2;
  step_ = (from << 32) / (kOutputRate * 2);
}

void Resampler::Push(std::span<const int16_t> input, std::vector<int16_t>& out) {
  const size_t frames = input.size() / channels_;
  if (frames == 0) return;
  out.reserve(out.size() + static_cast<size_t>((static_cast<uint64_t>(frames) << 32) / step_ + 2) * 2);
  size_t i = 0;
  if (!havePrev_) {
    prevL_ = input[0];
    prevR_ = input[channels_ - 1];
    havePrev_ = true;
    i = 1;
    phase_ = 0;
  }
  // phase_ counts from prevL_/prevR_ (frame i - 1) toward frame i.
  for (; i < frames; ++i) {
    const int curL = input[i * channels_], curR = input[i * channels_ + channels_ - 1];
    while (phase_ < (1ull << 32)) {
      const int64_t f = static_cast<int64_t>(phase_ >> 16);  // 16-bit fraction
      out.push_back(static_cast<int16_t>(prevL_ + (((curL - prevL_) * f) >> 16)));
      out.push_back(static_cast<int16_t>(prevR_ + (((curR - prevR_) * f) >> 16)));
      phase_ += step_;
    }
    phase_ -= 1ull << 32;
    prevL_ = static_cast<int16_t>(curL);
    prevR_ = static_cast<int16_t>(curR);
  }
}

void Resampler::Flush(std::vector<int16_t>& out) {
  if (!havePrev_) return;
  while (phase_ < (1ull << 32)) {
    out.push_back(prevL_);
    out.push_back(prevR_);
    phase_ += step_;
  }
  phase_ -= 1ull << 32;
}

}  // namespace flash::media
