#include "platform/flash/render/Stroker.h"

#include <algorithm>
#include <cmath>

namespace flash {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Point {
  double x, y;
};

// Adds a closed polygon wound like the segment quads (negative signed area
// in device coordinates), whichever way its points come.
void AddPolygon(Rasterizer& raster, const Point* p, size_t n) {
  double area = 0;
  for (size_t i = 0; i < n; ++i) {
    const Point& a = p[i];
    const Point& b = p[(i + 1) % n];
    area += a.x * b.y - b.x * a.y;
  }
  for (size_t i = 0; i < n; ++i) {
    const Point& a = area > 0 ? p[n - 1 - i] : p[i];
    const Point& b = area > 0 ? p[(2 * n - 2 - i) % n] : p[(i + 1) % n];
    raster.Line(a.x, a.y, b.x, b.y);
  }
}

void AddDisc(Rasterizer& raster, Point c, double r) {
  const int n = std::clamp(static_cast<int>(r * 2), 8, 32);
  double px = c.x + r, py = c.y;
  for (int i = 1; i <= n; ++i) {
    const double a = -2 * kPi * i / n;
    const double qx = c.x + r * std::cos(a), qy = c.y + r * std::sin(a);
    raster.Line(px, py, qx, qy);
    px = qx, py = qy;
  }
}

// The quad of half width hw around a..b, reaching extA before a and extB past b.
void AddQuad(Rasterizer& raster, Point a, Point b, double hw, double extA, double extB) {
  const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
  const double ux = dx / len, uy = dy / len, nx = -uy * hw, ny = ux * hw;
  a.x -= ux * extA, a.y -= uy * extA, b.x += ux * extB, b.y += uy * extB;
  const Point quad[] = {{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}};
  AddPolygon(raster, quad, 4);
}

Point Direction(Point a, Point b) {
  const double len = std::hypot(b.x - a.x, b.y - a.y);
  return {(b.x - a.x) / len, (b.y - a.y) / len};
}

// The join at v between a segment running along d0 and the next along d1
// (unit vectors): it fills the wedge on the outer side of the turn.
void AddJoin(Rasterizer& raster, Point v, Point d0, Point d1, double hw, const LineStyle& style) {
  const double cross = d0.x * d1.y - d0.y * d1.x, dot = d0.x * d1.x + d0.y * d1.y;
  if (std::fabs(cross) < 1e-9 && dot > 0) return;  // straight on
  if (style.join == 0) {
    AddDisc(raster, v, hw);
    return;
  }
  const double side = cross > 0 ? -1 : 1;  // the outer side, along the segments' left normals
  const Point n0{-d0.y * side, d0.x * side}, n1{-d1.y * side, d1.x * side};
  const Point a{v.x + n0.x * hw, v.y + n0.y * hw}, b{v.x + n1.x * hw, v.y + n1.y * hw};
  if (style.join != 2) {
    const Point bevel[] = {v, a, b};
    AddPolygon(raster, bevel, 3);
    return;
  }
  // The tip lies along the bisector o of the two outer normals, hw / cos(half turn) from v.
  Point o{n0.x + n1.x, n0.y + n1.y};
  const double olen = std::hypot(o.x, o.y);
  o = olen < 1e-9 ? d0 : Point{o.x / olen, o.y / olen};
  const double cosHalf = o.x * n0.x + o.y * n0.y;
  const double limit = std::max(1.0, style.miterLimit);
  if (cosHalf * limit >= 1) {
    const Point miter[] = {v, a, {v.x + o.x * hw / cosHalf, v.y + o.y * hw / cosHalf}, b};
    AddPolygon(raster, miter, 4);
    return;
  }
  // Past the limit the tip is cut square to the bisector, limit * hw from v.
  const double sinHalf = std::max(1e-9, d0.x * o.x + d0.y * o.y);
  const double k = (limit - cosHalf) * hw / sinHalf;
  const Point cut[] = {v, a, {a.x + d0.x * k, a.y + d0.y * k}, {b.x - d1.x * k, b.y - d1.y * k}, b};
  AddPolygon(raster, cut, 5);
}

}  // namespace

void StrokePolyline(Rasterizer& raster, const std::vector<double>& points, double width, const LineStyle& style) {
  if (!(width > 0)) return;
  const double hw = width / 2;
  std::vector<Point> p;
  p.reserve(points.size() / 2);
  for (size_t i = 0; i + 1 < points.size(); i += 2) {
    const Point q{points[i], points[i + 1]};
    if (!std::isfinite(q.x) || !std::isfinite(q.y)) return;
    if (p.empty() || std::hypot(q.x - p.back().x, q.y - p.back().y) > 1e-9) p.push_back(q);
  }
  if (p.empty()) return;
  if (p.size() == 1) {  // a dot: its start cap alone
    if (style.startCap == 0) AddDisc(raster, p[0], hw);
    if (style.startCap == 2) {
      const Point square[] = {{p[0].x - hw, p[0].y - hw}, {p[0].x + hw, p[0].y - hw},
                              {p[0].x + hw, p[0].y + hw}, {p[0].x - hw, p[0].y + hw}};
      AddPolygon(raster, square, 4);
    }
    return;
  }
  const size_t n = p.size();
  const bool closed = !style.noClose && n > 2 && std::hypot(p[0].x - p[n - 1].x, p[0].y - p[n - 1].y) < 1e-6;
  const bool thin = width <= 1.5;
  for (size_t i = 0; i + 1 < n; ++i) {
    const double extA = !closed && i == 0 && style.startCap == 2 ? hw : 0;
    const double extB = !closed && i + 2 == n && style.endCap == 2 ? hw : 0;
    AddQuad(raster, p[i], p[i + 1], hw, extA, extB);
  }
  if (thin) return;
  for (size_t i = 1; i + 1 < n; ++i) AddJoin(raster, p[i], Direction(p[i - 1], p[i]), Direction(p[i], p[i + 1]), hw, style);
  if (closed) {
    AddJoin(raster, p[0], Direction(p[n - 2], p[n - 1]), Direction(p[0], p[1]), hw, style);
    return;
  }
  if (style.startCap == 0) AddDisc(raster, p[0], hw);
  if (style.endCap == 0) AddDisc(raster, p[n - 1], hw);
}

}  // namespace flash
