// Pictures in the formats of the system's imaging codecs (JPEG, GIF, TIFF,
// ...), from a file or from bytes in memory: the first frame as premultiplied
// 32-bit BGRA, top row first, into room the caller gives once the size is known.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>

// Room for width x height pixels (4 bytes each, rows back to back), or nullptr
// to refuse the picture (too large, no memory).
using CodecPixelRoom = std::function<uint8_t*(uint32_t width, uint32_t height)>;

// True when the picture was decoded into the room given.
bool DecodeCodecPicture(const std::wstring& path, const CodecPixelRoom& room);
bool DecodeCodecPicture(std::span<const uint8_t> encoded, const CodecPixelRoom& room);
