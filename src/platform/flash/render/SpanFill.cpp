#include "platform/flash/render/SpanFill.h"

#include <algorithm>
#include <cstring>

#include <emmintrin.h>

#include "platform/flash/render/Bitmap.h"

namespace flash {
namespace {

// The ramp indices of two positions t (0..1 after padding; not finite counts as 0).
inline void PadIndices(__m128d t, int& i0, int& i1) {
  const __m128d finite = _mm_cmpeq_pd(_mm_sub_pd(t, t), _mm_setzero_pd());
  t = _mm_and_pd(t, finite);
  t = _mm_min_pd(_mm_max_pd(t, _mm_setzero_pd()), _mm_set1_pd(1.0));
  const __m128i i = _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(t, _mm_set1_pd(255.0)), _mm_set1_pd(0.5)));
  i0 = _mm_cvtsi128_si32(i), i1 = _mm_cvtsi128_si32(_mm_srli_si128(i, 4));
}

// floor(v) for |v| < 2^31, without a library call.
inline int FloorInt(double v) {
  const int i = static_cast<int>(v);
  return i > v ? i - 1 : i;
}

inline int Wrap(int v, int n) {
  if ((n & (n - 1)) == 0) return v & (n - 1);
  v %= n;
  return v < 0 ? v + n : v;
}

// Lerp(Lerp(a, b, ku), Lerp(c, d, ku), kv) of Scale's rounding, channel by
// channel in 16-bit lanes: each product is at most 255 * 256.
inline uint32_t Bilinear(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t ku, uint32_t kv) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i kx = _mm_set_epi16(short(ku), short(ku), short(ku), short(ku), short(256 - ku), short(256 - ku),
                                   short(256 - ku), short(256 - ku));
  const __m128i ab = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(_mm_set_epi32(0, 0, int(b), int(a)), zero), kx), 8);
  const __m128i cd = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(_mm_set_epi32(0, 0, int(d), int(c)), zero), kx), 8);
  const __m128i top = _mm_add_epi16(ab, _mm_srli_si128(ab, 8));     // lanes 0..3
  const __m128i bottom = _mm_add_epi16(cd, _mm_slli_si128(cd, 8));  // lanes 4..7
  const __m128i ky = _mm_set_epi16(short(kv), short(kv), short(kv), short(kv), short(256 - kv), short(256 - kv),
                                   short(256 - kv), short(256 - kv));
  const __m128i mixed = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi64(top, _mm_srli_si128(bottom, 8)), ky), 8);
  const __m128i sum = _mm_add_epi16(mixed, _mm_srli_si128(mixed, 8));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(sum, zero)));
}

// Whether the whole walk stays where the exact sampler's clamping to +-1e9
// does nothing and the whole part of every position fits an int.
bool Near(const SpanWalk& w) {
  constexpr double kNear = 1.0e8;
  const double uEnd = w.u + w.du * w.count, vEnd = w.v + w.dv * w.count;
  for (const double e : {w.u, w.v, uEnd, vEnd})
    if (!(e > -kNear && e < kNear)) return false;
  return true;
}

}  // namespace

void LinearPadRow(const std::array<uint32_t, 256>& ramp, const SpanWalk& w, uint32_t* out) {
  double u = w.u;
  int i = 0, k0, k1;
  for (; i + 2 <= w.count; i += 2) {
    const double u0 = u, u1 = u0 + w.du;
    u = u1 + w.du;
    PadIndices(_mm_div_pd(_mm_add_pd(_mm_set_pd(u1, u0), _mm_set1_pd(16384.0)), _mm_set1_pd(32768.0)), k0, k1);
    out[i] = ramp[k0], out[i + 1] = ramp[k1];
  }
  if (i < w.count) {
    PadIndices(_mm_div_pd(_mm_add_pd(_mm_set1_pd(u), _mm_set1_pd(16384.0)), _mm_set1_pd(32768.0)), k0, k1);
    out[i] = ramp[k0];
  }
}

void RadialPadRow(const std::array<uint32_t, 256>& ramp, const SpanWalk& w, uint32_t* out) {
  double u = w.u, v = w.v;
  const __m128d unit = _mm_set1_pd(16384.0);
  auto t = [&](__m128d uu, __m128d vv) {
    const __m128d px = _mm_div_pd(uu, unit), py = _mm_div_pd(vv, unit);
    return _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(px, px), _mm_mul_pd(py, py)));
  };
  int i = 0, k0, k1;
  for (; i + 2 <= w.count; i += 2) {
    const double u0 = u, u1 = u0 + w.du, v0 = v, v1 = v0 + w.dv;
    u = u1 + w.du, v = v1 + w.dv;
    PadIndices(t(_mm_set_pd(u1, u0), _mm_set_pd(v1, v0)), k0, k1);
    out[i] = ramp[k0], out[i + 1] = ramp[k1];
  }
  if (i < w.count) {
    PadIndices(t(_mm_set1_pd(u), _mm_set1_pd(v)), k0, k1);
    out[i] = ramp[k0];
  }
}

bool NearestRow(const Bitmap& bitmap, bool repeat, const SpanWalk& w, uint32_t* out) {
  if (!Near(w)) return false;
  const int width = bitmap.width, height = bitmap.height;
  const uint32_t* px = bitmap.pixels.data();
  double u = w.u, v = w.v;
  for (int i = 0; i < w.count; ++i, u += w.du, v += w.dv) {
    int x = FloorInt(u), y = FloorInt(v);
    if (repeat) {
      x = Wrap(x, width), y = Wrap(y, height);
    } else {
      x = std::clamp(x, 0, width - 1), y = std::clamp(y, 0, height - 1);
    }
    out[i] = px[static_cast<size_t>(y) * width + x];
  }
  return true;
}

bool BilinearRow(const Bitmap& bitmap, bool repeat, const SpanWalk& w, uint32_t* out) {
  if (!Near(w)) return false;
  const int width = bitmap.width, height = bitmap.height;
  const uint32_t* px = bitmap.pixels.data();
  double u = w.u, v = w.v;
  for (int i = 0; i < w.count; ++i, u += w.du, v += w.dv) {
    const double su = u - 0.5, sv = v - 0.5;
    const int x = FloorInt(su), y = FloorInt(sv);
    const uint32_t ku = static_cast<uint32_t>((su - x) * 256), kv = static_cast<uint32_t>((sv - y) * 256);
    int x0, x1, y0, y1;
    if (repeat) {
      x0 = Wrap(x, width), x1 = Wrap(x + 1, width), y0 = Wrap(y, height), y1 = Wrap(y + 1, height);
    } else {
      x0 = std::clamp(x, 0, width - 1), x1 = std::clamp(x + 1, 0, width - 1);
      y0 = std::clamp(y, 0, height - 1), y1 = std::clamp(y + 1, 0, height - 1);
    }
    const uint32_t* r0 = px + static_cast<size_t>(y0) * width;
    const uint32_t* r1 = px + static_cast<size_t>(y1) * width;
    out[i] = Bilinear(r0[x0], r0[x1], r1[x0], r1[x1], ku, kv);
  }
  return true;
}

}  // namespace flash
