// PNG conversion against the platform's own decoder, and drawing.
#include <gtest/gtest.h>

#include <zlib.h>

#include "ImageTestSupport.h"
#include "support/TestSupport.h"
#include "moviefiles/images/cPNG.h"

using namespace imgtest;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

struct Case {
  uint8_t type, depth;
  bool palette, trns;
};

Bytes Palette(int entries) {
  Bytes p;
  for (int i = 0; i < entries; ++i) p.insert(p.end(), {uint8_t(i * 37), uint8_t(255 - i * 11), uint8_t(i * 5 + 3)});
  return p;
}

// Raw rows whose palette indices stay inside a palette of `entries` colours.
Bytes RawFor(uint32_t w, uint32_t h, const Case& c, uint32_t seed, int entries) {
  Bytes raw = NoiseBytes(RawRowBytes(w, c.depth, c.type) * h, seed);
  if (c.type == 3 && c.depth == 8)
    for (auto& b : raw) b = static_cast<uint8_t>(b % entries);
  return raw;
}

}  // namespace

TEST(PngPixels, EveryColourTypeAndDepthMatchesThePlatformDecoder) {
  TempDir dir;
  const Case cases[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1, true}, {3, 2, true},
                        {3, 4, true}, {3, 8, true}, {3, 1, true, true}, {3, 2, true, true}, {3, 4, true, true},
                        {3, 8, true, true}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  int n = 0;
  for (const Case& c : cases) {
    for (int filter : {0, 1, 2, 3, 4, -1}) {
      for (uint32_t w : {1u, 5u, 13u}) {
        const uint32_t h = 7;
        const int entries = c.palette ? (1 << std::min<int>(c.depth, 8)) : 0;
        const Bytes plte = c.palette ? Palette(entries) : Bytes{};
        const Bytes trns = c.trns ? Bytes{0, 128} : Bytes{};
        const Bytes raw = RawFor(w, h, c, ++n, entries);
        const std::wstring path = dir.File(L"p" + std::to_wstring(n) + L".png");
        WriteBytes(path, SimplePng(w, h, c.depth, c.type, raw, filter, plte, trns));
        SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " depth " << int(c.depth) << " tRNS " << c.trns
                                        << " filter " << filter << " width " << w);
        cPNG png;
        ASSERT_EQ(png.LoadPNGFile(path), 0);
        const Image ours = Expand(png.Bitmap());
        const Image wic = WicDecode(path);
        ASSERT_TRUE(ours.ok);
        ASSERT_TRUE(wic.ok);
        ASSERT_EQ(ours.width, wic.width);
        ASSERT_EQ(ours.height, wic.height);
        const int tolerance = c.depth == 16 ? 1 : 0;
        for (size_t i = 0; i < ours.bgra.size(); ++i)
          ASSERT_LE(std::abs(int(ours.bgra[i]) - int(wic.bgra[i])), tolerance) << "byte " << i;
      }
    }
  }
}

