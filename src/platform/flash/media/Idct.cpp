#include "platform/flash/media/Idct.h"

#include <algorithm>

namespace flash::media {
namespace {

// cos(k * pi / 16) x 2^13.
constexpr int C1 = 8035, C2 = 7568, C3 = 6811, C4 = 5793, C5 = 4551, C6 = 3135, C7 = 1598;
constexpr int kPass = 2;  // extra bits the rows keep for the columns

// x[n] = 1/2 * sum_k c(k) X[k] cos((2n + 1) k pi / 16): the even half from
// X0, X2, X4, X6, the odd half from X1, X3, X5, X7; outputs n and 7 - n are
// their sum and difference.
template <typename T>
inline void Butterfly(T x0, T x1, T x2, T x3, T x4, T x5, T x6, T x7, T out[8]) {
  const T t0 = (x0 + x4) * C4, t1 = (x0 - x4) * C4;
  const T t2 = x2 * C2 + x6 * C6, t3 = x2 * C6 - x6 * C2;
  const T e0 = t0 + t2, e3 = t0 - t2, e1 = t1 + t3, e2 = t1 - t3;
  const T o0 = x1 * C1 + x3 * C3 + x5 * C5 + x7 * C7;
  const T o1 = x1 * C3 - x3 * C7 - x5 * C1 - x7 * C5;
  const T o2 = x1 * C5 - x3 * C1 + x5 * C7 + x7 * C3;
  const T o3 = x1 * C7 - x3 * C5 + x5 * C3 - x7 * C1;
  out[0] = e0 + o0, out[7] = e0 - o0;
  out[1] = e1 + o1, out[6] = e1 - o1;
  out[2] = e2 + o2, out[5] = e2 - o2;
  out[3] = e3 + o3, out[4] = e3 - o3;
}

// Rows in place (kept as ints with kPass extra bits), then columns into out.
void Transform(const int16_t* in, int32_t out[64]) {
  int32_t rows[64];
  constexpr int rowShift = 14 - kPass, rowRound = 1 << (rowShift - 1);
  for (int r = 0; r < 8; ++r) {
    const int16_t* x = in + r * 8;
    int32_t* y = rows + r * 8;
    if (!(x[1] | x[2] | x[3] | x[4] | x[5] | x[6] | x[7])) {
      const int32_t v = (x[0] * C4 + rowRound) >> rowShift;
      std::fill(y, y + 8, v);
      continue;
    }
    int32_t t[8];
    Butterfly<int32_t>(x[0], x[1], x[2], x[3], x[4], x[5], x[6], x[7], t);
    for (int i = 0; i < 8; ++i) y[i] = (t[i] + rowRound) >> rowShift;
  }
  constexpr int colShift = 14 + kPass;
  constexpr int64_t colRound = int64_t{1} << (colShift - 1);
  for (int c = 0; c < 8; ++c) {
    const int32_t* x = rows + c;
    int64_t t[8];
    Butterfly<int64_t>(x[0], x[8], x[16], x[24], x[32], x[40], x[48], x[56], t);
    for (int i = 0; i < 8; ++i) out[i * 8 + c] = static_cast<int32_t>((t[i] + colRound) >> colShift);
  }
}

inline uint8_t Clip(int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

bool DcOnly(const int16_t* b) {
  for (int i = 1; i < 64; ++i)
    if (b[i]) return false;
  return true;
}

}  // namespace

void IdctPut(int16_t block[64], uint8_t* dst, int stride) {
  if (DcOnly(block)) {
    const uint8_t v = Clip((block[0] + 4) >> 3);
    for (int y = 0; y < 8; ++y) std::fill(dst + y * stride, dst + y * stride + 8, v);
    return;
  }
  int32_t out[64];
  Transform(block, out);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) dst[y * stride + x] = Clip(out[y * 8 + x]);
}

void IdctAdd(int16_t block[64], uint8_t* dst, int stride) {
  if (DcOnly(block)) {
    const int32_t v = (block[0] + 4) >> 3;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) dst[y * stride + x] = Clip(dst[y * stride + x] + v);
    return;
  }
  int32_t out[64];
  Transform(block, out);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) dst[y * stride + x] = Clip(dst[y * stride + x] + out[y * 8 + x]);
}

}  // namespace flash::media
