// Turns a polyline (device pixels) into the outline of its stroke for the
// rasteriser: one quad per segment, a join at every inner vertex (round,
// bevel, or miter cut off at the style's limit) and a cap at each end of an
// open line (round, none, or square reaching half the width past the end).
// A line whose last point meets its first is closed with a join unless the
// style asks for no close. Every piece winds the same way, so the union is
// drawn under the non-zero rule.
#pragma once
#include <vector>

#include "platform/flash/render/Rasterizer.h"
#include "platform/flash/parse/ShapeRecords.h"

namespace flash {

// points: x0 y0 x1 y1 ...; width in device pixels.
void StrokePolyline(Rasterizer& raster, const std::vector<double>& points, double width, const LineStyle& style);

}  // namespace flash
