// MP3 through the platform's audio compression manager: this class only
// finds the frames (their headers give rate, channels and length) and hands
// each whole frame to the system's MP3 codec. A frame whose header is not
// valid is skipped up to the next sync word; a frame the codec refuses is
// dropped. Bytes of a frame cut between two calls wait for the next call.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <cstdint>
#include <span>
#include <vector>

namespace flash::media {

struct Mp3FrameInfo {
  int rate = 0;
  int channels = 0;
  int bytes = 0;    // the whole frame with its header
  int samples = 0;  // per channel
  int bitrate = 0;  // bits per second
};

// Reads the four header bytes at the start of bytes; false when they are no valid layer III header.
bool ParseMp3Header(std::span<const uint8_t> bytes, Mp3FrameInfo& info);

class Mp3Decoder {
 public:
  Mp3Decoder() = default;
  ~Mp3Decoder();
  Mp3Decoder(const Mp3Decoder&) = delete;
  Mp3Decoder& operator=(const Mp3Decoder&) = delete;

  // Appends the interleaved samples of the whole frames in data; rate and
  // channels say what they are (they change only with the stream's format).
  void Decode(std::span<const uint8_t> data, std::vector<int16_t>& out);
  int Rate() const { return rate_; }
  int Channels() const { return channels_; }
  // False once the system had no codec for a frame's format.
  bool Available() const { return available_; }

 private:
  bool Open(const Mp3FrameInfo& info);
  void Close();
  void Convert(std::span<const uint8_t> frame, const Mp3FrameInfo& info, std::vector<int16_t>& out);

  HACMSTREAM stream_ = nullptr;
  int rate_ = 0, channels_ = 0;
  bool available_ = true;
  std::vector<uint8_t> pending_;  // the start of a frame cut by the end of the last call
  std::vector<uint8_t> source_, target_;
};

}  // namespace flash::media
