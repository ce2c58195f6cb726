#include "platform/flash/media/H263Decoder.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

#include "platform/flash/media/Idct.h"
#include "platform/flash/media/Vlc.h"

namespace flash::media {
namespace {

constexpr int kEscape = -1;
constexpr int kStuffing = -2;

// A coefficient event packed as last << 16 | run << 8 | level.
constexpr int Event(int last, int run, int level) { return last << 16 | run << 8 | level; }

// MCBPC of intra pictures: macroblock type << 2 | chroma pattern.
const Vlc& IntraMcbpc() {
  static const Vlc vlc(9, {{"1", 3 << 2 | 0}, {"001", 3 << 2 | 1}, {"010", 3 << 2 | 2}, {"011", 3 << 2 | 3},
                           {"0001", 4 << 2 | 0}, {"000001", 4 << 2 | 1}, {"000010", 4 << 2 | 2},
                           {"000011", 4 << 2 | 3}, {"000000001", kStuffing}});
  return vlc;
}

// MCBPC of inter pictures (types 0 inter, 1 inter with quantizer, 2 four
// vectors, 3 intra, 4 intra with quantizer).
const Vlc& InterMcbpc() {
  static const Vlc vlc(9, {{"1", 0 << 2 | 0},         {"0011", 0 << 2 | 1},      {"0010", 0 << 2 | 2},
                           {"000101", 0 << 2 | 3},    {"011", 1 << 2 | 0},       {"0000111", 1 << 2 | 1},
                           {"0000110", 1 << 2 | 2},   {"000000101", 1 << 2 | 3}, {"010", 2 << 2 | 0},
                           {"0000101", 2 << 2 | 1},   {"0000100", 2 << 2 | 2},   {"00000101", 2 << 2 | 3},
                           {"00011", 3 << 2 | 0},     {"00000100", 3 << 2 | 1},  {"00000011", 3 << 2 | 2},
                           {"0000011", 3 << 2 | 3},   {"000100", 4 << 2 | 0},    {"000000100", 4 << 2 | 1},
                           {"000000011", 4 << 2 | 2}, {"000000010", 4 << 2 | 3}, {"000000001", kStuffing}});
  return vlc;
}

// CBPY as intra macroblocks read it (inter macroblocks invert it).
const Vlc& Cbpy() {
  static const Vlc vlc(6, {{"0011", 0},   {"00101", 1}, {"00100", 2},  {"1001", 3},  {"00011", 4}, {"0111", 5},
                           {"000010", 6}, {"1011", 7},  {"00010", 8},  {"000011", 9}, {"0101", 10}, {"1010", 11},
                           {"0100", 12},  {"1000", 13}, {"0110", 14},  {"11", 15}});
  return vlc;
}

// Motion vector differences: the magnitude in half pixels, a sign bit after every non-zero one.
const Vlc& Mvd() {
  static const Vlc vlc(12, {{"1", 0},
                            {"01", 1},
                            {"001", 2},
                            {"0001", 3},
                            {"000011", 4},
                            {"0000101", 5},
                            {"0000100", 6},
                            {"0000011", 7},
                            {"000001011", 8},
                            {"000001010", 9},
                            {"000001001", 10},
                            {"0000010001", 11},
                            {"0000010000", 12},
                            {"0000001111", 13},
                            {"0000001110", 14},
                            {"0000001101", 15},
                            {"0000001100", 16},
                            {"0000001011", 17},
                            {"0000001010", 18},
                            {"0000001001", 19},
                            {"0000001000", 20},
                            {"0000000111", 21},
                            {"0000000110", 22},
                            {"0000000101", 23},
                            {"0000000100", 24},
                            {"00000000111", 25},
                            {"00000000110", 26},
                            {"00000000101", 27},
                            {"00000000100", 28},
                            {"00000000011", 29},
                            {"00000000010", 30},
                            {"000000000011", 31},
                            {"000000000010", 32}});
  return vlc;
}

// Transform coefficients: (last, run, level), a sign bit after each; the escape has none.
const Vlc& Tcoef() {
  static const Vlc vlc(12, {
      {"10", Event(0, 0, 1)},
      {"1111", Event(0, 0, 2)},
      {"010101", Event(0, 0, 3)},
      {"0010111", Event(0, 0, 4)},
      {"00011111", Event(0, 0, 5)},
      {"000100101", Event(0, 0, 6)},
      {"000100100", Event(0, 0, 7)},
      {"0000100001", Event(0, 0, 8)},
      {"0000100000", Event(0, 0, 9)},
      {"00000000111", Event(0, 0, 10)},
      {"00000000110", Event(0, 0, 11)},
      {"00000100000", Event(0, 0, 12)},
      {"110", Event(0, 1, 1)},
      {"010100", Event(0, 1, 2)},
      {"00011110", Event(0, 1, 3)},
      {"0000001111", Event(0, 1, 4)},
      {"00000100001", Event(0, 1, 5)},
      {"000001010000", Event(0, 1, 6)},
      {"1110", Event(0, 2, 1)},
      {"00011101", Event(0, 2, 2)},
      {"0000001110", Event(0, 2, 3)},
      {"000001010001", Event(0, 2, 4)},
      {"01101", Event(0, 3, 1)},
      {"000100011", Event(0, 3, 2)},
      {"0000001101", Event(0, 3, 3)},
      {"01100", Event(0, 4, 1)},
      {"000100010", Event(0, 4, 2)},
      {"000001010010", Event(0, 4, 3)},
      {"01011", Event(0, 5, 1)},
      {"0000001100", Event(0, 5, 2)},
      {"000001010011", Event(0, 5, 3)},
      {"010011", Event(0, 6, 1)},
      {"0000001011", Event(0, 6, 2)},
      {"000001010100", Event(0, 6, 3)},
      {"010010", Event(0, 7, 1)},
      {"0000001010", Event(0, 7, 2)},
      {"010001", Event(0, 8, 1)},
      {"0000001001", Event(0, 8, 2)},
      {"010000", Event(0, 9, 1)},
      {"0000001000", Event(0, 9, 2)},
      {"0010110", Event(0, 10, 1)},
      {"000001010101", Event(0, 10, 2)},
      {"0010101", Event(0, 11, 1)},
      {"0010100", Event(0, 12, 1)},
      {"00011100", Event(0, 13, 1)},
      {"00011011", Event(0, 14, 1)},
      {"000100001", Event(0, 15, 1)},
      {"000100000", Event(0, 16, 1)},
      {"000011111", Event(0, 17, 1)},
      {"000011110", Event(0, 18, 1)},
      {"000011101", Event(0, 19, 1)},
      {"000011100", Event(0, 20, 1)},
      {"000011011", Event(0, 21, 1)},
      {"000011010", Event(0, 22, 1)},
      {"00000100010", Event(0, 23, 1)},
      {"00000100011", Event(0, 24, 1)},
      {"000001010110", Event(0, 25, 1)},
      {"000001010111", Event(0, 26, 1)},
      {"0111", Event(1, 0, 1)},
      {"000011001", Event(1, 0, 2)},
      {"00000000101", Event(1, 0, 3)},
      {"001111", Event(1, 1, 1)},
      {"00000000100", Event(1, 1, 2)},
      {"001110", Event(1, 2, 1)},
      {"001101", Event(1, 3, 1)},
      {"001100", Event(1, 4, 1)},
      {"0010011", Event(1, 5, 1)},
      {"0010010", Event(1, 6, 1)},
      {"0010001", Event(1, 7, 1)},
      {"0010000", Event(1, 8, 1)},
      {"00011010", Event(1, 9, 1)},
      {"00011001", Event(1, 10, 1)},
      {"00011000", Event(1, 11, 1)},
      {"00010111", Event(1, 12, 1)},
      {"00010110", Event(1, 13, 1)},
      {"00010101", Event(1, 14, 1)},
      {"00010100", Event(1, 15, 1)},
      {"00010011", Event(1, 16, 1)},
      {"000011000", Event(1, 17, 1)},
      {"000010111", Event(1, 18, 1)},
      {"000010110", Event(1, 19, 1)},
      {"000010101", Event(1, 20, 1)},
      {"000010100", Event(1, 21, 1)},
      {"000010011", Event(1, 22, 1)},
      {"000010010", Event(1, 23, 1)},
      {"000010001", Event(1, 24, 1)},
      {"0000000111", Event(1, 25, 1)},
      {"0000000110", Event(1, 26, 1)},
      {"0000000101", Event(1, 27, 1)},
      {"0000000100", Event(1, 28, 1)},
      {"00000100100", Event(1, 29, 1)},
      {"00000100101", Event(1, 30, 1)},
      {"00000100110", Event(1, 31, 1)},
      {"00000100111", Event(1, 32, 1)},
      {"000001011000", Event(1, 33, 1)},
      {"000001011001", Event(1, 34, 1)},
      {"000001011010", Event(1, 35, 1)},
      {"000001011011", Event(1, 36, 1)},
      {"000001011100", Event(1, 37, 1)},
      {"000001011101", Event(1, 38, 1)},
      {"000001011110", Event(1, 39, 1)},
      {"000001011111", Event(1, 40, 1)},
      {"0000011", kEscape},
  });
  return vlc;
}

constexpr uint8_t kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                 12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The scan order as positions in a block stored column by column, as the inverse transform takes it.
struct ColumnScan {
  uint8_t at[64];
  constexpr ColumnScan() : at() {
    for (int i = 0; i < 64; ++i) at[i] = static_cast<uint8_t>((kZigzag[i] & 7) * 8 + (kZigzag[i] >> 3));
  }
};
constexpr ColumnScan kScan;

constexpr int kDquant[4] = {-1, -2, 1, 2};

int Median(int a, int b, int c) { return std::max(std::min(a, b), std::min(std::max(a, b), c)); }

// A vector difference added to its prediction, kept within -16..15.5 pixels.
int Wrap(int v) {
  if (v < -32) return v + 64;
  if (v > 31) return v - 64;
  return v;
}

// Rows of Size pixels (16 or 8) loaded and stored whole.
template <int Size>
inline __m128i LoadRow(const uint8_t* p) {
  if constexpr (Size == 16) return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}
template <int Size>
inline void StoreRow(uint8_t* p, __m128i v) {
  if constexpr (Size == 16) _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
  else _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}

// Copies a Size x Size block from src at half-pixel offset (fx, fy): the
// average of two neighbours rounds up, of four adds 2 before dividing.
template <int Size>
void Predict(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int fx, int fy) {
  if (!fx && !fy) {
    for (int y = 0; y < Size; ++y, src += srcStride, dst += dstStride) StoreRow<Size>(dst, LoadRow<Size>(src));
  } else if (!fy) {
    for (int y = 0; y < Size; ++y, src += srcStride, dst += dstStride)
      StoreRow<Size>(dst, _mm_avg_epu8(LoadRow<Size>(src), LoadRow<Size>(src + 1)));
  } else if (!fx) {
    __m128i above = LoadRow<Size>(src);
    for (int y = 0; y < Size; ++y, dst += dstStride) {
      src += srcStride;
      const __m128i below = LoadRow<Size>(src);
      StoreRow<Size>(dst, _mm_avg_epu8(above, below));
      above = below;
    }
  } else {
    // Each row's sums of horizontal neighbours, as 16-bit lanes, serve the row above and the row below.
    const __m128i zero = _mm_setzero_si128(), two = _mm_set1_epi16(2);
    auto pairs = [&](const uint8_t* p, __m128i& lo, __m128i& hi) {
      const __m128i a = LoadRow<Size>(p), b = LoadRow<Size>(p + 1);
      lo = _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
      hi = _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
    };
    __m128i aboveLo, aboveHi;
    pairs(src, aboveLo, aboveHi);
    for (int y = 0; y < Size; ++y, dst += dstStride) {
      src += srcStride;
      __m128i belowLo, belowHi;
      pairs(src, belowLo, belowHi);
      const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(aboveLo, belowLo), two), 2);
      const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(aboveHi, belowHi), two), 2);
      StoreRow<Size>(dst, _mm_packus_epi16(lo, hi));
      aboveLo = belowLo, aboveHi = belowHi;
    }
  }
}

}  // namespace

