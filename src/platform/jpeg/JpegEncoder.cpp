#include "JpegEncoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

// Position in the block (row-major) of the k-th coefficient in zig-zag order.
constexpr uint8_t kZigZag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                 12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The standard quantisation tables (row-major), scaled by quality.
constexpr uint8_t kLumaQuant[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr uint8_t kChromaQuant[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                      24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                      99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                      99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// The standard Huffman tables: code counts per length 1..16, then the symbols.
constexpr uint8_t kDcLumaBits[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
constexpr uint8_t kDcChromaBits[16] = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
constexpr uint8_t kDcValues[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr uint8_t kAcLumaBits[16] = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
constexpr uint8_t kAcLumaValues[162] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71,
    0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72,
    0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37,
    0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59,
    0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3,
    0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3,
    0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2,
    0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};
constexpr uint8_t kAcChromaBits[16] = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
constexpr uint8_t kAcChromaValues[162] = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22,
    0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1,
    0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36,
    0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58,
    0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a,
    0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba,
    0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda,
    0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

struct HuffTable {
  uint16_t code[256] = {};
  uint8_t size[256] = {};
};

HuffTable BuildTable(const uint8_t* bits, const uint8_t* values) {
  HuffTable t;
  uint16_t code = 0;
  int k = 0;
  for (int len = 1; len <= 16; ++len) {
    for (int i = 0; i < bits[len - 1]; ++i, ++k) {
      t.code[values[k]] = code++;
      t.size[values[k]] = static_cast<uint8_t>(len);
    }
    code = static_cast<uint16_t>(code << 1);
  }
  return t;
}

// A Huffman table's code counts per length 1..16 and its symbols in code order.
struct HuffSpec {
  uint8_t bits[16] = {};
  std::vector<uint8_t> values;
};

// The table of shortest codes for the symbols' counts (no code longer than 16
// bits, none of all ones), built as the JPEG standard's Annex K.2 describes.
HuffSpec OptimalTable(const uint32_t (&counts)[256]) {
  uint64_t freq[257];
  for (int i = 0; i < 256; ++i) freq[i] = counts[i];
  freq[256] = 1;  // a reserved symbol, so that no real code is all ones
  int size[257] = {}, others[257];
  std::fill(std::begin(others), std::end(others), -1);
  for (;;) {
    int v1 = -1, v2 = -1;  // the least and next least frequent (the later symbol on ties)
    for (int i = 0; i <= 256; ++i)
      if (freq[i] && (v1 < 0 || freq[i] <= freq[v1])) v1 = i;
    for (int i = 0; i <= 256; ++i)
      if (freq[i] && i != v1 && (v2 < 0 || freq[i] <= freq[v2])) v2 = i;
    if (v2 < 0) break;
    freq[v1] += freq[v2];
    freq[v2] = 0;
    for (++size[v1]; others[v1] >= 0; ++size[v1]) v1 = others[v1];
    others[v1] = v2;
    for (++size[v2]; others[v2] >= 0; ++size[v2]) v2 = others[v2];
  }
  int lengths[33] = {};
  for (int i = 0; i <= 256; ++i)
    if (size[i]) ++lengths[std::min(size[i], 32)];
  // Codes over 16 bits are moved up the tree in pairs.
  for (int i = 32; i > 16; --i) {
    while (lengths[i] > 0) {
      int j = i - 2;
      while (lengths[j] == 0) --j;
      lengths[i] -= 2;
      ++lengths[i - 1];
      lengths[j + 1] += 2;
      --lengths[j];
    }
  }
  int longest = 16;
  while (longest > 0 && lengths[longest] == 0) --longest;
  if (longest > 0) --lengths[longest];  // the reserved symbol's code goes
  HuffSpec spec;
  for (int i = 1; i <= 16; ++i) spec.bits[i - 1] = static_cast<uint8_t>(lengths[i]);
  for (int length = 1; length <= 32; ++length)
    for (int symbol = 0; symbol < 256; ++symbol)
      if (size[symbol] == length) spec.values.push_back(static_cast<uint8_t>(symbol));
  return spec;
}

HuffSpec StandardTable(const uint8_t* bits, const uint8_t* values, size_t count) {
  HuffSpec spec;
  std::copy(bits, bits + 16, spec.bits);
  spec.values.assign(values, values + count);
  return spec;
}

// Output with the entropy-coded segment's bit packing and 0xFF stuffing.
class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
  void Put(uint32_t bits, int count) {
    acc_ = (acc_ << count) | (bits & ((1u << count) - 1));
    n_ += count;
    while (n_ >= 8) {
      n_ -= 8;
      const auto byte = static_cast<uint8_t>(acc_ >> n_);
      out_.push_back(byte);
      if (byte == 0xFF) out_.push_back(0);
    }
  }
  void Flush() {
    if (n_ > 0) Put(0x7F, 8 - n_);  // pad with one bits
  }

 private:
  std::vector<uint8_t>& out_;
  uint64_t acc_ = 0;
  int n_ = 0;
};

void PutWord(std::vector<uint8_t>& out, int v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void MakeQuant(const uint8_t* base, int quality, uint8_t* table) {
  const int q = std::clamp(quality, 1, 100);
  const int scale = q < 50 ? 5000 / q : 200 - 2 * q;
  for (int i = 0; i < 64; ++i) table[i] = static_cast<uint8_t>(std::clamp((base[i] * scale + 50) / 100, 1, 255));
}

// Forward DCT (Arai, Agui and Nakajima) in place on 8x8 floats; output scaled by the AAN factors.
void ForwardDct(float* d) {
  for (int pass = 0; pass < 2; ++pass) {
    const int step = pass == 0 ? 1 : 8;   // along a row, then down a column
    const int next = pass == 0 ? 8 : 1;
    for (int line = 0; line < 8; ++line) {
      float* p = d + line * next;
      const float tmp0 = p[0] + p[7 * step], tmp7 = p[0] - p[7 * step];
      const float tmp1 = p[step] + p[6 * step], tmp6 = p[step] - p[6 * step];
      const float tmp2 = p[2 * step] + p[5 * step], tmp5 = p[2 * step] - p[5 * step];
      const float tmp3 = p[3 * step] + p[4 * step], tmp4 = p[3 * step] - p[4 * step];
      float tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3, tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;
      p[0] = tmp10 + tmp11;
      p[4 * step] = tmp10 - tmp11;
      const float z1 = (tmp12 + tmp13) * 0.707106781f;
      p[2 * step] = tmp13 + z1;
      p[6 * step] = tmp13 - z1;
      tmp10 = tmp4 + tmp5;
      tmp11 = tmp5 + tmp6;
      tmp12 = tmp6 + tmp7;
      const float z5 = (tmp10 - tmp12) * 0.382683433f;
      const float z2 = 0.541196100f * tmp10 + z5;
      const float z4 = 1.306562965f * tmp12 + z5;
      const float z3 = tmp11 * 0.707106781f;
      const float z11 = tmp7 + z3, z13 = tmp7 - z3;
      p[5 * step] = z13 + z2;
      p[3 * step] = z13 - z2;
      p[step] = z11 + z4;
      p[7 * step] = z11 - z4;
    }
  }
}

class Encoder {
 public:
  Encoder(int quality, const JpegOptions& options, std::vector<uint8_t>& out)
      : options_(options), out_(out), bits_(out) {
    MakeQuant(kLumaQuant, quality, quant_[0]);
    MakeQuant(kChromaQuant, quality, quant_[1]);
    static const double kAan[8] = {1.0, 1.387039845, 1.306562965, 1.175875602,
                                   1.0, 0.785694958, 0.541196100, 0.275899379};
    for (int t = 0; t < 2; ++t)
      for (int i = 0; i < 64; ++i)
        divisor_[t][i] = static_cast<float>(1.0 / (quant_[t][i] * kAan[i / 8] * kAan[i % 8] * 8.0));
    dcSpec_[0] = StandardTable(kDcLumaBits, kDcValues, sizeof kDcValues);
    dcSpec_[1] = StandardTable(kDcChromaBits, kDcValues, sizeof kDcValues);
    acSpec_[0] = StandardTable(kAcLumaBits, kAcLumaValues, sizeof kAcLumaValues);
    acSpec_[1] = StandardTable(kAcChromaBits, kAcChromaValues, sizeof kAcChromaValues);
  }

  void Run(const JpegSource& src) {
    if (!options_.optimalHuffman) {
      WriteHeaders(src.width, src.height);
      ForEachBlock(src, [this](const int* coef, int component) { Emit(coef, component); });
    } else {
      // The blocks are kept until the counts of their symbols have made the tables.
      std::vector<int16_t> blocks;
      std::vector<uint8_t> components;
      uint32_t dcCounts[2][256] = {}, acCounts[2][256] = {};
      int dcPred[3] = {0, 0, 0};
      ForEachBlock(src, [&](const int* coef, int component) {
        blocks.insert(blocks.end(), coef, coef + 64);
        components.push_back(static_cast<uint8_t>(component));
        const int t = component == 0 ? 0 : 1;
        Symbols(coef, dcPred[component], [&](bool ac, int symbol, int, int) { ++(ac ? acCounts : dcCounts)[t][symbol]; });
      });
      for (int t = 0; t < Tables(); ++t) dcSpec_[t] = OptimalTable(dcCounts[t]), acSpec_[t] = OptimalTable(acCounts[t]);
      WriteHeaders(src.width, src.height);
      int coef[64];
      for (size_t b = 0; b < components.size(); ++b) {
        std::copy(blocks.begin() + static_cast<ptrdiff_t>(64 * b), blocks.begin() + static_cast<ptrdiff_t>(64 * b + 64),
                  coef);
        Emit(coef, components[b]);
      }
    }
    bits_.Flush();
    PutWord(out_, 0xFFD9);
  }

 private:
  int Tables() const { return options_.grey ? 1 : 2; }

  // Calls visit(coefficients, component) for every block in the file's order:
  // per 16x16 unit four luma blocks and one each of Cb and Cr, or per 8x8 unit
  // one luma block for a grey picture.
  template <class Visit>
  void ForEachBlock(const JpegSource& src, Visit&& visit) {
    const int unit = options_.grey ? 8 : 16;
    const int paddedWidth = (src.width + unit - 1) / unit * unit;
    std::vector<float> planes(3 * 16 * static_cast<size_t>(paddedWidth));
    float* yPlane = planes.data();
    float* cbPlane = yPlane + 16 * paddedWidth;
    float* crPlane = cbPlane + 16 * paddedWidth;
    float block[64];
    int coef[64];
    for (int top = 0; top < src.height; top += unit) {
      // Colour conversion of one strip of rows; rows and columns past the edge repeat the last ones.
      for (int r = 0; r < unit; ++r) {
        const int y = std::min(top + r, src.height - 1);
        const uint8_t* p = src.topRow + src.rowStep * y;
        float* py = yPlane + r * paddedWidth;
        float* pcb = cbPlane + r * paddedWidth;
        float* pcr = crPlane + r * paddedWidth;
        for (int x = 0; x < src.width; ++x, p += 3) {
          const float b = p[0], g = p[1], rr = p[2];
          py[x] = 0.299f * rr + 0.587f * g + 0.114f * b - 128.0f;
          pcb[x] = -0.168735892f * rr - 0.331264108f * g + 0.5f * b;
          pcr[x] = 0.5f * rr - 0.418687589f * g - 0.081312411f * b;
        }
        for (int x = src.width; x < paddedWidth; ++x) {
          py[x] = py[src.width - 1];
          pcb[x] = pcb[src.width - 1];
          pcr[x] = pcr[src.width - 1];
        }
      }
      for (int left = 0; left < paddedWidth; left += unit) {
        for (int k = 0; k < (options_.grey ? 1 : 4); ++k) {
          const float* base = yPlane + (k / 2) * 8 * paddedWidth + left + (k % 2) * 8;
          for (int r = 0; r < 8; ++r) std::memcpy(block + 8 * r, base + r * paddedWidth, 8 * sizeof(float));
          Quantise(block, 0, coef);
          visit(coef, 0);
        }
        if (options_.grey) continue;
        Subsample(cbPlane + left, paddedWidth, block);
        Quantise(block, 1, coef);
        visit(coef, 1);
        Subsample(crPlane + left, paddedWidth, block);
        Quantise(block, 1, coef);
        visit(coef, 2);
      }
    }
  }

  static void Subsample(const float* plane, int stride, float* block) {
    for (int r = 0; r < 8; ++r) {
      const float* a = plane + 2 * r * stride;
      const float* b = a + stride;
      for (int c = 0; c < 8; ++c) block[8 * r + c] = 0.25f * (a[2 * c] + a[2 * c + 1] + b[2 * c] + b[2 * c + 1]);
    }
  }

  static int Category(int v) {
    unsigned a = static_cast<unsigned>(v < 0 ? -v : v);
    int n = 0;
    while (a) {
      ++n;
      a >>= 1;
    }
    return n;
  }

  // The block's coefficients in zig-zag order, quantised.
  void Quantise(float* block, int table, int* coef) const {
    ForwardDct(block);
    const float* div = divisor_[table];
    for (int k = 0; k < 64; ++k) {
      const int i = kZigZag[k];
      coef[k] = static_cast<int>(block[i] * div[i] + 16384.5f) - 16384;
    }
    for (int k = 1; k < 64; ++k) coef[k] = std::clamp(coef[k], -1023, 1023);  // AC categories stop at 10
  }

  // Calls sink(ac, symbol, extra bits, their count) for each Huffman symbol of a block.
  template <class Sink>
  static void Symbols(const int* coef, int& dcPred, Sink&& sink) {
    const int diff = coef[0] - dcPred;
    dcPred = coef[0];
    int cat = Category(diff);
    sink(false, cat, diff < 0 ? diff - 1 : diff, cat);
    int run = 0;
    for (int k = 1; k < 64; ++k) {
      const int v = coef[k];
      if (v == 0) {
        ++run;
        continue;
      }
      for (; run > 15; run -= 16) sink(true, 0xF0, 0, 0);
      cat = Category(v);
      sink(true, (run << 4) | cat, v < 0 ? v - 1 : v, cat);
      run = 0;
    }
    if (run > 0) sink(true, 0x00, 0, 0);
  }

  void Emit(const int* coef, int component) {
    const int t = component == 0 ? 0 : 1;
    Symbols(coef, dcPred_[component], [&](bool ac, int symbol, int value, int count) {
      const HuffTable& table = ac ? ac_[t] : dc_[t];
      bits_.Put(table.code[symbol], table.size[symbol]);
      if (count) bits_.Put(static_cast<uint32_t>(value), count);
    });
  }

  void WriteHuffman(int tableClass, int id, const HuffSpec& spec) {
    PutWord(out_, 0xFFC4);
    PutWord(out_, static_cast<int>(2 + 1 + 16 + spec.values.size()));
    out_.push_back(static_cast<uint8_t>((tableClass << 4) | id));
    out_.insert(out_.end(), spec.bits, spec.bits + 16);
    out_.insert(out_.end(), spec.values.begin(), spec.values.end());
  }

  void WriteHeaders(int width, int height) {
    for (int t = 0; t < Tables(); ++t) {
      dc_[t] = BuildTable(dcSpec_[t].bits, dcSpec_[t].values.data());
      ac_[t] = BuildTable(acSpec_[t].bits, acSpec_[t].values.data());
    }
    PutWord(out_, 0xFFD8);  // SOI
    static const uint8_t kJfif[] = {0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
    out_.insert(out_.end(), kJfif, kJfif + sizeof(kJfif));
    for (int t = 0; t < Tables(); ++t) {  // DQT
      PutWord(out_, 0xFFDB);
      PutWord(out_, 2 + 65);
      out_.push_back(static_cast<uint8_t>(t));
      for (int k = 0; k < 64; ++k) out_.push_back(quant_[t][kZigZag[k]]);
    }
    const int components = options_.grey ? 1 : 3;
    PutWord(out_, 0xFFC0);  // SOF0
    PutWord(out_, 8 + 3 * components);
    out_.push_back(8);
    PutWord(out_, height);
    PutWord(out_, width);
    out_.push_back(static_cast<uint8_t>(components));
    static const uint8_t kComponents[] = {1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1};
    static const uint8_t kGrey[] = {1, 0x11, 0};
    if (options_.grey) out_.insert(out_.end(), kGrey, kGrey + sizeof(kGrey));
    else out_.insert(out_.end(), kComponents, kComponents + sizeof(kComponents));
    for (int t = 0; t < Tables(); ++t) {
      WriteHuffman(0, t, dcSpec_[t]);
      WriteHuffman(1, t, acSpec_[t]);
    }
    static const uint8_t kScan[] = {0xFF, 0xDA, 0, 12, 3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0};
    static const uint8_t kGreyScan[] = {0xFF, 0xDA, 0, 8, 1, 1, 0x00, 0, 63, 0};
    if (options_.grey) out_.insert(out_.end(), kGreyScan, kGreyScan + sizeof(kGreyScan));
    else out_.insert(out_.end(), kScan, kScan + sizeof(kScan));
  }

  JpegOptions options_;
  std::vector<uint8_t>& out_;
  BitWriter bits_;
  uint8_t quant_[2][64];
  float divisor_[2][64];
  HuffSpec dcSpec_[2], acSpec_[2];
  HuffTable dc_[2], ac_[2];
  int dcPred_[3] = {0, 0, 0};
};

}  // namespace

bool EncodeJpeg(const JpegSource& source, int quality, std::vector<uint8_t>& out, const JpegOptions& options) {
  if (!source.topRow || source.width < 1 || source.height < 1 || source.width > 65535 || source.height > 65535)
    return false;
  out.reserve(out.size() + 1024 + static_cast<size_t>(source.width) * source.height / 4);
  Encoder(std::clamp(quality, 0, 100), options, out).Run(source);
  return true;
}
