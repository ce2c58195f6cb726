// Movie reading benchmark: header-only GetSWFInfo against opening a file and
// reading its first 64 bytes, and full decompression into the cache against
// zlib's uncompress alone on the same data. Prints figures and ratios; stops
// with an error when a step it times fails.
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "base/BinaryFile.h"
#include "moviefiles/MovieCache.h"
#include "moviefiles/SWFModule.h"
#include "services/Services.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

Bytes Tag(uint32_t code, const Bytes& body) {
  Bytes b;
  if (body.size() < 63) {
    PutLE(b, code << 6 | static_cast<uint32_t>(body.size()), 2);
  } else {
    PutLE(b, code << 6 | 63, 2);
    PutLE(b, static_cast<uint32_t>(body.size()), 4);
  }
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

// Movie content that compresses about as well as real movies (roughly 3:1).
Bytes Content(size_t n, uint32_t seed) {
  Bytes b(n);
  uint32_t x = seed;
  for (size_t i = 0; i < n;) {
    x = x * 1664525 + 1013904223;
    size_t run = (x >> 28) + 1;
    uint8_t v = static_cast<uint8_t>(x >> 8) & 0x3F;
    for (size_t k = 0; k < run && i < n; ++k, ++i) b[i] = (x >> 20) & 1 ? v : static_cast<uint8_t>(v + k);
  }
  return b;
}

// Header, 550 x 400 frame, 24 fps, 100 frames, then tags: background, a file
// attributes tag, one big shape-like tag and the end.
Bytes MovieBody(size_t payload, uint32_t seed) {
  Bytes b = {0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00};  // rectangle, 15-bit fields
  b.push_back(0), b.push_back(24);
  PutLE(b, 100, 2);
  for (const Bytes& t : {Tag(69, {0, 0, 0, 0}), Tag(9, {0x33, 0x66, 0x99}), Tag(2, Content(payload, seed)),
                         Tag(1, {}), Tag(0, {})})
    b.insert(b.end(), t.begin(), t.end());
  return b;
}
Bytes WithHeader(const char* sig, const Bytes& payload, size_t bodyLength) {
  Bytes b(sig, sig + 3);
  b.push_back(10);
  PutLE(b, static_cast<uint32_t>(8 + bodyLength), 4);
  b.insert(b.end(), payload.begin(), payload.end());
  return b;
}
Bytes Compress(const Bytes& body) {
  uLongf n = compressBound(body.size());
  Bytes z(n);
  compress2(z.data(), &n, body.data(), body.size(), 6);
  z.resize(n);
  return z;
}

// The plain cost the header reader is measured against.
bool OpenAndRead64(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  uint8_t buf[64];
  DWORD got = 0;
  bool ok = ReadFile(h, buf, 64, &got, nullptr) && got == 64;
  CloseHandle(h);
  return ok;
}

template <typename F>
double BestOf(int passes, F&& run) {
  double best = 1e300;
  for (int p = 0; p < passes; ++p) {
    Clock::time_point a = Clock::now();
    run();
    best = std::min(best, Seconds(a, Clock::now()));
  }
  return best;
}

void RemoveFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveFolder(folder + name + L"\\");
      } else {
        DeleteFileW((folder + name).c_str());
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

int main() {
  std::wstring root = BenchFolder(L"swfzel-bench-movies-" + std::to_wstring(GetCurrentProcessId()));
  CacheFolder = root + L"cache\\";
  Require(MakeDirs(CacheFolder), "making the cache folder");
  UserDataFolder = root;
  FlashFolder = root;

  // Corpus: 200 plain and 200 compressed movies of 20 to 220 KB.
  const int kMovies = 200;
  std::vector<std::wstring> plain, packed;
  for (int i = 0; i < kMovies; ++i) {
    Bytes body = MovieBody(20000 + 1000 * i, i + 1);
    plain.push_back(root + L"plain" + std::to_wstring(i) + L".swf");
    packed.push_back(root + L"packed" + std::to_wstring(i) + L".swf");
    WriteOrFail(plain.back(), WithHeader("FWS", body, body.size()), "a plain movie");
    WriteOrFail(packed.back(), WithHeader("CWS", Compress(body), body.size()), "a compressed movie");
  }

  // Every file read once as the passes read it: this warms the file cache,
  // writes the header copies and checks each step works.
  SWFInfo info;
  for (const auto* corpus : {&plain, &packed})
    for (const auto& p : *corpus) {
      Require(OpenAndRead64(p), "opening and reading a movie");
      Require(GetSWFInfo(p, info, false).empty() && info.FrameCount == 100 && info.Width == 550,
              "reading a movie's header");
    }
  const int passes = 15;
  double tOpen = 1e300, tPlain = 1e300, tPacked = 1e300;
  for (int pass = 0; pass < passes; ++pass) {  // interleaved, so all see the same machine load
    tOpen = std::min(tOpen, BestOf(1, [&] {
      for (const auto& p : plain) OpenAndRead64(p);
    }));
    tPlain = std::min(tPlain, BestOf(1, [&] {
      for (const auto& p : plain) GetSWFInfo(p, info, false);
    }));
    tPacked = std::min(tPacked, BestOf(1, [&] {
      for (const auto& p : packed) GetSWFInfo(p, info, false);
    }));
  }
  std::printf("Header reading, %d movies, best of %d passes\n", kMovies, passes);
  std::printf("  open and read 64 bytes:               %9.0f files/s\n", kMovies / tOpen);
  std::printf("  GetSWFInfo header-only, plain:        %9.0f files/s  ratio %.2fx\n", kMovies / tPlain,
              tPlain / tOpen);
  std::printf("  GetSWFInfo header-only, compressed:   %9.0f files/s  ratio %.2fx (cached header copy)\n",
              kMovies / tPacked, tPacked / tOpen);

  // Full decompression of one 64 MB movie.
  const size_t kBig = 64u << 20;
  Bytes body = MovieBody(kBig, 7);
  Bytes z = Compress(body);
  std::wstring big = root + L"big.swf";
  WriteOrFail(big, WithHeader("CWS", z, body.size()), "the 64 MB movie");
  Bytes out(body.size());
  std::wstring err;
  int inflated = Z_OK;
  double tZlib = 1e300, tFull = 1e300, tFresh = 1e300, tWrite = 1e300, tPieces = 1e300;
  const std::wstring plainCopy = root + L"plain.bin";
  for (int pass = 0; pass < 7; ++pass) {  // interleaved, so all see the same machine load
    tZlib = std::min(tZlib, BestOf(1, [&] {
      uLongf n = static_cast<uLongf>(out.size());
      inflated = uncompress(out.data(), &n, z.data(), static_cast<uLong>(z.size()));
    }));
    tFull = std::min(tFull, BestOf(1, [&] { err = GetSWFInfo(big, info, true); }));
    Require(inflated == Z_OK, "inflating the 64 MB movie in memory");
    Require(err.empty() && info.FrameCount == 100, "reading the 64 MB movie into the cache");
    // Where the rest goes: the copy written afresh (the earlier one deleted
    // first), and the inflated bytes alone written over a file in place.
    Require(RemoveCacheCopy(info), "removing the copy");
    tFresh = std::min(tFresh, BestOf(1, [&] { err = GetSWFInfo(big, info, true); }));
    Require(err.empty() && info.FrameCount == 100, "reading the 64 MB movie into a fresh cache file");
    tPieces = std::min(tPieces, BestOf(1, [&] {
      z_stream zs{};
      Require(inflateInit(&zs) == Z_OK, "inflateInit");
      zs.next_in = const_cast<Bytef*>(z.data());
      zs.avail_in = static_cast<uInt>(z.size());
      int rc = Z_OK;
      for (size_t at = 0; rc == Z_OK && at < out.size(); at += zs.total_out - at) {
        zs.next_out = out.data() + at;
        zs.avail_out = static_cast<uInt>(std::min<size_t>(1u << 20, out.size() - at));
        rc = inflate(&zs, Z_NO_FLUSH);
      }
      inflateEnd(&zs);
      Require(rc == Z_STREAM_END, "inflating in pieces");
    }));
    tWrite = std::min(tWrite, BestOf(1, [&] {
      BinaryFile f;
      Require(f.OpenForOverwrite(plainCopy) && f.Write(out) && f.Truncate() && f.CloseChecked(), "writing");
    }));
  }
  double mb = body.size() / 1048576.0;
  std::printf("Full decompression, %.0f MB movie (%.0f MB compressed), best of 7\n", mb, z.size() / 1048576.0);
  std::printf("  zlib uncompress in memory:            %9.1f MB/s\n", mb / tZlib);
  std::printf("  GetSWFInfo full (file to cache file): %9.1f MB/s  ratio %.2fx\n", mb / tFull, tFull / tZlib);
  std::printf("  the same into a fresh cache file:     %9.1f MB/s  ratio %.2fx\n", mb / tFresh, tFresh / tZlib);
  std::printf("  zlib inflate in 1 MB pieces, memory:  %9.1f MB/s  (%.2fx)\n", mb / tPieces, tPieces / tZlib);
  std::printf("  writing the 64 MB alone, in place:    %9.1f MB/s  (%.2fx of zlib's time)\n", mb / tWrite,
              tWrite / tZlib);

  RemoveFolder(root);
  return 0;
}
