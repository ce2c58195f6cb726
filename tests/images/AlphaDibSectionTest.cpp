// The 32-bit alpha bitmap class: pixel arithmetic, blending, DrawDib, files.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "ImageTestSupport.h"
#include "support/TestSupport.h"
#include "images/cAlphaDibSection.h"
#include "services/Services.h"

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {
void Fill(cAlphaDibSection& dib, uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
  uint8_t* p = dib.DIBSectionBitsPtr();
  for (long i = 0; i < dib.Width() * dib.Height(); ++i, p += 4) p[0] = b, p[1] = g, p[2] = r, p[3] = a;
}
// The pixels of a 2 x 2 bitmap, and one pixel four times.
std::vector<uint8_t> Bits(cAlphaDibSection& dib) { return {dib.DIBSectionBitsPtr(), dib.DIBSectionBitsPtr() + 16}; }
std::vector<uint8_t> Repeat(std::vector<uint8_t> px) {
  for (int i = 0; i < 3; ++i) px.insert(px.end(), px.begin(), px.begin() + 4);
  return px;
}
}  // namespace

TEST(AlphaDibSection, GeometryAndFailedSizes) {
  cAlphaDibSection dib;
  ASSERT_TRUE(dib.Create(3, 2));
  EXPECT_EQ(dib.BytesPerScanLine(), 12);
  ASSERT_TRUE(dib.Create(5, 2));
  EXPECT_EQ(dib.BytesPerScanLine(), 20);
  for (auto [w, h] : {std::pair{0L, 2L}, {2L, -1L}, {40000L, 40000L}})  // 6.4 GB: refused before GDI
    EXPECT_FALSE(dib.Create(w, h)) << w << "x" << h;
  EXPECT_TRUE(!dib.hdc() && !dib.DIBSectionBitsPtr());
}

TEST(AlphaDibSection, PreMultiplySetAlphaAndAlphaScan) {
  cAlphaDibSection dib;
  ASSERT_TRUE(dib.Create(2, 2));
  Fill(dib, 200, 100, 50, 128);
  dib.PreMultiplyAlpha();
  EXPECT_EQ(Bits(dib), Repeat({100, 50, 25, 128}));
  Fill(dib, 200, 100, 50, 7);
  dib.SetAlpha(255);
  EXPECT_EQ(Bits(dib), Repeat({200, 100, 50, 255}));
  EXPECT_FALSE(dib.AreAllAlphaBytesZero());
  dib.SetAlpha(0);
  EXPECT_EQ(Bits(dib), Repeat({0, 0, 0, 0}));
  EXPECT_TRUE(dib.AreAllAlphaBytesZero());
  dib.SetAlpha(1);
  EXPECT_FALSE(dib.AreAllAlphaBytesZero());
}

TEST(AlphaDibSection, RandomiseBitsIsPreMultiplied) {
  cAlphaDibSection dib;
  ASSERT_TRUE(dib.Create(40, 10));
  for (bool gray : {false, true}) {
    dib.RandomiseBits(gray);
    const uint8_t* p = dib.DIBSectionBitsPtr();
    for (int i = 0; i < 400; ++i, p += 4) {
      EXPECT_TRUE(p[0] <= p[3] && p[1] <= p[3] && p[2] <= p[3]) << i;
      if (gray) EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]) << i;
    }
  }
}

TEST(AlphaDibSection, AlphaPaintPictureBlends) {
  cAlphaDibSection src;
  ASSERT_TRUE(src.Create(4, 4));
  Fill(src, 10, 20, 30, 255);
  imgtest::Canvas canvas(4, 4, RGB(200, 150, 100));
  src.AlphaPaintPicture(canvas.dc(), 0, 0, -1, -1, 0, 0, 0);  // constant alpha 0: nothing
  const uint8_t* px = canvas.Pixel(1, 1);
  EXPECT_EQ(std::tuple(px[0], px[2]), std::tuple(100, 200));
  src.AlphaPaintPicture(canvas.dc(), 0, 0, -1, -1, 0, 0, 255);
  px = canvas.Pixel(1, 1);
  EXPECT_EQ(std::tuple(px[0], px[1], px[2]), std::tuple(10, 20, 30));
}

