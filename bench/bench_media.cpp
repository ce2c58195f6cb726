// Media figures: decoding 640x360 Sorenson H.263, Screen Video 1 and 2 and
// H.264 (through the system's decoder) streams in frames per second, against
// copying the same frames' pixels (the floor) in the same run; and the
// mixer's cost per second of audio with 8 sounds playing. The streams are the
// media tests' (tests/platform/flash/media/data, where the screen streams are not
// kept); an argument names another folder.
//
// "--versus folder" times only the decoders of our own (Sorenson, Screen
// Video 1 and 2, decoding alone and with the 32-bit pixels) over that
// folder's streams, in seconds of the thread's processor time, one line per
// measure, for bench/video_vs_ffmpeg.sh to set beside FFmpeg's; and, as the
// floor of Screen Video 1, zlib inflating the same blocks alone.
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <cstring>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "platform/flash/media/AudioOutput.h"
#include "platform/flash/media/FlvStream.h"
#include "platform/flash/media/Mixer.h"
#include "platform/flash/media/VideoDecoderFactory.h"

using namespace flash::media;

namespace {

std::vector<uint8_t> ReadAll(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size{};
  GetFileSizeEx(h, &size);
  bytes.resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(h);
  bytes.resize(got);
  return bytes;
}

std::wstring DataFolder(int argc, wchar_t** argv) {
  if (argc > 1) return std::wstring(argv[1]) + L"\\";
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dir = exe;
  dir.resize(dir.find_last_of(L'\\') + 1);
  return dir + L"..\\..\\tests\\platform\\flash\\media\\data\\";
}

// The 32-bit picture, kept from run to run as the players keep theirs (a
// fresh megabyte a picture costs more under Wine than the conversion).
std::vector<uint32_t> pixels;

// A stream and the decoder kept for it across runs, as a player keeps its
// decoder when the video loops (a decoder's buffers are made once a stream).
struct Decoding {
  VideoCodec codec;
  const FlvStream& flv;
  std::unique_ptr<VideoDecoder> decoder;
};

// Decodes every picture of the stream `rounds` times (and, with convert, turns
// each into drawable 32-bit pixels); seconds (-1 without a decoder), and the
// pictures that came out. Our decoders start each pass from the key frame
// after Reset; the system's H.264 decoder is made again for each pass, as it
// gives out its last pictures only at the stream's end.
double DecodeRun(Decoding& d, int rounds, int& pictures, bool convert = false) {
  pictures = 0;
  const double start = Now();
  for (int round = 0; round < rounds; ++round) {
    if (!d.decoder || d.codec == VideoCodec::H264) d.decoder = CreateVideoDecoder(d.codec);
    if (!d.decoder) return -1;
    VideoDecoder& decoder = *d.decoder;
    decoder.Reset();
    int64_t n = 0;
    for (const FlvTag& tag : d.flv.Video()) {
      if (decoder.Decode(tag.data.subspan(1), tag.key, n++) != DecodeResult::Picture) continue;
      ++pictures;
      if (convert) {
        pixels.resize(static_cast<size_t>(decoder.Image()->width) * decoder.Image()->height);
        ToArgb(*decoder.Image(), pixels.data(), decoder.Image()->width);
      }
    }
    if (decoder.Flush()) ++pictures;
  }
  return Now() - start;
}

// The calling thread's processor time in seconds (user and kernel; Wine
// counts it in steps of 10 ms).
double ThreadSeconds() {
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) Fail("reading the thread's times");
  auto seconds = [](FILETIME t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7; };
  return seconds(kernel) + seconds(user);
}

// Decodes the stream again and again until the thread has worked `atLeast`
// seconds; pictures, processor and wall seconds.
struct Timed {
  long pictures = 0;
  double cpu = 0, wall = 0;
};
Timed DecodeFor(Decoding& d, bool convert, double atLeast) {
  Timed t;
  const double cpu0 = ThreadSeconds(), wall0 = Now();
  while (ThreadSeconds() - cpu0 < atLeast) {
    int pictures = 0;
    Require(DecodeRun(d, 1, pictures, convert) >= 0, "making the decoder");
    Require(pictures > 0, "decoding pictures");
    t.pictures += pictures;
  }
  t.cpu = ThreadSeconds() - cpu0;
  t.wall = Now() - wall0;
  return t;
}

