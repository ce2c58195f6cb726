// The Adler-32 checksum of zlib streams, sixteen bytes at a step in SSE2
// (zlib's own sums a byte at a time): the screen video decoder checks its
// blocks with it after inflating them.
#pragma once
#include <cstdint>
#include <span>

namespace flash::media {

// The checksum of data continuing from adler (1 for a new stream).
uint32_t Adler32(uint32_t adler, std::span<const uint8_t> data);

}  // namespace flash::media
