// The data types shared by the PNG reader (cPNG) and its pixel side (PNGPixels):
// a stored chunk, the image header, and the drawable bitmap the reader produces.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct PNGChunk {
  int32_t Length = 0;
  std::string Type;  // the four type bytes as characters
  std::vector<uint8_t> Data;
  uint32_t CRC = 0;
};

struct PNGHeader {
  int32_t Width = 0;
  int32_t Height = 0;
  uint8_t BitDepth = 0;
  uint8_t ColorType = 0;
  uint8_t Compression = 0;
  uint8_t Filter = 0;
  uint8_t Interlace = 0;
};

// The drawable result: a bottom-up DIB (bit count 1, 4, 8, 24 or 32; 32-bit pixels
// carry straight alpha). Empty: zero header and no bits.
struct PNGBitmap {
  BITMAPINFOHEADER Header{};
  std::vector<RGBQUAD> ColorTable;
  std::vector<uint8_t> Bits;
};
