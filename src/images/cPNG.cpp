#include "images/cPNG.h"

#include <emmintrin.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "base/ByteReader.h"
#include "images/PNGPixels.h"
#include "base/BinaryFile.h"
#include "services/ShellMod.h"

namespace {

// Files larger than this can't be a picture the decoder accepts.
constexpr int64_t kMaxFileBytes = 512LL << 20;

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

bool IsUpperCaseLetter(uint8_t code) { return code < 97; }
bool IsCriticalChunk(const std::string& type) { return IsUpperCaseLetter(static_cast<uint8_t>(type[0])); }

// Paeth and Average for 3- and 4-byte pixels, one pixel's channels at a time in
// 16-bit lanes (the pixel to the left is the one just decoded, so pixels go in order).
template <size_t Bpp>
inline __m128i LoadPixel(const uint8_t* p) {
  uint32_t v;
  if constexpr (Bpp == 4) {
    std::memcpy(&v, p, 4);
  } else {
    v = uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
  }
  return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(v)), _mm_setzero_si128());
}
template <size_t Bpp>
inline void StorePixel(uint8_t* p, __m128i v) {
  const uint32_t out = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v)));
  if constexpr (Bpp == 4) {
    std::memcpy(p, &out, 4);
  } else {
    p[0] = static_cast<uint8_t>(out);
    p[1] = static_cast<uint8_t>(out >> 8);
    p[2] = static_cast<uint8_t>(out >> 16);
  }
}
inline __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }
inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

template <size_t Bpp>
void PaethPixels(uint8_t* cur, const uint8_t* prev, size_t n) {
  const __m128i low = _mm_set1_epi16(0xFF);
  __m128i a = _mm_setzero_si128(), c = _mm_setzero_si128();
  for (size_t i = 0; i + Bpp <= n; i += Bpp) {
    const __m128i b = LoadPixel<Bpp>(prev + i);
    const __m128i x = LoadPixel<Bpp>(cur + i);
    const __m128i pbSigned = _mm_sub_epi16(a, c), paSigned = _mm_sub_epi16(b, c);
    const __m128i pa = Abs16(paSigned), pb = Abs16(pbSigned), pc = Abs16(_mm_add_epi16(paSigned, pbSigned));
    const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
    __m128i pred = Select(_mm_cmpeq_epi16(smallest, pb), b, c);
    pred = Select(_mm_cmpeq_epi16(smallest, pa), a, pred);
    a = _mm_and_si128(_mm_add_epi16(x, pred), low);
    StorePixel<Bpp>(cur + i, a);
    c = b;
  }
}

template <size_t Bpp>
void AveragePixels(uint8_t* cur, const uint8_t* prev, size_t n) {
  const __m128i low = _mm_set1_epi16(0xFF);
  __m128i a = _mm_setzero_si128();
  for (size_t i = 0; i + Bpp <= n; i += Bpp) {
    const __m128i b = LoadPixel<Bpp>(prev + i);
    const __m128i x = LoadPixel<Bpp>(cur + i);
    a = _mm_and_si128(_mm_add_epi16(x, _mm_srli_epi16(_mm_add_epi16(a, b), 1)), low);
    StorePixel<Bpp>(cur + i, a);
  }
}

inline uint8_t PaethByte(int x, int a, int b, int c) {
  const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
  const int bc = pb <= pc ? b : c;  // written to compile without branches
  return static_cast<uint8_t>(x + ((pa <= pb && pa <= pc) ? a : bc));
}

// Two consecutive Paeth rows of 1- or 2-byte pixels at once: the second row runs one
// pixel behind the first, so the two dependency chains overlap.
template <size_t Bpp>
void PaethTwoRows(uint8_t* first, uint8_t* second, const uint8_t* prev, size_t n) {
  for (size_t i = 0; i < n + Bpp; ++i) {
    if (i < n)
      first[i] = PaethByte(first[i], i >= Bpp ? first[i - Bpp] : 0, prev[i], i >= Bpp ? prev[i - Bpp] : 0);
    if (i >= Bpp) {
      const size_t j = i - Bpp;
      second[j] = PaethByte(second[j], j >= Bpp ? second[j - Bpp] : 0, first[j], j >= Bpp ? first[j - Bpp] : 0);
    }
  }
}

