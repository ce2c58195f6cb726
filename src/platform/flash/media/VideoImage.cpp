#include "platform/flash/media/VideoImage.h"

#include <algorithm>
#include <array>

namespace flash::media {
namespace {

// Fixed-point terms (x 2^16) of the conversion, per input value.
struct YuvTables {
  std::array<int32_t, 256> y, rv, gu, gv, bu;
  YuvTables() {
    for (int i = 0; i < 256; ++i) {
      y[i] = static_cast<int32_t>(1.164383 * 65536 * (i - 16) + 32768);
      rv[i] = static_cast<int32_t>(1.596027 * 65536 * (i - 128));
      gu[i] = static_cast<int32_t>(-0.391762 * 65536 * (i - 128));
      gv[i] = static_cast<int32_t>(-0.812968 * 65536 * (i - 128));
      bu[i] = static_cast<int32_t>(2.017232 * 65536 * (i - 128));
    }
  }
};

inline uint32_t Clip8(int32_t v) { return static_cast<uint32_t>(std::clamp(v >> 16, 0, 255)); }

}  // namespace

void ToArgb(const VideoImage& image, uint32_t* out, int outStride) {
  static const YuvTables t;
  if (!image.planes[0]) return;
  for (int row = 0; row < image.height; ++row) {
    uint32_t* dst = out + static_cast<ptrdiff_t>(row) * outStride;
    if (!image.yuv) {
      const uint8_t* src = image.planes[0] + static_cast<ptrdiff_t>(row) * image.strides[0];
      for (int x = 0; x < image.width; ++x, src += 3) dst[x] = 0xFF000000u | src[2] << 16 | src[1] << 8 | src[0];
      continue;
    }
    const uint8_t* py = image.planes[0] + static_cast<ptrdiff_t>(row) * image.strides[0];
    const uint8_t* pu = image.planes[1] + static_cast<ptrdiff_t>(row / 2) * image.strides[1];
    const uint8_t* pv = image.planes[2] + static_cast<ptrdiff_t>(row / 2) * image.strides[2];
    for (int x = 0; x < image.width; ++x) {
      const int32_t l = t.y[py[x]];
      const uint8_t u = pu[x / 2], v = pv[x / 2];
      dst[x] = 0xFF000000u | Clip8(l + t.rv[v]) << 16 | Clip8(l + t.gu[u] + t.gv[v]) << 8 | Clip8(l + t.bu[u]);
    }
  }
}

std::vector<uint32_t> ToArgb(const VideoImage& image) {
  std::vector<uint32_t> pixels(static_cast<size_t>(image.width) * image.height);
  ToArgb(image, pixels.data(), image.width);
  return pixels;
}

}  // namespace flash::media
