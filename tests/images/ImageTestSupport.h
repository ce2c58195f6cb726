// Helpers of the image tests: a PNG file builder (chunks, filters, zlib), an
// independent decoder (the platform's imaging component) and pixel utilities.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "images/cPNG.h"

namespace imgtest {

using Bytes = std::vector<uint8_t>;

struct ChunkSpec {
  std::string type;
  Bytes data;
};

// A PNG file: the signature followed by the chunks with correct CRCs.
Bytes PngFile(const std::vector<ChunkSpec>& chunks);
Bytes IhdrData(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType, uint8_t interlace = 0);
// Filters raw rows (rowBytes each) with filter (filter y % 5 when filter is -1) and deflates them.
Bytes FilteredIdat(const Bytes& raw, size_t rowBytes, size_t bpp, int filter);
// IHDR, optional PLTE and tRNS, one IDAT and IEND.
Bytes SimplePng(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType, const Bytes& raw, int filter = 0,
                const Bytes& plte = {}, const Bytes& trns = {});
size_t RawRowBytes(uint32_t width, uint8_t depth, uint8_t colorType);
// Deterministic pseudo-random bytes.
Bytes NoiseBytes(size_t count, uint32_t seed);

// Pixels as top-down rows of blue, green, red, alpha.
struct Image {
  int width = 0;
  int height = 0;
  Bytes bgra;
  bool ok = false;
};
// The imaging component's decoding of a file, converted to 32-bit BGRA (straight alpha).
Image WicDecode(const std::wstring& path);
// A PNGBitmap expanded to top-down BGRA (colour-table bitmaps opaque).
Image Expand(const PNGBitmap& bitmap);
// Peak signal-to-noise ratio over blue, green and red.
double Psnr(const Image& a, const Image& b);

// A 24-bit top-down BGR memory DC of the given size filled with one colour, for drawing tests.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill);
  ~Canvas();
  HDC dc() const { return dc_; }
  // Blue, green, red of pixel (x, y), y from the top.
  const uint8_t* Pixel(int x, int y) const;

 private:
  HDC dc_ = nullptr;
  HBITMAP bmp_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint8_t* bits_ = nullptr;
  int width_, height_;
};

}  // namespace imgtest