// Inflates every block of every Screen Video 1 frame with zlib alone (its own
// check included) into one block-sized buffer, until the thread has worked
// `atLeast` seconds: what the decoder cannot go below.
Timed InflateFor(const FlvStream& flv, double atLeast) {
  Timed t;
  z_stream z{};
  Require(inflateInit(&z) == Z_OK, "starting zlib");
  std::vector<uint8_t> out(256 * 256 * 3);
  const double cpu0 = ThreadSeconds(), wall0 = Now();
  while (ThreadSeconds() - cpu0 < atLeast) {
    for (const FlvTag& tag : flv.Video()) {
      const auto p = tag.data.subspan(1);
      Require(p.size() >= 4, "reading a frame's header");
      size_t at = 4;
      while (at + 2 <= p.size()) {
        const size_t size = static_cast<size_t>(p[at]) << 8 | p[at + 1];
        at += 2;
        Require(at + size <= p.size(), "reading a block");
        if (size) {
          inflateReset(&z);
          z.next_in = const_cast<Bytef*>(p.data() + at);
          z.avail_in = static_cast<uInt>(size);
          z.next_out = out.data();
          z.avail_out = static_cast<uInt>(out.size());
          Require(inflate(&z, Z_FINISH) == Z_STREAM_END, "inflating a block");
        }
        at += size;
      }
      ++t.pictures;
    }
  }
  t.cpu = ThreadSeconds() - cpu0;
  t.wall = Now() - wall0;
  inflateEnd(&z);
  return t;
}

void VersusFigures(const std::wstring& folder) {
  struct Stream {
    const wchar_t* file;
    const char* name;
    VideoCodec codec;
  };
  const Stream streams[] = {{L"bench-sorenson.flv", "sorenson", VideoCodec::SorensonH263},
                            {L"bench-screen.flv", "screen", VideoCodec::ScreenVideo},
                            {L"bench-screen2.flv", "screen2", VideoCodec::ScreenVideo2}};
  for (const Stream& s : streams) {
    const auto bytes = ReadAll(folder + s.file);
    FlvStream flv;
    Require(!bytes.empty() && flv.Open(bytes), "reading " + std::string(s.name) + " stream");
    Decoding d{s.codec, flv, nullptr};
    int pictures = 0;
    DecodeRun(d, 1, pictures, true);  // warm-up
    for (bool convert : {false, true}) {
      const Timed t = DecodeFor(d, convert, 1.5);
      std::printf("versus %s %s %ld %.3f %.3f\n", s.name, convert ? "convert" : "decode", t.pictures, t.cpu, t.wall);
      std::fflush(stdout);
    }
    if (s.codec == VideoCodec::ScreenVideo) {
      const Timed t = InflateFor(flv, 1.5);
      std::printf("versus %s inflate %ld %.3f %.3f\n", s.name, t.pictures, t.cpu, t.wall);
      std::fflush(stdout);
    }
  }
}

// Copies one decoded picture's planes, as many times as there were pictures.
double CopyRun(const VideoImage& image, int copies) {
  std::vector<uint8_t> target(static_cast<size_t>(image.width) * image.height * 3);
  const double start = Now();
  for (int i = 0; i < copies; ++i) {
    uint8_t* out = target.data();
    for (int p = 0; p < (image.yuv ? 3 : 1); ++p) {
      const int w = !image.yuv ? image.width * 3 : p ? image.width / 2 : image.width;
      const int h = p ? image.height / 2 : image.height;
      for (int y = 0; y < h; ++y, out += w) std::memcpy(out, image.planes[p] + static_cast<ptrdiff_t>(y) * image.strides[p], w);
    }
  }
  volatile uint8_t sink = target[target.size() / 2];
  (void)sink;
  return Now() - start;
}

// Turns one decoded picture into 32-bit pixels, as many times as there were pictures.
double ConvertRun(const VideoImage& image, int copies) {
  pixels.resize(static_cast<size_t>(image.width) * image.height);
  const double start = Now();
  for (int i = 0; i < copies; ++i) ToArgb(image, pixels.data(), image.width);
  volatile uint32_t sink = pixels[pixels.size() / 2];
  (void)sink;
  return Now() - start;
}

