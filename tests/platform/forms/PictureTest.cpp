// Picture objects from BMP, PNG and JPEG files: orientation, alpha kept only
// where the file has it, and exact colours of opaque pictures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "TestSupport.h"
#include "platform/forms/Forms.h"

using namespace forms;

namespace {

// 2 x 1 RGBA: opaque red, then blue at alpha 128.
const std::vector<uint8_t> kPngAlpha = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0xf4, 0x22, 0x7f, 0x8a, 0x00, 0x00, 0x00,
    0x0e, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0x00, 0x42, 0x0d, 0x00, 0x0f, 0x7a, 0x03,
    0x7e, 0x77, 0xe9, 0x7f, 0x97, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
// 2 x 2 RGB: green everywhere but (1, 1), which is (10, 20, 30).
const std::vector<uint8_t> kPngRgb = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00,
    0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0xfd, 0xd4, 0x9a, 0x73, 0x00,
    0x00, 0x00, 0x12, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0x60, 0xf8, 0xcf, 0x00, 0x42, 0x40, 0xcc,
    0x25, 0x22, 0x07, 0x00, 0x1a, 0x58, 0x03, 0x3a, 0x13, 0xc6, 0xe6, 0x5c, 0x00, 0x00, 0x00, 0x00, 0x49,
    0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
// 8 x 8 JPEG, all blue.
const std::vector<uint8_t> kJpegBlue = {
    0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01,
    0x00, 0x00, 0xff, 0xdb, 0x00, 0x43, 0x00, 0x03, 0x02, 0x02, 0x02, 0x02, 0x02, 0x03, 0x02, 0x02, 0x02, 0x03,
    0x03, 0x03, 0x03, 0x04, 0x06, 0x04, 0x04, 0x04, 0x04, 0x04, 0x08, 0x06, 0x06, 0x05, 0x06, 0x09, 0x08, 0x0a,
    0x0a, 0x09, 0x08, 0x09, 0x09, 0x0a, 0x0c, 0x0f, 0x0c, 0x0a, 0x0b, 0x0e, 0x0b, 0x09, 0x09, 0x0d, 0x11, 0x0d,
    0x0e, 0x0f, 0x10, 0x10, 0x11, 0x10, 0x0a, 0x0c, 0x12, 0x13, 0x12, 0x10, 0x13, 0x0f, 0x10, 0x10, 0x10, 0xff,
    0xdb, 0x00, 0x43, 0x01, 0x03, 0x03, 0x03, 0x04, 0x03, 0x04, 0x08, 0x04, 0x04, 0x08, 0x10, 0x0b, 0x09, 0x0b,
    0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
    0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
    0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
    0xff, 0xc0, 0x00, 0x11, 0x08, 0x00, 0x08, 0x00, 0x08, 0x03, 0x01, 0x11, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11,
    0x01, 0xff, 0xc4, 0x00, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x09, 0xff, 0xc4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xc4, 0x00, 0x15, 0x01, 0x01, 0x01, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x09, 0xff, 0xc4, 0x00, 0x14,
    0x11, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0xff, 0xda, 0x00, 0x0c, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3f, 0x00, 0x3d, 0xd5, 0x4c, 0x1d,
    0xff, 0xd9};

// A BMP file with the 40-byte header: a colour table (palette depths) and rows
// as stored (bottom-up for a positive height, padded to 4 bytes by the caller).
std::vector<uint8_t> Bmp(int32_t w, int32_t h, uint16_t bits, const std::vector<uint32_t>& table,
                         const std::vector<uint8_t>& rows, uint32_t compression = BI_RGB) {
  std::vector<uint8_t> out;
  auto put = [&out](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  const uint32_t offBits = 54 + static_cast<uint32_t>(table.size()) * 4;
  put(0x4D42, 2), put(offBits + static_cast<uint32_t>(rows.size()), 4), put(0, 4), put(offBits, 4);
  put(40, 4), put(static_cast<uint32_t>(w), 4), put(static_cast<uint32_t>(h), 4), put(1, 2), put(bits, 2);
  put(compression, 4), put(static_cast<uint32_t>(rows.size()), 4), put(2835, 4), put(2835, 4);
  put(static_cast<uint32_t>(table.size()), 4), put(0, 4);
  for (uint32_t c : table) put(c, 4);
  out.insert(out.end(), rows.begin(), rows.end());
  return out;
}

// The picture's pixels top row first, as 0xRRGGBB.
std::vector<uint32_t> Pixels(const Picture& picture) {
  const int w = picture.Width(), h = picture.Height();
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  GetDIBits(dc, picture.Handle(), 0, static_cast<UINT>(h), px.data(), &bi, DIB_RGB_COLORS);
  DeleteDC(dc);
  for (uint32_t& p : px) p &= 0xFFFFFF;
  return px;
}

}  // namespace

TEST(Pictures, BmpFilesOfEveryPlainDepthAndTheOthersThroughTheSystem) {
  testing_support::TempDir dir;
  const uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, K = 0x000000, W = 0xFFFFFF, X = 0x102030;
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    int width, height, bitsPerPixel;  // 0: the depth is the system's choice
    std::vector<uint32_t> expected;  // top row first
  };
  const Case cases[] = {
      {"24-bit, bottom-up, padded rows", Bmp(3, 2, 24, {}, {0x30, 0x20, 0x10, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0,  //
                                                            0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0, 0}),
       3, 2, 24, {R, G, B, X, K, W}},
      {"32-bit, top-down", Bmp(2, -2, 32, {}, {0, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0x30, 0x20, 0x10, 0, 0, 0, 0, 0}), 2, 2,
       32, {R, B, X, K}},
      {"8-bit, three colours", Bmp(3, 2, 8, {R, G, B}, {2, 2, 1, 0, 0, 1, 2, 0}), 3, 2, 8, {R, G, B, B, B, G}},
      {"4-bit", Bmp(3, 1, 4, {K, W, X}, {0x12, 0x00, 0, 0}), 3, 1, 4, {W, X, K}},
      {"1-bit, nine pixels", Bmp(9, 1, 1, {K, W}, {0xA5, 0x80, 0, 0}), 9, 1, 1, {W, K, W, K, K, W, K, W, W}},
      // Run-length encoded: two pixels of colour 1, end of line, end of picture.
      {"8-bit RLE", Bmp(2, 1, 8, {K, G}, {2, 1, 0, 0, 0, 1}, BI_RLE8), 2, 1, 0, {G, G}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring path = dir.File(L"p.bmp");
    ASSERT_TRUE(testing_support::WriteBytes(path, c.file));
    Picture picture = LoadPicture(path);
    ASSERT_FALSE(picture.Empty());
    EXPECT_EQ(picture.Width(), c.width);
    EXPECT_EQ(picture.Height(), c.height);
    EXPECT_FALSE(picture.HasAlpha());
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectW(picture.Handle(), sizeof(ds), &ds), static_cast<int>(sizeof(ds)));  // a DIB section
    if (c.bitsPerPixel) {
      EXPECT_EQ(ds.dsBm.bmBitsPixel, c.bitsPerPixel);
    }
    EXPECT_EQ(Pixels(picture), c.expected);
  }
  // Pixels cut short, plain or compressed: an empty picture, nothing read past the end.
  std::vector<uint8_t> cut = Bmp(40, 40, 24, {}, std::vector<uint8_t>(40 * 40 * 3, 0x7F));
  cut.resize(cut.size() / 2);
  std::vector<uint8_t> cutRle = Bmp(40, 40, 8, {K, G}, std::vector<uint8_t>(400, 1), BI_RLE8);
  cutRle.resize(cutRle.size() - 100);
  for (const auto& file : {cut, cutRle}) {
    ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"cut.bmp"), file));
    EXPECT_TRUE(LoadPicture(dir.File(L"cut.bmp")).Empty());
  }
}

