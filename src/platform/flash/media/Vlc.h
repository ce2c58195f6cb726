// Variable-length code tables for the bitstream decoders: built once from
// the codes written as strings of '0' and '1', looked up with one peek of
// the longest code's length. An entry of length 0 is a code that does not
// exist. Entries are 32 bits (value and length) to keep tables small.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/flash/media/BitReader.h"

namespace flash::media {

struct VlcCode {
  const char* bits;
  int value;
};

class Vlc {
 public:
  // Values must lie within -2^23..2^23 - 1.
  Vlc(unsigned maxBits, std::initializer_list<VlcCode> codes) : maxBits_(maxBits), table_(size_t{1} << maxBits) {
    for (const VlcCode& c : codes) {
      unsigned len = 0;
      uint32_t prefix = 0;
      for (const char* p = c.bits; *p; ++p) {
        if (*p == ' ') continue;
        prefix = prefix << 1 | (*p == '1');
        ++len;
      }
      const uint32_t first = prefix << (maxBits - len), count = 1u << (maxBits - len);
      for (uint32_t i = 0; i < count; ++i) table_[first + i] = static_cast<int32_t>(static_cast<uint32_t>(c.value) << 8 | len);
    }
  }
  // The value of the next code, or false (nothing consumed) when none matches.
  bool Read(BitReader& br, int& value) const {
    const int32_t e = table_[br.Peek(maxBits_)];
    if (!Length(e)) return false;
    br.Skip(Length(e));
    value = Value(e);
    return true;
  }
  // The entry of the code at the front of bits (the next maxBits bits), for
  // callers that take more bits in the same peek.
  int32_t Look(uint32_t bits) const { return table_[bits]; }
  static unsigned Length(int32_t entry) { return static_cast<unsigned>(entry) & 0xFF; }
  static int Value(int32_t entry) { return entry >> 8; }

 private:
  unsigned maxBits_;
  std::vector<int32_t> table_;  // value << 8 | length
};

}  // namespace flash::media
