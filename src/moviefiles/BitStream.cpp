#include "moviefiles/BitStream.h"

#include <cmath>

namespace {
inline unsigned BitAt(std::span<const uint8_t> bytes, size_t index) {
  size_t byte = index >> 3;
  if (byte >= bytes.size()) return 0;
  return (bytes[byte] >> (7 - (index & 7))) & 1u;
}
}  // namespace

bool BitStream::ReadBits(unsigned n, uint32_t& value) {
  if (n > 32 || n > BitsLeft()) return false;
  uint64_t acc = 0;
  size_t pos = pos_;
  unsigned left = n;
  // Whole bytes where the position is aligned, single bits at the edges.
  while (left > 0) {
    unsigned offset = static_cast<unsigned>(pos & 7);
    unsigned take = 8 - offset;
    if (take > left) take = left;
    unsigned byte = bytes_[pos >> 3];
    unsigned bits = (byte >> (8 - offset - take)) & ((1u << take) - 1u);
    acc = (acc << take) | bits;
    pos += take;
    left -= take;
  }
  pos_ = pos;
  value = static_cast<uint32_t>(acc);
  return true;
}

bool BitStream::ReadSignedBits(unsigned n, int32_t& value) {
  uint32_t raw = 0;
  if (!ReadBits(n, raw)) return false;
  if (n == 0) {
    value = 0;
  } else if (n < 32 && (raw & (1u << (n - 1)))) {
    value = static_cast<int32_t>(raw | ~((1u << n) - 1u));
  } else {
    value = static_cast<int32_t>(raw);
  }
  return true;
}

uint32_t BitsToLong(std::span<const uint8_t> bytes, size_t first, size_t last) {
  uint32_t value = 0;
  if (first <= last) {
    for (size_t i = first; i <= last; ++i) value = (value << 1) | BitAt(bytes, i);
  } else {
    for (size_t i = first + 1; i-- > last;) value = (value << 1) | BitAt(bytes, i);
  }
  return value;
}

double BitsToFraction(std::span<const uint8_t> bytes, size_t first, size_t last) {
  double value = 0;
  if (first <= last) {
    for (size_t i = first; i <= last; ++i) value = (BitAt(bytes, i) + value) / 2;
  } else {
    for (size_t i = first + 1; i-- > last;) value = (BitAt(bytes, i) + value) / 2;
  }
  return value;
}

uint32_t BytesToLong(std::span<const uint8_t> bytes, unsigned n) {
  uint32_t value = 0;
  for (unsigned i = 0; i < n && i < 4 && i < bytes.size(); ++i) value = value * 256 + bytes[i];
  return value;
}

void ReverseBytes(std::span<uint8_t> bytes) {
  if (bytes.size() == 2) {
    std::swap(bytes[0], bytes[1]);
  } else if (bytes.size() == 4) {
    std::swap(bytes[0], bytes[3]);
    std::swap(bytes[1], bytes[2]);
  }
}

double Pow2(int n) { return std::ldexp(1.0, n); }

bool ReadRectRecord(ByteReader& reader, int32_t& xmin, int32_t& xmax, int32_t& ymin, int32_t& ymax) {
  BitCursor bits(reader);
  uint32_t n = 0;
  int32_t v[4] = {};
  if (!bits.U(5, n)) return false;
  for (int32_t& f : v)
    if (!bits.S(n, f)) return false;
  if (!bits.Finish()) return false;
  xmin = v[0], xmax = v[1], ymin = v[2], ymax = v[3];
  return true;
}

bool SkipRectRecord(ByteReader& reader) {
  int32_t a, b, c, d;
  return ReadRectRecord(reader, a, b, c, d);
}
