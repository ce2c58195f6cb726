#include "platform/flash/play/MovieVideos.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/flash/media/BitReader.h"
#include "platform/flash/media/H263Decoder.h"
#include "platform/flash/media/VideoDecoderFactory.h"

namespace flash {
namespace {

constexpr int kEdgeStep = 10;  // steps across a block edge up to this are smoothed

// Softens one edge between p1 p0 | q0 q1 (samples `step` apart).
inline void SmoothEdge(uint8_t* q0, ptrdiff_t step) {
  const int p1 = q0[-2 * step], p0 = q0[-step], q = q0[0], q1 = q0[step];
  const int d = q - p0;
  if (d == 0 || std::abs(d) > kEdgeStep || std::abs(p1 - p0) > kEdgeStep / 2 || std::abs(q1 - q) > kEdgeStep / 2) return;
  q0[-step] = static_cast<uint8_t>(p0 + d / 4);
  q0[0] = static_cast<uint8_t>(q - d / 4);
}

}  // namespace

void DeblockPlane(uint8_t* plane, int stride, int width, int height) {
  for (int y = 0; y < height; ++y)
    for (int x = 8; x + 1 < width; x += 8) SmoothEdge(plane + static_cast<ptrdiff_t>(y) * stride + x, 1);
  for (int y = 8; y + 1 < height; y += 8)
    for (int x = 0; x < width; ++x) SmoothEdge(plane + static_cast<ptrdiff_t>(y) * stride + x, stride);
}

const VideoStreamInfo* MovieVideos::Info(uint16_t id) const {
  auto it = media_.videos.find(id);
  return it == media_.videos.end() ? nullptr : &it->second;
}

// Whether a frame decodes on its own: an intra picture (H.263), or every
// block present (the screen codecs).
bool MovieVideos::IsKey(const VideoStreamInfo& info, std::span<const uint8_t> data) const {
  const auto codec = static_cast<media::VideoCodec>(info.codec);
  if (codec == media::VideoCodec::SorensonH263) {
    media::BitReader br(data);
    br.Skip(17 + 5 + 8);
    const uint32_t size = br.Read(3);
    if (size == 0) br.Skip(16);
    if (size == 1) br.Skip(32);
    return br.Read(2) == 0 && !br.Overrun();
  }
  if (codec == media::VideoCodec::ScreenVideo || codec == media::VideoCodec::ScreenVideo2) {
    ByteReader r(data);
    uint32_t a = 0, b = 0;
    if (!r.U16BE(a) || !r.U16BE(b)) return false;
    const uint32_t bw = ((a >> 12) + 1) * 16, bh = ((b >> 12) + 1) * 16, w = a & 0xFFF, h = b & 0xFFF;
    const uint32_t blocks = ((w + bw - 1) / bw) * ((h + bh - 1) / bh);
    uint8_t flags = 0;
    if (codec == media::VideoCodec::ScreenVideo2 && (!r.U8(flags) || (flags & 1))) return false;
    for (uint32_t i = 0; i < blocks; ++i) {
      uint32_t size = 0;
      if (!r.U16BE(size) || size == 0 || !r.Skip(size)) return false;
    }
    return true;
  }
  return true;
}

void MovieVideos::Show(const VideoStreamInfo& info, Stream& s) {
  const media::VideoImage* image = s.decoder->Image();
  if (!image) return;
  const int w = std::min<int>(image->width, info.width ? info.width : image->width);
  const int h = std::min<int>(image->height, info.height ? info.height : image->height);
  media::VideoImage view = *image;
  view.width = w;
  view.height = h;
  // Deblocking: the stream's own flag, or as the movie says for all frames.
  std::vector<uint8_t> planes[3];
  const auto* h263 = dynamic_cast<const media::H263Decoder*>(s.decoder.get());
  const bool deblock = image->yuv && (info.deblocking >= 2 || (info.deblocking == 0 && h263 && h263->Deblocking()));
  if (deblock) {
    for (int p = 0; p < 3; ++p) {
      const int pw = p ? (w + 1) / 2 : w, ph = p ? (h + 1) / 2 : h;
      planes[p].resize(static_cast<size_t>(pw) * ph);
      for (int y = 0; y < ph; ++y)
        std::memcpy(&planes[p][static_cast<size_t>(y) * pw], image->planes[p] + static_cast<ptrdiff_t>(y) * image->strides[p], pw);
      DeblockPlane(planes[p].data(), pw, pw, ph);
      view.planes[p] = planes[p].data();
      view.strides[p] = pw;
    }
  }
  s.bitmap.width = w;
  s.bitmap.height = h;
  s.bitmap.pixels.resize(static_cast<size_t>(w) * h);
  media::ToArgb(view, s.bitmap.pixels.data(), w);
}

const Bitmap* MovieVideos::FrameOf(uint16_t id, uint16_t number) {
  auto infoIt = media_.videos.find(id);
  if (infoIt == media_.videos.end()) return nullptr;
  const VideoStreamInfo& info = infoIt->second;
  Stream& s = streams_[id];
  if (!s.tried) {
    s.tried = true;
    s.decoder = media::CreateVideoDecoder(static_cast<media::VideoCodec>(info.codec));
  }
  if (!s.decoder || info.frameData.empty()) return nullptr;
  if (s.shown == number) return &s.bitmap;
  // The key frame at or before the frame; decoding goes on from the last
  // frame when no key frame lies between.
  auto target = info.frameData.upper_bound(number);
  if (target == info.frameData.begin()) return s.shown >= 0 ? &s.bitmap : nullptr;
  --target;
  auto start = target;
  while (start != info.frameData.begin() && !IsKey(info, start->second)) --start;
  if (s.decoded < 0 || s.decoded > target->first || start->first > s.decoded) {
    s.decoder->Reset();
  } else {
    start = info.frameData.upper_bound(static_cast<uint16_t>(s.decoded));
  }
  for (auto it = start; it != std::next(target); ++it) {
    s.decoder->Decode(it->second, IsKey(info, it->second), it->first);
    s.decoded = it->first;
  }
  if (!s.decoder->Image()) return nullptr;
  Show(info, s);
  s.shown = number;
  return &s.bitmap;
}

}  // namespace flash
