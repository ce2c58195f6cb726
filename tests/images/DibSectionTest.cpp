// The 24-bit bitmap class: geometry, life cycle, copies, noise and the BMP file.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <utility>

#include "support/TestSupport.h"
#include "images/cDIBSection.h"

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

TEST(DibSection, RowLengthsSizesAndClearUp) {
  const long expected[] = {4, 8, 12, 12, 16};
  for (long w = 1; w <= 5; ++w) {
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(w, 2));
    EXPECT_EQ(std::tuple(dib.BytesPerScanLine(), dib.Width(), dib.Height()), std::tuple(expected[w - 1], w, 2L));
    EXPECT_TRUE(dib.hdc() && dib.DIBSectionBitsPtr());
  }
  // ClearUp keeps the last size.
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(7, 3));
  dib.ClearUp();
  EXPECT_EQ(std::tuple(dib.BytesPerScanLine(), dib.Width(), dib.Height()), std::tuple(24L, 7L, 3L));
  EXPECT_TRUE(!dib.hdc() && !dib.hDib() && !dib.DIBSectionBitsPtr());
  EXPECT_FALSE(dib.SavePicture(L"unused.bmp"));
}

TEST(DibSection, RejectsEmptyNegativeAndOverflowingSizes) {
  const long sizes[][2] = {{0, 10}, {10, 0}, {-1, 10}, {10, -5}, {0x40000000, 2}, {70000, 70000},
                           {0x7FFFFFFF, 0x7FFFFFFF}};
  for (const auto& s : sizes) {
    cDIBSection dib;
    EXPECT_FALSE(dib.Create(s[0], s[1])) << s[0] << "x" << s[1];
    EXPECT_TRUE(!dib.hdc() && !dib.hDib() && !dib.DIBSectionBitsPtr());
  }
  // The size check itself: byte counts whose product would overflow 64 bits are refused
  // as well, while the largest count that fits is allowed.
  EXPECT_FALSE(dib::SizeAllowed(0x7FFFFFFF, 0x7FFFFFFF, 24));
  EXPECT_FALSE(dib::SizeAllowed(0x7FFFFFFF, 0x7FFFFFFF, 32));
  EXPECT_TRUE(dib::SizeAllowed(0x1FFFFFFF, 1, 32));
  EXPECT_FALSE(dib::SizeAllowed(0x20000000, 1, 32));
  // A failed Create releases what the object held before.
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(4, 4));
  EXPECT_FALSE(dib.Create(0, 4));
  EXPECT_EQ(dib.hdc(), nullptr);
}

TEST(DibSection, CopiesWholeBitmapWithMinusOneAndNothingWithZero) {
  cDIBSection src, dst;
  ASSERT_TRUE(src.Create(5, 3));
  ASSERT_TRUE(dst.Create(5, 3));
  std::memset(src.DIBSectionBitsPtr(), 0x5A, 3 * src.BytesPerScanLine());
  src.PaintPicture(dst.hdc(), 0, 0, 0, 0);
  GdiFlush();
  EXPECT_EQ(dst.DIBSectionBitsPtr()[0], 0);
  src.PaintPicture(dst.hdc(), 0, 0, -1, -1);
  GdiFlush();
  for (long y = 0; y < 3; ++y)
    for (long i = 0; i < 15; ++i) ASSERT_EQ(dst.DIBSectionBitsPtr()[y * 16 + i], 0x5A);

  cDIBSection back;
  ASSERT_TRUE(back.Create(5, 3));
  back.LoadPictureBlt(src.hdc(), 0, 0, 0, 0);
  GdiFlush();
  EXPECT_EQ(back.DIBSectionBitsPtr()[0], 0);
  back.LoadPictureBlt(src.hdc());
  GdiFlush();
  EXPECT_EQ(std::memcmp(back.DIBSectionBitsPtr(), src.DIBSectionBitsPtr(), 15), 0);
}

