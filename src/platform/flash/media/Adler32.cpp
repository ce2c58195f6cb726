#include "platform/flash/media/Adler32.h"

#include <emmintrin.h>

#include <algorithm>

namespace flash::media {
namespace {

constexpr uint32_t kBase = 65521;
// Bytes summed before the sums are reduced: the lanes stay within 32 bits.
constexpr size_t kChunk = 5536;

uint64_t Lanes(__m128i v) {
  alignas(16) uint32_t lane[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lane), v);
  return uint64_t{lane[0]} + lane[1] + lane[2] + lane[3];
}

}  // namespace

uint32_t Adler32(uint32_t adler, std::span<const uint8_t> data) {
  uint64_t a = adler & 0xFFFF, b = adler >> 16;
  const uint8_t* p = data.data();
  size_t left = data.size();
  // For bytes d0..d(m-1): a grows by their sum, b by m times a plus the sum of (m - i) di.
  const __m128i zero = _mm_setzero_si128();
  const __m128i weightsLo = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
  const __m128i weightsHi = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
  while (left > 0) {
    const size_t chunk = std::min(left, kChunk), blocks = chunk / 16;
    __m128i sums = zero, before = zero, weighted = zero;
    for (size_t k = 0; k < blocks; ++k, p += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      before = _mm_add_epi32(before, sums);  // the sums of the blocks before this one
      sums = _mm_add_epi32(sums, _mm_sad_epu8(bytes, zero));
      weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), weightsLo));
      weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), weightsHi));
    }
    b += a * (blocks * 16) + 16 * Lanes(before) + Lanes(weighted);
    a += Lanes(sums);
    for (size_t i = blocks * 16; i < chunk; ++i) {
      a += *p++;
      b += a;
    }
    a %= kBase;
    b %= kBase;
    left -= chunk;
  }
  return static_cast<uint32_t>(b << 16 | a);
}

}  // namespace flash::media
