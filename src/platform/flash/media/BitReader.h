// A fast most-significant-bit-first reader for video bitstreams over a byte
// span: a 64-bit window refilled eight bytes at a time, a byte at a time in
// the span's last eight, never reading outside the span.
// Past the end it reads zero bits and remembers that it ran over, so a
// decoder checks Overrun() once per macroblock instead of at every field.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace flash::media {

class BitReader {
 public:
  explicit BitReader(std::span<const uint8_t> data) : data_(data) { Refill(); }

  // The next n (1..32) bits without consuming them.
  uint32_t Peek(unsigned n) const { return static_cast<uint32_t>(window_ >> (64 - n)); }
  void Skip(unsigned n) {
    window_ <<= n;
    count_ -= static_cast<int>(n);
    if (count_ < 32) Refill();
  }
  uint32_t Read(unsigned n) {
    if (n == 0) return 0;
    const uint32_t v = Peek(n);
    Skip(n);
    return v;
  }
  int32_t ReadSigned(unsigned n) {
    const uint32_t v = Read(n);
    return static_cast<int32_t>(v << (32 - n)) >> (32 - n);
  }
  bool Bit() { return Read(1) != 0; }

  bool Overrun() const { return BitPos() > data_.size() * 8; }
  size_t BitsLeft() const { return Overrun() ? 0 : data_.size() * 8 - BitPos(); }
  size_t BitPos() const { return next_ * 8 - static_cast<size_t>(count_); }

 private:
  // Bits below the valid ones may already hold the bytes that follow: a
  // later load puts the same bits in the same places.
  void Refill() {
    if (next_ <= data_.size() && data_.size() - next_ >= 8) {
      uint64_t bytes;
      std::memcpy(&bytes, data_.data() + next_, 8);
      window_ |= __builtin_bswap64(bytes) >> count_;
      const int whole = (63 - count_) >> 3;
      next_ += static_cast<size_t>(whole);
      count_ += whole * 8;
      return;
    }
    while (count_ <= 56) {
      const uint64_t b = next_ < data_.size() ? data_[next_] : 0;
      ++next_;
      window_ |= b << (56 - count_);
      count_ += 8;
    }
  }

  std::span<const uint8_t> data_;
  uint64_t window_ = 0;
  int count_ = 0;    // valid bits at the top of window_
  size_t next_ = 0;  // next byte to load (may pass the end: zeros)
};

}  // namespace flash::media
