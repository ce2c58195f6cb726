#include "platform/flash/render/BandedFill.h"

#include <algorithm>

namespace flash {

void SpanBuffer::Span(int y, int x, int count, const uint8_t* coverage) {
  if (count <= 0) return;
  runs_.push_back(Run{y, x, count, coverage_.size()});
  coverage_.insert(coverage_.end(), coverage, coverage + count);
  pixels_ += static_cast<size_t>(count);
}

void SpanBuffer::Replay(size_t first, size_t last, SpanSink& sink) const {
  for (size_t i = first; i < last && i < runs_.size(); ++i) {
    const Run& r = runs_[i];
    sink.Span(r.y, r.x, r.count, coverage_.data() + r.at);
  }
}

void BandedFill::Fill(Rasterizer& raster, FillRule rule, bool antialias, FillPainter& painter) {
  if (pool_.Threads() < 2 || raster.BoxArea() < static_cast<double>(minPixels_)) return raster.Fill(rule, antialias, painter);
  spans_.Clear();
  raster.Fill(rule, antialias, spans_);
  const auto& runs = spans_.Runs();
  if (spans_.Pixels() < minPixels_) return spans_.Replay(0, runs.size(), painter);
  // Bands of about equal pixels, cut only where a new row starts.
  const size_t bands = static_cast<size_t>(pool_.Threads()) * 2;
  const size_t share = spans_.Pixels() / bands + 1;
  cuts_.assign(1, 0);
  size_t sum = 0;
  for (size_t i = 0; i < runs.size(); ++i) {
    if (sum >= share && runs[i].y != runs[i - 1].y) cuts_.push_back(i), sum = 0;
    sum += static_cast<size_t>(runs[i].count);
  }
  cuts_.push_back(runs.size());
  // The copies are made here, before any thread paints with the original.
  for (size_t i = 1; i < painters_.size(); ++i) painters_[i].emplace(painter);
  pool_.Run(static_cast<int>(cuts_.size() - 1), [&](int band, int thread) {
    spans_.Replay(cuts_[band], cuts_[band + 1], thread == 0 ? painter : *painters_[thread]);
  });
}

}  // namespace flash
