// The 8x8 inverse DCT of the block-transform video codecs, in integers with
// 13-bit constants (accurate to within one step of the exact transform for
// coefficients in -2048..2047), splitting each 1-D transform into its even
// and odd halves. Rows that hold only their first coefficient take a short cut.
#pragma once
#include <cstdint>

namespace flash::media {

// Transforms coefficients (row-major) and writes the clipped pixels.
void IdctPut(int16_t block[64], uint8_t* dst, int stride);
// Transforms and adds to the pixels already there (the prediction), clipped.
void IdctAdd(int16_t block[64], uint8_t* dst, int stride);

}  // namespace flash::media
