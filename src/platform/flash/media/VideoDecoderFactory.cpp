#include "platform/flash/media/VideoDecoderFactory.h"

#include <mutex>
#include <set>

#include "base/ErrorLog.h"
#include "platform/flash/media/H263Decoder.h"
#include "platform/flash/media/H264Decoder.h"
#include "platform/flash/media/ScreenVideoDecoder.h"

namespace flash::media {
namespace {

void LogOnce(VideoCodec codec, const wchar_t* why) {
  static std::mutex mutex;
  static std::set<int> logged;
  std::lock_guard lock(mutex);
  if (logged.insert(static_cast<int>(codec)).second)
    WriteLog(L"Video: frames of codec " + std::to_wstring(static_cast<int>(codec)) + L" stay empty (" + why + L")");
}

}  // namespace

std::unique_ptr<VideoDecoder> CreateVideoDecoder(VideoCodec codec) {
  switch (codec) {
    case VideoCodec::SorensonH263: return std::make_unique<H263Decoder>();
    case VideoCodec::ScreenVideo: return std::make_unique<ScreenVideoDecoder>(false);
    case VideoCodec::ScreenVideo2: return std::make_unique<ScreenVideoDecoder>(true);
    case VideoCodec::H264: {
      auto decoder = CreateH264Decoder();
      if (!decoder) LogOnce(codec, L"the system has no H.264 decoder");
      return decoder;
    }
    case VideoCodec::Vp6:
    case VideoCodec::Vp6Alpha: LogOnce(codec, L"On2 VP6 is not supported"); return nullptr;
    default: LogOnce(codec, L"unknown codec"); return nullptr;
  }
}

}  // namespace flash::media