void H263Decoder::Plane::Extend() {
  // Everything right of and below the coded area repeats its last column
  // and row. The side edges are a whole number of 16-byte stores (pad is 32
  // or 16, and so is what lies right of the coded area).
  for (int y = 0; y < height; ++y) {
    uint8_t* row = At(0, y);
    const __m128i left = _mm_set1_epi8(static_cast<char>(row[0]));
    const __m128i right = _mm_set1_epi8(static_cast<char>(row[width - 1]));
    for (int x = 0; x < pad; x += 16) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row - pad + x), left);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row + width + x), right);
    }
  }
  const uint8_t* first = At(-pad, 0);
  const uint8_t* last = At(-pad, height - 1);
  const int rows = static_cast<int>(data.size() / stride);
  for (int y = -pad; y < 0; ++y) std::memcpy(At(-pad, y), first, static_cast<size_t>(stride));
  for (int y = height; y < rows - pad; ++y) std::memcpy(At(-pad, y), last, static_cast<size_t>(stride));
}

bool H263Decoder::Allocate(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxVideoSide || height > kMaxVideoSide) return false;
  if (width == width_ && height == height_) return true;
  width_ = width;
  height_ = height;
  mbCols_ = (width + 15) / 16;
  mbRows_ = (height + 15) / 16;
  for (Frame& f : frames_) {
    for (int p = 0; p < 3; ++p) {
      Plane& plane = f.plane[p];
      const int shift = p ? 1 : 0;
      plane.pad = kPad >> shift;
      // Pictures are predicted from whole macroblocks: the edge repeats the
      // last coded column and row, past the picture's own size.
      plane.width = mbCols_ * 16 >> shift;
      plane.height = mbRows_ * 16 >> shift;
      plane.stride = (mbCols_ * 16 >> shift) + 2 * plane.pad;
      const size_t rows = static_cast<size_t>(mbRows_ * 16 >> shift) + 2 * plane.pad + 1;
      plane.data.assign(rows * plane.stride, p ? 128 : 16);
    }
  }
  vectors_.assign(static_cast<size_t>(mbCols_) * mbRows_, Vector{});
  hasVector_.assign(vectors_.size(), 0);
  same_.assign(vectors_.size(), 1);  // both pictures start filled alike
  ref_ = -1;
  shown_ = -1;
  return true;
}

