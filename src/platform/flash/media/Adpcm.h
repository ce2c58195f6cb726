// The movie format's ADPCM: a 2-bit code size (2 to 5 bits a sample), then
// packets of 4096 samples per channel, each opening with a 16-bit sample and
// a 6-bit step index per channel, the codes of the channels interleaved.
// Bits run most significant first. A packet cut short ends the sound there.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace flash::media {

// Step sizes and the index moves of each code size (shared with the tests' encoder).
extern const int16_t kAdpcmSteps[89];
std::span<const int8_t> AdpcmIndexMoves(int bits);

// Appends the interleaved samples of one ADPCM block (a whole event sound or
// one stream block) to out; false when the header is missing.
bool DecodeAdpcm(std::span<const uint8_t> data, int channels, std::vector<int16_t>& out);

}  // namespace flash::media
