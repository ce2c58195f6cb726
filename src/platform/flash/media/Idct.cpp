#include "platform/flash/media/Idct.h"

#include <emmintrin.h>

namespace flash::media {
namespace {

// cos(k * pi / 16) x 2^13.
constexpr int16_t C1 = 8035, C2 = 7568, C3 = 6811, C4 = 5793, C5 = 4551, C6 = 3135, C7 = 1598;

// Bounds that make 16-bit lanes enough: a row's output is at most
// 2048 x 43284 / 2^12 < 21700 (43284 being the largest row sum of the
// matrix's magnitudes), and a column's sum at most 21700 x 43284 < 2^31.
constexpr int kRowShift = 12, kColShift = 16;

inline __m128i Pair(int16_t a, int16_t b) { return _mm_set_epi16(b, a, b, a, b, a, b, a); }

// One 1-D pass over four lanes of interleaved pairs: x04 holds (x0, x4)
// pairs, x26 (x2, x6), x13 (x1, x3), x57 (x5, x7); out[n] gets the rounded,
// shifted sums as 32-bit lanes.
template <int Shift>
inline void Half(__m128i x04, __m128i x26, __m128i x13, __m128i x57, __m128i out[8]) {
  const __m128i round = _mm_set1_epi32(1 << (Shift - 1));
  // Even half from x0, x2, x4, x6 (rounding folded in).
  const __m128i t0 = _mm_add_epi32(_mm_madd_epi16(x04, Pair(C4, C4)), round);
  const __m128i t1 = _mm_add_epi32(_mm_madd_epi16(x04, Pair(C4, -C4)), round);
  const __m128i t2 = _mm_madd_epi16(x26, Pair(C2, C6));
  const __m128i t3 = _mm_madd_epi16(x26, Pair(C6, -C2));
  const __m128i e0 = _mm_add_epi32(t0, t2), e3 = _mm_sub_epi32(t0, t2);
  const __m128i e1 = _mm_add_epi32(t1, t3), e2 = _mm_sub_epi32(t1, t3);
  // Odd half from x1, x3, x5, x7.
  const __m128i o0 = _mm_add_epi32(_mm_madd_epi16(x13, Pair(C1, C3)), _mm_madd_epi16(x57, Pair(C5, C7)));
  const __m128i o1 = _mm_add_epi32(_mm_madd_epi16(x13, Pair(C3, -C7)), _mm_madd_epi16(x57, Pair(-C1, -C5)));
  const __m128i o2 = _mm_add_epi32(_mm_madd_epi16(x13, Pair(C5, -C1)), _mm_madd_epi16(x57, Pair(C7, C3)));
  const __m128i o3 = _mm_add_epi32(_mm_madd_epi16(x13, Pair(C7, -C5)), _mm_madd_epi16(x57, Pair(C3, -C1)));
  out[0] = _mm_srai_epi32(_mm_add_epi32(e0, o0), Shift);
  out[7] = _mm_srai_epi32(_mm_sub_epi32(e0, o0), Shift);
  out[1] = _mm_srai_epi32(_mm_add_epi32(e1, o1), Shift);
  out[6] = _mm_srai_epi32(_mm_sub_epi32(e1, o1), Shift);
  out[2] = _mm_srai_epi32(_mm_add_epi32(e2, o2), Shift);
  out[5] = _mm_srai_epi32(_mm_sub_epi32(e2, o2), Shift);
  out[3] = _mm_srai_epi32(_mm_add_epi32(e3, o3), Shift);
  out[4] = _mm_srai_epi32(_mm_sub_epi32(e3, o3), Shift);
}

// The 1-D transform down the eight lanes of v[0..7] (v[k] holds input k of
// each of eight transforms); v[n] gets output n.
template <int Shift>
inline void Pass(__m128i v[8]) {
  __m128i lo[8], hi[8];
  Half<Shift>(_mm_unpacklo_epi16(v[0], v[4]), _mm_unpacklo_epi16(v[2], v[6]), _mm_unpacklo_epi16(v[1], v[3]),
              _mm_unpacklo_epi16(v[5], v[7]), lo);
  Half<Shift>(_mm_unpackhi_epi16(v[0], v[4]), _mm_unpackhi_epi16(v[2], v[6]), _mm_unpackhi_epi16(v[1], v[3]),
              _mm_unpackhi_epi16(v[5], v[7]), hi);
  for (int n = 0; n < 8; ++n) v[n] = _mm_packs_epi32(lo[n], hi[n]);
}

inline void Transpose(__m128i v[8]) {
  const __m128i a0 = _mm_unpacklo_epi16(v[0], v[1]), a1 = _mm_unpackhi_epi16(v[0], v[1]);
  const __m128i a2 = _mm_unpacklo_epi16(v[2], v[3]), a3 = _mm_unpackhi_epi16(v[2], v[3]);
  const __m128i a4 = _mm_unpacklo_epi16(v[4], v[5]), a5 = _mm_unpackhi_epi16(v[4], v[5]);
  const __m128i a6 = _mm_unpacklo_epi16(v[6], v[7]), a7 = _mm_unpackhi_epi16(v[6], v[7]);
  const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  v[0] = _mm_unpacklo_epi64(b0, b4), v[1] = _mm_unpackhi_epi64(b0, b4);
  v[2] = _mm_unpacklo_epi64(b1, b5), v[3] = _mm_unpackhi_epi64(b1, b5);
  v[4] = _mm_unpacklo_epi64(b2, b6), v[5] = _mm_unpackhi_epi64(b2, b6);
  v[6] = _mm_unpacklo_epi64(b3, b7), v[7] = _mm_unpackhi_epi64(b3, b7);
}

// Loads the columns and clears the block; true when only the first coefficient is set.
inline bool Load(int16_t block[64], __m128i v[8]) {
  for (int k = 0; k < 8; ++k) {
    v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + k * 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(block + k * 8), _mm_setzero_si128());
  }
  __m128i rest = _mm_andnot_si128(_mm_cvtsi32_si128(0xFFFF), v[0]);
  for (int k = 1; k < 8; ++k) rest = _mm_or_si128(rest, v[k]);
  return _mm_movemask_epi8(_mm_cmpeq_epi8(rest, _mm_setzero_si128())) == 0xFFFF;
}

// Output rows as 16-bit lanes: rows (a column pass each over the rows' outputs).
inline void Transform(__m128i v[8]) {
  Pass<kRowShift>(v);  // v[k] held column k: now v[n] holds output n of every row
  Transpose(v);        // v[r]: row r's outputs
  Pass<kColShift>(v);  // v[n]: output row n
}

// Every output of a block with only its first coefficient: that eighth, rounded.
inline __m128i DcRow(__m128i first) {
  const int dc = static_cast<int16_t>(_mm_cvtsi128_si32(first));
  return _mm_set1_epi16(static_cast<int16_t>((dc + 4) >> 3));
}

inline void StoreRow(uint8_t* dst, __m128i row16) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(row16, row16));
}

inline __m128i AddRow(const uint8_t* dst, __m128i row16) {
  const __m128i pixels = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst));
  return _mm_add_epi16(_mm_unpacklo_epi8(pixels, _mm_setzero_si128()), row16);
}

}  // namespace

void IdctPut(int16_t block[64], uint8_t* dst, int stride) {
  __m128i v[8];
  if (Load(block, v)) {
    const __m128i row = DcRow(v[0]);
    for (int y = 0; y < 8; ++y) StoreRow(dst + y * stride, row);
    return;
  }
  Transform(v);
  for (int y = 0; y < 8; ++y) StoreRow(dst + y * stride, v[y]);
}

void IdctAdd(int16_t block[64], uint8_t* dst, int stride) {
  __m128i v[8];
  if (Load(block, v)) {
    const __m128i dc = DcRow(v[0]);
    for (int y = 0; y < 8; ++y) StoreRow(dst + y * stride, AddRow(dst + y * stride, dc));
    return;
  }
  Transform(v);
  for (int y = 0; y < 8; ++y) StoreRow(dst + y * stride, AddRow(dst + y * stride, v[y]));
}

}  // namespace flash::media