void H263Decoder::Reset() { ref_ = -1; }

void H263Decoder::SetShown(int index) {
  shown_ = index;
  const Frame& f = frames_[index];
  image_.width = width_;
  image_.height = height_;
  image_.yuv = true;
  for (int p = 0; p < 3; ++p) {
    image_.planes[p] = f.plane[p].At(0, 0);
    image_.strides[p] = f.plane[p].stride;
  }
}

DecodeResult H263Decoder::Decode(std::span<const uint8_t> packet, bool, int64_t frame) {
  BitReader br(packet);
  if (br.Read(17) != 1) return DecodeResult::Dropped;
  const int version = static_cast<int>(br.Read(5));
  if (version > 1) return DecodeResult::Dropped;
  br.Skip(8);  // temporal reference
  int width = 0, height = 0;
  switch (br.Read(3)) {
    case 0: width = static_cast<int>(br.Read(8)), height = static_cast<int>(br.Read(8)); break;
    case 1: width = static_cast<int>(br.Read(16)), height = static_cast<int>(br.Read(16)); break;
    case 2: width = 352, height = 288; break;
    case 3: width = 176, height = 144; break;
    case 4: width = 128, height = 96; break;
    case 5: width = 320, height = 240; break;
    case 6: width = 160, height = 120; break;
    default: return DecodeResult::Dropped;
  }
  const uint32_t type = br.Read(2);  // 0 intra, 1 inter, 2 disposable inter
  if (type > 2) return DecodeResult::Dropped;
  const bool deblocking = br.Bit();
  int quant = static_cast<int>(br.Read(5));
  while (br.Bit()) br.Skip(8);  // extra information
  if (quant == 0 || br.Overrun()) return DecodeResult::Dropped;
  if (!Allocate(width, height)) return DecodeResult::Dropped;
  const bool inter = type != 0;
  if (inter && ref_ < 0) return DecodeResult::Dropped;  // nothing to predict from
  version_ = version;
  work_ = ref_ == 0 ? 1 : 0;
  std::fill(hasVector_.begin(), hasVector_.end(), 0);
  for (int mby = 0; mby < mbRows_; ++mby) {
    for (int mbx = 0; mbx < mbCols_; ++mbx) {
      if (!DecodeMacroblock(br, mbx, mby, inter, quant) || br.Overrun()) {
        // The picture shown may have been the one overwritten (a disposable one).
        if (shown_ == work_) {
          if (ref_ >= 0) SetShown(ref_);
          else shown_ = -1;
        }
        return DecodeResult::Dropped;
      }
    }
  }
  deblocking_ = deblocking;
  if (type != 2) {
    for (Plane& p : frames_[work_].plane) p.Extend();
    ref_ = work_;
  }
  SetShown(work_);
  image_.frame = frame;
  return DecodeResult::Picture;
}

