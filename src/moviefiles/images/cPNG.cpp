#include "moviefiles/images/cPNG.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "moviefiles/images/ByteReader.h"
#include "moviefiles/images/PNGPixels.h"
#include "services/ShellMod.h"

namespace {

// Files larger than this can't be a picture the decoder accepts.
constexpr int64_t kMaxFileBytes = 512LL << 20;

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

bool IsUpperCaseLetter(uint8_t code) { return code < 97; }
bool IsCriticalChunk(const std::string& type) { return IsUpperCaseLetter(static_cast<uint8_t>(type[0])); }

// Owns a file handle.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return h_; }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

// Undoes one row's filter in place; prev is the decoded row above (zeros for the first).
void UnfilterRow(uint8_t filter, uint8_t* cur, const uint8_t* prev, size_t n, size_t bpp) {
  switch (filter) {
    case 1:  // Sub
      for (size_t i = bpp; i < n; ++i) cur[i] = static_cast<uint8_t>(cur[i] + cur[i - bpp]);
      break;
    case 2:  // Up
      for (size_t i = 0; i < n; ++i) cur[i] = static_cast<uint8_t>(cur[i] + prev[i]);
      break;
    case 3: {  // Average
      const size_t head = std::min(bpp, n);
      for (size_t i = 0; i < head; ++i) cur[i] = static_cast<uint8_t>(cur[i] + (prev[i] >> 1));
      for (size_t i = bpp; i < n; ++i) cur[i] = static_cast<uint8_t>(cur[i] + ((cur[i - bpp] + prev[i]) >> 1));
      break;
    }
    case 4: {  // Paeth
      const size_t head = std::min(bpp, n);
      for (size_t i = 0; i < head; ++i) cur[i] = static_cast<uint8_t>(cur[i] + prev[i]);  // a = c = 0: predictor b
      for (size_t i = bpp; i < n; ++i) {
        const int a = cur[i - bpp], b = prev[i], c = prev[i - bpp];
        const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
        const int pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
        cur[i] = static_cast<uint8_t>(cur[i] + pred);
      }
      break;
    }
    default:  // 0, and 5 to 255: the row stays as stored
      break;
  }
}

// Streams the zlib data into rows: the same outcome as uncompress into a zero-filled
// buffer of the expected size (short data leaves zeros; more data than expected, a
// broken stream or a stream that doesn't end is a failure).
class RowInflater {
 public:
  explicit RowInflater(std::span<const uint8_t> data) : empty_(data.empty()) {
    stream_.next_in = const_cast<Bytef*>(data.data());
    stream_.avail_in = static_cast<uInt>(data.size());
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
      const int rc = inflate(&stream_, Z_NO_FLUSH);
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
      const int rc = inflate(&stream_, Z_NO_FLUSH);
      if (stream_.avail_out == 0) return false;  // more data than the image holds
      if (rc == Z_STREAM_END) return true;
      if (rc != Z_OK) return false;
    }
  }

 private:
  z_stream stream_{};
  bool empty_;
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
  std::vector<uint8_t> file;
  {
    FileHandle h(CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.ok()) return 2;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h.get(), &size)) return 2;
    if (size.QuadPart > kMaxFileBytes) return 3;
    try {
      file.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
      return 3;
    }
    DWORD read = 0;
    if (!file.empty() && (!ReadFile(h.get(), file.data(), static_cast<DWORD>(file.size()), &read, nullptr) ||
                          read != file.size()))
      return 2;
  }
  try {
    return ParseFile(file);
  } catch (const std::bad_alloc&) {
    bitmap_ = PNGBitmap{};
    return 3;
  }
}

long cPNG::ParseFile(const std::vector<uint8_t>& file) {
  ByteReader reader(file);
  std::span<const uint8_t> signature;
  if (!reader.ReadSpan(8, signature) || std::memcmp(signature.data(), kSignature, 8) != 0) return 3;
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
    std::span<const uint8_t> type, data, crcBytes;
    if (!reader.ReadU32BE(length) || !reader.ReadSpan(4, type)) return 3;
    PNGChunk chunk;
    chunk.Length = static_cast<int32_t>(length);
    chunk.Type.assign(type.begin(), type.end());
    if (chunk.Length < 0 || !IsUpperCaseLetter(type[2])) return 3;  // IsValidChunkType
    if (!reader.ReadSpan(length, data) || !reader.ReadU32BE(crc)) return 3;
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
  RaiseProgress(1);
  bitmap_ = header_.Interlace == 0 ? DecodeImage() : PNGBitmap{};
  return 0;
}

PNGBitmap cPNG::DecodeImage() {
  if (!index_.count("IHDR1")) return PNGBitmap{};
  const PNGHeader& h = header_;

  // The image data: the IDAT chunks joined in ordinal order.
  std::vector<uint8_t> joined;
  std::span<const uint8_t> data = ChunkData(chunks_, index_, "IDAT1");
  if (index_.count("IDAT2")) {
    for (int n = 1;; ++n) {
      auto part = ChunkData(chunks_, index_, "IDAT" + std::to_string(n));
      if (!index_.count("IDAT" + std::to_string(n))) break;
      joined.insert(joined.end(), part.begin(), part.end());
    }
    data = joined;
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

  std::vector<uint8_t> rows(2 * (rowBytes + 1), 0);
  uint8_t* cur = rows.data();
  uint8_t* prev = rows.data() + rowBytes + 1;
  RowInflater inflater(data);
  for (int32_t y = 0; y < h.Height; ++y) {
    if (!inflater.Next(cur, rowBytes + 1)) return PNGBitmap{};
    UnfilterRow(cur[0], cur + 1, prev + 1, rowBytes, bpp);
    converter.Convert(cur + 1, bitmap.Bits.data() + static_cast<size_t>(h.Height - 1 - y) * stride);
    std::swap(cur, prev);
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