TEST(Pictures, LoadPngAndJpegFiles) {
  testing_support::TempDir dir;
  ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"alpha.png"), kPngAlpha));
  ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"opaque.PNG"), kPngRgb));
  ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"blue.jpg"), kJpegBlue));
  ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"broken.png"), {0x89, 0x50, 0x4e, 0x47}));

  Picture alpha = LoadPicture(dir.File(L"alpha.png"));
  ASSERT_FALSE(alpha.Empty());
  EXPECT_EQ(alpha.Width(), 2);
  EXPECT_EQ(alpha.Height(), 1);
  EXPECT_TRUE(alpha.HasAlpha());
  Picture opaque = LoadPicture(dir.File(L"opaque.PNG"));
  ASSERT_FALSE(opaque.Empty());
  EXPECT_FALSE(opaque.HasAlpha());  // opaque pictures copy exact pixels
  Picture jpeg = LoadPicture(dir.File(L"blue.jpg"));
  ASSERT_FALSE(jpeg.Empty());
  EXPECT_EQ(jpeg.Width(), 8);
  EXPECT_FALSE(jpeg.HasAlpha());
  EXPECT_TRUE(LoadPicture(dir.File(L"broken.png")).Empty());
  EXPECT_TRUE(LoadPicture(dir.File(L"missing.jpg")).Empty());

  FormArgs d;
  d.BackColor = RGB(255, 255, 255);
  Form f(L"frmPng", d);
  ASSERT_TRUE(f.Load());
  f.PaintPicture(alpha, 0, 0);
  f.PaintPicture(opaque, 10, 0);
  f.PaintPicture(jpeg, 20, 0);
  EXPECT_EQ(f.Point(0, 0), RGB(255, 0, 0));
  COLORREF blended = f.Point(1, 0);  // half blue over white
  EXPECT_NEAR(GetRValue(blended), 127, 2);
  EXPECT_NEAR(GetBValue(blended), 255, 2);
  EXPECT_EQ(f.Point(10, 0), RGB(0, 255, 0));
  EXPECT_EQ(f.Point(11, 1), RGB(10, 20, 30));  // rows the right way up
  COLORREF blue = f.Point(24, 4);
  EXPECT_GT(GetBValue(blue), 200);
  EXPECT_LT(GetRValue(blue), 40);
  f.Unload();
}

