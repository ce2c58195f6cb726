// A bounds-checked reader over a span of bytes: every read either succeeds
// whole or fails without moving, so no field is read past the end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

  size_t Pos() const { return pos_; }
  size_t Size() const { return data_.size(); }
  size_t Remaining() const { return data_.size() - pos_; }
  bool AtEnd() const { return pos_ >= data_.size(); }

  bool Seek(size_t pos) {
    if (pos > data_.size()) return false;
    pos_ = pos;
    return true;
  }
  bool Skip(size_t n) {
    if (n > Remaining()) return false;
    pos_ += n;
    return true;
  }
  // The next n bytes as a view (valid while the underlying data lives).
  bool Bytes(size_t n, std::span<const uint8_t>& out) {
    if (n > Remaining()) return false;
    out = data_.subspan(pos_, n);
    pos_ += n;
    return true;
  }
  std::span<const uint8_t> Rest() const { return data_.subspan(pos_); }
  // A reader over exactly the next n bytes (its positions start at 0).
  bool Sub(size_t n, ByteReader& out) {
    std::span<const uint8_t> part;
    if (!Bytes(n, part)) return false;
    out = ByteReader(part);
    return true;
  }

  bool U8(uint8_t& v) {
    if (Remaining() < 1) return false;
    v = data_[pos_++];
    return true;
  }
  bool U16LE(uint32_t& v) { return Number(2, false, v); }
  bool U32LE(uint32_t& v) { return Number(4, false, v); }
  bool U16BE(uint32_t& v) { return Number(2, true, v); }
  bool U24BE(uint32_t& v) { return Number(3, true, v); }
  bool U32BE(uint32_t& v) { return Number(4, true, v); }
  bool U64LE(uint64_t& v) {
    uint32_t low = 0, high = 0;
    if (Remaining() < 8) return false;
    U32LE(low), U32LE(high);
    v = static_cast<uint64_t>(high) << 32 | low;
    return true;
  }
  // An IEEE-754 double stored big-endian (AMF numbers), bit for bit.
  bool F64BE(double& v) {
    if (Remaining() < 8) return false;
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = (bits << 8) | data_[pos_ + i];
    std::memcpy(&v, &bits, sizeof v);
    pos_ += 8;
    return true;
  }

 private:
  bool Number(size_t n, bool bigEndian, uint32_t& v) {
    if (Remaining() < n) return false;
    uint32_t r = 0;
    for (size_t i = 0; i < n; ++i) {
      uint32_t b = data_[pos_ + i];
      r |= bigEndian ? b << (8 * (n - 1 - i)) : b << (8 * i);
    }
    v = r;
    pos_ += n;
    return true;
  }

  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};
