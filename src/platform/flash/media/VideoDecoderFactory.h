// The decoder for a video codec: the Sorenson H.263 and screen video
// decoders of our own, H.264 through the system's decoder.
#pragma once
#include <memory>

#include "platform/flash/media/VideoDecoder.h"

namespace flash::media {

// Null for a codec this build cannot decode (VP6 always; H.264 without the
// system's decoder); the first such request of each codec writes a log line.
std::unique_ptr<VideoDecoder> CreateVideoDecoder(VideoCodec codec);

}  // namespace flash::media