// Undoes one row's filter in place; prev is the decoded row above (zeros for the first).
void UnfilterRow(uint8_t filter, uint8_t* cur, const uint8_t* prev, size_t n, size_t bpp) {
  const bool pixels = (bpp == 3 || bpp == 4) && n % bpp == 0;
  switch (filter) {
    case 1:  // Sub
      for (size_t i = bpp; i < n; ++i) cur[i] = static_cast<uint8_t>(cur[i] + cur[i - bpp]);
      break;
    case 2:  // Up
      for (size_t i = 0; i < n; ++i) cur[i] = static_cast<uint8_t>(cur[i] + prev[i]);
      break;
    case 3: {  // Average
      if (pixels) {
        bpp == 3 ? AveragePixels<3>(cur, prev, n) : AveragePixels<4>(cur, prev, n);
        break;
      }
      const size_t head = std::min(bpp, n);
      for (size_t i = 0; i < head; ++i) cur[i] = static_cast<uint8_t>(cur[i] + (prev[i] >> 1));
      for (size_t i = bpp; i < n; ++i) cur[i] = static_cast<uint8_t>(cur[i] + ((cur[i - bpp] + prev[i]) >> 1));
      break;
    }
    case 4: {  // Paeth
      if (pixels) {
        bpp == 3 ? PaethPixels<3>(cur, prev, n) : PaethPixels<4>(cur, prev, n);
        break;
      }
      const size_t head = std::min(bpp, n);
      for (size_t i = 0; i < head; ++i) cur[i] = static_cast<uint8_t>(cur[i] + prev[i]);  // a = c = 0: predictor b
      for (size_t i = bpp; i < n; ++i) cur[i] = PaethByte(cur[i], cur[i - bpp], prev[i], prev[i - bpp]);
      break;
    }
    default:  // 0, and 5 to 255: the row stays as stored
      break;
  }
}

// Streams the zlib data (the IDAT chunks' data in order) into rows: the same outcome
// as uncompress of the joined data into a zero-filled buffer of the expected size
// (short data leaves zeros; more data than expected, a broken stream or a stream that
// doesn't end is a failure).
class RowInflater {
 public:
  explicit RowInflater(std::vector<std::span<const uint8_t>> parts) : parts_(std::move(parts)) {
    empty_ = !Feed();
    ok_ = empty_ || inflateInit(&stream_) == Z_OK;
    open_ = ok_ && !empty_;
  }
  ~RowInflater() {
    if (open_) inflateEnd(&stream_);
  }
  RowInflater(const RowInflater&) = delete;
  RowInflater& operator=(const RowInflater&) = delete;

  // Fills out with the next n bytes (zeros once the stream has ended).
  bool Next(uint8_t* out, size_t n) {
    if (!ok_) return false;
    if (empty_ || ended_) {
      std::memset(out, 0, n);
      return true;
    }
    stream_.next_out = out;
    stream_.avail_out = static_cast<uInt>(n);
    while (stream_.avail_out > 0) {
      const int rc = Inflate();
      if (rc == Z_STREAM_END) {
        ended_ = true;
        std::memset(stream_.next_out, 0, stream_.avail_out);
        break;
      }
      if (rc != Z_OK) return ok_ = false;  // broken data, or input ended inside the stream
    }
    return true;
  }
  // After the last row: true when the stream ends without producing more bytes.
  bool Finish() {
    if (!ok_) return false;
    if (empty_ || ended_) return true;
    uint8_t spare = 0;
    for (;;) {
      stream_.next_out = &spare;
      stream_.avail_out = 1;
      const int rc = Inflate();
      if (stream_.avail_out == 0) return false;  // more data than the image holds
      if (rc == Z_STREAM_END) return true;
      if (rc != Z_OK) return false;
    }
  }

 private:
  // Points the stream at the next non-empty part; false when there is none.
  bool Feed() {
    while (part_ < parts_.size()) {
      const auto p = parts_[part_++];
      if (!p.empty()) {
        stream_.next_in = const_cast<Bytef*>(p.data());
        stream_.avail_in = static_cast<uInt>(p.size());
        return true;
      }
    }
    return false;
  }
  // One inflate step that moves on to the next part whenever the current one is used up.
  int Inflate() {
    for (;;) {
      if (stream_.avail_in == 0) Feed();
      const int rc = inflate(&stream_, Z_NO_FLUSH);
      if (rc == Z_BUF_ERROR && stream_.avail_in == 0 && part_ < parts_.size()) continue;
      return rc;
    }
  }

  std::vector<std::span<const uint8_t>> parts_;
  size_t part_ = 0;
  z_stream stream_{};
  bool empty_ = true;
  bool ok_ = false;
  bool open_ = false;
  bool ended_ = false;
};

std::span<const uint8_t> ChunkData(const std::vector<PNGChunk>& chunks, const std::map<std::string, size_t>& index,
                                   const std::string& key) {
  auto it = index.find(key);
  if (it == index.end()) return {};
  const PNGChunk& c = chunks[it->second];
  const size_t n = c.Length > 0 ? std::min(static_cast<size_t>(c.Length), c.Data.size()) : 0;
  return {c.Data.data(), n};
}

}  // namespace

const PNGChunk* cPNG::Chunk(const std::string& key) const {
  auto it = index_.find(key);
  return it == index_.end() ? nullptr : &chunks_[it->second];
}

