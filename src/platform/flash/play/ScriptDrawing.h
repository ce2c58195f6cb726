// What a clip's drawing methods (lineStyle, beginFill, beginGradientFill,
// moveTo, lineTo, curveTo, endFill, clear) make: a shape the renderer draws
// like one read from the movie, in the clip's own space (pixels of the
// script become twips). Each fill begins a style group of its own, so later
// drawing lies over earlier drawing; a fill left open is closed back to
// where its outline began. Bitmap fills name the script's bitmaps the
// drawing holds, drawn as they are when painted. Bounded like shapes read
// from movies.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/flash/parse/ShapeRecords.h"

namespace flash {

class BitmapSurface;
struct Bitmap;

class ScriptDrawing {
 public:
  void Clear();
  // thickness in pixels (0 a hairline); a negative one draws no lines.
  // scaleMode as lineStyle's: "normal" (or anything else), "none",
  // "vertical" (only the vertical scale counts), "horizontal".
  void LineStyle(double thickness, Rgba color, const std::wstring& scaleMode = L"normal");
  void BeginFill(const FillStyle& fill);
  // The id a bitmap fill (beginBitmapFill) names a script's bitmap by; 0
  // when the drawing holds too many.
  uint16_t AddBitmap(std::shared_ptr<BitmapSurface> bitmap);
  // The picture of a bitmap fill's id as it is now (null when none or disposed).
  const Bitmap* BitmapOf(uint16_t id) const;
  void EndFill();
  void MoveTo(double x, double y);
  void LineTo(double x, double y);
  void CurveTo(double cx, double cy, double x, double y);

  const ShapeData& Shape() const { return shape_; }
  bool Empty() const { return shape_.paths.empty(); }
  // Changes with every command that changes the shape (for drawing caches).
  uint64_t Version() const { return version_; }
  // The bounds of what is drawn, in twips; false when nothing is.
  bool Bounds(double& left, double& top, double& right, double& bottom) const;

 private:
  void StartPath();
  void Close();
  void Add(const Segment& s);

  ShapeData shape_;
  uint32_t fill_ = 0, line_ = 0;  // current style indices (0: none)
  bool hasLine_ = false;
  flash::LineStyle lineStyle_;
  float x_ = 0, y_ = 0;            // the pen, twips
  float startX_ = 0, startY_ = 0;  // where the fill's current outline began
  bool pathOpen_ = false;
  size_t segments_ = 0;
  uint64_t version_ = 0;
  std::vector<std::shared_ptr<BitmapSurface>> bitmaps_;  // id - 1
};

// The gradient matrix of beginGradientFill, from a box (x, y, width,
// height in pixels and a rotation in radians) or from a 3x3 matrix's a, b,
// d, e, g, h: gradient space (-16384..16384) to shape twips.
Xform GradientBox(double x, double y, double width, double height, double rotation);
Xform GradientMatrix(double a, double b, double d, double e, double g, double h);

}  // namespace flash
