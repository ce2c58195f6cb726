// Box blurs of 8-bit planes (one channel, or the four bytes of premultiplied
// pixels), the blur every filter is built on: a box of the given width in
// pixels, centred, whose two end pixels weigh the fraction the width leaves
// over; a width of 1 or less leaves that axis alone. Each pass runs the rows
// then the columns with running sums, so its time depends on the area only,
// not on the width. Pixels outside the plane count as 0.
#pragma once
#include <windows.h>

#include <cstdint>

namespace flash {

// How far one pass of a box of this width reaches beyond what it blurs.
int BoxReach(double width);

// Blurs width x height samples of `channels` bytes (1 or 4), row by row
// without padding. area holds everything that is not 0; it grows by the
// reach of every pass (inside the plane) and says what was written.
void BoxBlur(uint8_t* data, int width, int height, int channels, double boxX, double boxY, int passes, RECT& area);

}  // namespace flash
