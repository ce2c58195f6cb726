// The pixel side of cPNG: row geometry, the conversion of unfiltered PNG rows into
// bitmap rows, and drawing a PNGBitmap opaque or composited.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

#include "images/PNGTypes.h"

namespace png_pixels {

int BitsPerPixel(int colorType, int bitDepth);
int BytesPerPixel(int colorType, int bitDepth);  // at least 1
// Bytes of one filtered row, filter byte included.
int64_t ScanlineLength(const PNGHeader& header);
// The 4-byte-aligned bitmap row for a bit count.
int64_t RowStride(int64_t width, int64_t bits);
// The bit count of the bitmap made from an image.
int BitmapBitCount(const PNGHeader& header, bool paletteAlpha);

// Turns unfiltered rows (filter byte removed) into bitmap rows, one call per row.
class RowConverter {
 public:
  // Sets up the bitmap's header and colour table and sizes its (zeroed) bits.
  // plte and trns are the PLTE and tRNS data (empty when absent).
  void Begin(const PNGHeader& header, std::span<const uint8_t> plte, std::span<const uint8_t> trns,
             PNGBitmap& bitmap);
  // Converts one row; out is the bitmap row (RowStride bytes, zeroed).
  void Convert(const uint8_t* row, uint8_t* out) const;

 private:
  enum class Kind { Copy, Unpack2, Gray16, Rgb8, Rgb16, PaletteAlpha, GrayAlpha8, GrayAlpha16, Rgba8, Rgba16 };
  Kind kind_ = Kind::Copy;
  int width_ = 0;
  int bitDepth_ = 0;
  size_t rowBytes_ = 0;
  uint32_t lut_[256] = {};  // palette index to blue, green, red, alpha
};

// Opaque drawing through SetDIBitsToDevice; nothing for an empty bitmap.
void DrawDIB(HDC hdc, long x, long y, const PNGBitmap& bitmap);
// Composites a 32-bit bitmap over what hdc shows: in colour, or in grey at half alpha.
void AlphaBlendToDC(HDC hdc, long x, long y, const PNGBitmap& bitmap, bool gray);

}  // namespace png_pixels
