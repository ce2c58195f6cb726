// A baseline JPEG encoder: 8-bit YCbCr with 4:2:0 subsampling (or grey), the
// standard quantisation tables scaled by quality and the standard Huffman
// tables (or tables made for the picture's own symbols, a smaller file), in a
// JFIF file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct JpegSource {
  const uint8_t* topRow;  // the picture's top row: width pixels of blue, green, red
  ptrdiff_t rowStep;      // bytes from one row to the row below it (negative for bottom-up memory)
  int width;
  int height;
};

struct JpegOptions {
  bool grey = false;            // one luminance component
  bool optimalHuffman = false;  // Huffman tables made for the picture (a second pass)
};

// Appends the JPEG file to out. Quality is clamped to 0..100. False for sizes outside
// 1..65535.
bool EncodeJpeg(const JpegSource& source, int quality, std::vector<uint8_t>& out, const JpegOptions& options = {});
