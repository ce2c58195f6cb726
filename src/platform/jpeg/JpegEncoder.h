// A baseline JPEG encoder: 8-bit YCbCr, 4:2:0 subsampling, the standard
// quantisation tables scaled by quality and the standard Huffman tables, in a
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

// Appends the JPEG file to out. Quality is clamped to 0..100. False for sizes outside
// 1..65535.
bool EncodeJpeg(const JpegSource& source, int quality, std::vector<uint8_t>& out);