void cPNG::RaiseProgress(int32_t value) {
  if (!LoadProgress) return;
  int32_t max = 4;
  LoadProgress(max, value);
}

bool cPNG::ValidateHeader(PNGHeader& header) {
  header.Width = static_cast<int32_t>(_byteswap_ulong(static_cast<uint32_t>(header.Width)));
  header.Height = static_cast<int32_t>(_byteswap_ulong(static_cast<uint32_t>(header.Height)));
  if (header.Width < 1 || header.Height < 1) return false;
  bool depthOk = false;
  const int d = header.BitDepth;
  switch (header.ColorType) {
    case 0:
      depthOk = d == 1 || d == 2 || d == 4 || d == 8 || d == 16;
      break;
    case 3:
      depthOk = d == 1 || d == 2 || d == 4 || d == 8;
      break;
    case 2:
    case 4:
    case 6:
      depthOk = d == 8 || d == 16;
      break;
    default:
      break;
  }
  if (!depthOk || header.Compression != 0 || header.Filter != 0 || header.Interlace > 1) return false;
  // Sizes the decoder refuses: a side beyond kMaxSide, or more than kMaxBytes of data or bitmap.
  if (header.Width > kMaxSide || header.Height > kMaxSide) return false;
  if (png_pixels::ScanlineLength(header) * header.Height > kMaxBytes) return false;
  if (png_pixels::RowStride(header.Width, 32) * header.Height > kMaxBytes) return false;
  return true;
}

long cPNG::LoadPNGFile(const std::wstring& FileName) {
  if (!FileExists(FileName)) return 1;
  std::vector<uint8_t> bytes;
  {
    BinaryFile file;
    if (!file.OpenRead(FileName)) return 2;
    const int64_t size = file.Size();
    if (size < 0) return 2;
    if (size > kMaxFileBytes) return 3;
    try {
      bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
      return 3;
    }
    if (!file.ReadExactAt(0, bytes)) return 2;
  }
  // Nothing is raised to the caller: memory running out, or an event handler that
  // throws, rejects the file (and leaves no half-made bitmap).
  try {
    return ParseFile(bytes);
  } catch (...) {
    return 3;
  }
}

long cPNG::ParseFile(std::span<const uint8_t> file) {
  ByteReader reader(file);
  std::span<const uint8_t> signature;
  if (!reader.Bytes(8, signature) || std::memcmp(signature.data(), kSignature, 8) != 0) return 3;
  RaiseProgress(0);

  std::vector<PNGChunk> chunks;
  ChunkIndex index;
  std::map<std::string, int> nextOrdinal;
  PNGHeader header;
  bool idatClosed = false;
  auto stored = [&](const char* key) { return index.count(key) != 0; };

  for (int count = 1;; ++count) {
    // A chunk must lie wholly inside the file: length, type, data and CRC.
    uint32_t length = 0, crc = 0;
    std::span<const uint8_t> type, data;
    if (!reader.U32BE(length) || !reader.Bytes(4, type)) return 3;
    PNGChunk chunk;
    chunk.Length = static_cast<int32_t>(length);
    chunk.Type.assign(type.begin(), type.end());
    if (chunk.Length < 0 || !IsUpperCaseLetter(type[2])) return 3;  // IsValidChunkType
    if (!reader.Bytes(length, data) || !reader.U32BE(crc)) return 3;
    chunk.Data.assign(data.begin(), data.end());
    chunk.CRC = crc;

    if (stored("IDAT1") && chunk.Type != "IDAT") idatClosed = true;

    const std::string& t = chunk.Type;
    const int colorType = header.ColorType, bitDepth = header.BitDepth;
    if (t == "IHDR") {
      if (count != 1 || chunk.Length != 13) return 3;
      PNGHeader h;
      std::memcpy(&h.Width, chunk.Data.data(), 4);
      std::memcpy(&h.Height, chunk.Data.data() + 4, 4);
      h.BitDepth = chunk.Data[8];
      h.ColorType = chunk.Data[9];
      h.Compression = chunk.Data[10];
      h.Filter = chunk.Data[11];
      h.Interlace = chunk.Data[12];
      if (!ValidateHeader(h)) return 3;
      header = h;
    } else if (t == "PLTE") {
      const int entries = chunk.Length / 3;
      if (stored("PLTE1") || stored("IDAT1") || chunk.Length < 3 || chunk.Length % 3 != 0) return 3;
      if (colorType != 2 && colorType != 3 && colorType != 6) return 3;
      if ((int64_t{1} << bitDepth) < entries) return 3;
    } else if (t == "tRNS") {
      if (colorType == 3) {
        if (!stored("PLTE1")) return 3;
        if (chunk.Length > chunks[index.at("PLTE1")].Length / 3) return 3;
      }
      if (stored("IDAT1") || colorType == 4 || colorType == 6) return 3;
    } else if (t == "bKGD") {
      if ((colorType == 3 && !stored("PLTE1")) || stored("IDAT1")) return 3;
    } else if (t == "IDAT") {
      if (idatClosed) return 3;
    } else if (t == "IEND") {
      if (!reader.AtEnd()) return 3;
    } else if (IsCriticalChunk(t)) {
      return 3;
    }

    if (ChunkFound) ChunkFound(chunk.Type, chunk.Length, chunk.Data, chunk.CRC);

    int& ordinal = nextOrdinal[chunk.Type];
    std::string key;
    do {
      key = chunk.Type + std::to_string(++ordinal);
    } while (index.count(key));
    const bool last = chunk.Type == "IEND";
    index.emplace(std::move(key), chunks.size());
    chunks.push_back(std::move(chunk));
    if (last) break;
  }

  if (header.ColorType == 3 && !index.count("PLTE1")) return 3;

  chunks_ = std::move(chunks);
  index_ = std::move(index);
  header_ = header;
  bitmap_ = PNGBitmap{};  // never the old picture under the new header
  RaiseProgress(1);
  bitmap_ = header_.Interlace == 0 ? DecodeImage() : PNGBitmap{};
  return 0;
}

