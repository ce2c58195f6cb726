// Variable-length code tables for the bitstream decoders: built once from
// the codes written as strings of '0' and '1', looked up with one peek of
// the longest code's length. An entry of length 0 is a code that does not exist.
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
      for (uint32_t i = 0; i < count; ++i) table_[first + i] = Entry{c.value, static_cast<uint8_t>(len)};
    }
  }
  // The value of the next code, or false (nothing consumed) when none matches.
  bool Read(BitReader& br, int& value) const {
    const Entry& e = table_[br.Peek(maxBits_)];
    if (e.length == 0) return false;
    br.Skip(e.length);
    value = e.value;
    return true;
  }

 private:
  struct Entry {
    int value = 0;
    uint8_t length = 0;
  };
  unsigned maxBits_;
  std::vector<Entry> table_;
};

}  // namespace flash::media
