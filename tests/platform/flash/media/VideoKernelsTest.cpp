// The video decoders' inner pieces against plain references: the bit reader
// near the end of its span, the inverse transform against the exact one at
// the coefficients' extremes, the checksum against zlib's, and the conversion
// to 32-bit pixels against the BT.601 studio-range formula, on widths and
// heights that leave tails for the scalar code.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <numbers>
#include <random>

#include "MediaTestSupport.h"
#include "platform/flash/media/Adler32.h"
#include "platform/flash/media/BitReader.h"
#include "platform/flash/media/Idct.h"

using namespace flash::media;
using mediatest::Bytes;

namespace {

Bytes RandomBytes(std::mt19937& random, size_t n) {
  Bytes out(n);
  for (uint8_t& b : out) b = static_cast<uint8_t>(random());
  return out;
}

// Bit n of the data, most significant first; zero past the end.
uint32_t BitAt(const Bytes& data, size_t n) { return n / 8 < data.size() ? (data[n / 8] >> (7 - n % 8)) & 1 : 0; }

// The exact transform of a block given column by column (block[c * 8 + r]), rounded.
std::vector<int> ExactIdct(const int16_t* block) {
  std::vector<int> out(64);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      double sum = 0;
      for (int v = 0; v < 8; ++v)
        for (int u = 0; u < 8; ++u) {
          const double cu = u ? 1 : std::sqrt(0.5), cv = v ? 1 : std::sqrt(0.5);
          sum += cu * cv * block[u * 8 + v] * std::cos((2 * x + 1) * u * std::numbers::pi / 16) * std::cos((2 * y + 1) * v * std::numbers::pi / 16);
        }
      out[y * 8 + x] = static_cast<int>(std::lround(sum / 4));
    }
  return out;
}

}  // namespace

TEST(BitReader, ReadsEveryWidthUpToAndPastTheEnd) {
  std::mt19937 random(5);
  for (size_t size = 0; size <= 24; ++size) {
    const Bytes data = RandomBytes(random, size);
    for (int pass = 0; pass < 20; ++pass) {
      BitReader br(data);
      size_t pos = 0;
      while (pos < size * 8 + 40) {
        const unsigned n = 1 + random() % 25;
        uint32_t want = 0;
        for (unsigned i = 0; i < n; ++i) want = want << 1 | BitAt(data, pos + i);
        if (random() % 3 == 0) {
          ASSERT_EQ(br.Peek(n), want) << "size " << size << " at " << pos;
          br.Skip(n);
        } else {
          ASSERT_EQ(br.Read(n), want) << "size " << size << " at " << pos;
        }
        pos += n;
        ASSERT_EQ(br.Overrun(), pos > size * 8);
        ASSERT_EQ(br.BitsLeft(), pos > size * 8 ? 0 : size * 8 - pos);
      }
    }
  }
}

TEST(Idct, MatchesTheExactTransformWithinOneAndClearsTheBlock) {
  std::mt19937 random(11);
  // Sparse, dense and extreme blocks; the extremes push every sum to its bound.
  auto makeBlock = [&](int kind, int16_t block[64]) {
    for (int i = 0; i < 64; ++i) {
      switch (kind) {
        case 0: block[i] = i == 0 ? static_cast<int16_t>(static_cast<int>(random() % 4096) - 2048) : 0; break;
        case 1: block[i] = random() % 6 == 0 ? static_cast<int16_t>(static_cast<int>(random() % 201) - 100) : 0; break;
        case 2: block[i] = static_cast<int16_t>(static_cast<int>(random() % 4096) - 2048); break;
        default: {
          // The signs that make each output's sum largest.
          const int x = kind % 8, y = kind / 8 % 8, u = i / 8, v = i % 8;
          const double c = std::cos((2 * x + 1) * u * std::numbers::pi / 16) * std::cos((2 * y + 1) * v * std::numbers::pi / 16);
          block[i] = c >= 0 ? (kind & 64 ? -2048 : 2047) : (kind & 64 ? 2047 : -2048);
        }
      }
    }
  };
  for (int kind = 0; kind < 3 + 128; ++kind) {
    for (int round = 0; round < (kind < 3 ? 200 : 1); ++round) {
      alignas(16) int16_t block[64];
      makeBlock(kind, block);
      const std::vector<int> exact = ExactIdct(block);
      int16_t copy[64];
      std::copy(block, block + 64, copy);
      uint8_t put[8 * 12], added[8 * 12];
      std::vector<uint8_t> prediction(sizeof(added));
      for (uint8_t& p : prediction) p = static_cast<uint8_t>(random());
      std::copy(prediction.begin(), prediction.end(), added);
      IdctPut(block, put, 12);
      for (int i = 0; i < 64; ++i) ASSERT_EQ(block[i], 0) << "the block is left clear";
      std::copy(copy, copy + 64, block);
      IdctAdd(block, added, 12);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
          const int e = exact[y * 8 + x], at = y * 12 + x;
          ASSERT_NEAR(put[at], std::clamp(e, 0, 255), 1) << "kind " << kind << " at " << x << "," << y;
          ASSERT_NEAR(added[at], std::clamp(prediction[at] + e, 0, 255), 1) << "kind " << kind << " at " << x << "," << y;
        }
    }
  }
}

