// Turns decoded samples (any rate, mono or stereo) into 16-bit stereo at the
// output rate by linear interpolation, keeping its place across calls so a
// stream converts block by block without a seam. Rates that divide the
// output rate exactly (5.5, 11, 22 kHz) step in whole fractions.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace flash::media {

class Resampler {
 public:
  Resampler(int rate, int channels);
  // Appends the output for interleaved input frames to out (stereo pairs).
  void Push(std::span<const int16_t> input, std::vector<int16_t>& out);
  // Appends what the last input frame still owes (the tail after the last
  // interpolation point), for the end of a sound.
  void Flush(std::vector<int16_t>& out);

 private:
  int rate_, channels_;
  uint64_t step_;      // input frames per output frame, 32.32 fixed point
  uint64_t phase_ = 0; // position of the next output frame past prev_, 32.32
  bool havePrev_ = false;
  int16_t prevL_ = 0, prevR_ = 0;
};

}  // namespace flash::media
