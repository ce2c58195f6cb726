#include "platform/flash/render/Rasterizer.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <cmath>

namespace flash {
namespace {

constexpr int kSamples = 4;        // sample rows per pixel when anti-aliased
constexpr double kFar = 1.0e7;     // coordinates are clamped to this, against overflow

double Tame(double v) { return std::isfinite(v) ? std::clamp(v, -kFar, kFar) : 0.0; }

// floor and ceil of v for |v| < 2^31, and lround of v >= 0, without library calls.
inline int FloorInt(double v) {
  const int i = static_cast<int>(v);
  return i > v ? i - 1 : i;
}
inline int CeilInt(double v) {
  if (!(std::fabs(v) < 2147483647.0)) return INT_MIN;  // what the conversion gives out of range
  const int i = static_cast<int>(v);
  return i < v ? i + 1 : i;
}
inline int32_t RoundNonNegative(double v) {
  const int32_t i = static_cast<int32_t>(v);  // the whole part; v - i is exact
  return v - i >= 0.5 ? i + 1 : i;
}

}  // namespace

void Rasterizer::Reset(int left, int top, int right, int bottom) {
  edges_.clear();
  left_ = left, top_ = top, right_ = std::max(left, right), bottom_ = std::max(top, bottom);
  minX_ = minY_ = kFar, maxX_ = maxY_ = -kFar;
  Widen();
}

void Rasterizer::Widen() {
  const size_t width = static_cast<size_t>(right_ - left_) + 2;
  if (cover_.size() < width) cover_.assign(width, 0), delta_.assign(width, 0), row_.assign(width, 0);
}

void Rasterizer::Line(double x0, double y0, double x1, double y1) {
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  x0 = Tame(x0), y0 = Tame(y0), x1 = Tame(x1), y1 = Tame(y1);
  if (y0 == y1 || edges_.size() >= kMaxSegments) return;
  int dir = 1;
  if (y0 > y1) std::swap(x0, x1), std::swap(y0, y1), dir = -1;
  if (y1 <= top_ || y0 >= bottom_) return;
  edges_.push_back(Edge{x0, y0, x1, y1, (x1 - x0) / (y1 - y0), dir});
  minY_ = std::min(minY_, y0), maxY_ = std::max(maxY_, y1);
  minX_ = std::min({minX_, x0, x1}), maxX_ = std::max({maxX_, x0, x1});
}

double Rasterizer::BoxArea() const {
  if (edges_.empty()) return 0;
  const double w = std::min<double>(maxX_ + 1, right_) - std::max<double>(minX_ - 1, left_);
  const double h = std::min<double>(maxY_ + 1, bottom_) - std::max<double>(minY_ - 1, top_);
  return w > 0 && h > 0 ? w * h : 0;
}

// Adds the span [xa, xb) of one sample row to the row's coverage.
void Rasterizer::Accumulate(double xa, double xb, bool antialias) {
  if (antialias) {
    xa = std::clamp(xa, static_cast<double>(left_), static_cast<double>(right_));
    xb = std::clamp(xb, static_cast<double>(left_), static_cast<double>(right_));
    if (xb <= xa) return;
    const int ia = FloorInt(xa), ib = FloorInt(xb);
    const int ra = ia - left_, rb = ib - left_;
    if (ia == ib) {
      cover_[ra] += RoundNonNegative((xb - xa) * 256);
      events_.push_back(ra);
    } else {
      cover_[ra] += RoundNonNegative((ia + 1 - xa) * 256);
      delta_[ra + 1] += 256;
      delta_[rb] -= 256;
      cover_[rb] += RoundNonNegative((xb - ib) * 256);
      events_.push_back(ra), events_.push_back(ra + 1), events_.push_back(rb);
    }
    touchedMin_ = std::min(touchedMin_, ra), touchedMax_ = std::max(touchedMax_, std::min(rb, right_ - left_ - 1));
  } else {
    const int ia = std::max(CeilInt(xa - 0.5), left_);
    const int ib = std::min(CeilInt(xb - 0.5), right_);
    if (ib <= ia) return;
    delta_[ia - left_] += 256 * kSamples;
    delta_[ib - left_] -= 256 * kSamples;
    events_.push_back(ia - left_), events_.push_back(ib - left_);
    touchedMin_ = std::min(touchedMin_, ia - left_), touchedMax_ = std::max(touchedMax_, ib - 1 - left_);
  }
}

const std::vector<Rasterizer::Edge>& Rasterizer::SortedEdges() {
  std::sort(edges_.begin(), edges_.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
  return edges_;
}

void Rasterizer::Fill(FillRule rule, bool antialias, SpanSink& sink) {
  if (edges_.empty()) return;
  SortedEdges();
  const int yStart = std::max(top_, static_cast<int>(std::floor(minY_)));
  const int yEnd = std::min(bottom_, static_cast<int>(std::ceil(maxY_)));
  Scan(edges_.data(), edges_.size(), yStart, yEnd, rule, antialias, sink);
}

void Rasterizer::FillSorted(const Edge* edges, size_t count, double minY, double maxY, int left, int top, int right,
                            int bottom, FillRule rule, bool antialias, SpanSink& sink) {
  if (!count) return;
  const int saved[4] = {left_, top_, right_, bottom_};
  left_ = left, top_ = top, right_ = std::max(left, right), bottom_ = std::max(top, bottom);
  Widen();
  const int yStart = std::max(top_, static_cast<int>(std::floor(minY)));
  const int yEnd = std::min(bottom_, static_cast<int>(std::ceil(maxY)));
  Scan(edges, count, yStart, yEnd, rule, antialias, sink);
  left_ = saved[0], top_ = saved[1], right_ = saved[2], bottom_ = saved[3];
}

void Rasterizer::Scan(const Edge* edges, size_t count, int yStart, int yEnd, FillRule rule, bool antialias,
                      SpanSink& sink) {
  const int samples = antialias ? kSamples : 1;
  size_t next = 0;
  active_.clear();
  for (int y = yStart; y < yEnd; ++y) {
    touchedMin_ = right_ - left_, touchedMax_ = -1;
    events_.clear();
    for (int s = 0; s < samples; ++s) {
      const double sy = y + (s + 0.5) / samples;
      while (next < count && edges[next].y0 <= sy) active_.push_back(next++);
      crossings_.clear();
      for (size_t i = 0; i < active_.size();) {
        const Edge& e = edges[active_[i]];
        if (e.y1 <= sy) {
          active_[i] = active_.back();
          active_.pop_back();
          continue;
        }
        if (e.y0 <= sy) crossings_.push_back(Crossing{e.x0 + (sy - e.y0) * e.slope, e.dir});
        ++i;
      }
      if (crossings_.size() < 2) continue;
      std::sort(crossings_.begin(), crossings_.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
      int winding = 0;
      for (size_t i = 0; i + 1 < crossings_.size(); ++i) {
        winding += crossings_[i].dir;
        const bool inside = rule == FillRule::EvenOdd ? (winding & 1) != 0 : winding != 0;
        if (inside) Accumulate(crossings_[i].x, crossings_[i + 1].x, antialias);
      }
    }
    if (touchedMax_ < touchedMin_) continue;
    // Resolve the row and hand its covered runs to the sink. Only the
    // accumulators at events can be non-zero; between two events the running
    // sum, and so the coverage, stays the same.
    std::sort(events_.begin(), events_.end());
    events_.erase(std::unique(events_.begin(), events_.end()), events_.end());
    int32_t* delta = delta_.data();
    int32_t* cover = cover_.data();
    uint8_t* row = row_.data();
    const int last = touchedMax_;
    int32_t run = 0;
    int start = -1;  // where the current covered run began
    auto put = [&](int from, int to, uint8_t value) {  // pixels [from, to) of one coverage
      if (to <= from) return;
      std::memset(row + from, value, static_cast<size_t>(to - from));
      if (value) {
        if (start < 0) start = from;
      } else if (start >= 0) {
        sink.Span(y, left_ + start, from - start, &row[start]);
        start = -1;
      }
    };
    for (size_t k = 0; k < events_.size(); ++k) {
      const int i = events_[k];
      run += delta[i];
      const int32_t c = (run + cover[i]) / kSamples;
      delta[i] = 0, cover[i] = 0;
      if (i > last) continue;
      put(i, i + 1, static_cast<uint8_t>(std::clamp(c, 0, 255)));
      const int next = k + 1 < events_.size() ? std::min(events_[k + 1], last + 1) : last + 1;
      put(i + 1, next, static_cast<uint8_t>(std::clamp(run / kSamples, 0, 255)));
    }
    if (start >= 0) sink.Span(y, left_ + start, last + 1 - start, &row[start]);
  }
}

}  // namespace flash
