#include "images/BitmapResample.h"

#include <xmmintrin.h>

#include <cmath>
#include <vector>

namespace {

// Nearest integer, ties to even (the processor's default rounding).
inline int RoundEven(float v) { return _mm_cvtss_si32(_mm_set_ss(v)); }

struct Tap {
  long offset0;  // byte offset of the first neighbour
  long offset1;  // byte offset of the second neighbour (the first again at the edge)
  float t;       // weight of the second neighbour
};

// Positions along one axis: f = ratio * i, i0 = floor(f), t = f - i0.
void MakeTaps(long sourceSize, long targetSize, long step, std::vector<Tap>& taps) {
  const float ratio = static_cast<float>(static_cast<double>(sourceSize - 1) / targetSize);
  taps.resize(targetSize);
  for (long i = 0; i < targetSize; ++i) {
    const float f = ratio * static_cast<float>(i);
    long i0 = static_cast<long>(std::floor(f));
    if (i0 > sourceSize - 1) i0 = sourceSize - 1;
    if (i0 < 0) i0 = 0;
    const long i1 = i0 + 1 < sourceSize ? i0 + 1 : i0;
    taps[i] = Tap{i0 * step, i1 * step, f - static_cast<float>(i0)};
  }
}

template <int PixelSize, int Channels>
void Run(const PixelPlane& src, const PixelPlane& dst) {
  std::vector<Tap> cols, rows;
  MakeTaps(src.width, dst.width, PixelSize, cols);
  MakeTaps(src.height, dst.height, src.stride, rows);
  // When the target is wider than half the source, the vertical pass is worked out
  // once per source column of the row pair and shared by the target pixels using it.
  const bool shareColumns = 2 * static_cast<int64_t>(dst.width) > src.width;
  std::vector<uint8_t> vertical(shareColumns ? static_cast<size_t>(src.width) * PixelSize : 0);
  for (long y = 0; y < dst.height; ++y) {
    const Tap& ry = rows[y];
    const uint8_t* row0 = src.bits + ry.offset0;
    const uint8_t* row1 = src.bits + ry.offset1;
    const float ty = ry.t, uy = 1.0f - ty;
    uint8_t* out = dst.bits + static_cast<intptr_t>(y) * dst.stride;
    if (shareColumns) {
      for (long i = 0, n = src.width * PixelSize; i < n; ++i)
        vertical[i] = static_cast<uint8_t>(RoundEven(uy * row0[i] + ty * row1[i]));
      for (long x = 0; x < dst.width; ++x, out += PixelSize) {
        const Tap& cx = cols[x];
        const float tx = cx.t, ux = 1.0f - tx;
        for (int k = 0; k < Channels; ++k)
          out[k] = static_cast<uint8_t>(
              RoundEven(ux * static_cast<float>(vertical[cx.offset0 + k]) + tx * static_cast<float>(vertical[cx.offset1 + k])));
      }
      continue;
    }
    for (long x = 0; x < dst.width; ++x, out += PixelSize) {
      const Tap& cx = cols[x];
      const float tx = cx.t, ux = 1.0f - tx;
      for (int k = 0; k < Channels; ++k) {
        const int left = RoundEven(uy * row0[cx.offset0 + k] + ty * row1[cx.offset0 + k]);
        const int right = RoundEven(uy * row0[cx.offset1 + k] + ty * row1[cx.offset1 + k]);
        out[k] = static_cast<uint8_t>(RoundEven(ux * static_cast<float>(left) + tx * static_cast<float>(right)));
      }
    }
  }
}

}  // namespace

void ResampleBilinear(const PixelPlane& source, const PixelPlane& target, int pixelSize, int channels) {
  if (!source.bits || !target.bits || source.width <= 0 || source.height <= 0) return;
  if (pixelSize == 3) {
    Run<3, 3>(source, target);
  } else if (channels == 4) {
    Run<4, 4>(source, target);
  } else {
    Run<4, 3>(source, target);
  }
}