TEST(PngPixels, BitmapLayouts) {
  TempDir dir;
  const std::wstring path = dir.File(L"x.png");
  cPNG png;
  // 3 x 2 RGB: two rows of 12 bytes, bottom row first, 3 padding bytes of 0.
  WriteBytes(path, SimplePng(3, 2, 8, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  const Bytes rgb = {12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0, 3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0};
  EXPECT_EQ(png.Bitmap().Bits, rgb);
  EXPECT_EQ(png.Bitmap().Header.biBitCount, 24);
  EXPECT_EQ(png.Bitmap().Header.biHeight, 2);

  // 16-bit RGB keeps the high bytes.
  WriteBytes(path, SimplePng(1, 1, 16, 2, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  EXPECT_EQ(png.Bitmap().Bits, (Bytes{0x9A, 0x56, 0x12, 0}));

  // Grey ramps and the 2-bit image's declared colours.
  WriteBytes(path, SimplePng(4, 1, 2, 0, {0x1B}));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  EXPECT_EQ(png.Bitmap().Bits, (Bytes{0, 1, 2, 3}));
  ASSERT_EQ(png.Bitmap().ColorTable.size(), 4u);
  EXPECT_EQ(png.Bitmap().Header.biClrUsed, 4u);
  EXPECT_EQ(png.Bitmap().ColorTable[1].rgbGreen, 85);
  EXPECT_EQ(png.Bitmap().ColorTable[2].rgbRed, 170);
  WriteBytes(path, SimplePng(8, 1, 1, 0, {0x80}));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  ASSERT_EQ(png.Bitmap().ColorTable.size(), 2u);
  EXPECT_EQ(png.Bitmap().ColorTable[1].rgbBlue, 255);
  WriteBytes(path, SimplePng(2, 1, 4, 0, {0x1F}));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  ASSERT_EQ(png.Bitmap().ColorTable.size(), 16u);
  EXPECT_EQ(png.Bitmap().ColorTable[1].rgbBlue, 17);

  // Grey and alpha, width 5: rows of 20 bytes of (g, g, g, a).
  WriteBytes(path, SimplePng(5, 1, 8, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  EXPECT_EQ(png.Bitmap().Bits,
            (Bytes{1, 1, 1, 2, 3, 3, 3, 4, 5, 5, 5, 6, 7, 7, 7, 8, 9, 9, 9, 10}));

  // A palette without tRNS: its own entries only, drawn opaque.
  WriteBytes(path, SimplePng(2, 1, 8, 3, {0, 1}, 0, Palette(2)));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  EXPECT_EQ(png.Bitmap().Header.biBitCount, 8);
  EXPECT_EQ(png.Bitmap().ColorTable.size(), 2u);
  EXPECT_EQ(png.Bitmap().Header.biClrUsed, 2u);

  // A filter byte of 7 leaves the row as stored.
  Bytes raw = {9, 8, 7};
  Bytes filtered = {7, 9, 8, 7};
  uLongf size = 64;
  Bytes z(size);
  compress(z.data(), &size, filtered.data(), 4);
  z.resize(size);
  WriteBytes(path, PngFile({{"IHDR", IhdrData(3, 1, 8, 0)}, {"IDAT", z}, {"IEND", {}}}));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  EXPECT_EQ(png.Bitmap().Bits, (Bytes{9, 8, 7, 0}));

  // No IDAT at all: an image of zeros (transparent for RGBA).
  WriteBytes(path, PngFile({{"IHDR", IhdrData(2, 2, 8, 6)}, {"IEND", {}}}));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  EXPECT_EQ(png.Bitmap().Bits, Bytes(16, 0));
}

TEST(PngPixels, PaletteTransparencyAndIndicesBeyondThePalette) {
  TempDir dir;
  const std::wstring path = dir.File(L"p.png");
  // 4 palette entries, tRNS for the first two; index 9 is beyond the palette.
  WriteBytes(path, SimplePng(4, 1, 8, 3, {0, 1, 3, 9}, 0, Palette(4), {10, 20}));
  cPNG png;
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  const Bytes& b = png.Bitmap().Bits;
  ASSERT_EQ(b.size(), 16u);
  EXPECT_EQ(png.Bitmap().Header.biBitCount, 32);
  EXPECT_EQ(b[3], 10);
  EXPECT_EQ(b[7], 20);
  EXPECT_EQ(b[11], 255);
  EXPECT_EQ(b[4 * 3 + 0], 0);  // beyond the palette: opaque black
  EXPECT_EQ(b[4 * 3 + 2], 0);
  EXPECT_EQ(b[4 * 3 + 3], 255);
  Canvas canvas(4, 1, RGB(255, 255, 255));
  png.DrawToDC(canvas.dc(), 0, 0, false);
  EXPECT_EQ(canvas.Pixel(3, 0)[0], 0);

  // Without tRNS, an index beyond the palette draws black too.
  WriteBytes(path, SimplePng(2, 1, 8, 3, {1, 200}, 0, Palette(2)));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  Canvas opaque(2, 1, RGB(255, 255, 255));
  png.DrawToDC(opaque.dc(), 0, 0, false);
  EXPECT_EQ(opaque.Pixel(0, 0)[2], 37);  // red of entry 1
  EXPECT_EQ(opaque.Pixel(1, 0)[0], 0);
  EXPECT_EQ(opaque.Pixel(1, 0)[2], 0);
}

TEST(PngPixels, DrawingOpaqueCompositedAndGrey) {
  TempDir dir;
  const std::wstring path = dir.File(L"d.png");
  // Row of RGBA pixels: opaque red, transparent, white at 128, opaque green, opaque black, alpha 1.
  WriteBytes(path, SimplePng(6, 1, 8, 6,
                             {255, 0, 0, 255, 9, 9, 9, 0, 255, 255, 255, 128, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 1}));
  cPNG png;
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  {
    Canvas c(8, 3, RGB(0, 0, 0));
    png.DrawToDC(c.dc(), 1, 1, false);
    EXPECT_EQ(c.Pixel(1, 1)[2], 255);  // red replaces
    EXPECT_EQ(c.Pixel(1, 1)[1], 0);
    EXPECT_EQ(c.Pixel(2, 1)[0], 0);  // transparent leaves black
    EXPECT_EQ(c.Pixel(3, 1)[0], 128);
    EXPECT_EQ(c.Pixel(0, 0)[0], 0);  // outside untouched
  }
  {
    Canvas c(6, 1, RGB(255, 255, 255));
    png.DrawToDC(c.dc(), 0, 0, true);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(c.Pixel(3, 0)[k], 255);  // opaque green in grey over white
      EXPECT_EQ(c.Pixel(4, 0)[k], 128);  // opaque black at half alpha
      EXPECT_EQ(c.Pixel(5, 0)[k], 255);  // alpha 1 leaves the background
      EXPECT_EQ(c.Pixel(1, 0)[k], 255);
    }
  }
  // An RGB image with tRNS is drawn opaque (only 32-bit bitmaps are composited).
  WriteBytes(path, SimplePng(2, 1, 8, 2, {1, 2, 3, 4, 5, 6}, 0, {}, {0, 1, 0, 2, 0, 3}));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  Canvas c(2, 1, RGB(255, 255, 255));
  png.DrawToDC(c.dc(), 0, 0, false);
  EXPECT_EQ(c.Pixel(0, 0)[2], 1);
  EXPECT_EQ(c.Pixel(1, 0)[0], 6);
  // An interlaced image draws nothing.
  WriteBytes(path, PngFile({{"IHDR", IhdrData(2, 1, 8, 2, 1)}, {"IEND", {}}}));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  png.DrawToDC(c.dc(), 0, 0, false);
  EXPECT_EQ(c.Pixel(0, 0)[2], 1);
}
