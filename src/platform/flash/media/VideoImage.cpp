#include "platform/flash/media/VideoImage.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace flash::media {
namespace {

// The BT.601 studio-range matrix in 16-bit fixed point, as SSE2 multiplies
// it (the high half of a 16 x 16-bit product), in 32nds of a step: luma is
// Y x 256 times kY over 2^16, less 16 x 1.164383 x 32 and plus 16 to round;
// a chroma term is (C - 128) x 128 times its constant over 2^16; the sum of
// a channel's terms over 32 is the channel, clipped. 1.164383 (Y),
// 1.596027 (Cr to red), 0.391762 and 0.812968 (Cb and Cr from green),
// 2.017232 (Cb to blue: 2 as a shift, the rest multiplied).
constexpr int16_t kY = 9539, kRv = 26149, kGu = 6419, kGv = 13320, kBu = 282;
constexpr int16_t kLumaOffset = 16 - 596;

inline int HighProduct(int a, int b) { return (a * b) >> 16; }

// One pixel exactly as the vector code computes it.
inline uint32_t Pixel(int y, int u, int v) {
  const int l = HighProduct(y * 256, kY) + kLumaOffset, du = u - 128, dv = v - 128;
  const int r = l + HighProduct(dv * 128, kRv);
  const int g = l - HighProduct(du * 128, kGu) - HighProduct(dv * 128, kGv);
  const int b = l + du * 64 + HighProduct(du * 128, kBu);
  auto channel = [](int c) { return static_cast<uint32_t>(std::clamp(c >> 5, 0, 255)); };
  return 0xFF000000u | channel(r) << 16 | channel(g) << 8 | channel(b);
}

// The chroma terms of eight samples, each lane twice: lo for pixels 0..7, hi for 8..15.
struct Chroma {
  __m128i rLo, rHi, gLo, gHi, bLo, bHi;
};

inline Chroma ChromaTerms(const uint8_t* pu, const uint8_t* pv) {
  const __m128i zero = _mm_setzero_si128(), bias = _mm_set1_epi16(128);
  const __m128i du = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pu)), zero), bias);
  const __m128i dv = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pv)), zero), bias);
  const __m128i u128 = _mm_slli_epi16(du, 7), v128 = _mm_slli_epi16(dv, 7);
  const __m128i r = _mm_mulhi_epi16(v128, _mm_set1_epi16(kRv));
  const __m128i g = _mm_add_epi16(_mm_mulhi_epi16(u128, _mm_set1_epi16(kGu)), _mm_mulhi_epi16(v128, _mm_set1_epi16(kGv)));
  const __m128i b = _mm_add_epi16(_mm_slli_epi16(du, 6), _mm_mulhi_epi16(u128, _mm_set1_epi16(kBu)));
  return {_mm_unpacklo_epi16(r, r), _mm_unpackhi_epi16(r, r), _mm_unpacklo_epi16(g, g),
          _mm_unpackhi_epi16(g, g), _mm_unpacklo_epi16(b, b), _mm_unpackhi_epi16(b, b)};
}

// Sixteen pixels of one row from their luma and the chroma terms.
inline void Sixteen(const uint8_t* py, const Chroma& c, uint32_t* dst) {
  const __m128i zero = _mm_setzero_si128(), ky = _mm_set1_epi16(kY), offset = _mm_set1_epi16(kLumaOffset);
  const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(py));
  // Y x 256: the byte in the high half of each lane.
  const __m128i lumaLo = _mm_add_epi16(_mm_mulhi_epu16(_mm_unpacklo_epi8(zero, y), ky), offset);
  const __m128i lumaHi = _mm_add_epi16(_mm_mulhi_epu16(_mm_unpackhi_epi8(zero, y), ky), offset);
  const __m128i r = _mm_packus_epi16(_mm_srai_epi16(_mm_add_epi16(lumaLo, c.rLo), 5),
                                     _mm_srai_epi16(_mm_add_epi16(lumaHi, c.rHi), 5));
  const __m128i g = _mm_packus_epi16(_mm_srai_epi16(_mm_sub_epi16(lumaLo, c.gLo), 5),
                                     _mm_srai_epi16(_mm_sub_epi16(lumaHi, c.gHi), 5));
  const __m128i b = _mm_packus_epi16(_mm_srai_epi16(_mm_add_epi16(lumaLo, c.bLo), 5),
                                     _mm_srai_epi16(_mm_add_epi16(lumaHi, c.bHi), 5));
  const __m128i bg0 = _mm_unpacklo_epi8(b, g), bg1 = _mm_unpackhi_epi8(b, g);
  const __m128i alpha = _mm_set1_epi8(static_cast<char>(0xFF));
  const __m128i ra0 = _mm_unpacklo_epi8(r, alpha), ra1 = _mm_unpackhi_epi8(r, alpha);
  __m128i* out = reinterpret_cast<__m128i*>(dst);
  _mm_storeu_si128(out + 0, _mm_unpacklo_epi16(bg0, ra0));
  _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(bg0, ra0));
  _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(bg1, ra1));
  _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(bg1, ra1));
}

