// Shapes read once per character definition: a shape's records, and a morph
// shape's two ends with the shapes it takes at the ratios asked for (a
// bounded number of ratios kept). Used by the renderer and by the button hit
// test; cleared when the movie changes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>

#include "moviefiles/SwfTags.h"
#include "platform/flash/parse/MorphShape.h"
#include "platform/flash/parse/MovieDefinition.h"
#include "platform/flash/parse/ShapeRecords.h"

namespace flash {

// The tags whose characters a ShapeCache reads.
inline bool IsShape(SwfTag t) {
  return t == SwfTag::DefineShape || t == SwfTag::DefineShape2 || t == SwfTag::DefineShape3 || t == SwfTag::DefineShape4;
}
inline bool IsMorph(SwfTag t) { return t == SwfTag::DefineMorphShape || t == SwfTag::DefineMorphShape2; }

class ShapeCache {
 public:
  explicit ShapeCache(size_t maxMorphFrames) : maxMorphFrames_(maxMorphFrames) {}
  // The shape of a shape or morph-shape character at ratio (0..65535).
  const ShapeData* ShapeOf(const Character& ch, uint16_t ratio);
  void Clear();

 private:
  size_t maxMorphFrames_;
  std::map<const Character*, ShapeData> shapes_;
  std::map<const Character*, MorphData> morphs_;
  std::map<std::pair<const Character*, uint16_t>, ShapeData> morphFrames_;
};

}  // namespace flash
