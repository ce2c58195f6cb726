#include "platform/flash/control/ClipPicture.h"

#include <algorithm>

#include "base/Handles.h"

namespace flash {
namespace {

bool DrawOver(FlashRenderer& renderer, const MovieDefinition& movie, const Clip& clip, const Matrix& m, int width,
              int height, uint32_t background, std::vector<uint32_t>& out) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  ScopedMemoryDC dc(nullptr);
  if (!dc) return false;
  ScopedBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return false;
  ScopedSelect select(dc.get(), bitmap.get());
  uint32_t* pixels = static_cast<uint32_t*>(bits);
  const size_t n = size_t(width) * size_t(height);
  std::fill(pixels, pixels + n, background);
  FrameView frame;
  frame.width = width, frame.height = height;
  frame.clip = RECT{0, 0, width, height};
  frame.view = StageView{0, 0, 0.05, 0.05};
  frame.quality = kQualityHigh;
  if (!renderer.DrawFrame(dc.get(), movie, clip, m, frame)) return false;
  GdiFlush();
  out.assign(pixels, pixels + n);
  return true;
}

}  // namespace

bool DrawClipPicture(FlashRenderer& renderer, const MovieDefinition& movie, const Clip& clip, const Matrix& m,
                     int width, int height, std::vector<uint32_t>& out) {
  if (width <= 0 || height <= 0) return false;
  std::vector<uint32_t> black, white;
  if (!DrawOver(renderer, movie, clip, m, width, height, 0xFF000000u, black) ||
      !DrawOver(renderer, movie, clip, m, width, height, 0xFFFFFFFFu, white))
    return false;
  out.resize(black.size());
  for (size_t i = 0; i < black.size(); ++i) {
    // Over black a pixel is its premultiplied colour; over white each channel
    // gains what the alpha lets through.
    const uint32_t b = black[i], w = white[i];
    const uint32_t through = ((w >> 8) & 0xFF) - std::min((w >> 8) & 0xFF, (b >> 8) & 0xFF);
    const uint32_t a = 255 - std::min<uint32_t>(through, 255);
    auto channel = [&](int shift) { return std::min((b >> shift) & 0xFF, a); };
    out[i] = a << 24 | channel(16) << 16 | channel(8) << 8 | channel(0);
  }
  return true;
}

}  // namespace flash
