#include "platform/flash/render/ShapeRenderer.h"

#include <algorithm>
#include <cmath>

#include "platform/flash/render/Stroker.h"

namespace flash {
namespace {

// The device-space points of one path: x0 y0 x1 y1 ... (its first point first).
void Flatten(const ShapePath& path, const Xform& toDevice, const GridWarp* warp, const PixelSnap* snap,
             std::vector<std::vector<double>>& polylines) {
  std::vector<double>* line = nullptr;
  double lastX = 0, lastY = 0;
  struct Map {
    const Xform& toDevice;
    const GridWarp* warp;
    const PixelSnap* snap;
    double RawX(double x, double y) const {
      return warp ? warp->outer.X(warp->X(x, y), warp->Y(x, y)) : toDevice.X(x, y);
    }
    double RawY(double x, double y) const {
      return warp ? warp->outer.Y(warp->X(x, y), warp->Y(x, y)) : toDevice.Y(x, y);
    }
    double X(double x, double y) const { return snap ? snap->X(RawX(x, y)) : RawX(x, y); }
    double Y(double x, double y) const { return snap ? snap->Y(RawY(x, y)) : RawY(x, y); }
  } m{toDevice, warp, snap};
  for (const Segment& s : path.segments) {
    const double x0 = m.X(s.x0, s.y0), y0 = m.Y(s.x0, s.y0);
    if (!line || std::fabs(x0 - lastX) > 1e-6 || std::fabs(y0 - lastY) > 1e-6) {
      polylines.emplace_back();
      line = &polylines.back();
      line->push_back(x0), line->push_back(y0);
    }
    const double x1 = m.X(s.x1, s.y1), y1 = m.Y(s.x1, s.y1);
    if (s.curve) {
      FlattenCurve(x0, y0, m.X(s.cx, s.cy), m.Y(s.cx, s.cy), x1, y1, *line);
    } else {
      line->push_back(x1), line->push_back(y1);
    }
    lastX = x1, lastY = y1;
  }
}

void AddPolyline(Rasterizer& raster, const std::vector<double>& p, bool reverse) {
  for (size_t i = 0; i + 3 < p.size(); i += 2) {
    if (reverse) {
      raster.Line(p[i + 2], p[i + 3], p[i], p[i + 1]);
    } else {
      raster.Line(p[i], p[i + 1], p[i + 2], p[i + 3]);
    }
  }
}

// Moves a hinted line's points onto the pixel grid: onto pixel centres when
// its rounded width is odd, onto pixel corners when even, so its edges fall
// on pixel boundaries.
void SnapToPixels(std::vector<double>& p, double width) {
  const double offset = std::fmod(std::max(1.0, std::round(std::min(width, 1.0e5))), 2.0) == 1 ? 0.5 : 0;
  for (double& v : p) {
    if (std::fabs(v) < 1e9) v = offset ? std::floor(v) + offset : std::round(v);
  }
}

// The factor a line's width takes under a transform: the mean of the scales
// of the two axes (the lengths the unit x and y vectors are mapped to), so a
// rotation leaves it and a scale along one axis counts half; a style that
// ignores one axis's scale takes the other's alone, one that ignores both
// the stage's.
double LineScale(const Xform& m, const LineStyle& style, double stageScale) {
  const double sx = std::hypot(m.a, m.b), sy = std::hypot(m.c, m.d);
  if (style.noHScale && style.noVScale) return stageScale;
  if (style.noHScale) return sy;
  if (style.noVScale) return sx;
  return (sx + sy) / 2;
}

// Sets up the painter for a fill style; false when it draws nothing.
bool Prepare(DrawTarget& t, FillPainter& painter, const FillStyle& f, const Xform& toDevice, const ColorTransform& cx,
             const Rgba* textColor) {
  if (t.maskOut) {
    painter.SetMask(t.maskOut);
    return true;
  }
  if (textColor) {
    painter.SetSolid(Premultiply(Transform(cx, *textColor)));
    return true;
  }
  switch (f.kind) {
    case kFillSolid:
      painter.SetSolid(Premultiply(Transform(cx, f.color)));
      return true;
    case kFillLinear: case kFillRadial: case kFillFocal:
      if (f.stops.empty()) return false;
      return painter.SetGradient(f, toDevice * f.matrix, cx, t.ramps ? &t.ramps->Ramp(f.stops, cx, f.linearRgb) : nullptr);
    default: {
      const Bitmap* bitmap = t.bitmaps ? t.bitmaps(f.bitmap) : nullptr;
      const bool repeat = f.kind == kFillBitmapRepeat || f.kind == kFillBitmapRepeatHard;
      const bool smooth = t.smoothBitmaps && (f.kind == kFillBitmapRepeat || f.kind == kFillBitmapClip);
      return painter.SetBitmap(bitmap, toDevice * f.matrix, repeat, smooth, cx);
    }
  }
}

// Hands a painter coverage reshaped through a table (text's thickness and sharpness).
class CurvedSink : public SpanSink {
 public:
  CurvedSink(SpanSink& next, const uint8_t* curve) : next_(next), curve_(curve) {}
  void Span(int y, int x, int count, const uint8_t* coverage) override {
    shaped_.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) shaped_[size_t(i)] = curve_[coverage[i]];
    next_.Span(y, x, count, shaped_.data());
  }

