// Movie control figures: LoadMovie of a 64 MB compressed movie against zlib's
// in-memory uncompress alone, and stepping through every frame of a movie
// with 10,000 display-list changes (frames per second, and one seek to the end).
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "platform/flash/FlashControl.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutLE(Bytes& b, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Tag(Bytes& out, uint32_t code, const Bytes& body) {
  PutLE(out, code << 6 | 63, 2);
  PutLE(out, static_cast<uint32_t>(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
}
Bytes Header(const char* sig, uint32_t length) {
  Bytes b{static_cast<uint8_t>(sig[0]), static_cast<uint8_t>(sig[1]), static_cast<uint8_t>(sig[2]), 10};
  PutLE(b, length, 4);
  return b;
}
// Frame rectangle 550 x 400 (15-bit fields), 24 fps, frame count.
Bytes MovieStart(uint16_t frames) {
  Bytes b{0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00, 0x00, 24};
  PutLE(b, frames, 2);
  return b;
}
// PlaceObject2 at depth with a translation (and the character when new).
void Place(Bytes& out, uint16_t depth, bool fresh, int32_t x, int32_t y) {
  Bytes body{static_cast<uint8_t>(fresh ? 0x06 : 0x05)};
  PutLE(body, depth, 2);
  if (fresh) PutLE(body, 1, 2);
  // Matrix: no scale, no rotate, 20-bit translation.
  uint64_t bits = 0;
  int n = 0;
  auto put = [&](uint64_t v, int count) { bits = bits << count | (v & ((1ull << count) - 1)), n += count; };
  put(0, 1), put(0, 1), put(20, 5), put(static_cast<uint32_t>(x), 20), put(static_cast<uint32_t>(y), 20);
  bits <<= (8 - n % 8) % 8, n += (8 - n % 8) % 8;
  for (int i = n - 8; i >= 0; i -= 8) body.push_back(static_cast<uint8_t>(bits >> i));
  Tag(out, 26, body);
}

}  // namespace

int main() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring big = std::wstring(temp) + L"bench_flash_big.swf";
  const std::wstring busy = std::wstring(temp) + L"bench_flash_busy.swf";
  HWND host = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 550, 400, nullptr, nullptr, nullptr, nullptr);
  flash::FlashControl control(host, 0, 0, 550, 400);

  // A 64 MB movie: binary data of low entropy in 1 MB tags, then one frame.
  Bytes body = MovieStart(1);
  uint32_t x = 12345;
  Bytes chunk(1u << 20);
  while (body.size() < (64u << 20) - (1u << 20)) {
    for (auto& c : chunk) x = x * 1664525 + 1013904223, c = static_cast<uint8_t>((x >> 24) & 0x0F);
    Tag(body, 87, chunk);
  }
  Tag(body, 1, {});
  Tag(body, 0, {});
  uLongf zn = compressBound(body.size());
  Bytes z(zn);
  compress2(z.data(), &zn, body.data(), body.size(), 6);
  z.resize(zn);
  Bytes file = Header("CWS", static_cast<uint32_t>(body.size() + 8));
  file.insert(file.end(), z.begin(), z.end());
  WriteFileBytes(big, file);
  Bytes out(body.size());
  double tZlib = 1e300, tLoad = 1e300;
  for (int pass = 0; pass < 5; ++pass) {
    double t0 = Now();
    uLongf n = static_cast<uLongf>(out.size());
    uncompress(out.data(), &n, z.data(), static_cast<uLong>(z.size()));
    double t1 = Now();
    control.LoadMovie(0, big);
    double t2 = Now();
    control.LoadMovie(0, flash::kNoMovie);
    tZlib = std::min(tZlib, t1 - t0), tLoad = std::min(tLoad, t2 - t1);
  }
  const double mb = body.size() / 1048576.0;
  std::printf("LoadMovie of a %.0f MB movie (%.1f MB compressed), best of 5\n", mb, z.size() / 1048576.0);
  std::printf("  zlib uncompress in memory: %7.1f ms\n", tZlib * 1000);
  std::printf("  LoadMovie (read, inflate, parse): %7.1f ms  ratio %.2fx\n", tLoad * 1000, tLoad / tZlib);

  // 1,000 frames of 10 changes each over 100 depths.
  const int kFrames = 1000, kPerFrame = 10, kDepths = 100;
  Bytes movie = MovieStart(kFrames);
  Tag(movie, 2, Bytes{1, 0, 0, 0, 0, 0, 0});  // a character to place
  for (int f = 0; f < kFrames; ++f) {
    for (int i = 0; i < kPerFrame; ++i) {
      const int depth = 1 + (f * kPerFrame + i) % kDepths;
      Place(movie, static_cast<uint16_t>(depth), f * kPerFrame + i < kDepths, f * 7 % 5000, i * 300);
    }
    Tag(movie, 1, {});
  }
  Tag(movie, 0, {});
  Bytes plain = Header("FWS", static_cast<uint32_t>(movie.size() + 8));
  plain.insert(plain.end(), movie.begin(), movie.end());
  WriteFileBytes(busy, plain);
  double now = 0;
  control.SetClock([&] { return now; });
  double tStep = 1e300, tSeek = 1e300;
  for (int pass = 0; pass < 5; ++pass) {
    control.LoadMovie(0, busy);
    control.SetLoop(false);
    control.Play();
    double t0 = Now();
    while (control.Playing()) {
      now += 1.0 / 24;
      control.Pump();
    }
    double t1 = Now();
    control.GotoFrame(0);
    double t2 = Now();
    control.GotoFrame(kFrames - 1);
    double t3 = Now();
    tStep = std::min(tStep, t1 - t0), tSeek = std::min(tSeek, t3 - t2);
  }
  std::printf("Stepping %d frames with %d display-list changes, best of 5\n", kFrames, kFrames * kPerFrame);
  std::printf("  frames per second: %.0f\n", kFrames / tStep);
  std::printf("  seek from frame 0 to the last: %.2f ms\n", tSeek * 1000);
  DeleteFileW(big.c_str());
  DeleteFileW(busy.c_str());
  DestroyWindow(host);
  return 0;
}
