// Bilinear resampling of both bitmap classes.
#include <gtest/gtest.h>

#include <cstring>

#include "ImageTestSupport.h"
#include "images/cAlphaDibSection.h"
#include "images/cDIBSection.h"

using imgtest::Bytes;

namespace {
// Grey pixels of three bytes each; one pixel n times.
Bytes Grey(std::initializer_list<int> values) {
  Bytes b;
  for (int v : values) b.insert(b.end(), 3, static_cast<uint8_t>(v));
  return b;
}
Bytes Repeat(const Bytes& pixel, int n) {
  Bytes b;
  while (n--) b.insert(b.end(), pixel.begin(), pixel.end());
  return b;
}
// A bitmap's pixel bytes, bottom row first, without the row padding; and the reverse.
template <class Dib>
Bytes Pixels(Dib& dib, int bpp) {
  Bytes b;
  for (long y = 0; y < dib.Height(); ++y) {
    const uint8_t* row = dib.DIBSectionBitsPtr() + y * dib.BytesPerScanLine();
    b.insert(b.end(), row, row + dib.Width() * bpp);
  }
  return b;
}
template <class Dib>
void SetPixels(Dib& dib, const Bytes& b, int bpp) {
  for (long y = 0; y < dib.Height(); ++y)
    std::memcpy(dib.DIBSectionBitsPtr() + y * dib.BytesPerScanLine(), b.data() + y * dib.Width() * bpp,
                dib.Width() * bpp);
}
}  // namespace

TEST(Resample, ExamplesOfTheBilinearRule) {
  Bytes noise = imgtest::NoiseBytes(7 * 5 * 3, 5), ramp(18);
  for (int i = 0; i < 18; ++i) ramp[i] = static_cast<uint8_t>(i < 9 ? 10 + i : 13 + i);
  const struct {
    const char* what;
    long w, h;
    Bytes source;
    long toW, toH;
    Bytes expected;
  } cases[] = {
      {"same size: an exact copy", 7, 5, noise, 7, 5, noise},
      {"enlarged row, ties to even", 2, 1, Grey({0, 255}), 4, 1, Grey({0, 64, 128, 191})},
      {"shrunk: exact columns", 3, 2, ramp, 2, 1, Bytes(ramp.begin(), ramp.begin() + 6)},
      {"one pixel fills all", 1, 1, {9, 99, 199}, 3, 3, Repeat({9, 99, 199}, 9)},
      // yr = 2/6: rows sample 0, 1/3, 2/3, 1, 4/3, 5/3 of a one-pixel column.
      {"one column", 1, 3, Grey({0, 100, 200}), 2, 6, Grey({0, 0, 33, 33, 67, 67, 100, 100, 133, 133, 167, 167})},
      // xr = 1.5: the second pixel lies half-way between 51 and 100; 75.5 rounds to 76.
      {"shrunk to half, ties to even", 4, 1, Grey({0, 51, 100, 150}), 2, 1, Grey({0, 76})},
  };
  for (const auto& c : cases) {
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(c.w, c.h));
    SetPixels(dib, c.source, 3);
    auto out = dib.Resample(c.toW, c.toH);
    ASSERT_TRUE(out) << c.what;
    EXPECT_EQ(Pixels(*out, 3), c.expected) << c.what;
  }
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(2, 2));
  EXPECT_FALSE(dib.Resample(0, 5));
  EXPECT_FALSE(dib.Resample(5, -1));
}

TEST(Resample, AlphaTwinKeepsOrInterpolatesAlpha) {
  cAlphaDibSection dib;
  ASSERT_TRUE(dib.Create(2, 1));
  const Bytes px = {0, 0, 0, 0, 255, 255, 255, 255};
  SetPixels(dib, px, 4);
  auto colours = dib.Resample(4, 1), all = dib.ResampleAlpha(4, 1), same = dib.ResampleAlpha(2, 1);
  ASSERT_TRUE(colours && all && same);
  // Resample leaves alpha as created; ResampleAlpha interpolates it with the colours.
  EXPECT_EQ(Pixels(*colours, 4), (Bytes{0, 0, 0, 0, 64, 64, 64, 0, 128, 128, 128, 0, 191, 191, 191, 0}));
  EXPECT_EQ(Pixels(*all, 4), (Bytes{0, 0, 0, 0, 64, 64, 64, 64, 128, 128, 128, 128, 191, 191, 191, 191}));
  EXPECT_EQ(Pixels(*same, 4), px);
}
