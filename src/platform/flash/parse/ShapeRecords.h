// Shapes as the renderer keeps them: fill and line style tables and the
// edges of the shape records grouped in paths (runs of edges drawn with the
// same fill0/fill1/line styles), read once from DefineShape 1 to 4, from a
// font's glyph SHAPE, and (by MorphShape) from morph shapes. Style indices in
// paths are global across the style arrays a shape defines on the way (0 is
// none). Reading stops at the first field that runs out; what was read stays.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "base/ByteReader.h"
#include "moviefiles/SwfTags.h"
#include "platform/flash/render/PixelCanvas.h"

namespace flash {

enum FillKind : uint8_t {
  kFillSolid = 0x00, kFillLinear = 0x10, kFillRadial = 0x12, kFillFocal = 0x13,
  kFillBitmapRepeat = 0x40, kFillBitmapClip = 0x41, kFillBitmapRepeatHard = 0x42, kFillBitmapClipHard = 0x43,
};
enum Spread : uint8_t { kSpreadPad = 0, kSpreadReflect = 1, kSpreadRepeat = 2 };

struct GradientStop {
  uint8_t ratio = 0;
  Rgba color;
};

struct FillStyle {
  uint8_t kind = kFillSolid;
  Rgba color;
  Xform matrix;  // gradient or bitmap space -> shape twips
  uint8_t spread = kSpreadPad;
  bool linearRgb = false;  // stops mixed in linear light rather than as stored
  double focal = 0;  // -1..1 along the gradient's x axis
  std::vector<GradientStop> stops;
  uint16_t bitmap = 0;
  int group = 0;  // which style array defined it (fills and lines of a group draw together)
};

struct LineStyle {
  uint16_t width = 0;  // twips
  Rgba color;
  bool hasFill = false;
  FillStyle fill;
  uint8_t startCap = 0, endCap = 0, join = 0;  // 0 round, 1 none, 2 square / 0 round, 1 bevel, 2 miter
  double miterLimit = 3;  // how far a miter may reach, in half widths from its corner
  bool noClose = false;
  bool pixelHinting = false;  // the line's points snap to the pixel grid
  bool noHScale = false, noVScale = false;  // the width ignores the horizontal / vertical scale
  int group = 0;
};

struct Segment {
  float x0, y0, cx, cy, x1, y1;  // twips; cx/cy only for curves
  bool curve;
};

struct ShapePath {
  uint32_t fill0 = 0, fill1 = 0, line = 0;
  std::vector<Segment> segments;
};

struct ShapeData {
  std::vector<FillStyle> fills;  // index 0 unused
  std::vector<LineStyle> lines;  // index 0 unused
  std::vector<ShapePath> paths;
  bool windingRule = false;  // DefineShape4's non-zero flag
  int groups = 1;
};

// Bounds of reading, against shapes made to exhaust memory or time.
inline constexpr size_t kMaxShapeEdges = 1u << 20;
inline constexpr size_t kMaxStyles = 1u << 16;

// A DefineShape 1..4 body after the character id.
ShapeData ReadShape(std::span<const uint8_t> body, SwfTag tag);
// A glyph's SHAPE (bit counts and records, no style arrays); fill 1 is the text colour.
ShapeData ReadGlyph(std::span<const uint8_t> body);

// Fields shared with the morph-shape reader. shapeLevel: 1..4 as DefineShape<n>.
bool ReadRgb(ByteReader& r, bool alpha, Rgba& c);
bool ReadFillStyle(ByteReader& r, int shapeLevel, FillStyle& f);
// Reads shape records from reader's position; styles read mid-shape are appended.
void ReadShapeRecords(ByteReader& r, int shapeLevel, ShapeData& shape, uint32_t fillBase, uint32_t lineBase,
                      uint32_t fillBits, uint32_t lineBits);
bool ReadStyleArrays(ByteReader& r, int shapeLevel, ShapeData& shape, int group);

}  // namespace flash
