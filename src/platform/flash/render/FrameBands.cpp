#include "platform/flash/render/FrameBands.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cmath>

namespace flash {
namespace {

// Hands a held fill's spans to its painter with a thread's own scratch.
class SharedPainterSink : public SpanSink {
 public:
  SharedPainterSink(const FillPainter& painter, std::vector<uint32_t>& colors) : painter_(painter), colors_(colors) {}
  void Span(int y, int x, int count, const uint8_t* coverage) override {
    painter_.PaintSpan(y, x, count, coverage, colors_);
  }

 private:
  const FillPainter& painter_;
  std::vector<uint32_t>& colors_;
};

constexpr int kBandsPerThread = 4;  // more bands than threads, so uneven rows even out
constexpr int kMinBandRows = 4;

}  // namespace

bool FrameBands::Add(Rasterizer& raster, FillRule rule, bool antialias, const FillPainter& painter) {
  if (raster.Empty()) return true;
  const std::vector<Rasterizer::Edge>& edges = raster.SortedEdges();
  if (edges.size() > kMaxEdges) return false;
  if (edges_.size() + edges.size() > kMaxEdges || fills_.size() >= kMaxFills) Settle();
  fills_.push_back(Held{edges_.size(), edges.size(), raster.MinY(), raster.MaxY(), raster.ClipLeft(), raster.ClipTop(),
                        raster.ClipRight(), raster.ClipBottom(), rule, antialias});
  edges_.insert(edges_.end(), edges.begin(), edges.end());
  pixels_ += raster.BoxArea();
  painters_.push_back(painter);
  return true;
}

void FrameBands::PaintRows(int top, int bottom, Worker& worker) {
  for (size_t i = 0; i < fills_.size(); ++i) {
    const Held& f = fills_[i];
    const int from = std::max(top, f.top), to = std::min(bottom, f.bottom);
    if (to <= from || f.maxY <= from || f.minY >= to) continue;
    SharedPainterSink sink(painters_[i], worker.colors);
    worker.raster.FillSorted(edges_.data() + f.first, f.count, f.minY, f.maxY, f.left, from, f.right, to, f.rule,
                             f.antialias, sink);
  }
}

void FrameBands::Settle() {
  if (fills_.empty()) return;
  int top = INT_MAX, bottom = INT_MIN;  // the rows any fill reaches
  for (const Held& f : fills_) {
    top = std::min(top, std::max(f.top, static_cast<int>(std::floor(std::max(f.minY, -1e9)))));
    bottom = std::max(bottom, std::min(f.bottom, static_cast<int>(std::ceil(std::min(f.maxY, 1e9)))));
  }
  if (bottom <= top) return Drop();
  const int rows = bottom - top;
  const int bands = std::clamp(std::min(pool_.Threads() * kBandsPerThread, rows / kMinBandRows), 1, 1 << 16);
  if (bands == 1 || pool_.Threads() < 2 || pixels_ < minPixels_) {
    PaintRows(top, bottom, workers_[0]);
  } else {
    pool_.Run(bands, [&](int band, int thread) {
      const int from = top + static_cast<int>(int64_t(rows) * band / bands);
      const int to = top + static_cast<int>(int64_t(rows) * (band + 1) / bands);
      PaintRows(from, to, workers_[size_t(thread)]);
    });
  }
  Drop();
}

void FrameBands::Drop() {
  fills_.clear();
  edges_.clear();
  painters_.clear();
  pixels_ = 0;
}

}  // namespace flash
