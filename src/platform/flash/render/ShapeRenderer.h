// Draws a shape onto the canvas: each fill style's region (the edges with
// that style on one side, flattened in device space, filled even-odd or by
// winding) through its fill painter, then the strokes of each line style
// with its caps and joins (Stroker; a hinted line's points on the pixel
// grid), each line as wide as
// its width times the mean of the transform's axis scales (at least a pixel;
// a style that ignores the scales takes the stage's alone). Fills and lines of
// one style group draw together, groups in order. A target with frame bands
// holds its colour fills there (painted at their Settle, before anything it
// paints directly).
#pragma once
#include <functional>

#include "platform/flash/render/BandedFill.h"
#include "platform/flash/render/FillPainter.h"
#include "platform/flash/render/FrameBands.h"
#include "platform/flash/render/PixelCanvas.h"
#include "platform/flash/render/RampCache.h"
#include "platform/flash/render/Rasterizer.h"
#include "platform/flash/parse/ShapeRecords.h"

namespace flash {

// A scaling grid at work: a shape's points go through inner (to its
// sprite's twips), are moved so the grid's corners keep their size under
// the sprite's own scales sx, sy, and go through outer to device pixels.
// Per axis: the content's start, the grid's start and end, the content's end.
struct GridWarp {
  Xform inner, outer;
  double x[4] = {}, y[4] = {};
  double sx = 1, sy = 1;
  static double Map(double v, const double* edges, double scale);
  double X(double px, double py) const { return Map(inner.X(px, py), x, sx); }
  double Y(double px, double py) const { return Map(inner.Y(px, py), y, sy); }
};

// Stems moved onto the pixel grid (text's alignment zones): per axis,
// device coordinates between from[0] and from[1] go linearly onto
// to[0]..to[1]; those beyond move with the nearer edge.
struct PixelSnap {
  bool x = false, y = false;
  double fromX[2] = {}, toX[2] = {}, fromY[2] = {}, toY[2] = {};
  static double Map(double v, const double* from, const double* to);
  double X(double v) const { return x ? Map(v, fromX, toX) : v; }
  double Y(double v) const { return y ? Map(v, fromY, toY) : v; }
};

struct DrawTarget {
  PixelCanvas* canvas = nullptr;
  Rasterizer* raster = nullptr;
  RECT clip{};                 // device pixels drawn, inside the canvas
  bool antialias = true;
  bool smoothBitmaps = true;
  uint8_t* maskOut = nullptr;  // when set, coverage goes here instead of colour
  double stageScale = 0.05;    // device pixels per twip of the stage (lines that ignore clips' scales)
  std::function<const Bitmap*(uint16_t)> bitmaps;
  const GridWarp* warp = nullptr;  // when set, points take it instead of toDevice
  const PixelSnap* snap = nullptr;  // when set, device points go through it
  const uint8_t* coverageCurve = nullptr;  // when set, fills' coverage goes through this table of 256
  BandedFill* banded = nullptr;    // when set, large regions are painted on its threads
  FrameBands* bands = nullptr;     // when set, colour fills are held there and painted at its Settle
  RampCache* ramps = nullptr;      // when set, gradients' colour ramps are kept there
};

// toDevice: shape twips -> device pixels. textColor, when given, replaces
// every fill (glyphs).
void DrawShape(DrawTarget& target, const ShapeData& shape, const Xform& toDevice, const ColorTransform& cx,
               const Rgba* textColor = nullptr);

// Appends the segments of a quadratic curve from p0 through control c to p1
// (device pixels) to points, flattened to within a quarter pixel.
void FlattenCurve(double x0, double y0, double cx, double cy, double x1, double y1, std::vector<double>& points);

}  // namespace flash
