// Decodes the bitmap characters of a movie into premultiplied pixels:
// DefineBits over the movie's JPEGTables, DefineBitsJPEG2, DefineBitsJPEG3
// with its zlib alpha plane (JPEG, and PNG or GIF where later movies store
// them, through the system's imaging codecs), and DefineBitsLossless 1 and 2
// in their colour-mapped, 15-bit and 32-bit formats. Damaged or oversized
// images give nothing.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/flash/render/FillPainter.h"
#include "platform/flash/parse/MovieDefinition.h"

namespace flash {

// Images larger than this many pixels are not decoded.
inline constexpr uint64_t kMaxBitmapPixels = 1u << 24;

// Null when the character is not a bitmap or its data can't be decoded.
std::unique_ptr<Bitmap> DecodeBitmap(const Character& character, std::span<const uint8_t> jpegTables);

// Decodes an encoded image (JPEG, PNG, GIF) held in memory with the system's codecs.
std::unique_ptr<Bitmap> DecodeWithCodecs(std::span<const uint8_t> encoded);

}  // namespace flash
