// Bilinear resampling between two bottom-up pixel memories, the rule shared by
// cDIBSection.Resample and cAlphaDibSection.Resample / ResampleAlpha.
#pragma once
#include <cstdint>

struct PixelPlane {
  uint8_t* bits;  // first row in memory (the bottom row)
  long width;
  long height;
  long stride;  // bytes per row
};

// Fills target from source. pixelSize is 3 or 4; the first `channels` bytes of each
// pixel are interpolated and written, the others are left as they are.
void ResampleBilinear(const PixelPlane& source, const PixelPlane& target, int pixelSize, int channels);
