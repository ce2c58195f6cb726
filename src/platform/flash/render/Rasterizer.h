// A scanline polygon filler: line segments in device pixels go in, rows of
// coverage (0..255 per pixel) come out to a span sink, under the even-odd or
// the non-zero rule. Anti-aliased coverage takes four sample rows per pixel
// with the exact covered width along each; without anti-aliasing a pixel is
// in when its centre is. Work is bounded: segments past kMaxSegments are
// dropped and everything is clipped to the clip rectangle. A region's sorted
// edges can also be filled later on any rows of its clip by another
// rasteriser (FillSorted): each row comes out as the whole fill gives it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace flash {

// Receives one run of covered pixels of row y: count coverages from x on.
class SpanSink {
 public:
  virtual ~SpanSink() = default;
  virtual void Span(int y, int x, int count, const uint8_t* coverage) = 0;
};

enum class FillRule { EvenOdd, NonZero };

class Rasterizer {
 public:
  static constexpr size_t kMaxSegments = 1u << 21;
  // A segment going down (y0 < y1), dir -1 when it was given going up.
  struct Edge {
    double x0, y0, x1, y1, slope;
    int dir;
  };

  // Forgets all segments; later fills stay inside [left, right) x [top, bottom).
  void Reset(int left, int top, int right, int bottom);
  void Line(double x0, double y0, double x1, double y1);
  bool Empty() const { return edges_.empty(); }
  // The pixels of the box around the segments inside the clip rectangle (at least what a fill covers).
  double BoxArea() const;
  void Fill(FillRule rule, bool antialias, SpanSink& sink);

  // The segments in order of their tops, and how far they reach down.
  const std::vector<Edge>& SortedEdges();
  int ClipLeft() const { return left_; }
  int ClipTop() const { return top_; }
  int ClipRight() const { return right_; }
  int ClipBottom() const { return bottom_; }
  double MinY() const { return minY_; }
  double MaxY() const { return maxY_; }
  // Fills edges sorted by their tops (minY..maxY their reach), as Fill does,
  // on the rows of [left, right) x [top, bottom) only, with this rasteriser's
  // scratch; its own segments are left as they are.
  void FillSorted(const Edge* edges, size_t count, double minY, double maxY, int left, int top, int right, int bottom,
                  FillRule rule, bool antialias, SpanSink& sink);

 private:
  struct Crossing {
    double x;
    int dir;
  };
  void Accumulate(double xa, double xb, bool antialias);
  // Rows yStart..yEnd-1 of the edges, inside left_..right_.
  void Scan(const Edge* edges, size_t count, int yStart, int yEnd, FillRule rule, bool antialias, SpanSink& sink);
  void Widen();  // scratch for the clip's width

  std::vector<Edge> edges_;
  std::vector<Crossing> crossings_;
  std::vector<int32_t> cover_, delta_;
  std::vector<uint8_t> row_;
  std::vector<size_t> active_;
  std::vector<int> events_;  // where this row's accumulators were touched
  int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
  double minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0;
  int touchedMin_ = 0, touchedMax_ = -1;
};

}  // namespace flash
