#include "platform/flash/media/ScreenVideoDecoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "platform/flash/media/Adler32.h"

namespace flash::media {
namespace {

// The default palette of the hybrid colour mode, 0xRRGGBB.
constexpr uint32_t kDefaultPalette[128] = {
    0x000000, 0x333333, 0x666666, 0x999999, 0xCCCCCC, 0xFFFFFF, 0x330000, 0x660000,
    0x990000, 0xCC0000, 0xFF0000, 0x003300, 0x006600, 0x009900, 0x00CC00, 0x00FF00,
    0x000033, 0x000066, 0x000099, 0x0000CC, 0x0000FF, 0x333300, 0x666600, 0x999900,
    0xCCCC00, 0xFFFF00, 0x003333, 0x006666, 0x009999, 0x00CCCC, 0x00FFFF, 0x330033,
    0x660066, 0x990099, 0xCC00CC, 0xFF00FF, 0xFFFF33, 0xFFFF66, 0xFFFF99, 0xFFFFCC,
    0xFF33FF, 0xFF66FF, 0xFF99FF, 0xFFCCFF, 0x33FFFF, 0x66FFFF, 0x99FFFF, 0xCCFFFF,
    0xCCCC33, 0xCCCC66, 0xCCCC99, 0xCCCCFF, 0xCC33CC, 0xCC66CC, 0xCC99CC, 0xCCFFCC,
    0x33CCCC, 0x66CCCC, 0x99CCCC, 0xFFCCCC, 0x999933, 0x999966, 0x9999CC, 0x9999FF,
    0x993399, 0x996699, 0x99CC99, 0x99FF99, 0x339999, 0x669999, 0xCC9999, 0xFF9999,
    0x666633, 0x666699, 0x6666CC, 0x6666FF, 0x663366, 0x669966, 0x66CC66, 0x66FF66,
    0x336666, 0x996666, 0xCC6666, 0xFF6666, 0x333366, 0x333399, 0x3333CC, 0x3333FF,
    0x336633, 0x339933, 0x33CC33, 0x33FF33, 0x663333, 0x993333, 0xCC3333, 0xFF3333,
    0x003366, 0x336600, 0x660033, 0x006633, 0x330066, 0x663300, 0x336699, 0x669933,
    0x993366, 0x339966, 0x663399, 0x996633, 0x6699CC, 0x99CC66, 0xCC6699, 0x66CC99,
    0x9966CC, 0xCC9966, 0x99CCFF, 0xCCFF99, 0xFF99CC, 0x99FFCC, 0xCC99FF, 0xFFCC99,
    0x111111, 0x222222, 0x444444, 0x555555, 0xAAAAAA, 0xBBBBBB, 0xDDDDDD, 0xEEEEEE,
};

}  // namespace

// One zlib stream, reset for each block.
struct ScreenVideoDecoder::Inflater {
  z_stream z{};
  bool live = false;
};

void ScreenVideoDecoder::InflaterEnd::operator()(Inflater* inflater) const {
  if (inflater->live) inflateEnd(&inflater->z);
  delete inflater;
}

// Inflates into out (sized to the most the block can hold); a dictionary
// means raw deflate data that continues a stream primed with it. False when
// the data is damaged; out is cut to what came out. zlib data that reaches
// its end has its check value compared here, with the faster sum.
bool ScreenVideoDecoder::Inflate(std::span<const uint8_t> in, std::span<const uint8_t> dictionary,
                                 std::vector<uint8_t>& out) {
  if (!inflater_) {
    inflater_.reset(new Inflater);
    inflater_->live = inflateInit(&inflater_->z) == Z_OK;
  }
  if (!inflater_->live) return false;
  z_stream& z = inflater_->z;
  if (inflateReset2(&z, dictionary.empty() ? 15 : -15) != Z_OK) return false;
  if (dictionary.empty() && inflateValidate(&z, 0) != Z_OK) return false;
  bool ok = true;
  if (!dictionary.empty())
    ok = inflateSetDictionary(&z, dictionary.data(), static_cast<uInt>(dictionary.size())) == Z_OK;
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  if (ok) {
    // Finishing spares zlib keeping a window of what came out. A stream cut
    // short still counts as far as it went (the block's rows tell whether
    // that is enough); one that gave nothing and took nothing does not.
    const int r = inflate(&z, Z_FINISH);
    const bool progress = z.avail_in < in.size() || z.avail_out < out.size();
    ok = r == Z_STREAM_END || (r == Z_BUF_ERROR && (z.avail_out == 0 || progress));
    // The stream's last 4 bytes (the big-endian sum of what it holds) were read just before it ended.
    const size_t used = in.size() - z.avail_in;
    if (r == Z_STREAM_END && dictionary.empty() && used >= 4) {
      const uint8_t* sum = in.data() + used - 4;
      const uint32_t expected = uint32_t{sum[0]} << 24 | sum[1] << 16 | sum[2] << 8 | sum[3];
      ok = Adler32(1, std::span<const uint8_t>(out.data(), out.size() - z.avail_out)) == expected;
    }
  }
  out.resize(out.size() - z.avail_out);
  return ok;
}

bool ScreenVideoDecoder::Allocate(int width, int height, int blockWidth, int blockHeight) {
  if (width <= 0 || height <= 0 || width > kMaxVideoSide || height > kMaxVideoSide) return false;
  if (width == width_ && height == height_ && blockWidth == blockWidth_ && blockHeight == blockHeight_) return true;
  width_ = width;
  height_ = height;
  blockWidth_ = blockWidth;
  blockHeight_ = blockHeight;
  cols_ = (width + blockWidth - 1) / blockWidth;
  rows_ = (height + blockHeight - 1) / blockHeight;
  pixels_.assign(static_cast<size_t>(width) * height * 3, 0);
  keyData_.assign(static_cast<size_t>(cols_) * rows_, {});
  thisData_.assign(keyData_.size(), {});
  haveKey_ = false;
  shown_ = false;
  image_ = VideoImage{width, height, false, {pixels_.data()}, {width * 3}};
  return true;
}

ScreenVideoDecoder::Block ScreenVideoDecoder::BlockAt(size_t index) const {
  const int col = static_cast<int>(index % cols_), rowFromBottom = static_cast<int>(index / cols_);
  Block b;
  b.x = col * blockWidth_;
  b.width = std::min(blockWidth_, width_ - b.x);
  const int bottom = rowFromBottom * blockHeight_;  // rows from the image's bottom
  b.height = std::min(blockHeight_, height_ - bottom);
  b.y = height_ - bottom - b.height;
  return b;
}

void ScreenVideoDecoder::Save(const Block& b, int firstRow, int rows) {
  const Saved saved{b.x, b.y + b.height - firstRow - rows, b.width, rows};
  const size_t rowBytes = static_cast<size_t>(saved.width) * 3;
  for (int y = saved.top; y < saved.top + saved.rows; ++y) {
    const uint8_t* row = pixels_.data() + (static_cast<size_t>(y) * width_ + saved.x) * 3;
    undoPixels_.insert(undoPixels_.end(), row, row + rowBytes);
  }
  undoRegions_.push_back(saved);
}

void ScreenVideoDecoder::Undo() {
  const uint8_t* from = undoPixels_.data();
  for (const Saved& saved : undoRegions_) {
    const size_t rowBytes = static_cast<size_t>(saved.width) * 3;
    for (int y = saved.top; y < saved.top + saved.rows; ++y, from += rowBytes)
      std::memcpy(pixels_.data() + (static_cast<size_t>(y) * width_ + saved.x) * 3, from, rowBytes);
  }
  undoPixels_.clear();
  undoRegions_.clear();
}

bool ScreenVideoDecoder::PutPixels(const Block& b, int firstRow, int rows, std::span<const uint8_t> data, bool hybrid) {
  Save(b, firstRow, rows);
  const size_t rowBytes = static_cast<size_t>(b.width) * 3;
  auto target = [&](int row) { return pixels_.data() + (static_cast<size_t>(b.y + b.height - 1 - row) * width_ + b.x) * 3; };
  if (!hybrid) {
    // Rows of BGR as they are; data short of the rows is damage.
    if (data.size() < rowBytes * rows) return false;
    for (int row = firstRow; row < firstRow + rows; ++row)
      std::memcpy(target(row), data.data() + rowBytes * (row - firstRow), rowBytes);
    return true;
  }
  const uint8_t* in = data.data();
  const uint8_t* const end = in + data.size();
  const uint32_t* palette = paletteSet_ ? palette_ : kDefaultPalette;
  for (int row = firstRow; row < firstRow + rows; ++row) {
    uint8_t* dst = target(row);
    for (int x = 0; x < b.width; ++x, dst += 3) {
      if (in == end) return false;
      const uint8_t first = *in++;
      uint32_t rgb = 0;
      if (first < 0x80) {
        rgb = palette[first];
      } else {
        if (in == end) return false;
        const uint32_t c = (first & 0x7Fu) << 8 | *in++;
        auto expand = [](uint32_t v) { return v << 3 | v >> 2; };
        rgb = expand(c >> 10 & 31) << 16 | expand(c >> 5 & 31) << 8 | expand(c & 31);
      }
      dst[0] = static_cast<uint8_t>(rgb), dst[1] = static_cast<uint8_t>(rgb >> 8), dst[2] = static_cast<uint8_t>(rgb >> 16);
    }
  }
  return true;
}

bool ScreenVideoDecoder::DecodeBlockV1(ByteReader& r, size_t index) {
  uint32_t size = 0;
  std::span<const uint8_t> data;
  if (!r.U16BE(size) || !r.Bytes(size, data)) return false;
  if (size == 0) return true;  // unchanged
  const Block b = BlockAt(index);
  scratch_.resize(static_cast<size_t>(b.width) * b.height * 3);
  return Inflate(data, {}, scratch_) && PutPixels(b, 0, b.height, scratch_, false);
}

bool ScreenVideoDecoder::DecodeBlockV2(ByteReader& r, size_t index, bool keyFrame, bool keyImage) {
  uint32_t size = 0;
  ByteReader block;
  if (!r.U16BE(size) || !r.Sub(size, block)) return false;
  thisData_[index].clear();
  if (size == 0) return true;
  uint8_t format = 0;
  if (!block.U8(format)) return false;
  const int depth = (format >> 3) & 3;
  const bool diff = format & 4, primeCurrent = format & 2, primePrevious = format & 1;
  if (depth != 0 && depth != 2) return false;
  const Block b = BlockAt(index);
  int firstRow = 0, rows = b.height;
  if (diff) {
    uint8_t start = 0, height = 0;
    if (!block.U8(start) || !block.U8(height) || start + height > b.height) return false;
    firstRow = start;
    rows = height;
  }
  std::span<const uint8_t> dictionary;
  if (primeCurrent) {
    uint8_t col = 0, row = 0;
    if (!block.U8(col) || !block.U8(row) || col >= cols_ || row >= rows_) return false;
    dictionary = thisData_[static_cast<size_t>(row) * cols_ + col];
  } else if (primePrevious) {
    dictionary = keyData_[index];
  }
  if ((primeCurrent || primePrevious) && dictionary.empty()) return false;
  std::vector<uint8_t>& out = thisData_[index];
  out.resize(static_cast<size_t>(b.width) * rows * 3);
  if (!Inflate(block.Rest(), dictionary, out) || !PutPixels(b, firstRow, rows, out, depth == 2)) return false;
  // Whole blocks of a key frame (or of the key image) prime later frames.
  if (keyImage || (keyFrame && !primeCurrent && !primePrevious && !diff)) keyData_[index] = out;
  return true;
}

bool ScreenVideoDecoder::ReadPalette(ByteReader& r) {
  uint32_t size = 0;
  std::span<const uint8_t> data;
  if (!r.U16BE(size) || !r.Bytes(size, data)) return false;
  if (size == 0) return true;
  scratch_.resize(128 * 3);
  if (!Inflate(data, {}, scratch_)) return false;
  for (size_t i = 0; i < 128; ++i) {
    const size_t o = i * 3;
    palette_[i] = o + 2 < scratch_.size() ? static_cast<uint32_t>(scratch_[o + 2]) << 16 | scratch_[o + 1] << 8 | scratch_[o] : 0;
  }
  paletteSet_ = true;
  return true;
}

DecodeResult ScreenVideoDecoder::Decode(std::span<const uint8_t> packet, bool keyFrame, int64_t frame) {
  ByteReader r(packet);
  uint32_t first = 0, second = 0;
  if (!r.U16BE(first) || !r.U16BE(second)) return DecodeResult::Dropped;
  const int blockWidth = static_cast<int>((first >> 12) + 1) * 16, width = static_cast<int>(first & 0xFFF);
  const int blockHeight = static_cast<int>((second >> 12) + 1) * 16, height = static_cast<int>(second & 0xFFF);
  if (!Allocate(width, height, blockWidth, blockHeight)) return DecodeResult::Dropped;
  if (!keyFrame && !haveKey_) return DecodeResult::Dropped;
  bool hasKeyImage = false;
  if (version2_) {
    uint8_t flags = 0;
    if (!r.U8(flags)) return DecodeResult::Dropped;
    hasKeyImage = flags & 2;
    if ((flags & 1) && !ReadPalette(r)) return DecodeResult::Dropped;
  }
  // A damaged frame leaves the picture as it was.
  undoPixels_.clear();
  undoRegions_.clear();
  const size_t blocks = static_cast<size_t>(cols_) * rows_;
  for (size_t i = 0; i < blocks; ++i) {
    if (!(version2_ ? DecodeBlockV2(r, i, keyFrame, false) : DecodeBlockV1(r, i))) {
      Undo();
      return DecodeResult::Dropped;
    }
  }
  if (hasKeyImage) {
    // The image later frames are primed with; not drawn.
    undoPixels_.clear();
    undoRegions_.clear();
    for (size_t i = 0; i < blocks; ++i)
      if (!DecodeBlockV2(r, i, true, true)) break;
    Undo();
  }
  if (keyFrame) haveKey_ = true;
  shown_ = true;
  image_.frame = frame;
  return DecodeResult::Picture;
}

}  // namespace flash::media