H263Decoder::Vector H263Decoder::PredictVector(int mbx, int mby) const {
  auto at = [&](int x, int y) {
    const size_t i = static_cast<size_t>(y) * mbCols_ + x;
    return hasVector_[i] ? vectors_[i] : Vector{};
  };
  const Vector left = mbx > 0 ? at(mbx - 1, mby) : Vector{};
  if (mby == 0) return left;  // above and above-right outside: both stand in as left
  const Vector above = at(mbx, mby - 1);
  const Vector right = mbx + 1 < mbCols_ ? at(mbx + 1, mby - 1) : Vector{};
  return {Median(left.x, above.x, right.x), Median(left.y, above.y, right.y)};
}

void H263Decoder::MotionCompensate(int mbx, int mby, Vector mv) {
  const Frame& ref = frames_[ref_];
  Frame& cur = frames_[work_];
  // Luma: the whole 16 x 16 at the vector; chroma: half the vector, quarter
  // positions going to the half between.
  const int cx = (mv.x >> 1) | (mv.x & 1), cy = (mv.y >> 1) | (mv.y & 1);
  for (int p = 0; p < 3; ++p) {
    const int size = p ? 8 : 16;
    const int vx = p ? cx : mv.x, vy = p ? cy : mv.y;
    const Plane& src = ref.plane[p];
    Plane& dst = cur.plane[p];
    const int x = mbx * size + (vx >> 1), y = mby * size + (vy >> 1);
    if (p == 0)
      Predict<16>(src.At(x, y), src.stride, dst.At(mbx * size, mby * size), dst.stride, vx & 1, vy & 1);
    else
      Predict<8>(src.At(x, y), src.stride, dst.At(mbx * size, mby * size), dst.stride, vx & 1, vy & 1);
  }
}