TEST(DibSection, CreateFromPictureCopiesTheBitmap) {
  cDIBSection src;
  ASSERT_TRUE(src.Create(6, 4));
  uint8_t* p = src.DIBSectionBitsPtr();
  p[0] = 0, p[1] = 255, p[2] = 255;  // bottom-left pixel, a colour every screen depth shows exactly
  // A device-dependent bitmap of the same picture, as a picture object holds it.
  HDC screen = GetDC(nullptr);
  HBITMAP ddb = CreateCompatibleBitmap(screen, 6, 4);
  ReleaseDC(nullptr, screen);
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, ddb);
  src.PaintPicture(mem);
  SelectObject(mem, old);
  DeleteDC(mem);

  cDIBSection copy;
  copy.CreateFromPicture(ddb);
  DeleteObject(ddb);
  ASSERT_EQ(std::tuple(copy.Width(), copy.Height()), std::tuple(6L, 4L));
  GdiFlush();
  const uint8_t* q = copy.DIBSectionBitsPtr();
  EXPECT_EQ(std::tuple(q[0], q[1], q[2]), std::tuple(0, 255, 255));

  cDIBSection none;
  none.CreateFromPicture(nullptr);
  EXPECT_EQ(none.hdc(), nullptr);
}

TEST(DibSection, RandomiseBitsColourAndGrey) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(33, 9));
  const long stride = dib.BytesPerScanLine();
  std::memset(dib.DIBSectionBitsPtr(), 0xEE, stride * 9);
  dib.RandomiseBits(false);
  bool anyGreen = false;
  for (long y = 0; y < 9; ++y) {
    const uint8_t* row = dib.DIBSectionBitsPtr() + y * stride;
    for (long x = 0; x < 33; ++x) {
      EXPECT_EQ(row[3 * x], 0);
      anyGreen |= row[3 * x + 1] != 0xEE;
    }
    EXPECT_EQ(row[99], 0xEE);  // padding untouched
  }
  EXPECT_TRUE(anyGreen);
  dib.RandomiseBits(true);
  for (long y = 0; y < 9; ++y) {
    const uint8_t* row = dib.DIBSectionBitsPtr() + y * stride;
    for (long x = 0; x < 33; ++x) {
      EXPECT_EQ(row[3 * x], row[3 * x + 1]);
      EXPECT_EQ(row[3 * x], row[3 * x + 2]);
    }
  }
}

TEST(DibSection, SavesTheBmpLayout) {
  TempDir dir;
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(1, 1));
  uint8_t* p = dib.DIBSectionBitsPtr();
  p[0] = 1, p[1] = 2, p[2] = 3, p[3] = 0;
  const std::wstring path = dir.File(L"one \u00e9\u4e2d.bmp");
  ASSERT_TRUE(dib.SavePicture(path));
  // File size 62, pixels at 58; header of 40 bytes: 1 x 1 (bottom-up), 1 plane, 24 bits,
  // BI_RGB, 4 bytes of image; then zeros up to the pixels.
  std::vector<uint8_t> expected = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 58, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0,
                                   1,   0,   0,  0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0};
  expected.resize(58, 0);
  expected.insert(expected.end(), {1, 2, 3, 0});
  auto b = ReadBytes(path);
  EXPECT_EQ(b, expected);

  // A 5 x 2 bitmap: rows of 16 bytes, the file 58 + 32 bytes; saving again replaces it.
  ASSERT_TRUE(dib.Create(5, 2));
  ASSERT_TRUE(dib.SavePicture(path));
  b = ReadBytes(path);
  ASSERT_EQ(b.size(), 90u);
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + 34, b.begin() + 38), (std::vector<uint8_t>{32, 0, 0, 0}));  // image size
  EXPECT_FALSE(dib.SavePicture(dir.File(L"missing\\folder\\x.bmp")));
}

TEST(DibSection, AFailedSaveKeepsTheFileThatWasThere) {
  // The core both bitmap classes save through. The pixels are made unreadable so the
  // write fails after the headers, as a full disk would fail it.
  TempDir dir;
  const std::wstring path = dir.File(L"keep.bmp");
  void* unreadable = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(unreadable, nullptr);
  for (int bitCount : {24, 32}) {
    ASSERT_TRUE(WriteBytes(path, {1, 2, 3}));
    dib::Section section;
    ASSERT_TRUE(section.Create(4, 4, bitCount));
    uint8_t* bits = std::exchange(section.bits, static_cast<uint8_t*>(unreadable));
    EXPECT_FALSE(section.Save(path)) << bitCount;
    section.bits = bits;
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{1, 2, 3})) << bitCount;
    ASSERT_TRUE(section.Save(path));
    EXPECT_EQ(ReadBytes(path).size(), 58u + section.info.header.biSizeImage);
  }
  VirtualFree(unreadable, 0, MEM_RELEASE);
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir.Path() + L"*.tmp").c_str(), &fd);  // no temporary file is left
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}
