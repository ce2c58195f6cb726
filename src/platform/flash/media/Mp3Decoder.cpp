#include "platform/flash/media/Mp3Decoder.h"

#include <algorithm>
#include <utility>

#include "base/ErrorLog.h"

namespace flash::media {
namespace {

constexpr size_t kMaxPending = 4096;  // larger than any frame

// Kilobits per second by version group (MPEG-1, MPEG-2 and 2.5) and index.
constexpr int kBitrates[2][16] = {{0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
                                  {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};
constexpr int kRates[3] = {44100, 48000, 32000};

}  // namespace

bool ParseMp3Header(std::span<const uint8_t> b, Mp3FrameInfo& info) {
  if (b.size() < 4 || b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return false;
  const int version = (b[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
  const int layer = (b[1] >> 1) & 3;    // 1: layer III
  const int bitrateIndex = b[2] >> 4, rateIndex = (b[2] >> 2) & 3;
  if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;
  const bool mpeg1 = version == 3;
  info.rate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
  info.bitrate = kBitrates[mpeg1 ? 0 : 1][bitrateIndex] * 1000;
  info.channels = (b[3] >> 6) == 3 ? 1 : 2;
  info.samples = mpeg1 ? 1152 : 576;
  const int padding = (b[2] >> 1) & 1;
  info.bytes = (mpeg1 ? 144 : 72) * info.bitrate / info.rate + padding;
  return info.bytes > 4;
}

Mp3Decoder::~Mp3Decoder() { Close(); }

void Mp3Decoder::Close() {
  if (stream_) acmStreamClose(std::exchange(stream_, nullptr), 0);
}

bool Mp3Decoder::Open(const Mp3FrameInfo& info) {
  Close();
  MPEGLAYER3WAVEFORMAT mp3{};
  mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  mp3.wfx.nChannels = static_cast<WORD>(info.channels);
  mp3.wfx.nSamplesPerSec = static_cast<DWORD>(info.rate);
  mp3.wfx.nAvgBytesPerSec = static_cast<DWORD>(info.bitrate / 8);
  mp3.wfx.nBlockAlign = 1;
  mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  mp3.wID = MPEGLAYER3_ID_MPEG;
  mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
  mp3.nBlockSize = static_cast<WORD>(info.bytes);
  mp3.nFramesPerBlock = 1;
  mp3.nCodecDelay = 0;
  WAVEFORMATEX pcm{};
  pcm.wFormatTag = WAVE_FORMAT_PCM;
  pcm.nChannels = static_cast<WORD>(info.channels);
  pcm.nSamplesPerSec = static_cast<DWORD>(info.rate);
  pcm.wBitsPerSample = 16;
  pcm.nBlockAlign = static_cast<WORD>(2 * info.channels);
  pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
  if (acmStreamOpen(&stream_, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0) {
    stream_ = nullptr;
    if (available_) WriteLog(L"Sound: the system has no MP3 decoder for this format; the sound is silent");
    available_ = false;
    return false;
  }
  rate_ = info.rate;
  channels_ = info.channels;
  return true;
}

void Mp3Decoder::Convert(std::span<const uint8_t> frame, const Mp3FrameInfo& info, std::vector<int16_t>& out) {
  if (!stream_ || info.rate != rate_ || info.channels != channels_) {
    if (!Open(info)) return;
  }
  source_.assign(frame.begin(), frame.end());
  // Room for more than one frame: the codec may give out what it held back.
  target_.resize(static_cast<size_t>(info.samples) * info.channels * 2 * 4);
  ACMSTREAMHEADER header{};
  header.cbStruct = sizeof header;
  header.pbSrc = source_.data();
  header.cbSrcLength = static_cast<DWORD>(source_.size());
  header.pbDst = target_.data();
  header.cbDstLength = static_cast<DWORD>(target_.size());
  if (acmStreamPrepareHeader(stream_, &header, 0) != 0) return;
  if (acmStreamConvert(stream_, &header, ACM_STREAMCONVERTF_BLOCKALIGN) == 0) {
    const size_t count = std::min<size_t>(header.cbDstLengthUsed, target_.size()) / 2;
    const auto* samples = reinterpret_cast<const int16_t*>(target_.data());
    out.insert(out.end(), samples, samples + count - count % info.channels);
  }
  header.cbSrcLength = static_cast<DWORD>(source_.size());
  header.cbDstLength = static_cast<DWORD>(target_.size());
  acmStreamUnprepareHeader(stream_, &header, 0);
}

void Mp3Decoder::Decode(std::span<const uint8_t> data, std::vector<int16_t>& out) {
  if (!available_) return;
  std::vector<uint8_t> joined;
  std::span<const uint8_t> bytes = data;
  if (!pending_.empty()) {
    joined = std::move(pending_);
    pending_.clear();
    joined.insert(joined.end(), data.begin(), data.end());
    bytes = joined;
  }
  size_t pos = 0;
  while (pos + 4 <= bytes.size()) {
    Mp3FrameInfo info;
    if (!ParseMp3Header(bytes.subspan(pos), info)) {
      ++pos;  // not a frame here: look for the next sync word
      continue;
    }
    if (pos + info.bytes > bytes.size()) break;  // the rest comes with the next call
    Convert(bytes.subspan(pos, info.bytes), info, out);
    if (!available_) return;
    pos += info.bytes;
  }
  if (pos < bytes.size() && bytes.size() - pos < kMaxPending) pending_.assign(bytes.begin() + pos, bytes.end());
}

}  // namespace flash::media