bool H263Decoder::DecodeBlock(BitReader& br, int16_t* block, bool intra, bool coded, int quant) {
  int i = 0;
  if (intra) {
    const uint32_t dc = br.Read(8);
    block[0] = static_cast<int16_t>(dc == 255 ? 1024 : dc * 8);
    i = 1;
  }
  if (!coded) return true;
  const Vlc& tcoef = Tcoef();
  // Levels scale to quant x (2 |level| + 1), less one for an even quant.
  const int scale = 2 * quant, offset = (quant - 1) | 1;
  // Each event moves on at least one coefficient: the loop ends within 64.
  for (;;) {
    // The code (at most 12 bits) and the sign bit after it, in one peek.
    const uint32_t bits = br.Peek(13);
    const int32_t entry = tcoef.Look(bits >> 1);
    const unsigned length = Vlc::Length(entry);
    if (!length) return false;
    const int code = Vlc::Value(entry);
    int last = 0, run = 0, value = 0;  // value: the coefficient, scaled
    if (code == kEscape) {
      br.Skip(length);
      int level = 0;
      if (version_ == 0) {
        last = br.Read(1);
        run = static_cast<int>(br.Read(6));
        level = br.ReadSigned(8);
      } else {
        const bool wide = br.Bit();
        last = br.Read(1);
        run = static_cast<int>(br.Read(6));
        level = br.ReadSigned(wide ? 11 : 7);
      }
      if (level == 0) return false;
      const int magnitude = scale * std::abs(level) + offset;
      value = std::clamp(level < 0 ? -magnitude : magnitude, -2048, 2047);
    } else {
      // Levels of the table reach 12: at most 62 x 12 + 31, never clipped.
      br.Skip(length + 1);
      last = code >> 16;
      run = (code >> 8) & 0xFF;
      const int magnitude = scale * (code & 0xFF) + offset;
      const int negative = -static_cast<int>((bits >> (12 - length)) & 1);
      value = (magnitude ^ negative) - negative;
    }
    i += run;
    if (i > 63) return false;
    block[kScan.at[i]] = static_cast<int16_t>(value);
    ++i;
    if (last) return true;
  }
}

