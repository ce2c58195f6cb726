// Fills a large region on several threads (a small one, by its box, is
// filled directly: handing work to threads costs more than it saves there).
// The rasteriser's spans for the region are kept first (SpanBuffer); when
// they cover enough pixels they are cut at
// row boundaries into bands of about equal work, and each band is painted by
// one thread of the pool through that thread's own copy of the fill painter.
// Bands share no row, and each row gets its spans in the order the
// rasteriser gave them, so the picture is the one a single thread paints.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/flash/render/FillPainter.h"
#include "platform/flash/render/PaintPool.h"
#include "platform/flash/render/Rasterizer.h"

namespace flash {

// The spans of one region, rows in the order given.
class SpanBuffer : public SpanSink {
 public:
  struct Run {
    int y, x, count;
    size_t at;  // where its coverage starts in the buffer
  };
  void Clear() { runs_.clear(), coverage_.clear(), pixels_ = 0; }
  void Span(int y, int x, int count, const uint8_t* coverage) override;
  const std::vector<Run>& Runs() const { return runs_; }
  size_t Pixels() const { return pixels_; }
  // Hands runs [first, last) to sink.
  void Replay(size_t first, size_t last, SpanSink& sink) const;

 private:
  std::vector<Run> runs_;
  std::vector<uint8_t> coverage_;
  size_t pixels_ = 0;
};

class BandedFill {
 public:
  // Regions of fewer pixels (box or spans) are painted by the calling thread alone.
  static constexpr size_t kMinPixels = size_t{1} << 17;

  explicit BandedFill(int threads, size_t minPixels = kMinPixels)
      : minPixels_(minPixels), pool_(threads), painters_(pool_.Threads()) {}
  int Threads() const { return pool_.Threads(); }
  PaintPool& Pool() { return pool_; }
  void Fill(Rasterizer& raster, FillRule rule, bool antialias, FillPainter& painter);

 private:
  size_t minPixels_;
  PaintPool pool_;
  SpanBuffer spans_;
  std::vector<std::optional<FillPainter>> painters_;  // thread i's (i > 0), copied for each region
  std::vector<size_t> cuts_;                          // where each band's runs start
};

}  // namespace flash
