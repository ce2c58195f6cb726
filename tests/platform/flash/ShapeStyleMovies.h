// A movie of version 8 shapes at their extremes, for the style tests, the
// robustness seeds and the flash8 contact sheet: hairlines and dots with
// square caps, a needle-sharp turn under a miter limit of 255, fifteen stops
// in shuffled order on a focal gradient with reflect spread mixed in linear
// light, a line painted with a gradient, a sprite whose scaling grid is
// larger than what it shows (again turned and skewed), a turned button
// with a grid, and a DefineFont3 text whose alignment zones and
// anti-aliasing settings hold infinities, numbers that are none and values
// far out of range, drawn large and turned.
#pragma once
#include "RenderMovies.h"

namespace rendertest {

// A 160 x 100 stage.
Bytes Version8ShapesMovie();

}  // namespace rendertest
