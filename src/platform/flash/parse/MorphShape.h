// Morph shapes (DefineMorphShape and DefineMorphShape2): the start and end
// styles and edges read once, and the shape at a ratio (0..65535) built by
// pairing the start and end edges one to one (a straight edge paired with a
// curve becomes a curve through its midpoint) and blending styles.
#pragma once
#include <span>

#include "platform/flash/parse/ShapeRecords.h"

namespace flash {

struct MorphData {
  ShapeData start;                    // start styles and edges
  std::vector<FillStyle> endFills;    // parallel to start.fills
  std::vector<LineStyle> endLines;    // parallel to start.lines
  std::vector<Segment> endSegments;   // in record order
};

MorphData ReadMorph(std::span<const uint8_t> body, SwfTag tag);
ShapeData MorphAt(const MorphData& morph, uint16_t ratio);

}  // namespace flash
