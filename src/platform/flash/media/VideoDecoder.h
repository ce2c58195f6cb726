// The video decoders behind one interface: a packet in (the codec's data of
// one FLV video tag or one VideoFrame tag), the latest picture out. A packet
// that cannot be decoded is dropped and the previous picture stays; nothing
// is drawn before the first good picture. Pictures larger than 4096 x 4096
// are refused; buffers are allocated when a stream's size is first seen.
#pragma once
#include <cstdint>
#include <memory>
#include <span>

#include "platform/flash/media/VideoImage.h"

namespace flash::media {

// Codec numbers as FLV tags and DefineVideoStream give them.
enum class VideoCodec : uint8_t {
  SorensonH263 = 2,
  ScreenVideo = 3,
  Vp6 = 4,
  Vp6Alpha = 5,
  ScreenVideo2 = 6,
  H264 = 7,
};

enum class DecodeResult {
  Picture,    // a new picture is ready
  NoPicture,  // accepted, nothing to show yet (a configuration packet, a decoder delay)
  Dropped,    // damaged or unusable: the previous picture stays
};

class VideoDecoder {
 public:
  virtual ~VideoDecoder() = default;
  // frame: a number the picture made from this packet carries (the caller's
  // frame index, 0 to 2^31 - 1), for decoders that give pictures out some
  // packets later.
  virtual DecodeResult Decode(std::span<const uint8_t> packet, bool keyFrame, int64_t frame = 0) = 0;
  // The latest picture; null before the first.
  virtual const VideoImage* Image() const = 0;
  // Forgets the pictures held for prediction (before decoding from another key frame).
  virtual void Reset() {}
  // Gives out the pictures still held back at the end of a stream, stopping
  // at the one numbered upTo (a later call goes on); true when one came.
  virtual bool Flush(int64_t upTo = INT64_MAX) {
    (void)upTo;
    return false;
  }
};

}  // namespace flash::media