// A picture box larger than a backing bitmap can be made for (or than we
// allow one) draws nothing and reads as empty; it does not crash, and it draws
// again once it is small.
TEST(Pictures, APictureBoxTooLargeToBackDrawsNothing) {
  FormArgs d;
  d.BackColor = RGB(255, 255, 255);
  Form f(L"frmHuge", d);
  ASSERT_TRUE(f.Load());
  PictureBoxArgs pa;
  pa.Name = L"picHuge";
  pa.Width = pa.Height = 40;
  pa.BackColor = RGB(0, 0, 255);
  PictureBox& box = f.Add<PictureBox>(pa);
  const Picture red = forms_test::SolidPicture(4, 4, RGB(255, 0, 0));
  const SIZE sizes[] = {{30000, 30000}, {20000, 5000}, {40, 40}};
  for (const SIZE& s : sizes) {
    SCOPED_TRACE(testing::Message() << s.cx << " x " << s.cy);
    box.Move(0, 0, s.cx, s.cy);
    box.PaintPicture(red, 0, 0, box.ScaleWidth(), box.ScaleHeight());
    box.PSet(5, 5, RGB(0, 255, 0));
    const bool backed = s.cx == 40;
    EXPECT_EQ(box.Point(5, 5), backed ? RGB(0, 255, 0) : CLR_INVALID);
    EXPECT_EQ(box.Point(10, 10), backed ? RGB(255, 0, 0) : CLR_INVALID);
    EXPECT_EQ(forms_test::PrintedPixel(box.hWnd(), 10, 10), backed ? RGB(255, 0, 0) : RGB(0, 0, 255));
  }
  f.Unload();
}
