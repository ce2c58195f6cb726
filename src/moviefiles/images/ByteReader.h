// A bounds-checked reader over a span of bytes: every read says whether the bytes
// were there, and nothing is read past the end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t Position() const { return pos_; }
  size_t Remaining() const { return bytes_.size() - pos_; }
  bool AtEnd() const { return pos_ == bytes_.size(); }

  bool ReadU32BE(uint32_t& value) {
    if (Remaining() < 4) return false;
    const uint8_t* p = bytes_.data() + pos_;
    value = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
    pos_ += 4;
    return true;
  }
  // The next count bytes as a span (not copied).
  bool ReadSpan(size_t count, std::span<const uint8_t>& out) {
    if (Remaining() < count) return false;
    out = bytes_.subspan(pos_, count);
    pos_ += count;
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
};