bool H263Decoder::DecodeMacroblock(BitReader& br, int mbx, int mby, bool inter, int& quant) {
  Frame& cur = frames_[work_];
  const size_t index = static_cast<size_t>(mby) * mbCols_ + mbx;
  int mcbpc = 0;
  for (;;) {
    if (inter && br.Bit()) {  // not coded: the reference's pixels, no vector
      if (!same_[index]) MotionCompensate(mbx, mby, Vector{});
      same_[index] = 1;
      return true;
    }
    if (!(inter ? InterMcbpc() : IntraMcbpc()).Read(br, mcbpc)) return false;
    if (mcbpc != kStuffing) break;
    if (br.Overrun()) return false;
  }
  same_[index] = 0;
  const int type = mcbpc >> 2;
  const bool intra = type >= 3;
  if (type == 2) return false;  // four vectors: not part of this codec
  int cbpy = 0;
  if (!Cbpy().Read(br, cbpy)) return false;
  if (!intra) cbpy = 15 - cbpy;
  const int cbp = cbpy << 2 | (mcbpc & 3);
  if (type == 1 || type == 4) quant = std::clamp(quant + kDquant[br.Read(2)], 1, 31);
  if (!intra) {
    Vector mv = PredictVector(mbx, mby);
    int* parts[2] = {&mv.x, &mv.y};
    for (int* part : parts) {
      int magnitude = 0;
      if (!Mvd().Read(br, magnitude)) return false;
      if (magnitude && br.Bit()) magnitude = -magnitude;
      *part = Wrap(*part + magnitude);
    }
    vectors_[index] = mv;
    hasVector_[index] = 1;
    MotionCompensate(mbx, mby, mv);
  }
  alignas(16) int16_t block[64] = {};  // the inverse transform leaves it clear for the next block
  for (int b = 0; b < 6; ++b) {
    const bool coded = (cbp >> (5 - b)) & 1;
    if (!intra && !coded) continue;
    if (!DecodeBlock(br, block, intra, coded, quant)) return false;
    Plane& plane = cur.plane[b < 4 ? 0 : b - 3];
    uint8_t* dst = b < 4 ? plane.At(mbx * 16 + (b & 1) * 8, mby * 16 + (b >> 1) * 8) : plane.At(mbx * 8, mby * 8);
    if (intra)
      IdctPut(block, dst, plane.stride);
    else
      IdctAdd(block, dst, plane.stride);
  }
  return true;
}

}  // namespace flash::media
