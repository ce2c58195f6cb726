// The sound format byte that movies and video files share (DefineSound,
// SoundStreamHead, FLV audio tags): codec in the top four bits, then the
// sampling rate, the sample size and mono or stereo. Also the output format
// every sound is turned into: 16-bit stereo at 44.1 kHz.
#pragma once
#include <cstdint>

namespace flash::media {

inline constexpr int kOutputRate = 44100;

enum class SoundCodec : uint8_t {
  PcmNative = 0,  // uncompressed in the byte order of the machine that wrote it (see PcmIsBigEndian)
  Adpcm = 1,
  Mp3 = 2,
  PcmLittle = 3,
  Nellymoser16k = 4,
  Nellymoser8k = 5,
  Nellymoser = 6,
  Speex = 11,
};

struct SoundFormat {
  SoundCodec codec = SoundCodec::PcmNative;
  int rate = 5512;  // 5512, 11025, 22050 or 44100 (the codes 0 to 3)
  bool sixteenBit = true;
  bool stereo = false;

  int Channels() const { return stereo ? 2 : 1; }
  // The byte as the files store it.
  static SoundFormat FromByte(uint8_t flags) {
    static constexpr int kRates[] = {5512, 11025, 22050, 44100};
    SoundFormat f;
    f.codec = static_cast<SoundCodec>(flags >> 4);
    f.rate = kRates[(flags >> 2) & 3];
    f.sixteenBit = (flags & 2) != 0;
    f.stereo = (flags & 1) != 0;
    // The Nellymoser variants at fixed rates say so by their code.
    if (f.codec == SoundCodec::Nellymoser8k) f.rate = 8000;
    if (f.codec == SoundCodec::Nellymoser16k) f.rate = 16000;
    return f;
  }
};

}  // namespace flash::media
