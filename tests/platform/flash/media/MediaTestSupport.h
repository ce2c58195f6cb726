// Shared pieces of the media tests: the committed test streams (made by
// data/make_media.py), their reference pictures, PSNR, and an ADPCM encoder
// for test vectors.
#pragma once
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "moviefiles/MovieBytes.h"
#include "platform/flash/media/Adpcm.h"
#include "platform/flash/media/FlvStream.h"
#include "platform/flash/media/VideoDecoderFactory.h"

namespace mediatest {

using moviebytes::Bytes;

inline std::wstring DataPath(const std::wstring& name) {
  wchar_t root[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"SWFZEL_SOURCE_DIR", root, MAX_PATH);
  std::wstring path = root;
  for (auto& c : path)
    if (c == L'/') c = L'\\';
  return path + L"\\tests\\platform\\flash\\media\\data\\" + name;
}

inline Bytes ReadData(const std::wstring& name) { return testing_support::ReadBytes(DataPath(name)); }

// The reference frames (0, 24, 49, 62, 99) of a test video, inflated; a
// video with other reference frames names how many it holds.
inline constexpr int kRefFrames[] = {0, 24, 49, 62, 99};
inline Bytes ReadReference(const std::wstring& name, size_t frameBytes, size_t frames = std::size(kRefFrames)) {
  const Bytes packed = ReadData(name);
  Bytes out(frameBytes * frames);
  uLongf size = static_cast<uLongf>(out.size());
  if (uncompress(out.data(), &size, packed.data(), static_cast<uLong>(packed.size())) != Z_OK || size != out.size()) return {};
  return out;
}

// Peak signal to noise over two equal-length byte runs; 99 when equal.
inline double Psnr(const uint8_t* a, const uint8_t* b, size_t n) {
  double sum = 0;
  for (size_t i = 0; i < n; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
  return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * n / sum);
}

// A picture's bytes as the references store them: Y, U, V planes or BGR rows.
inline Bytes PictureBytes(const flash::media::VideoImage& image) {
  Bytes out;
  if (!image.yuv) {
    for (int y = 0; y < image.height; ++y) {
      const uint8_t* row = image.planes[0] + static_cast<ptrdiff_t>(y) * image.strides[0];
      out.insert(out.end(), row, row + image.width * 3);
    }
    return out;
  }
  for (int p = 0; p < 3; ++p) {
    const int w = p ? (image.width + 1) / 2 : image.width, h = p ? (image.height + 1) / 2 : image.height;
    for (int y = 0; y < h; ++y) {
      const uint8_t* row = image.planes[p] + static_cast<ptrdiff_t>(y) * image.strides[p];
      out.insert(out.end(), row, row + w);
    }
  }
  return out;
}

// The codec's data of an FLV video tag (after the frame type and codec byte).
inline std::span<const uint8_t> Payload(const flash::media::FlvTag& tag) { return tag.data.subspan(1); }

// Encodes samples (interleaved) into the movie format's ADPCM with the given
// code size: the encoder picks each code as the decoder would reconstruct it.
inline Bytes EncodeAdpcm(const std::vector<int16_t>& samples, int channels, int bits) {
  using flash::media::kAdpcmSteps;
  const auto moves = flash::media::AdpcmIndexMoves(bits);
  moviebytes::BitWriter w;
  w.Put(static_cast<uint32_t>(bits - 2), 2);
  struct State {
    int sample = 0, index = 0;
  } st[2];
  const size_t frames = samples.size() / channels;
  for (size_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      const int x = samples[i * channels + c];
      State& s = st[c];
      if (i % 4096 == 0) {
        s.sample = x;
        w.Put(static_cast<uint16_t>(x), 16).Put(static_cast<uint32_t>(s.index), 6);
        continue;
      }
      const uint32_t signBit = 1u << (bits - 1);
      int step = kAdpcmSteps[s.index], diff = x - s.sample, rebuilt = 0;
      uint32_t code = 0;
      if (diff < 0) code = signBit, diff = -diff;
      for (uint32_t mask = signBit >> 1; mask; mask >>= 1, step >>= 1)
        if (diff >= step) code |= mask, diff -= step, rebuilt += step;
      rebuilt += step;
      s.sample = std::clamp(code & signBit ? s.sample - rebuilt : s.sample + rebuilt, -32768, 32767);
      s.index = std::clamp(s.index + moves[code & (signBit - 1)], 0, 88);
      w.Put(code, bits);
    }
  }
  return w.Done();
}

}  // namespace mediatest