TEST(AlphaDibSection, DrawDibSwitchSurvivesCreateNotClearUp) {
  cAlphaDibSection dib;
  EXPECT_FALSE(dib.UseDrawDib());
  dib.UseDrawDib(true);
  ASSERT_TRUE(dib.Create(8, 8));
  EXPECT_TRUE(dib.UseDrawDib());
  Fill(dib, 1, 2, 3, 255);
  imgtest::Canvas canvas(8, 8, RGB(0, 0, 0));
  dib.PaintPicture(canvas.dc());
  EXPECT_EQ(canvas.Pixel(3, 3)[2], 3);
  dib.ClearUp();
  EXPECT_FALSE(dib.UseDrawDib());

  // DrawDib switched on again over an emptied object (which still reports its last,
  // large size) draws nothing and reads nothing.
  cAlphaDibSection large;
  large.UseDrawDib(true);
  ASSERT_TRUE(large.Create(2048, 2048));
  large.ClearUp();
  large.UseDrawDib(true);
  large.PaintPicture(canvas.dc());
  EXPECT_EQ(canvas.Pixel(3, 3)[2], 3);
}

TEST(AlphaDibSection, SavesAndReloadsA32BitFileWithItsAlphaOrReportsError17) {
  TempDir dir;
  cAlphaDibSection dib;
  ASSERT_TRUE(dib.Create(3, 2));
  uint8_t* p = dib.DIBSectionBitsPtr();
  for (int i = 0; i < 24; ++i) p[i] = static_cast<uint8_t>(i * 10 + 5);
  const std::wstring path = dir.File(L"alpha.bmp");
  ASSERT_TRUE(dib.SavePicture(path));
  auto bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 58u + 24u);
  EXPECT_EQ(bytes[28], 32);  // bit count
  EXPECT_EQ(std::memcmp(bytes.data() + 58, p, 24), 0);

  cAlphaDibSection loaded;
  loaded.CreateFromFile(path, 0, 0);
  ASSERT_EQ(std::tuple(loaded.Width(), loaded.Height()), std::tuple(3L, 2L));
  EXPECT_EQ(std::memcmp(loaded.DIBSectionBitsPtr(), p, 24), 0);

  cAlphaDibSection missing;
  ASSERT_TRUE(missing.Create(2, 2));
  missing.CreateFromFile(dir.File(L"nothing.bmp"));
  EXPECT_EQ(missing.hdc(), nullptr);

  // A file that can't be made: error 17 with the system's text.
  ClearError();
  EXPECT_FALSE(dib.SavePicture(dir.File(L"no\\such\\folder.bmp")));
  EXPECT_EQ(CurrentError().Number, 17);
  EXPECT_NE(CurrentError().Source.find(L".cDIBSection"), std::wstring::npos);
  EXPECT_FALSE(CurrentError().Description.empty());
  EXPECT_FALSE(cAlphaDibSection::ApiError(ERROR_FILE_NOT_FOUND).empty());
  EXPECT_EQ(cAlphaDibSection::ApiError(0x20001234), L"");  // a number the system doesn't know
}

TEST(AlphaDibSection, CreateFromHBitmapKeepsAlphaAndWhichWayUp) {
  // 32-bit sections stored bottom-up and top-down; the picture's row r from the top has
  // blue 10 + r and alpha 100 + r in both.
  for (const long direction : {1L, -1L}) {
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), 2, 3 * direction, 1, 32}};
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    auto* p = static_cast<uint8_t*>(bits);
    for (int memoryRow = 0; memoryRow < 3; ++memoryRow) {
      const int top = direction > 0 ? 2 - memoryRow : memoryRow;
      for (int x = 0; x < 2; ++x) {
        uint8_t* px = p + memoryRow * 8 + x * 4;
        px[0] = static_cast<uint8_t>(10 + top), px[1] = 0, px[2] = 0, px[3] = static_cast<uint8_t>(100 + top);
      }
    }
    cAlphaDibSection dib;
    dib.CreateFromHBitmap(section);
    DeleteObject(section);
    ASSERT_EQ(dib.Height(), 3);
    const uint8_t* bottom = dib.DIBSectionBitsPtr();  // the picture's last row
    const uint8_t* topRow = bottom + 2 * dib.BytesPerScanLine();
    EXPECT_EQ(std::tuple(bottom[0], bottom[3], topRow[4], topRow[7]), std::tuple(12, 102, 10, 100)) << direction;
  }
}
