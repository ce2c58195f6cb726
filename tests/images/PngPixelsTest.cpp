// PNG conversion against the platform's own decoder, and drawing.
#include <gtest/gtest.h>

#include <zlib.h>

#include "ImageTestSupport.h"
#include "support/TestSupport.h"
#include "images/cPNG.h"

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
  // A filter byte of 7 leaves the row as stored.
  const Bytes filter7 = {7, 9, 8, 7};
  uLongf size = 64;
  Bytes z(size);
  compress(z.data(), &size, filter7.data(), 4);
  z.resize(size);
  const struct {
    const char* what;
    Bytes file;
    Bytes bits;
    int bitCount;  // 0: not checked
  } cases[] = {
      {"3 x 2 RGB: bottom row first, 3 padding bytes",
       SimplePng(3, 2, 8, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}),
       {12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0, 3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0}, 24},
      {"16-bit RGB keeps the high bytes", SimplePng(1, 1, 16, 2, {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}),
       {0x9A, 0x56, 0x12, 0}, 24},
      {"2-bit grey", SimplePng(4, 1, 2, 0, {0x1B}), {0, 1, 2, 3}, 0},
      {"grey and alpha: (g, g, g, a)", SimplePng(5, 1, 8, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}),
       {1, 1, 1, 2, 3, 3, 3, 4, 5, 5, 5, 6, 7, 7, 7, 8, 9, 9, 9, 10}, 32},
      {"filter 7", PngFile({{"IHDR", IhdrData(3, 1, 8, 0)}, {"IDAT", z}, {"IEND", {}}}), {9, 8, 7, 0}, 0},
      {"no IDAT: zeros, transparent", PngFile({{"IHDR", IhdrData(2, 2, 8, 6)}, {"IEND", {}}}), Bytes(16, 0), 32},
  };
  for (const auto& c : cases) {
    WriteBytes(path, c.file);
    ASSERT_EQ(png.LoadPNGFile(path), 0) << c.what;
    EXPECT_EQ(png.Bitmap().Bits, c.bits) << c.what;
    EXPECT_EQ(png.Bitmap().Header.biHeight, png.Height()) << c.what;
    if (c.bitCount) EXPECT_EQ(png.Bitmap().Header.biBitCount, c.bitCount) << c.what;
  }

  // Grey images below 8 bits: a ramp of 2, 4 or 16 colours; the 2-bit image declares its 4.
  for (uint8_t depth : {1, 2, 4}) {
    WriteBytes(path, SimplePng(8 / depth, 1, depth, 0, {0x1B}));
    ASSERT_EQ(png.LoadPNGFile(path), 0);
    const auto& table = png.Bitmap().ColorTable;
    const size_t n = size_t{1} << depth;
    ASSERT_EQ(table.size(), n);
    if (depth == 2) EXPECT_EQ(png.Bitmap().Header.biClrUsed, 4u);
    for (size_t i = 0; i < n; ++i) {
      const int v = static_cast<int>(i * 255 / (n - 1));
      EXPECT_EQ(std::tuple(table[i].rgbBlue, table[i].rgbGreen, table[i].rgbRed), std::tuple(v, v, v)) << i;
    }
  }

  // A palette without tRNS: its own entries only, drawn opaque.
  WriteBytes(path, SimplePng(2, 1, 8, 3, {0, 1}, 0, Palette(2)));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  EXPECT_EQ(std::tuple(png.Bitmap().Header.biBitCount, png.Bitmap().ColorTable.size(), png.Bitmap().Header.biClrUsed),
            std::tuple(8, size_t{2}, 2u));
}

TEST(PngPixels, DrawingOpaqueCompositedGreyAndPalettes) {
  TempDir dir;
  const std::wstring path = dir.File(L"d.png");
  // Row of RGBA pixels: opaque red, transparent, white at 128, opaque green, opaque black, alpha 1.
  WriteBytes(path, SimplePng(6, 1, 8, 6, {255, 0, 0, 255, 9, 9, 9, 0, 255, 255, 255, 128,  //
                                          0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 1}));
  cPNG png;
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  {
    Canvas c(8, 3, RGB(0, 0, 0));
    png.DrawToDC(c.dc(), 1, 1, false);
    EXPECT_EQ(std::tuple(c.Pixel(1, 1)[2], c.Pixel(1, 1)[1]), std::tuple(255, 0));  // red replaces
    EXPECT_EQ(c.Pixel(2, 1)[0], 0);                                                // transparent leaves black
    EXPECT_EQ(c.Pixel(3, 1)[0], 128);
    EXPECT_EQ(c.Pixel(0, 0)[0], 0);  // outside untouched
  }
  {
    Canvas c(6, 1, RGB(255, 255, 255));
    png.DrawToDC(c.dc(), 0, 0, true);
    // Opaque green in grey over white, opaque black at half alpha, alpha 1 leaves the background.
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(std::tuple(c.Pixel(3, 0)[k], c.Pixel(4, 0)[k], c.Pixel(5, 0)[k], c.Pixel(1, 0)[k]),
                std::tuple(255, 128, 255, 255)) << k;
  }
  // An RGB image with tRNS is drawn opaque (only 32-bit bitmaps are composited).
  WriteBytes(path, SimplePng(2, 1, 8, 2, {1, 2, 3, 4, 5, 6}, 0, {}, {0, 1, 0, 2, 0, 3}));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  Canvas c(2, 1, RGB(255, 255, 255));
  png.DrawToDC(c.dc(), 0, 0, false);
  EXPECT_EQ(std::tuple(c.Pixel(0, 0)[2], c.Pixel(1, 0)[0]), std::tuple(1, 6));
  // An interlaced image draws nothing.
  WriteBytes(path, PngFile({{"IHDR", IhdrData(2, 1, 8, 2, 1)}, {"IEND", {}}}));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  png.DrawToDC(c.dc(), 0, 0, false);
  EXPECT_EQ(c.Pixel(0, 0)[2], 1);

  // 4 palette entries, tRNS for the first two; index 9 is beyond the palette.
  WriteBytes(path, SimplePng(4, 1, 8, 3, {0, 1, 3, 9}, 0, Palette(4), {10, 20}));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  const Bytes& b = png.Bitmap().Bits;
  ASSERT_EQ(b.size(), 16u);
  EXPECT_EQ(png.Bitmap().Header.biBitCount, 32);
  EXPECT_EQ(std::tuple(b[3], b[7], b[11]), std::tuple(10, 20, 255));
  EXPECT_EQ(Bytes(b.begin() + 12, b.end()), (Bytes{0, 0, 0, 255}));  // beyond the palette: opaque black
  Canvas canvas(4, 1, RGB(255, 255, 255));
  png.DrawToDC(canvas.dc(), 0, 0, false);
  EXPECT_EQ(canvas.Pixel(3, 0)[0], 0);

  // Without tRNS, an index beyond the palette draws black too.
  WriteBytes(path, SimplePng(2, 1, 8, 3, {1, 200}, 0, Palette(2)));
  ASSERT_EQ(png.LoadPNGFile(path), 0);
  Canvas opaque(2, 1, RGB(255, 255, 255));
  png.DrawToDC(opaque.dc(), 0, 0, false);
  EXPECT_EQ(opaque.Pixel(0, 0)[2], 37);  // red of entry 1
  EXPECT_EQ(Bytes(opaque.Pixel(1, 0), opaque.Pixel(1, 0) + 3), (Bytes{0, 0, 0}));
}
