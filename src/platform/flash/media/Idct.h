// The 8x8 inverse DCT of the block-transform video codecs, in integers with
// 13-bit constants: each 1-D pass is an exact integer product with the
// cosine matrix, rounded once (rows keep 2 extra bits for the columns), so
// the result is the same however the sums are ordered. Done in SSE2 with
// 16-bit inputs and 32-bit sums, which hold every value for coefficients in
// -2048..2047. A block holding only its first coefficient is filled with
// that coefficient's eighth, rounded.
//
// Coefficients come column by column (block[c * 8 + r] is row r, column c:
// the transpose of the usual order), which saves a transposition; the block
// is left all zero for the next one.
#pragma once
#include <cstdint>

namespace flash::media {

// Transforms the coefficients and writes the clipped pixels.
void IdctPut(int16_t block[64], uint8_t* dst, int stride);
// Transforms and adds to the pixels already there (the prediction), clipped.
void IdctAdd(int16_t block[64], uint8_t* dst, int stride);

}  // namespace flash::media
