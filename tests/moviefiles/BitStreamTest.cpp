#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "moviefiles/BitStream.h"
#include "base/ByteReader.h"

TEST(BitStream, ReadsFieldsMostSignificantBitFirstAcrossBytes) {
  const std::vector<uint8_t> bytes = {0xA5, 0x0F, 0xF0};
  BitStream bits(bytes);
  uint32_t v = 0;
  const std::pair<unsigned, uint32_t> fields[] = {{1, 1}, {3, 0b010}, {12, 0x50F}, {0, 0}};  // 0x50F: 0101 0000 1111
  for (const auto& [n, want] : fields) {
    ASSERT_TRUE(bits.ReadBits(n, v)) << n;
    EXPECT_EQ(v, want) << n;
  }
  EXPECT_EQ(bits.BitsLeft(), 8u);
  EXPECT_FALSE(bits.ReadBits(9, v));  // past the end: nothing read
  EXPECT_EQ(bits.BitPos(), 16u);
  ASSERT_TRUE(bits.ReadBits(8, v));
  EXPECT_EQ(v, 0xF0u);
}

TEST(BitStream, SignedFieldsAndWideReads) {
  const std::vector<uint8_t> bytes = {0xF0, 0x12, 0x34, 0x56, 0x78};
  BitStream bits(bytes);
  int32_t s = 0;
  ASSERT_TRUE(bits.ReadSignedBits(4, s));
  EXPECT_EQ(s, -1);
  ASSERT_TRUE(bits.ReadSignedBits(4, s));
  EXPECT_EQ(s, 0);
  uint32_t v = 0;
  ASSERT_TRUE(bits.ReadBits(32, v));
  EXPECT_EQ(v, 0x12345678u);
}

TEST(BitStream, ModuleHelpersGiveTheDocumentedResults) {
  // A tag header 0x43 0x02 in file order, reversed to big-endian: code 9, length 3.
  std::vector<uint8_t> header = {0x43, 0x02};
  ReverseBytes(header);
  EXPECT_EQ(BitsToLong(header, 0, 9), 9u);
  EXPECT_EQ(BitsToLong(header, 10, 15), 3u);
  // A downward walk reads the bits in reverse order (0xA5 = 10100101 is a palindrome).
  const std::vector<uint8_t> a5 = {0xA5}, ones = {0xFF, 0xFF}, half = {0x80};
  EXPECT_EQ(std::tuple(BitsToLong(a5, 0, 7), BitsToLong(a5, 7, 0), BitsToLong(a5, 3, 0)),
            std::tuple(0xA5u, 0xA5u, 0b0101u));
  EXPECT_DOUBLE_EQ(BitsToFraction(ones, 0, 11), 1 - std::ldexp(1.0, -12));
  EXPECT_DOUBLE_EQ(BitsToFraction(half, 7, 0), 0.5);  // bit 0 visited last weighs 1/2
  EXPECT_EQ(BytesToLong(std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78}, 4), 0x12345678u);
  EXPECT_EQ(BytesToLong(std::vector<uint8_t>{0x12, 0x34}, 4), 0x1234u);  // missing bytes end the number
  std::vector<uint8_t> three = {1, 2, 3}, four = {1, 2, 3, 4};
  ReverseBytes(three), ReverseBytes(four);
  EXPECT_EQ(three, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(four, (std::vector<uint8_t>{4, 3, 2, 1}));
}

TEST(ByteReader, ReadsWholeFieldsOrNothing) {
  const std::vector<uint8_t> bytes = {0x01, 0x02, 0x03, 0x40, 0x09, 0x21, 0xFB, 0x54, 0x44, 0x2D, 0x18};
  ByteReader r(bytes);
  uint32_t v = 0;
  ASSERT_TRUE(r.U16LE(v));
  EXPECT_EQ(v, 0x0201u);
  ASSERT_TRUE(r.U8(*reinterpret_cast<uint8_t*>(&v)));
  double d = 0;
  ASSERT_TRUE(r.F64BE(d));
  EXPECT_DOUBLE_EQ(d, 3.141592653589793);
  EXPECT_TRUE(r.AtEnd());
  EXPECT_FALSE(r.U8(*reinterpret_cast<uint8_t*>(&v)));
  ASSERT_TRUE(r.Seek(9));
  EXPECT_FALSE(r.U32BE(v));  // two bytes left: the read fails and the position stays
  EXPECT_EQ(r.Pos(), 9u);
  EXPECT_FALSE(r.Skip(3));
  EXPECT_FALSE(r.Seek(12));
  std::span<const uint8_t> s;
  EXPECT_FALSE(r.Bytes(SIZE_MAX, s));
}
