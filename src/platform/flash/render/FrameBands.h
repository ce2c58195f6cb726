// The fills of a frame held back and painted together on a pool's threads:
// the rows are cut into bands, and each band's thread walks every held fill
// in the order given, filling only its own rows (no row is shared between
// bands). A row's pixels depend only on that row's earlier fills, so the
// picture is the one a single thread paints, for one hand-over to the pool
// per Settle instead of one per fill (a little work is painted by the
// calling thread alone). What is held: each region's sorted
// edges, its clip and rule, and a copy of its painter (so the canvas, its
// mask and any bitmap a fill reads must stay as they are until Settle).
#pragma once
#include <cstddef>
#include <vector>

#include "platform/flash/render/FillPainter.h"
#include "platform/flash/render/PaintPool.h"
#include "platform/flash/render/Rasterizer.h"

namespace flash {

class FrameBands {
 public:
  // Past either, what is held is painted before more is taken.
  static constexpr size_t kMaxEdges = size_t{1} << 19;
  static constexpr size_t kMaxFills = 4096;
  // Held fills whose boxes cover fewer pixels in all are painted by the
  // calling thread alone: handing work to threads costs more than it saves there.
  static constexpr double kMinPixels = double(1 << 19);

  explicit FrameBands(PaintPool& pool, double minPixels = kMinPixels)
      : pool_(pool), minPixels_(minPixels), workers_(pool.Threads()) {}
  FrameBands(const FrameBands&) = delete;
  FrameBands& operator=(const FrameBands&) = delete;

  // Holds the raster's region for the painter (not a mask painter); false
  // (nothing held) for a region larger than kMaxEdges, which the caller fills.
  bool Add(Rasterizer& raster, FillRule rule, bool antialias, const FillPainter& painter);
  // Paints everything held, in order, and returns when it is on the canvas.
  void Settle();
  // Forgets what is held without painting it.
  void Drop();
  bool Empty() const { return fills_.empty(); }

 private:
  struct Held {
    size_t first, count;  // its edges in edges_
    double minY, maxY;
    int left, top, right, bottom;
    FillRule rule;
    bool antialias;
  };
  struct Worker {
    Rasterizer raster;
    std::vector<uint32_t> colors;
  };
  // Paints rows [top, bottom) of every held fill with worker's scratch.
  void PaintRows(int top, int bottom, Worker& worker);

  PaintPool& pool_;
  double minPixels_;
  double pixels_ = 0;  // the held fills' boxes
  std::vector<Worker> workers_;  // one per thread of the pool
  std::vector<Rasterizer::Edge> edges_;
  std::vector<Held> fills_;
  std::vector<FillPainter> painters_;  // fills_[i]'s
};

}  // namespace flash