 private:
  SpanSink& next_;
  const uint8_t* curve_;
  std::vector<uint8_t> shaped_;
};

// A colour fill is held for the frame's bands; anything else paints now,
// after what is held.
void FillRegion(DrawTarget& t, FillRule rule, FillPainter& painter) {
  if (t.bands && !painter.Masking() && t.bands->Add(*t.raster, rule, t.antialias, painter)) return;
  if (t.bands) t.bands->Settle();
  if (t.banded) {
    t.banded->Fill(*t.raster, rule, t.antialias, painter);
  } else {
    t.raster->Fill(rule, t.antialias, painter);
  }
}

}  // namespace

double PixelSnap::Map(double v, const double* from, const double* to) {
  const double lo = std::min(from[0], from[1]), hi = std::max(from[0], from[1]);
  const double loTo = from[0] <= from[1] ? to[0] : to[1], hiTo = from[0] <= from[1] ? to[1] : to[0];
  if (v <= lo) return v + (loTo - lo);
  if (v >= hi) return v + (hiTo - hi);
  return loTo + (v - lo) * (hiTo - loTo) / (hi - lo);
}

double GridWarp::Map(double v, const double* e, double scale) {
  const double length = e[3] - e[0], corners = (e[1] - e[0]) + (e[3] - e[2]);
  if (!(scale > 0) || !std::isfinite(scale) || length * scale < corners) return v;  // too small for its corners
  const double start = e[0] + (e[1] - e[0]) / scale, end = e[3] - (e[3] - e[2]) / scale;
  if (v <= e[1]) return e[0] + (v - e[0]) / scale;
  if (v >= e[2]) return e[3] - (e[3] - v) / scale;
  return start + (v - e[1]) * (end - start) / (e[2] - e[1]);
}

void FlattenCurve(double x0, double y0, double cx, double cy, double x1, double y1, std::vector<double>& points) {
  const double ddx = x0 - 2 * cx + x1, ddy = y0 - 2 * cy + y1;
  const double dd = std::hypot(ddx, ddy);
  int n = std::isfinite(dd) ? static_cast<int>(std::ceil(std::sqrt(dd / (8 * 0.25)))) : 1;
  n = std::clamp(n, 1, 64);
  for (int i = 1; i <= n; ++i) {
    const double t = double(i) / n, u = 1 - t;
    points.push_back(u * u * x0 + 2 * u * t * cx + t * t * x1);
    points.push_back(u * u * y0 + 2 * u * t * cy + t * t * y1);
  }
}

void DrawShape(DrawTarget& t, const ShapeData& shape, const Xform& toDevice, const ColorTransform& cx,
               const Rgba* textColor) {
  Rasterizer& raster = *t.raster;
  FillPainter painter(*t.canvas);
  std::vector<std::vector<double>> polylines;
  for (int group = 0; group < shape.groups; ++group) {
    for (size_t f = 1; f < shape.fills.size(); ++f) {
      const FillStyle& style = shape.fills[f];
      if (style.group != group) continue;
      raster.Reset(t.clip.left, t.clip.top, t.clip.right, t.clip.bottom);
      for (const ShapePath& path : shape.paths) {
        const bool left = path.fill0 == f, right = path.fill1 == f;
        if (left == right) continue;  // not on this region's border, or inside it on both sides
        polylines.clear();
        Flatten(path, toDevice, t.warp, t.snap, polylines);
        for (const auto& p : polylines) AddPolyline(raster, p, left);
      }
      if (raster.Empty() || !Prepare(t, painter, style, toDevice, cx, textColor)) continue;
      const FillRule rule = shape.windingRule ? FillRule::NonZero : FillRule::EvenOdd;
      if (t.coverageCurve && t.antialias) {
        if (t.bands) t.bands->Settle();
        CurvedSink curved(painter, t.coverageCurve);
        raster.Fill(rule, true, curved);
      } else {
        FillRegion(t, rule, painter);
      }
    }
    for (size_t l = 1; l < shape.lines.size(); ++l) {
      const LineStyle& style = shape.lines[l];
      if (style.group != group) continue;
      const double scaled = style.width * LineScale(toDevice, style, t.stageScale);
      const double width = std::isfinite(scaled) ? std::max(1.0, scaled) : 1.0;
      raster.Reset(t.clip.left, t.clip.top, t.clip.right, t.clip.bottom);
      for (const ShapePath& path : shape.paths) {
        if (path.line != l) continue;
        polylines.clear();
        Flatten(path, toDevice, t.warp, t.snap, polylines);
        for (auto& p : polylines) {
          if (style.pixelHinting) SnapToPixels(p, width);
          StrokePolyline(raster, p, std::min(width, 1.0e5), style);
        }
      }
      if (raster.Empty()) continue;
      FillStyle solid;
      solid.color = style.color;
      if (!Prepare(t, painter, style.hasFill ? style.fill : solid, toDevice, cx, nullptr)) continue;
      FillRegion(t, FillRule::NonZero, painter);
    }
  }
}

}  // namespace flash
