// The eight filters drawn on a surface of premultiplied 0xAARRGGBB pixels:
// blur; drop shadow, glow and gradient glow (the object's alpha, inverted
// when inner, moved by the distance along the angle, blurred, strengthened,
// coloured, then laid under the object, over it, or alone for knockout and a
// hidden object); bevel and gradient bevel (the blurred alpha seen from both
// sides of the angle: highlight where the light falls, shadow opposite);
// convolution and colour matrix on unpremultiplied colours. Blur widths and
// distances are stage pixels times scale (device pixels per stage pixel).
//
// ApplyFilter is the one entry: it works in place, and the image (the part
// of the surface the object covers) grows by the filter's reach. Its work is
// bounded: a filter that would take more than kMaxFilterWork is left out.
#pragma once
#include <windows.h>

#include <cstdint>

#include "platform/flash/parse/FilterRecords.h"

namespace flash {

inline constexpr uint64_t kMaxFilterWork = uint64_t{1} << 28;

// How far beyond an image a filter draws, in device pixels (left, top,
// right, bottom; each 0 or more).
RECT FilterReach(const Filter& filter, double scale);

// A rough count of the byte operations a filter takes on an image of w x h
// pixels (the blurs' passes, the convolution's taps).
uint64_t FilterWork(const Filter& filter, int w, int h, double scale);

// Applies a filter to the width x height surface of premultiplied pixels, in
// place; image holds the object's pixels and grows by the filter's reach
// (kept inside the surface). False, and nothing changed, when the image is
// empty or the filter's work is beyond the bound.
bool ApplyFilter(const Filter& filter, uint32_t* pixels, int width, int height, RECT& image, double scale = 1.0);

}  // namespace flash