// One or two rows that share a row of chroma (second may be null).
void YuvRows(const uint8_t* py0, const uint8_t* py1, const uint8_t* pu, const uint8_t* pv, int width,
             uint32_t* dst0, uint32_t* dst1) {
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const Chroma c = ChromaTerms(pu + x / 2, pv + x / 2);
    Sixteen(py0 + x, c, dst0 + x);
    if (py1) Sixteen(py1 + x, c, dst1 + x);
  }
  for (; x < width; ++x) {
    dst0[x] = Pixel(py0[x], pu[x / 2], pv[x / 2]);
    if (py1) dst1[x] = Pixel(py1[x], pu[x / 2], pv[x / 2]);
  }
}

// Four pixels of BGR in the low 12 bytes of v as four opaque 32-bit pixels:
// each 64-bit half takes two pixels (6 bytes), the second moved up a byte.
inline __m128i FourBgr(__m128i v) {
  const __m128i halves = _mm_unpacklo_epi64(v, _mm_srli_si128(v, 6));
  const __m128i first = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF), second = _mm_slli_epi64(first, 32);
  const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  return _mm_or_si128(_mm_or_si128(_mm_and_si128(halves, first), _mm_and_si128(_mm_slli_epi64(halves, 8), second)), alpha);
}

void BgrRow(const uint8_t* src, int width, uint32_t* dst) {
  int x = 0;
  for (; x + 16 <= width; x += 16, src += 48) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32));
    __m128i* out = reinterpret_cast<__m128i*>(dst + x);
    _mm_storeu_si128(out + 0, FourBgr(a));
    _mm_storeu_si128(out + 1, FourBgr(_mm_or_si128(_mm_srli_si128(a, 12), _mm_slli_si128(b, 4))));
    _mm_storeu_si128(out + 2, FourBgr(_mm_or_si128(_mm_srli_si128(b, 8), _mm_slli_si128(c, 8))));
    _mm_storeu_si128(out + 3, FourBgr(_mm_srli_si128(c, 4)));
  }
  for (; x < width; ++x, src += 3) dst[x] = 0xFF000000u | src[2] << 16 | src[1] << 8 | src[0];
}

}  // namespace

void ToArgb(const VideoImage& image, uint32_t* out, int outStride) {
  if (!image.planes[0]) return;
  if (!image.yuv) {
    for (int row = 0; row < image.height; ++row)
      BgrRow(image.planes[0] + static_cast<ptrdiff_t>(row) * image.strides[0], image.width,
             out + static_cast<ptrdiff_t>(row) * outStride);
    return;
  }
  for (int row = 0; row < image.height; row += 2) {
    const bool pair = row + 1 < image.height;
    const uint8_t* py = image.planes[0] + static_cast<ptrdiff_t>(row) * image.strides[0];
    uint32_t* dst = out + static_cast<ptrdiff_t>(row) * outStride;
    YuvRows(py, pair ? py + image.strides[0] : nullptr, image.planes[1] + static_cast<ptrdiff_t>(row / 2) * image.strides[1],
            image.planes[2] + static_cast<ptrdiff_t>(row / 2) * image.strides[2], image.width, dst,
            pair ? dst + outStride : nullptr);
  }
}

std::vector<uint32_t> ToArgb(const VideoImage& image) {
  std::vector<uint32_t> pixels(static_cast<size_t>(image.width) * image.height);
  ToArgb(image, pixels.data(), image.width);
  return pixels;
}

}  // namespace flash::media
