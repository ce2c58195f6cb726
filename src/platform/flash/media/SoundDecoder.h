// Decodes sound data of any of the formats movies and video files carry into
// 16-bit stereo at 44.1 kHz: PCM (8-bit unsigned, 16-bit either byte order),
// ADPCM and MP3 (through the system's codec). A decoder keeps its state from
// block to block, so one decoder follows one stream. Formats the system
// cannot decode (Nellymoser, Speex) give silence and one log line.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/flash/media/Mp3Decoder.h"
#include "platform/flash/media/Resampler.h"
#include "platform/flash/media/SoundFormat.h"

namespace flash::media {

// A decoded event sound: stereo pairs at the output rate.
struct SoundClip {
  std::vector<int16_t> samples;
  size_t Frames() const { return samples.size() / 2; }
};

// Whether 16-bit samples of unknown byte order read smoother as big-endian
// (the larger part of sounds written on such machines); decided on the data.
bool PcmIsBigEndian(std::span<const uint8_t> data, int channels);

class SoundDecoder {
 public:
  explicit SoundDecoder(SoundFormat format);
  // False for the formats that decode to silence.
  bool Supported() const;
  // Appends the output for one block: a whole sound, one stream block, one
  // FLV audio tag's data (after its format byte). MP3 blocks are frames only.
  void Decode(std::span<const uint8_t> block, std::vector<int16_t>& out);
  // Appends the tail still owed at the end of the sound.
  void Finish(std::vector<int16_t>& out);
  const SoundFormat& Format() const { return format_; }

 private:
  void Emit(std::span<const int16_t> samples, int rate, int channels, std::vector<int16_t>& out);

  SoundFormat format_;
  std::optional<bool> bigEndian_;  // for native-order PCM, decided on the first block
  std::unique_ptr<Mp3Decoder> mp3_;
  std::unique_ptr<Resampler> resampler_;
  int resamplerRate_ = 0, resamplerChannels_ = 0;
  std::vector<int16_t> scratch_;
};

// A whole event sound (DefineSound's data after its sample count; for MP3 the
// seek-sample field comes first). sampleCount, when non-zero, cuts a PCM or
// ADPCM sound to that many frames at the sound's own rate.
std::shared_ptr<const SoundClip> DecodeEventSound(SoundFormat format, uint32_t sampleCount,
                                                  std::span<const uint8_t> data);

}  // namespace flash::media
