#include "platform/flash/render/effects/BoxBlur.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace flash {
namespace {

// One box: k whole taps each side of the centre, end taps weighing
// fraction/256, all divided by the box's width through a reciprocal.
struct Box {
  int k = 0;
  uint32_t fraction = 0;  // 0..255
  uint64_t inverse = 0;   // 2^40 / (width * 256), rounded up
  uint32_t half = 0;      // width * 128, for rounding
  bool Active() const { return inverse != 0; }
  static Box Of(double width) {
    Box b;
    if (!(width > 1)) return b;
    width = std::min(width, 1024.0);
    b.k = static_cast<int>((width - 1) / 2);
    const double fraction = (width - (2 * b.k + 1)) / 2;
    b.fraction = static_cast<uint32_t>(std::clamp(std::lround(fraction * 256), 0L, 255L));
    const uint64_t total = uint64_t(2 * b.k + 1) * 256 + 2 * b.fraction;
    b.inverse = ((uint64_t{1} << 40) + total - 1) / total;
    b.half = static_cast<uint32_t>(total / 2);
    return b;
  }
  int Reach() const { return Active() ? k + (fraction ? 1 : 0) : 0; }
  uint8_t Out(uint32_t sum, uint32_t ends) const {
    const uint64_t acc = uint64_t(sum) * 256 + uint64_t(ends) * fraction + half;
    return static_cast<uint8_t>(std::min<uint64_t>((acc * inverse) >> 40, 255));
  }
};

// The horizontal pass over rows [top, bottom): the values of [left, right)
// spread to [left - reach, right + reach) within the row.
template <int C>
void Rows(uint8_t* data, int width, const RECT& area, const Box& box, std::vector<uint8_t>& line) {
  const int reach = box.Reach();
  const int outLeft = std::max(0, int(area.left) - reach), outRight = std::min(width, int(area.right) + reach);
  const int span = int(area.right - area.left);
  // The line holds the source with room on each side for every tap an output reads.
  const int pad = 2 * box.k + 2;
  line.assign(size_t(span + 2 * pad) * C, 0);
  const ptrdiff_t origin = ptrdiff_t(pad) - area.left;  // line index of source x is x + origin
  for (int y = area.top; y < area.bottom; ++y) {
    uint8_t* row = data + size_t(y) * width * C;
    std::copy(row + size_t(area.left) * C, row + size_t(area.right) * C, line.begin() + ptrdiff_t(pad) * C);
    const uint8_t* src = line.data();
    uint32_t sum[C] = {};
    for (int x = outLeft - box.k; x <= outLeft + box.k; ++x)
      for (int c = 0; c < C; ++c) sum[c] += src[(x + origin) * C + c];
    for (int x = outLeft; x < outRight; ++x) {
      const uint8_t* before = src + (x - box.k - 1 + origin) * C;
      const uint8_t* after = src + (x + box.k + 1 + origin) * C;
      const uint8_t* leaving = before + C;
      uint8_t* out = row + size_t(x) * C;
      for (int c = 0; c < C; ++c) {
        out[c] = box.Out(sum[c], uint32_t(before[c]) + after[c]);
        sum[c] += after[c];
        sum[c] -= leaving[c];
      }
    }
  }
}

// The vertical pass over columns [left, right): rows [top, bottom) spread
// to [top - reach, bottom + reach). The source rows are copied first.
template <int C>
void Columns(uint8_t* data, int width, int height, const RECT& area, const Box& box, std::vector<uint8_t>& copy,
             std::vector<uint32_t>& sums) {
  const int reach = box.Reach();
  const int outTop = std::max(0, int(area.top) - reach), outBottom = std::min(height, int(area.bottom) + reach);
  const size_t cols = size_t(area.right - area.left) * C;
  const int rows = int(area.bottom - area.top);
  copy.resize(cols * size_t(rows));
  for (int y = area.top; y < area.bottom; ++y)
    std::copy_n(data + (size_t(y) * width + area.left) * C, cols, copy.begin() + ptrdiff_t(size_t(y - area.top) * cols));
  auto row = [&](int y) -> const uint8_t* { return y >= area.top && y < area.bottom ? &copy[size_t(y - area.top) * cols] : nullptr; };
  sums.assign(cols, 0);
  for (int y = outTop - box.k; y <= outTop + box.k; ++y)
    if (const uint8_t* r = row(y))
      for (size_t i = 0; i < cols; ++i) sums[i] += r[i];
  for (int y = outTop; y < outBottom; ++y) {
    uint8_t* out = data + (size_t(y) * width + area.left) * C;
    const uint8_t* before = row(y - box.k - 1);
    const uint8_t* after = row(y + box.k + 1);
    const uint8_t* leaving = row(y - box.k);
    for (size_t i = 0; i < cols; ++i) {
      out[i] = box.Out(sums[i], (before ? before[i] : 0) + (after ? after[i] : 0));
      if (after) sums[i] += after[i];
      if (leaving) sums[i] -= leaving[i];
    }
  }
}

template <int C>
void Blur(uint8_t* data, int width, int height, double boxX, double boxY, int passes, RECT& area) {
  const Box bx = Box::Of(boxX), by = Box::Of(boxY);
  std::vector<uint8_t> scratch;
  std::vector<uint32_t> sums;
  for (int pass = 0; pass < passes; ++pass) {
    if (area.right <= area.left || area.bottom <= area.top) return;
    if (bx.Active()) {
      Rows<C>(data, width, area, bx, scratch);
      area.left = std::max(0L, area.left - bx.Reach());
      area.right = std::min(LONG(width), area.right + bx.Reach());
    }
    if (by.Active()) {
      Columns<C>(data, width, height, area, by, scratch, sums);
      area.top = std::max(0L, area.top - by.Reach());
      area.bottom = std::min(LONG(height), area.bottom + by.Reach());
    }
  }
}

}  // namespace

int BoxReach(double width) { return Box::Of(width).Reach(); }

void BoxBlur(uint8_t* data, int width, int height, int channels, double boxX, double boxY, int passes, RECT& area) {
  area.left = std::clamp(area.left, 0L, LONG(width)), area.right = std::clamp(area.right, area.left, LONG(width));
  area.top = std::clamp(area.top, 0L, LONG(height)), area.bottom = std::clamp(area.bottom, area.top, LONG(height));
  if (channels == 4) Blur<4>(data, width, height, boxX, boxY, passes, area);
  else Blur<1>(data, width, height, boxX, boxY, passes, area);
}

}  // namespace flash