void VideoFigures(const wchar_t* name, VideoCodec codec, const std::wstring& folder) {
  const auto bytes = ReadAll(folder + name);
  FlvStream flv;
  if (bytes.empty() || !flv.Open(bytes)) {
    std::printf("  %ls: not found in %ls\n", name, folder.c_str());
    return;
  }
  Decoding d{codec, flv, nullptr};
  int pictures = 0;
  if (DecodeRun(d, 1, pictures) < 0) {  // warm-up (and the decoder's start)
    std::printf("  %ls: no decoder on this system\n", name);
    return;
  }
  double best = 1e9, withPixels = 1e9;
  for (int i = 0; i < 5; ++i) best = std::min(best, DecodeRun(d, 3, pictures));
  for (int i = 0; i < 5; ++i) withPixels = std::min(withPixels, DecodeRun(d, 3, pictures, true));
  auto decoder = CreateVideoDecoder(codec);
  int64_t n = 0;
  for (const FlvTag& tag : flv.Video()) decoder->Decode(tag.data.subspan(1), tag.key, n++);
  decoder->Flush();
  double copy = 1e9, convert = 1e9;
  if (decoder->Image())
    for (int i = 0; i < 5; ++i) {
      copy = std::min(copy, CopyRun(*decoder->Image(), pictures));
      convert = std::min(convert, ConvertRun(*decoder->Image(), pictures));
    }
  std::printf("  %ls (%dx%d): %6.0f frames per second decoded; copying the pixels: %7.0f frames per second (%.1fx)\n",
              name, decoder->Image() ? decoder->Image()->width : 0, decoder->Image() ? decoder->Image()->height : 0,
              pictures / best, pictures / copy, best / copy);
  std::printf("    decoded and turned into 32-bit pixels: %6.0f frames per second; turning one picture alone: %6.0f\n",
              pictures / withPixels, pictures / convert);
}

void MixerFigures() {
  Mixer mixer;
  std::vector<std::shared_ptr<const SoundClip>> clips;
  for (int s = 0; s < 8; ++s) {
    auto clip = std::make_shared<SoundClip>();
    clip->samples.resize(44100 * 2 * 3);
    for (size_t i = 0; i < clip->samples.size(); ++i) clip->samples[i] = static_cast<int16_t>((i * (37 + s)) % 20000 - 10000);
    clips.push_back(clip);
  }
  SoundInfo plain, enveloped;
  plain.loops = enveloped.loops = 100;
  enveloped.envelope = {{0, 0, 32768}, {44100, 32768, 0}, {88200, 16384, 16384}};
  std::vector<int16_t> block(kBlockFrames * 2);
  double best = 1e9;
  for (int round = 0; round < 5; ++round) {
    mixer.StopAll();
    for (int s = 0; s < 8; ++s) mixer.Start(clips[s], s % 2 ? enveloped : plain, 1, static_cast<uint32_t>(s));
    const int blocks = static_cast<int>(10 * 44100 / kBlockFrames);
    const double start = Now();
    for (int b = 0; b < blocks; ++b) mixer.Render(block);
    best = std::min(best, (Now() - start) / (blocks * kBlockFrames / 44100.0));
  }
  std::printf("Mixer, 8 sounds (4 with envelopes), 16-bit stereo 44.1 kHz: %.2f ms per second of audio\n", best * 1000);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 2 && std::wstring(argv[1]) == L"--versus") {
    VersusFigures(std::wstring(argv[2]) + L"\\");
    return 0;
  }
  const std::wstring folder = DataFolder(argc, argv);
  std::printf("Video decoding, best of 5 x 3 passes over 2 s of 25 fps video\n");
  VideoFigures(L"bench-sorenson.flv", VideoCodec::SorensonH263, folder);
  VideoFigures(L"bench-screen.flv", VideoCodec::ScreenVideo, folder);
  VideoFigures(L"bench-screen2.flv", VideoCodec::ScreenVideo2, folder);
  VideoFigures(L"bench-h264.flv", VideoCodec::H264, folder);
  MixerFigures();
  return 0;
}
