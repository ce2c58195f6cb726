// Bilinear resampling of both bitmap classes.
#include <gtest/gtest.h>

#include <cstring>

#include "moviefiles/images/cAlphaDibSection.h"
#include "moviefiles/images/cDIBSection.h"

TEST(Resample, SameSizeIsAnExactCopyAndZeroGivesNothing) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(7, 5));
  for (long i = 0; i < dib.BytesPerScanLine() * 5; ++i) dib.DIBSectionBitsPtr()[i] = static_cast<uint8_t>(i * 7);
  auto copy = dib.Resample(7, 5);
  ASSERT_TRUE(copy);
  for (long y = 0; y < 5; ++y)
    EXPECT_EQ(std::memcmp(copy->DIBSectionBitsPtr() + y * 24, dib.DIBSectionBitsPtr() + y * 24, 21), 0);
  EXPECT_FALSE(dib.Resample(0, 5));
  EXPECT_FALSE(dib.Resample(5, -1));
}

TEST(Resample, EnlargesOneRowWithTiesToEven) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(2, 1));
  uint8_t* p = dib.DIBSectionBitsPtr();
  std::memset(p, 0, 3);
  std::memset(p + 3, 255, 3);
  auto big = dib.Resample(4, 1);
  ASSERT_TRUE(big);
  const uint8_t expected[] = {0, 64, 128, 191};
  for (int x = 0; x < 4; ++x)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(big->DIBSectionBitsPtr()[3 * x + k], expected[x]) << x;
}

TEST(Resample, ShrinkingSamplesExactColumnsAndOnePixelFillsAll) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(3, 2));
  uint8_t* p = dib.DIBSectionBitsPtr();
  for (int i = 0; i < 24; ++i) p[i] = static_cast<uint8_t>(10 + i);
  auto small = dib.Resample(2, 1);
  ASSERT_TRUE(small);
  EXPECT_EQ(std::memcmp(small->DIBSectionBitsPtr(), p, 6), 0);

  cDIBSection one;
  ASSERT_TRUE(one.Create(1, 1));
  one.DIBSectionBitsPtr()[0] = 9, one.DIBSectionBitsPtr()[1] = 99, one.DIBSectionBitsPtr()[2] = 199;
  auto grown = one.Resample(3, 3);
  ASSERT_TRUE(grown);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) {
      const uint8_t* q = grown->DIBSectionBitsPtr() + y * 12 + 3 * x;
      EXPECT_EQ(q[0], 9);
      EXPECT_EQ(q[1], 99);
      EXPECT_EQ(q[2], 199);
    }
}

TEST(Resample, OneColumnAndOneRowSourcesStretch) {
  // A 1 x 3 column whose rows are 0, 100, 200 (bottom first), enlarged to 2 x 6.
  cDIBSection col;
  ASSERT_TRUE(col.Create(1, 3));
  for (int y = 0; y < 3; ++y) std::memset(col.DIBSectionBitsPtr() + 4 * y, 100 * y, 3);
  auto big = col.Resample(2, 6);
  ASSERT_TRUE(big);
  // yr = 2/6: rows sample 0, 1/3, 2/3, 1, 4/3, 5/3.
  const uint8_t expected[] = {0, 33, 67, 100, 133, 167};
  for (int y = 0; y < 6; ++y) {
    EXPECT_EQ(big->DIBSectionBitsPtr()[8 * y], expected[y]) << y;
    EXPECT_EQ(big->DIBSectionBitsPtr()[8 * y + 3], expected[y]) << y;
  }
}

TEST(Resample, AlphaTwinKeepsOrInterpolatesAlpha) {
  cAlphaDibSection dib;
  ASSERT_TRUE(dib.Create(2, 1));
  uint8_t* p = dib.DIBSectionBitsPtr();
  const uint8_t px[8] = {0, 0, 0, 0, 255, 255, 255, 255};
  std::memcpy(p, px, 8);
  auto colours = dib.Resample(4, 1);
  auto all = dib.ResampleAlpha(4, 1);
  ASSERT_TRUE(colours && all);
  const uint8_t expected[] = {0, 64, 128, 191};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(colours->DIBSectionBitsPtr()[4 * x], expected[x]);
    EXPECT_EQ(colours->DIBSectionBitsPtr()[4 * x + 3], 0);  // as created
    EXPECT_EQ(all->DIBSectionBitsPtr()[4 * x + 2], expected[x]);
    EXPECT_EQ(all->DIBSectionBitsPtr()[4 * x + 3], expected[x]);
  }
  auto same = dib.ResampleAlpha(2, 1);
  ASSERT_TRUE(same);
  EXPECT_EQ(std::memcmp(same->DIBSectionBitsPtr(), px, 8), 0);
}

TEST(Resample, ShrinkingToHalfOrLessInterpolatesWithTiesToEven) {
  // 4 x 1 to 2 x 1: xr = 1.5, so the second target pixel lies half-way between
  // columns 1 and 2: 51 and 100 give 75.5, which rounds to 76.
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(4, 1));
  const uint8_t values[] = {0, 51, 100, 150};
  for (int x = 0; x < 4; ++x) std::memset(dib.DIBSectionBitsPtr() + 3 * x, values[x], 3);
  auto half = dib.Resample(2, 1);
  ASSERT_TRUE(half);
  EXPECT_EQ(half->DIBSectionBitsPtr()[0], 0);
  EXPECT_EQ(half->DIBSectionBitsPtr()[3], 76);
  EXPECT_EQ(half->DIBSectionBitsPtr()[5], 76);
}
