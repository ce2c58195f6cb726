// The scaling grid (DefineScalingGrid, MovieClip.scale9Grid) of a sprite or
// button as drawn and hit-tested: the bounds of the shapes it shows
// directly, and the warp that keeps the grid's corners at their size. The
// grid works in the object's own space: its scales are the lengths its own
// matrix gives its axes, so a turned or skewed object keeps its corners too,
// turned or skewed with it.
#pragma once
#include <windows.h>

#include "platform/flash/parse/MovieDefinition.h"
#include "platform/flash/render/ShapeRenderer.h"

namespace flash {

// Bounds in the object's twips, grown by what is added.
struct GridBounds {
  double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
  // A shape character (anything else adds nothing) placed by m.
  void AddShape(const Character& shape, const Matrix& m);
  bool Empty() const { return !(lo[0] < hi[0]) || !(lo[1] < hi[1]); }
};

// The warp for grid over content under the object's own matrix; outer takes
// the object's twips to device pixels. False when there is no content or an
// axis of own collapses. The caller sets warp.inner for each shape.
bool MakeGridWarp(const RECT& grid, const GridBounds& content, const Matrix& own, const Xform& outer, GridWarp& warp);

}  // namespace flash
