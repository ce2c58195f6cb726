#include "moviefiles/Compression.h"

#include <zlib.h>

#include <algorithm>
#include <new>

#include "services/Services.h"

bool DecompressBytes(std::span<const uint8_t> source, std::vector<uint8_t>& destination, int& zlibResult,
                     size_t size) {
  zlibResult = Z_OK;
  destination.clear();
  if (source.empty()) return true;
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) {
    zlibResult = Z_MEM_ERROR;
    return false;
  }
  zs.next_in = const_cast<Bytef*>(source.data());
  zs.avail_in = static_cast<uInt>(std::min<size_t>(source.size(), UINT32_MAX));
  int rc = Z_OK;
  try {
    size_t step = std::min<size_t>(size, std::max<size_t>(source.size() * 4, 65536));
    while (rc == Z_OK) {
      if (destination.size() >= size) {
        // Full: a stream that still has output is too long for the room given.
        uint8_t probe = 0;
        zs.next_out = &probe;
        zs.avail_out = 1;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc == Z_OK || (rc == Z_STREAM_END && zs.avail_out == 0)) rc = Z_BUF_ERROR;
        break;
      }
      size_t have = destination.size();
      size_t grow = std::min(step, size - have);
      destination.resize(have + grow);
      zs.next_out = destination.data() + have;
      zs.avail_out = static_cast<uInt>(grow);
      rc = inflate(&zs, Z_NO_FLUSH);
      destination.resize(destination.size() - zs.avail_out);
      if (rc == Z_OK && zs.avail_in == 0 && zs.avail_out != 0) rc = Z_BUF_ERROR;  // input ended early
      step = std::min<size_t>(step * 2, 64u << 20);
    }
  } catch (const std::bad_alloc&) {
    rc = Z_MEM_ERROR;
    ReportError(L"DecompressBytes", L"");
  }
  inflateEnd(&zs);
  if (rc == Z_STREAM_END) rc = Z_OK;
  if (rc == Z_NEED_DICT) rc = Z_DATA_ERROR;
  zlibResult = rc;
  return rc == Z_OK;
}