TEST(Adler32, MatchesZlibAcrossLengthsStartsAndTheReductionBound) {
  std::mt19937 random(3);
  Bytes data = RandomBytes(random, 40000);
  Bytes ones(40000, 0xFF);  // the largest sums between reductions
  for (const Bytes* bytes : {&data, &ones})
    for (size_t length : {0, 1, 15, 16, 17, 255, 5535, 5536, 5537, 11072, 11090, 39999}) {
      for (size_t offset : {0, 1, 7}) {
        const uint8_t* p = bytes->data() + offset;
        const uint32_t start = length % 2 ? 1 : 65520u << 16 | 65520;  // a new stream, and the largest sums
        EXPECT_EQ(Adler32(start, std::span<const uint8_t>(p, length)),
                  adler32(start, p, static_cast<uInt>(length)))
            << "length " << length << " offset " << offset;
      }
    }
}

TEST(ToArgb, FollowsTheStudioRangeMatrixWithinOneOnEveryWidth) {
  std::mt19937 random(9);
  auto clip = [](double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, 255); };
  for (int width : {1, 2, 15, 16, 17, 31, 33, 48}) {
    for (int height : {1, 2, 3}) {
      const int cw = (width + 1) / 2, ch = (height + 1) / 2;
      Bytes y = RandomBytes(random, width * height), u = RandomBytes(random, cw * ch), v = RandomBytes(random, cw * ch);
      y[0] = 0, y[width * height - 1] = 255, u[0] = 0, v[0] = 255;  // the ends of every range
      VideoImage image;
      image.width = width, image.height = height, image.yuv = true;
      image.planes[0] = y.data(), image.planes[1] = u.data(), image.planes[2] = v.data();
      image.strides[0] = width, image.strides[1] = image.strides[2] = cw;
      const std::vector<uint32_t> got = ToArgb(image);
      for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
          const double l = 1.164383 * (y[row * width + x] - 16);
          const int cb = u[row / 2 * cw + x / 2] - 128, cr = v[row / 2 * cw + x / 2] - 128;
          const uint32_t p = got[row * width + x];
          ASSERT_EQ(p >> 24, 255u);
          EXPECT_NEAR((p >> 16) & 255, clip(l + 1.596027 * cr), 1) << width << "x" << height << " at " << x << "," << row;
          EXPECT_NEAR((p >> 8) & 255, clip(l - 0.391762 * cb - 0.812968 * cr), 1) << width << "x" << height;
          EXPECT_NEAR(p & 255, clip(l + 2.017232 * cb), 1) << width << "x" << height;
        }
      // The same sizes as BGR rows, copied exactly.
      const Bytes bgr = RandomBytes(random, static_cast<size_t>(width) * height * 3 + 5);
      VideoImage rgb;
      rgb.width = width, rgb.height = height, rgb.planes[0] = bgr.data(), rgb.strides[0] = width * 3 + 5 / height;
      const std::vector<uint32_t> pixels = ToArgb(rgb);
      for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
          const uint8_t* s = bgr.data() + row * rgb.strides[0] + x * 3;
          ASSERT_EQ(pixels[row * width + x], 0xFF000000u | s[2] << 16 | s[1] << 8 | s[0]) << width << "x" << height;
        }
    }
  }
}
