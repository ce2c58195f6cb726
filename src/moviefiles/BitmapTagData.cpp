#include "moviefiles/BitmapTagData.h"

#include <algorithm>

#include "base/ByteReader.h"

namespace {

bool StartsWith(std::span<const uint8_t> data, std::initializer_list<uint8_t> signature) {
  return data.size() >= signature.size() && std::equal(signature.begin(), signature.end(), data.begin());
}

void Put(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

// Whether the marker byte after an FF stands alone (no length follows).
bool StandAlone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9); }

// The length of the entropy-coded data at the start of data: up to the first
// marker that is neither a stuffed zero nor a restart marker.
size_t ScanLength(std::span<const uint8_t> data) {
  size_t i = 0;
  while (i + 1 < data.size()) {
    if (data[i] != 0xFF) {
      ++i;
      continue;
    }
    const uint8_t next = data[i + 1];
    if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
      i += 2;
    } else if (next == 0xFF) {
      ++i;  // a fill byte before a marker
    } else {
      return i;
    }
  }
  return data.size();
}

// Appends the segments and scans of one piece, without its start and end
// markers; false when its end was kept as it stands.
bool AppendPiece(std::span<const uint8_t> piece, std::vector<uint8_t>& out) {
  ByteReader reader(piece);
  while (!reader.AtEnd()) {
    const size_t at = reader.Pos();
    uint8_t ff = 0, marker = 0;
    uint32_t length = 0;
    std::span<const uint8_t> segment;
    if (!reader.U8(ff) || ff != 0xFF || !reader.U8(marker)) {
      Put(out, piece.subspan(at));  // not a marker: kept as it stands
      return false;
    }
    if (marker == 0xFF) {  // fill
      reader.Seek(at + 1);
      continue;
    }
    if (marker == 0xD8 || marker == 0xD9) continue;
    if (StandAlone(marker)) {
      Put(out, piece.subspan(at, 2));
      continue;
    }
    if (!reader.U16BE(length) || length < 2 || !reader.Bytes(length - 2, segment)) {
      Put(out, piece.subspan(at));
      return false;
    }
    Put(out, piece.subspan(at, reader.Pos() - at));
    if (marker == 0xDA) {  // the scan's data follows its header
      std::span<const uint8_t> scan;
      reader.Bytes(ScanLength(reader.Rest()), scan);
      Put(out, scan);
    }
  }
  return true;
}

}  // namespace

ImageFormat SniffImageFormat(std::span<const uint8_t> data) {
  if (StartsWith(data, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return ImageFormat::Png;
  if (StartsWith(data, {'G', 'I', 'F', '8'})) return ImageFormat::Gif;
  return ImageFormat::Jpeg;
}

const wchar_t* ImageExtension(ImageFormat format) {
  switch (format) {
    case ImageFormat::Png: return L".png";
    case ImageFormat::Gif: return L".gif";
    default: return L".jpg";
  }
}

std::span<const uint8_t> BitmapTagImage(SwfTag code, std::span<const uint8_t> body) {
  switch (code) {
    case SwfTag::DefineBits:
    case SwfTag::DefineBitsJPEG2:
      return body;
    case SwfTag::DefineBitsJPEG3: {
      ByteReader reader(body);
      uint32_t size = 0;
      std::span<const uint8_t> image;
      if (!reader.U32LE(size) || !reader.Bytes(size, image)) return {};
      return image;
    }
    default:
      return {};
  }
}

std::vector<uint8_t> JoinJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> image) {
  std::vector<uint8_t> out{0xFF, 0xD8};
  const bool tablesWhole = AppendPiece(tables, out);
  const bool imageWhole = AppendPiece(image, out);
  if (out.size() == 2) return {};
  // Bytes kept as they stood at the end that end a stream already say so.
  const bool keptLast = !imageWhole || (image.empty() && !tablesWhole);
  if (!keptLast || !StartsWith(std::span(out).last(2), {0xFF, 0xD9})) out.insert(out.end(), {0xFF, 0xD9});
  return out;
}
