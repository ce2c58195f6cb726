// A decoded video picture as its decoder holds it (planes of 4:2:0 YCbCr, or
// rows of 24-bit BGR top-down), and its conversion to the drawable 32-bit
// pixels (0xAARRGGBB, opaque) with the ITU-R BT.601 studio-range matrix.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace flash::media {

// Frame sizes beyond this are refused.
inline constexpr int kMaxVideoSide = 4096;

struct VideoImage {
  int width = 0, height = 0;
  bool yuv = false;
  const uint8_t* planes[3] = {};  // Y, Cb, Cr; or planes[0]: BGR rows
  int strides[3] = {};
  int64_t frame = -1;  // the number the packet it came from was given
};

// Writes width x height pixels, rows top-down, outStride pixels apart.
void ToArgb(const VideoImage& image, uint32_t* out, int outStride);
// The same, into a vector sized to the image.
std::vector<uint32_t> ToArgb(const VideoImage& image);

}  // namespace flash::media
