// Bit fields of SWF and FLV files: an MSB-first bit reader over a byte span
// (bit 0 is the top bit of byte 0), plus the module's pure helpers for bit
// ranges, big-endian integers and powers of two. Reads past the end fail.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/ByteReader.h"

class BitStream {
 public:
  explicit BitStream(std::span<const uint8_t> bytes, size_t bitPos = 0) : bytes_(bytes), pos_(bitPos) {}

  size_t BitPos() const { return pos_; }
  size_t BitsLeft() const { return bytes_.size() * 8 > pos_ ? bytes_.size() * 8 - pos_ : 0; }

  // Reads n (0..32) bits as an unsigned number; false (nothing read) past the end.
  bool ReadBits(unsigned n, uint32_t& value);
  // Reads n (0..32) bits as a two's-complement number.
  bool ReadSignedBits(unsigned n, int32_t& value);

 private:
  std::span<const uint8_t> bytes_;
  size_t pos_;
};

// Bit fields from a byte reader's position; Finish moves the reader past the
// whole bytes the fields used (records such as rectangles and matrices end on
// a byte boundary).
class BitCursor {
 public:
  explicit BitCursor(ByteReader& reader) : reader_(reader), bits_(reader.Rest()) {}
  bool U(unsigned n, uint32_t& v) { return bits_.ReadBits(n, v); }
  bool S(unsigned n, int32_t& v) { return bits_.ReadSignedBits(n, v); }
  bool Finish() { return reader_.Skip((bits_.BitPos() + 7) / 8); }

 private:
  ByteReader& reader_;
  BitStream bits_;
};

// A RECT record (Nbits, then xmin, xmax, ymin, ymax in twips) read or skipped;
// false, with the reader where it was, when the record does not fit.
bool ReadRectRecord(ByteReader& reader, int32_t& xmin, int32_t& xmax, int32_t& ymin, int32_t& ymax);
bool SkipRectRecord(ByteReader& reader);

// Unsigned value of the bits first..last (inclusive) of bytes, the first bit
// visited being the most significant; the walk goes down when first > last.
// Bits outside the span read as 0; at most the last 32 bits visited count.
uint32_t BitsToLong(std::span<const uint8_t> bytes, size_t first, size_t last);
// Binary fraction in [0, 1) over the same walk: the bit visited last weighs 1/2.
double BitsToFraction(std::span<const uint8_t> bytes, size_t first, size_t last);
// The first n (at most 4) bytes read big-endian; missing bytes end the number.
uint32_t BytesToLong(std::span<const uint8_t> bytes, unsigned n);
// Swaps a 2-byte field and reverses a 4-byte one; other lengths stay.
void ReverseBytes(std::span<uint8_t> bytes);
// 2 to the power n.
double Pow2(int n);
