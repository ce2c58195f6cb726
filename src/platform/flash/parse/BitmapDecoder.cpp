#include "platform/flash/parse/BitmapDecoder.h"

#include <algorithm>

#include "base/ByteReader.h"
#include "images/CodecPicture.h"
#include "moviefiles/Compression.h"
#include "moviefiles/BitmapTagData.h"

namespace flash {
namespace {

bool Inflate(std::span<const uint8_t> z, size_t size, std::vector<uint8_t>& out) {
  int rc = 0;
  DecompressBytes(z, out, rc, size);
  return out.size() >= size;
}

std::unique_ptr<Bitmap> NewBitmap(uint32_t w, uint32_t h) {
  if (w == 0 || h == 0 || uint64_t(w) * h > kMaxBitmapPixels) return nullptr;
  auto b = std::make_unique<Bitmap>();
  b->width = static_cast<int>(w), b->height = static_cast<int>(h);
  b->pixels.resize(size_t(w) * h);
  return b;
}

std::unique_ptr<Bitmap> DecodeLossless(ByteReader r, bool alpha) {
  uint8_t format = 0, tableSize = 0;
  uint32_t w = 0, h = 0;
  if (!r.U8(format) || !r.U16LE(w) || !r.U16LE(h)) return nullptr;
  if (format == 3 && !r.U8(tableSize)) return nullptr;
  auto bitmap = NewBitmap(w, h);
  if (!bitmap || (format != 3 && format != 4 && format != 5)) return nullptr;
  const size_t entry = alpha ? 4 : 3, colors = size_t(tableSize) + 1;
  const size_t rowBytes = format == 3 ? (w + 3) & ~3u : format == 4 ? (w * 2 + 3) & ~3u : w * 4;
  const size_t table = format == 3 ? colors * entry : 0;
  std::vector<uint8_t> data;
  if (!Inflate(r.Rest(), table + rowBytes * h, data)) return nullptr;
  std::vector<uint32_t> palette(colors);
  for (size_t i = 0; i < palette.size() && format == 3; ++i) {
    const uint8_t* e = &data[i * entry];
    palette[i] = Premultiply(Rgba{e[0], e[1], e[2], alpha ? e[3] : uint8_t(255)});
  }
  uint32_t* out = bitmap->pixels.data();
  for (uint32_t y = 0; y < h; ++y) {
    const uint8_t* row = &data[table + rowBytes * y];
    for (uint32_t x = 0; x < w; ++x, ++out) {
      if (format == 3) {
        *out = row[x] < colors ? palette[row[x]] : 0;
      } else if (format == 4) {
        const uint32_t v = uint32_t(row[2 * x]) << 8 | row[2 * x + 1];
        auto five = [](uint32_t c) { return static_cast<uint8_t>(c << 3 | c >> 2); };
        *out = Premultiply(Rgba{five((v >> 10) & 31), five((v >> 5) & 31), five(v & 31), 255});
      } else {
        const uint8_t* p = &row[4 * x];
        const uint8_t a = alpha ? p[0] : 255;
        // Stored premultiplied; a colour above its alpha is cut back to it.
        auto c = [&](uint8_t v) { return uint32_t(std::min(v, a)); };
        *out = uint32_t(a) << 24 | c(p[1]) << 16 | c(p[2]) << 8 | c(p[3]);
      }
    }
  }
  return bitmap;
}

std::unique_ptr<Bitmap> DecodeJpegData(std::span<const uint8_t> tables, std::span<const uint8_t> image) {
  if (SniffImageFormat(image) != ImageFormat::Jpeg) return DecodeWithCodecs(image);
  return DecodeWithCodecs(JoinJpeg(tables, image));
}

}  // namespace

std::unique_ptr<Bitmap> DecodeWithCodecs(std::span<const uint8_t> encoded) {
  std::unique_ptr<Bitmap> bitmap;
  const bool decoded = DecodeCodecPicture(encoded, [&](uint32_t w, uint32_t h) -> uint8_t* {
    bitmap = NewBitmap(w, h);
    return bitmap ? reinterpret_cast<uint8_t*>(bitmap->pixels.data()) : nullptr;
  });
  if (!decoded) bitmap.reset();
  return bitmap;
}

std::unique_ptr<Bitmap> DecodeBitmap(const Character& ch, std::span<const uint8_t> jpegTables) {
  ByteReader r(ch.body);
  switch (ch.tagCode) {
    case SwfTag::DefineBitsLossless: return DecodeLossless(r, false);
    case SwfTag::DefineBitsLossless2: return DecodeLossless(r, true);
    case SwfTag::DefineBits: return DecodeJpegData(jpegTables, ch.body);
    case SwfTag::DefineBitsJPEG2: return DecodeJpegData({}, ch.body);
    case SwfTag::DefineBitsJPEG3: {
      uint32_t offset = 0;
      std::span<const uint8_t> image = BitmapTagImage(ch.tagCode, ch.body);
      if (image.empty() || !r.U32LE(offset) || !r.Skip(offset)) return nullptr;
      auto bitmap = DecodeJpegData({}, image);
      if (!bitmap) return nullptr;
      std::vector<uint8_t> alpha;
      const size_t n = bitmap->pixels.size();
      int rc = 0;
      DecompressBytes(r.Rest(), alpha, rc, n);
      if (alpha.empty()) return bitmap;  // no alpha plane: opaque
      for (size_t i = 0; i < n; ++i) {
        const uint8_t a = i < alpha.size() ? alpha[i] : 255;
        const uint32_t p = bitmap->pixels[i];
        bitmap->pixels[i] = Premultiply(Rgba{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), a});
      }
      return bitmap;
    }
    default:
      return nullptr;
  }
}

}  // namespace flash