PNGBitmap cPNG::DecodeImage() {
  if (!index_.count("IHDR1")) return PNGBitmap{};
  const PNGHeader& h = header_;

  // The image data: the IDAT chunks in ordinal order, up to the first missing ordinal.
  std::vector<std::span<const uint8_t>> data;
  for (int n = 1;; ++n) {
    const std::string key = "IDAT" + std::to_string(n);
    if (!index_.count(key)) break;
    data.push_back(ChunkData(chunks_, index_, key));
  }

  // Rows are inflated, unfiltered in place and converted one at a time straight into
  // the bitmap, bottom row first.
  const size_t rowBytes = static_cast<size_t>(png_pixels::ScanlineLength(h) - 1);
  const size_t bpp = static_cast<size_t>(png_pixels::BytesPerPixel(h.ColorType, h.BitDepth));
  PNGBitmap bitmap;
  png_pixels::RowConverter converter;
  auto trns = h.ColorType == 3 ? ChunkData(chunks_, index_, "tRNS1") : std::span<const uint8_t>{};
  converter.Begin(h, ChunkData(chunks_, index_, "PLTE1"), trns, bitmap);
  const size_t stride = static_cast<size_t>(png_pixels::RowStride(h.Width, bitmap.Header.biBitCount));

  // Inflation works in batches of rows (fewer, longer zlib calls); the last decoded row
  // of a batch is kept as the row above the next batch's first.
  const size_t line = rowBytes + 1;
  const size_t batchRows = std::clamp<size_t>((32u << 10) / line, 1, static_cast<size_t>(h.Height));
  std::vector<uint8_t> batch(batchRows * line), above(line, 0);
  const uint8_t* prev = above.data() + 1;
  RowInflater inflater(std::move(data));
  for (int32_t y = 0; y < h.Height;) {
    const size_t rowsNow = std::min(batchRows, static_cast<size_t>(h.Height - y));
    if (!inflater.Next(batch.data(), rowsNow * line)) return PNGBitmap{};
    for (size_t r = 0; r < rowsNow; ++r, ++y) {
      uint8_t* cur = batch.data() + r * line;
      if (bpp <= 2 && cur[0] == 4 && r + 1 < rowsNow && cur[line] == 4) {
        // Two Paeth rows together; the second is converted on the next turn as filter 0.
        bpp == 1 ? PaethTwoRows<1>(cur + 1, cur + line + 1, prev, rowBytes)
                 : PaethTwoRows<2>(cur + 1, cur + line + 1, prev, rowBytes);
        cur[line] = 0;
      } else {
        UnfilterRow(cur[0], cur + 1, prev, rowBytes, bpp);
      }
      converter.Convert(cur + 1, bitmap.Bits.data() + static_cast<size_t>(h.Height - 1 - y) * stride);
      prev = cur + 1;
    }
    std::memcpy(above.data() + 1, prev, rowBytes);
    prev = above.data() + 1;
  }
  if (!inflater.Finish()) return PNGBitmap{};
  RaiseProgress(2);
  RaiseProgress(3);
  RaiseProgress(4);
  return bitmap;
}

void cPNG::DrawToDC(HDC hdc, long X, long Y, bool GrayScale) const {
  if (bitmap_.Bits.empty()) return;
  if (bitmap_.Header.biBitCount == 32) {
    png_pixels::AlphaBlendToDC(hdc, X, Y, bitmap_, GrayScale);
  } else {
    png_pixels::DrawDIB(hdc, X, Y, bitmap_);
  }
}
