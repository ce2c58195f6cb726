#include "platform/flash/media/H264Decoder.h"

namespace flash::media {

std::unique_ptr<VideoDecoder> CreateH264Decoder() { return nullptr; }

}  // namespace flash::media
