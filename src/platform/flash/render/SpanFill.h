// The colours of one span of a gradient or bitmap fill, a span at a time:
// the fill-space position steps by the inverse matrix's x column from pixel
// to pixel (the same sums, in the same order, as stepping one pixel at a
// time), and the per-pixel work (spread, ramp index, bilinear mixing of four
// texels) runs in SSE2 lanes with the rounding of the one-pixel code.
#pragma once
#include <array>
#include <cstdint>

namespace flash {

struct Bitmap;

// Where one span starts in fill space and how it steps.
struct SpanWalk {
  double u = 0, v = 0, du = 0, dv = 0;
  int count = 0;
};

// Ramp colours of a linear (t = (u + 16384) / 32768) or radial
// (t = |(u, v)| / 16384) gradient, padded at its ends.
void LinearPadRow(const std::array<uint32_t, 256>& ramp, const SpanWalk& walk, uint32_t* out);
void RadialPadRow(const std::array<uint32_t, 256>& ramp, const SpanWalk& walk, uint32_t* out);

// Texels of a bitmap mixed bilinearly (texel centres at half pixels),
// repeating or clamped to its edge. False (and nothing written) when the
// span reaches past the range where the fast path equals the exact sampler.
bool BilinearRow(const Bitmap& bitmap, bool repeat, const SpanWalk& walk, uint32_t* out);
// The texel under each position, as BilinearRow.
bool NearestRow(const Bitmap& bitmap, bool repeat, const SpanWalk& walk, uint32_t* out);

}  // namespace flash
