#include "platform/flash/media/SoundDecoder.h"

#include <cstdlib>

#include "base/ByteReader.h"
#include "base/ErrorLog.h"
#include "platform/flash/media/Adpcm.h"

namespace flash::media {

bool PcmIsBigEndian(std::span<const uint8_t> data, int channels) {
  // Sum the jumps between neighbouring samples of one channel under each order.
  const size_t stride = static_cast<size_t>(channels) * 2;
  uint64_t little = 0, big = 0;
  for (size_t i = 0; i + stride + 1 < data.size() && i < 1 << 16; i += 2) {
    const int a = static_cast<int16_t>(data[i] | data[i + 1] << 8), b = static_cast<int16_t>(data[i + stride] | data[i + stride + 1] << 8);
    const int c = static_cast<int16_t>(data[i] << 8 | data[i + 1]), d = static_cast<int16_t>(data[i + stride] << 8 | data[i + stride + 1]);
    little += static_cast<uint64_t>(std::abs(a - b));
    big += static_cast<uint64_t>(std::abs(c - d));
  }
  return big < little;
}

SoundDecoder::SoundDecoder(SoundFormat format) : format_(format) {
  if (format_.codec == SoundCodec::Mp3) mp3_ = std::make_unique<Mp3Decoder>();
  if (!Supported()) WriteLog(L"Sound: no decoder for sound format " + std::to_wstring(static_cast<int>(format_.codec)) + L"; it plays silent");
}

bool SoundDecoder::Supported() const {
  switch (format_.codec) {
    case SoundCodec::PcmNative:
    case SoundCodec::PcmLittle:
    case SoundCodec::Adpcm: return true;
    case SoundCodec::Mp3: return mp3_ && mp3_->Available();
    default: return false;
  }
}

void SoundDecoder::Emit(std::span<const int16_t> samples, int rate, int channels, std::vector<int16_t>& out) {
  if (!resampler_ || rate != resamplerRate_ || channels != resamplerChannels_) {
    if (resampler_) resampler_->Flush(out);
    resampler_ = std::make_unique<Resampler>(rate, channels);
    resamplerRate_ = rate;
    resamplerChannels_ = channels;
  }
  resampler_->Push(samples, out);
}

void SoundDecoder::Decode(std::span<const uint8_t> block, std::vector<int16_t>& out) {
  scratch_.clear();
  const int channels = format_.Channels();
  switch (format_.codec) {
    case SoundCodec::PcmNative:
    case SoundCodec::PcmLittle: {
      if (!format_.sixteenBit) {
        for (uint8_t b : block) scratch_.push_back(static_cast<int16_t>((b - 128) << 8));
      } else {
        if (format_.codec == SoundCodec::PcmNative && !bigEndian_ && block.size() >= 4)
          bigEndian_ = PcmIsBigEndian(block, channels);
        ByteReader r(block);
        uint32_t v = 0;
        const bool big = bigEndian_.value_or(false);
        while (big ? r.U16BE(v) : r.U16LE(v)) scratch_.push_back(static_cast<int16_t>(v));
      }
      scratch_.resize(scratch_.size() - scratch_.size() % channels);
      Emit(scratch_, format_.rate, channels, out);
      return;
    }
    case SoundCodec::Adpcm:
      DecodeAdpcm(block, channels, scratch_);
      Emit(scratch_, format_.rate, channels, out);
      return;
    case SoundCodec::Mp3:
      mp3_->Decode(block, scratch_);
      if (!scratch_.empty()) Emit(scratch_, mp3_->Rate(), mp3_->Channels(), out);
      return;
    default:
      return;
  }
}

void SoundDecoder::Finish(std::vector<int16_t>& out) {
  if (resampler_) resampler_->Flush(out);
}

std::shared_ptr<const SoundClip> DecodeEventSound(SoundFormat format, uint32_t sampleCount,
                                                  std::span<const uint8_t> data) {
  auto clip = std::make_shared<SoundClip>();
  if (format.codec == SoundCodec::Mp3) {
    if (data.size() < 2) return clip;
    data = data.subspan(2);  // the seek samples
  }
  SoundDecoder decoder(format);
  decoder.Decode(data, clip->samples);
  decoder.Finish(clip->samples);
  if (sampleCount > 0 && format.codec != SoundCodec::Mp3) {
    // The declared length at the sound's own rate, in output frames (ADPCM
    // pads its last byte with codes that are no samples).
    const uint64_t from = format.rate == 5512 ? 11025 : static_cast<uint64_t>(format.rate) * 2;
    const uint64_t frames = (static_cast<uint64_t>(sampleCount) * kOutputRate * 2 + from - 1) / from;
    if (frames < clip->Frames()) clip->samples.resize(frames * 2);
  }
  clip->samples.shrink_to_fit();
  return clip;
}

}  // namespace flash::media
