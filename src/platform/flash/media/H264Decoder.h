// H.264 (FLV codec 7) through the system's Media Foundation decoder: the
// stream's configuration record gives the parameter sets, each packet's
// length-prefixed units go in as one Annex B access unit, NV12 pictures come
// out. Null when the system has no such decoder.
#pragma once
#include <memory>

#include "platform/flash/media/VideoDecoder.h"

namespace flash::media {

std::unique_ptr<VideoDecoder> CreateH264Decoder();

}  // namespace flash::media
