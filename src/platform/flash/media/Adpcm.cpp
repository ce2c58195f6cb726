#include "platform/flash/media/Adpcm.h"

#include <algorithm>

#include "moviefiles/BitStream.h"

namespace flash::media {

const int16_t kAdpcmSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

namespace {

constexpr int8_t kMoves2[] = {-1, 2};
constexpr int8_t kMoves3[] = {-1, -1, 2, 4};
constexpr int8_t kMoves4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int8_t kMoves5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};

constexpr int kPacketSamples = 4096;

struct Channel {
  int sample = 0;
  int index = 0;
};

// One code of `bits` bits: a sign bit and magnitude bits, each magnitude bit
// adding a halving share of the step, plus the smallest share.
int16_t Step(Channel& ch, uint32_t code, int bits, std::span<const int8_t> moves) {
  const uint32_t signBit = 1u << (bits - 1);
  int step = kAdpcmSteps[ch.index];
  int diff = 0;
  for (uint32_t mask = signBit >> 1; mask; mask >>= 1) {
    if (code & mask) diff += step;
    step >>= 1;
  }
  diff += step;
  ch.sample = std::clamp(code & signBit ? ch.sample - diff : ch.sample + diff, -32768, 32767);
  ch.index = std::clamp(ch.index + moves[code & (signBit - 1)], 0, 88);
  return static_cast<int16_t>(ch.sample);
}

}  // namespace

std::span<const int8_t> AdpcmIndexMoves(int bits) {
  switch (bits) {
    case 2: return kMoves2;
    case 3: return kMoves3;
    case 4: return kMoves4;
    case 5: return kMoves5;
    default: return {};
  }
}

bool DecodeAdpcm(std::span<const uint8_t> data, int channels, std::vector<int16_t>& out) {
  channels = channels == 2 ? 2 : 1;
  BitStream bits(data);
  uint32_t sizeCode = 0;
  if (!bits.ReadBits(2, sizeCode)) return false;
  const int codeBits = static_cast<int>(sizeCode) + 2;
  const auto moves = AdpcmIndexMoves(codeBits);
  Channel ch[2];
  for (;;) {
    // Packet header: initial sample and index of each channel.
    for (int c = 0; c < channels; ++c) {
      int32_t sample = 0;
      uint32_t index = 0;
      if (!bits.ReadSignedBits(16, sample) || !bits.ReadBits(6, index)) return true;
      ch[c].sample = sample;
      ch[c].index = std::min<int>(static_cast<int>(index), 88);
      out.push_back(static_cast<int16_t>(sample));
    }
    for (int i = 1; i < kPacketSamples; ++i) {
      if (bits.BitsLeft() < static_cast<size_t>(codeBits * channels)) return true;
      for (int c = 0; c < channels; ++c) {
        uint32_t code = 0;
        bits.ReadBits(static_cast<unsigned>(codeBits), code);
        out.push_back(Step(ch[c], code, codeBits, moves));
      }
    }
  }
}

}  // namespace flash::media
