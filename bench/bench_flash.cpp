// Movie control figures: LoadMovie of a 64 MB compressed movie against zlib's
// in-memory uncompress alone, stepping through every frame of a movie with
// 10,000 display-list changes (frames per second, and one seek to the end),
// painting an 800x600 stage of 500 curved gradient shapes and a rotated
// bitmap (anti-aliased and not; the same paths filled by GDI+ beside it and
// the peak working set; the same stage with a drop shadow on every shape),
// 50 clips moving with a blur
// on each against the same clips without, and thumbnails of the shipped
// movies at 160x120. Every step that is timed is checked (the files written,
// the movies loaded, the frames reached, pixels painted); the program stops
// with an error at the first that failed.
#include <windows.h>
#include <psapi.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "platform/flash/control/FlashControl.h"

namespace {

using Bytes = std::vector<uint8_t>;

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

// MSB-first bit fields.
struct Bits {
  Bytes out;
  uint32_t acc = 0;
  int have = 0;
  Bits& Put(uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) {
      acc = acc << 1 | ((v >> i) & 1);
      if (++have == 8) out.push_back(static_cast<uint8_t>(acc)), acc = 0, have = 0;
    }
    return *this;
  }
  Bytes Done() {
    if (have) Put(0, 8 - have);
    return out;
  }
};
Bytes Matrix(double a, double b, double c, double d, int32_t tx, int32_t ty) {
  Bits w;
  auto fixed = [](double v) { return static_cast<uint32_t>(static_cast<int32_t>(v * 65536)); };
  w.Put(1, 1).Put(31, 5).Put(fixed(a), 31).Put(fixed(d), 31);
  w.Put(1, 1).Put(31, 5).Put(fixed(b), 31).Put(fixed(c), 31);
  w.Put(24, 5).Put(static_cast<uint32_t>(tx), 24).Put(static_cast<uint32_t>(ty), 24);
  return w.Done();
}
void Append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

// A closed blob of four quadratic curves around (0, 0) with radius r twips.
struct Blob {
  double pts[8][2];  // anchor, control, anchor, control, ...
};
Blob MakeBlob(double r, uint32_t& seed) {
  Blob b;
  for (int i = 0; i < 8; ++i) {
    seed = seed * 1664525 + 1013904223;
    const double k = (i % 2 ? 1.41 : 1.0) * r * (0.7 + (seed >> 24) / 512.0);
    const double a = i * 3.14159265358979 / 4;
    b.pts[i][0] = std::cos(a) * k, b.pts[i][1] = std::sin(a) * k;
  }
  return b;
}

// Filter records: 16.16 and 8.8 fixed-point fields, a drop shadow as a
// movie's defaults give it (black, blur 4, 45 degrees, distance 4, strength
// 1, one pass), and a blur of the given width and passes.
void PutFixed(Bytes& b, double v) { PutLE(b, static_cast<uint32_t>(static_cast<int32_t>(std::lround(v * 65536))), 4); }
Bytes DropShadowList() {
  Bytes f{1, 0, 0, 0, 0, 255};
  PutFixed(f, 4), PutFixed(f, 4), PutFixed(f, 3.14159265358979 / 4), PutFixed(f, 4);
  PutLE(f, 256, 2);
  f.push_back(0x20 | 1);
  return f;
}
Bytes BlurList(double width, int passes) {
  Bytes f{1, 1};
  PutFixed(f, width), PutFixed(f, width);
  f.push_back(static_cast<uint8_t>(passes << 3));
  return f;
}

// An 800x600 movie: a 64x64 bitmap on a rotated repeating fill under 500 blobs
// with linear or radial gradients, each turned and placed at random (with a
// drop shadow on each when asked).
Bytes BusyStage(std::vector<Blob>& blobs, std::vector<std::pair<double, double>>& places, bool shadows) {
  Bits rect;  // 0..16000 x 0..12000 twips
  rect.Put(16, 5).Put(0, 16).Put(16000, 16).Put(0, 16).Put(12000, 16);
  Bytes b = rect.Done();
  b.push_back(0), b.push_back(24);
  PutLE(b, 1, 2);
  Tag(b, 9, Bytes{255, 255, 255});
  Bytes pixels;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) Append(pixels, Bytes{255, static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4), 128});
  uLongf zn = compressBound(pixels.size());
  Bytes z(zn);
  compress2(z.data(), &zn, pixels.data(), pixels.size(), 6);
  z.resize(zn);
  Bytes lossless{1, 0, 5, 64, 0, 64, 0};
  Append(lossless, z);
  Tag(b, 20, lossless);
  // The bitmap shape: the whole stage, bitmap turned 30 degrees and scaled 3x.
  Bytes back{2, 0};
  Bits bounds;
  bounds.Put(16, 5).Put(0, 16).Put(16000, 16).Put(0, 16).Put(12000, 16);
  Append(back, bounds.Done());
  back.push_back(1), back.push_back(0x40), back.push_back(1), back.push_back(0);
  Append(back, Matrix(52, 30, -30, 52, 0, 0));
  back.push_back(0), back.push_back(0x10);
  Bits rec;
  rec.Put(0, 1).Put(0x05, 5).Put(20, 5).Put(0, 20).Put(0, 20).Put(1, 1);
  const int32_t corners[4][2] = {{16000, 0}, {16000, 12000}, {0, 12000}, {0, 0}};
  int32_t x = 0, y = 0;
  for (const auto& c : corners) {
    rec.Put(1, 1).Put(1, 1).Put(15, 4).Put(1, 1).Put(static_cast<uint32_t>(c[0] - x), 17).Put(static_cast<uint32_t>(c[1] - y), 17);
    x = c[0], y = c[1];
  }
  rec.Put(0, 6);
  Append(back, rec.Done());
  Tag(b, 32, back);
  uint32_t seed = 7;
  for (int i = 0; i < 500; ++i) {
    const uint16_t id = static_cast<uint16_t>(10 + i);
    Blob blob = MakeBlob(600 + (i % 7) * 150, seed);
    Bytes s;
    PutLE(s, id, 2);
    Bits sb;
    sb.Put(16, 5).Put(static_cast<uint32_t>(-2000), 16).Put(2000, 16).Put(static_cast<uint32_t>(-2000), 16).Put(2000, 16);
    Append(s, sb.Done());
    s.push_back(1);
    s.push_back(i % 2 ? 0x10 : 0x12);
    Append(s, Matrix(0.08, 0.02, -0.02, 0.08, 0, 0));
    s.push_back(3);
    const uint8_t r = static_cast<uint8_t>(i * 37), g = static_cast<uint8_t>(i * 91), bl = static_cast<uint8_t>(i * 53);
    Append(s, Bytes{0, r, g, bl, 255, 128, bl, r, g, 200, 255, g, 255, r, 160});
    s.push_back(0), s.push_back(0x10);
    Bits e;
    int32_t px = static_cast<int32_t>(blob.pts[0][0]), py = static_cast<int32_t>(blob.pts[0][1]);
    e.Put(0, 1).Put(0x05, 5).Put(20, 5).Put(static_cast<uint32_t>(px), 20).Put(static_cast<uint32_t>(py), 20).Put(1, 1);
    for (int k = 0; k < 4; ++k) {
      const int32_t cx = static_cast<int32_t>(blob.pts[2 * k + 1][0]), cy = static_cast<int32_t>(blob.pts[2 * k + 1][1]);
      const int32_t ax = static_cast<int32_t>(blob.pts[(2 * k + 2) % 8][0]), ay = static_cast<int32_t>(blob.pts[(2 * k + 2) % 8][1]);
      e.Put(1, 1).Put(0, 1).Put(15, 4).Put(static_cast<uint32_t>(cx - px), 17).Put(static_cast<uint32_t>(cy - py), 17);
      e.Put(static_cast<uint32_t>(ax - cx), 17).Put(static_cast<uint32_t>(ay - cy), 17);
      px = ax, py = ay;
    }
    e.Put(0, 6);
    Append(s, e.Done());
    Tag(b, 32, s);
    blobs.push_back(blob);
  }
  Bytes place{0x06, 1, 0, 2, 0};
  Append(place, Matrix(1, 0, 0, 1, 0, 0));
  Tag(b, 26, place);
  for (int i = 0; i < 500; ++i) {
    seed = seed * 1664525 + 1013904223;
    const double tx = (seed >> 8) % 16000, ty = (seed >> 4) % 12000;
    const double angle = i * 0.7;
    places.emplace_back(tx, ty);
    Bytes p{0x06};
    if (shadows) p.push_back(0x01);  // PlaceObject3 with a filter list
    PutLE(p, static_cast<uint32_t>(2 + i), 2);
    PutLE(p, static_cast<uint32_t>(10 + i), 2);
    Append(p, Matrix(std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle), static_cast<int32_t>(tx),
                     static_cast<int32_t>(ty)));
    if (shadows) Append(p, DropShadowList());
    Tag(b, shadows ? 70 : 26, p);
  }
  Tag(b, 1, {});
  Tag(b, 0, {});
  Bytes file = Header("FWS", static_cast<uint32_t>(b.size() + 8));
  Append(file, b);
  return file;
}

// A 550x400 movie of 48 frames: a sprite (character 1) holding a blue
// 50-pixel square, placed 50 times (blurred when blur > 0, 2 passes),
// every clip moving round a circle of its own from frame to frame.
constexpr int kClips = 50, kClipFrames = 48;
Bytes MovingClips(double blur) {
  Bytes b = MovieStart(kClipFrames);
  Bytes shape{3, 0};
  Bits bounds;
  bounds.Put(12, 5).Put(0, 12).Put(1000, 12).Put(0, 12).Put(1000, 12);
  Append(shape, bounds.Done());
  Append(shape, Bytes{1, 0, 40, 90, 220, 0, 0x10});
  Bits rec;
  rec.Put(0, 1).Put(0x05, 5).Put(20, 5).Put(0, 20).Put(0, 20).Put(1, 1);
  const int32_t corners[4][2] = {{1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}};
  int32_t x = 0, y = 0;
  for (int k = 0; k < 4; ++k) {
    rec.Put(1, 1).Put(1, 1).Put(15, 4).Put(1, 1);
    rec.Put(static_cast<uint32_t>(corners[k][0] - x), 17).Put(static_cast<uint32_t>(corners[k][1] - y), 17);
    x = corners[k][0], y = corners[k][1];
  }
  rec.Put(0, 6);
  Append(shape, rec.Done());
  Tag(b, 2, shape);
  Bytes sprite{1, 0, 1, 0};
  Bytes inner{0x06, 1, 0, 3, 0};
  Append(inner, Matrix(1, 0, 0, 1, 0, 0));
  Tag(sprite, 26, inner);
  Tag(sprite, 1, {});
  Tag(sprite, 0, {});
  Tag(b, 39, sprite);
  auto at = [](int clip, int frame, bool vertical) {
    const double a = frame * 2 * 3.14159265358979 / kClipFrames + clip;
    return static_cast<int32_t>(vertical ? 800 + (clip / 10) * 1350 + 600 * std::sin(a)
                                         : 800 + (clip % 10) * 950 + 600 * std::cos(a));
  };
  for (int i = 0; i < kClips; ++i) {
    Bytes p{0x06, static_cast<uint8_t>(blur > 0 ? 0x01 : 0)};
    PutLE(p, static_cast<uint32_t>(1 + i), 2);
    PutLE(p, 1, 2);
    Append(p, Matrix(1, 0, 0, 1, at(i, 0, false), at(i, 0, true)));
    if (blur > 0) Append(p, BlurList(blur, 2));
    Tag(b, 70, p);
  }
  Tag(b, 1, {});
  for (int f = 1; f < kClipFrames; ++f) {
    for (int i = 0; i < kClips; ++i) Place(b, static_cast<uint16_t>(1 + i), false, at(i, f, false), at(i, f, true));
    Tag(b, 1, {});
  }
  Tag(b, 0, {});
  Bytes file = Header("FWS", static_cast<uint32_t>(b.size() + 8));
  Append(file, b);
  return file;
}

// FNV-1a of a picture's pixels: the same picture gives the same figure from run to run.
uint64_t PixelHash(const std::vector<uint32_t>& pixels) {
  uint64_t h = 14695981039346656037ull;
  for (const uint32_t p : pixels) h = (h ^ p) * 1099511628211ull;
  return h;
}

// GDI+ through its flat interface, loaded at run time.
struct GdiPlus {
  HMODULE dll = LoadLibraryW(L"gdiplus.dll");
  template <typename F>
  F Get(const char* name) {
    return dll ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name))) : nullptr;
  }
};

// The same blobs (their quadratic curves as cubic ones) filled by GDI+ in
// solid colours, smoothing on: seconds per frame, or -1 when GDI+ is missing.
double GdiPlusFrame(HDC dc, const std::vector<Blob>& blobs, const std::vector<std::pair<double, double>>& places) {
  struct StartupInput {
    UINT32 version = 1;
    void* callback = nullptr;
    BOOL noThread = FALSE, noCodecs = FALSE;
  } input;
  GdiPlus g;
  using Startup = int(WINAPI*)(ULONG_PTR*, const StartupInput*, void*);
  using FromHdc = int(WINAPI*)(HDC, void**);
  using Smoothing = int(WINAPI*)(void*, int);
  using NewPath = int(WINAPI*)(int, void**);
  using AddBezier = int(WINAPI*)(void*, float, float, float, float, float, float, float, float);
  using Close = int(WINAPI*)(void*);
  using NewBrush = int(WINAPI*)(uint32_t, void**);
  using FillPath = int(WINAPI*)(void*, void*, void*);
  using Delete = int(WINAPI*)(void*);
  auto startup = g.Get<Startup>("GdiplusStartup");
  auto fromHdc = g.Get<FromHdc>("GdipCreateFromHDC");
  auto smoothing = g.Get<Smoothing>("GdipSetSmoothingMode");
  auto newPath = g.Get<NewPath>("GdipCreatePath");
  auto bezier = g.Get<AddBezier>("GdipAddPathBezier");
  auto close = g.Get<Close>("GdipClosePathFigure");
  auto brush = g.Get<NewBrush>("GdipCreateSolidFill");
  auto fill = g.Get<FillPath>("GdipFillPath");
  auto deletePath = g.Get<Delete>("GdipDeletePath");
  auto deleteBrush = g.Get<Delete>("GdipDeleteBrush");
  auto deleteGraphics = g.Get<Delete>("GdipDeleteGraphics");
  ULONG_PTR token = 0;
  if (!startup || !fill || !deleteGraphics || startup(&token, &input, nullptr) != 0) return -1;
  double best = 1e300;
  for (int pass = 0; pass < 5; ++pass) {
    const double t0 = Now();
    void* graphics = nullptr;
    fromHdc(dc, &graphics);
    smoothing(graphics, 4);  // anti-aliased
    for (size_t i = 0; i < blobs.size(); ++i) {
      const double angle = i * 0.7, c = std::cos(angle), s = std::sin(angle);
      auto px = [&](double x, double y) { return static_cast<float>((c * x - s * y + places[i].first) / 20); };
      auto py = [&](double x, double y) { return static_cast<float>((s * x + c * y + places[i].second) / 20); };
      void* path = nullptr;
      newPath(0, &path);
      for (int k = 0; k < 4; ++k) {
        const double* a = blobs[i].pts[2 * k];
        const double* q = blobs[i].pts[2 * k + 1];
        const double* b = blobs[i].pts[(2 * k + 2) % 8];
        const double c1x = a[0] + 2.0 / 3 * (q[0] - a[0]), c1y = a[1] + 2.0 / 3 * (q[1] - a[1]);
        const double c2x = b[0] + 2.0 / 3 * (q[0] - b[0]), c2y = b[1] + 2.0 / 3 * (q[1] - b[1]);
        bezier(path, px(a[0], a[1]), py(a[0], a[1]), px(c1x, c1y), py(c1x, c1y), px(c2x, c2y), py(c2x, c2y),
               px(b[0], b[1]), py(b[0], b[1]));
      }
      close(path);
      void* solid = nullptr;
      brush(0xC0000000u | static_cast<uint32_t>(i * 2654435761u >> 8), &solid);
      fill(graphics, solid, path);
      deleteBrush(solid);
      deletePath(path);
    }
    deleteGraphics(graphics);
    best = std::min(best, Now() - t0);
  }
  return best;
}

// Fills dc's w x h with a colour no movie here paints, so that a paint that
// drew nothing shows.
constexpr COLORREF kUnpainted = RGB(1, 2, 3);
void MarkUnpainted(HDC dc, int w, int h) {
  RECT r{0, 0, w, h};
  HBRUSH brush = CreateSolidBrush(kUnpainted);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}
// Whether the paint reached the middle of the picture, or (some) any of a grid of points.
bool Painted(HDC dc, int w, int h, bool some = false) {
  if (!some) return GetPixel(dc, w / 2, h / 2) != kUnpainted;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (GetPixel(dc, x * w / 16, y * h / 16) != kUnpainted) return true;
  return false;
}

}  // namespace

int main() {
  const std::wstring temp = BenchFolder(L"swfzel-bench-flash");
  const std::wstring big = temp + L"bench_flash_big.swf";
  const std::wstring busy = temp + L"bench_flash_busy.swf";
  HWND host = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 550, 400, nullptr, nullptr, nullptr, nullptr);
  Require(host != nullptr, "making the host window");
  flash::FlashControl control(host, 0, 0, 550, 400);
  Require(control.hWnd() != nullptr, "making the movie control");

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
  WriteOrFail(big, file, "the 64 MB movie");
  Bytes out(body.size());
  double tZlib = 1e300, tLoad = 1e300;
  for (int pass = 0; pass < 5; ++pass) {
    double t0 = Now();
    uLongf n = static_cast<uLongf>(out.size());
    const int inflated = uncompress(out.data(), &n, z.data(), static_cast<uLong>(z.size()));
    double t1 = Now();
    control.LoadMovie(0, big);
    double t2 = Now();
    Require(inflated == Z_OK && n == out.size(), "inflating the 64 MB movie in memory");
    Require(control.Movie() && control.TotalFrames() == 1, "loading the 64 MB movie");
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
  WriteOrFail(busy, plain, "the movie of 1,000 frames");
  double now = 0;
  control.SetClock([&] { return now; });
  double tStep = 1e300, tSeek = 1e300;
  for (int pass = 0; pass < 5; ++pass) {
    control.LoadMovie(0, busy);
    Require(control.Movie() && control.TotalFrames() == kFrames, "loading the movie of 1,000 frames");
    control.SetLoop(false);
    control.Play();
    double t0 = Now();
    while (control.Playing()) {
      now += 1.0 / 24;
      control.Pump();
    }
    double t1 = Now();
    Require(control.CurrentFrame() == kFrames - 1, "stepping to the last frame");
    control.GotoFrame(0);
    double t2 = Now();
    control.GotoFrame(kFrames - 1);
    double t3 = Now();
    Require(control.CurrentFrame() == kFrames - 1, "seeking to the last frame");
    tStep = std::min(tStep, t1 - t0), tSeek = std::min(tSeek, t3 - t2);
  }
  std::printf("Stepping %d frames with %d display-list changes, best of 5\n", kFrames, kFrames * kPerFrame);
  std::printf("  frames per second: %.0f\n", kFrames / tStep);
  std::printf("  seek from frame 0 to the last: %.2f ms\n", tSeek * 1000);
  // Painting 800x600: 500 curved gradient shapes over a rotated bitmap, then the same with a drop shadow on each.
  const std::wstring stage = temp + L"bench_flash_stage.swf";
  const std::wstring shadowed = temp + L"bench_flash_shadowed.swf";
  std::vector<Blob> blobs, shadowBlobs;
  std::vector<std::pair<double, double>> places, shadowPlaces;
  WriteOrFail(stage, BusyStage(blobs, places, false), "the stage of 500 shapes");
  WriteOrFail(shadowed, BusyStage(shadowBlobs, shadowPlaces, true), "the stage of 500 shadowed shapes");
  control.SetClock(nullptr);
  control.Move(0, 0, 800, 600);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, 800, 600);
  ReleaseDC(nullptr, screen);
  Require(memory && canvas, "making the 800x600 picture to paint into");
  HGDIOBJ old = SelectObject(memory, canvas);
  // Seconds a paint of the loaded movie takes, best of 5 x 10.
  auto paintTime = [&] {
    MarkUnpainted(memory, 800, 600);
    SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);
    Require(Painted(memory, 800, 600), "painting the stage");
    double best = 1e300;
    for (int pass = 0; pass < 5; ++pass) {
      const double t0 = Now();
      for (int f = 0; f < 10; ++f) SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);
      best = std::min(best, (Now() - t0) / 10);
    }
    return best;
  };
  // The first paint after loading (filters worked out, layers made), best of 5 loads.
  auto firstPaint = [&](const std::wstring& movie) {
    double best = 1e300;
    for (int pass = 0; pass < 5; ++pass) {
      control.LoadMovie(0, movie);
      Require(control.Movie() && control.TotalFrames() == 1, "loading a stage of 500 shapes");
      MarkUnpainted(memory, 800, 600);
      const double t0 = Now();
      SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);
      best = std::min(best, Now() - t0);
      Require(Painted(memory, 800, 600), "painting a stage of 500 shapes");
    }
    return best;
  };
  std::vector<uint32_t> plainPixels(800 * 600), shadowPixels(800 * 600);
  std::printf("Painting an 800x600 stage: 500 curved gradient shapes over a rotated bitmap, best of 5 x 10 frames\n");
  double plainHigh = 0;
  for (const wchar_t* quality : {L"High", L"Low"}) {
    control.SetQuality2(quality);
    control.LoadMovie(0, stage);
    Require(control.Movie() && control.TotalFrames() == 1, "loading the stage of 500 shapes");
    const double best = paintTime();
    std::vector<uint32_t> pixels(800 * 600);
    GetBitmapBits(canvas, 800 * 600 * 4, pixels.data());
    if (quality[0] == L'H') plainHigh = best, plainPixels = pixels;
    std::printf("  %-4ls (%s): %6.1f ms a frame, %5.1f frames per second, pixels %016llx\n", quality,
                quality[0] == L'H' ? "anti-aliased, bitmap smoothed" : "hard edges", best * 1000, 1 / best,
                static_cast<unsigned long long>(PixelHash(pixels)));
  }
  control.SetQuality2(L"High");
  control.LoadMovie(0, shadowed);
  Require(control.Movie() && control.TotalFrames() == 1, "loading the stage of 500 shadowed shapes");
  const double shadowHigh = paintTime();
  GetBitmapBits(canvas, 800 * 600 * 4, shadowPixels.data());
  Require(plainPixels != shadowPixels, "drawing the drop shadows");
  std::printf("  High, a drop shadow on every shape (kept layers): %6.1f ms a frame, %.2fx the plain stage\n",
              shadowHigh * 1000, shadowHigh / plainHigh);
  const double plainFirst = firstPaint(stage), shadowFirst = firstPaint(shadowed);
  std::printf("  First paint after loading, High: plain %6.1f ms, with drop shadows %6.1f ms, %.2fx\n", plainFirst * 1000,
              shadowFirst * 1000, shadowFirst / plainFirst);
  // The same paths alone, solid fills, ours against GDI+ (both anti-aliased).
  MarkUnpainted(memory, 800, 600);
  const double gdiplus = GdiPlusFrame(memory, blobs, places);
  if (gdiplus > 0) Require(Painted(memory, 800, 600, true), "filling the paths through GDI+");
  if (gdiplus > 0)
    std::printf("  GDI+ filling the same 500 paths (solid, anti-aliased): %6.1f ms a frame, %.2fx our High frame\n",
                gdiplus * 1000, gdiplus / plainHigh);
  PROCESS_MEMORY_COUNTERS counters{};
  if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
    std::printf("  peak working set so far (the 64 MB movie included): %.1f MB\n", counters.PeakWorkingSetSize / 1048576.0);
  SelectObject(memory, old);
  DeleteObject(canvas);
  DeleteDC(memory);

  // 50 clips moving, blurred and not: every frame stepped and painted at 550x400.
  {
    const std::wstring clips = temp + L"bench_flash_clips.swf";
    HDC dc = CreateCompatibleDC(nullptr);
    HDC screenDc = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screenDc, 550, 400);
    ReleaseDC(nullptr, screenDc);
    Require(dc && picture, "making the 550x400 picture");
    HGDIOBJ was = SelectObject(dc, picture);
    control.Move(0, 0, 550, 400);
    control.SetClock([&] { return now; });
    std::printf("%d clips moving at 550x400 (each frame stepped and painted), best of 5 x %d frames\n", kClips, kClipFrames);
    double plain = 0;
    for (const double blur : {0.0, 8.0}) {
      WriteOrFail(clips, MovingClips(blur), "the movie of moving clips");
      double best = 1e300;
      for (int pass = 0; pass < 5; ++pass) {
        control.LoadMovie(0, clips);
        Require(control.Movie() && control.TotalFrames() == kClipFrames, "loading the movie of moving clips");
        control.SetLoop(false);
        control.Play();
        const double t0 = Now();
        for (int f = 1; f < kClipFrames; ++f) {
          now += 1.0 / 24;
          control.Pump();
          SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        }
        best = std::min(best, Now() - t0);
        Require(control.CurrentFrame() == kClipFrames - 1, "playing the moving clips to their last frame");
        MarkUnpainted(dc, 550, 400);
        SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        Require(Painted(dc, 550, 400, true), "painting the moving clips");
      }
      const double fps = (kClipFrames - 1) / best;
      if (blur == 0) plain = fps;
      std::printf("  %-31s %6.0f frames per second%s", blur > 0 ? "blurred (8 x 8, 2 passes):" : "without filters:", fps,
                  blur > 0 ? "" : "\n");
      if (blur > 0) std::printf(", %.2fx the time of the plain ones\n", plain / fps);
    }
    control.SetClock(nullptr);
    SelectObject(dc, was);
    DeleteObject(picture);
    DeleteDC(dc);
    DeleteFileW(clips.c_str());
  }

  // Thumbnails of the shipped movies at 160x120.
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring folder(exe);
  folder = folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"Media\\Flash\\";
  std::vector<std::wstring> movies;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"*.swf").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do movies.push_back(folder + found.cFileName);
    while (FindNextFileW(find, &found));
    FindClose(find);
  }
  Require(!movies.empty(), "finding the shipped movies");
  {
    HDC dc = CreateCompatibleDC(nullptr);
    HDC screenDc = GetDC(nullptr);
    HBITMAP thumb = CreateCompatibleBitmap(screenDc, 160, 120);
    ReleaseDC(nullptr, screenDc);
    Require(dc && thumb, "making the thumbnail picture");
    HGDIOBJ was = SelectObject(dc, thumb);
    control.Move(0, 0, 160, 120);
    control.SetQuality2(L"High");
    // One round of every movie; each shot checked (the check costs microseconds).
    auto round = [&] {
      const double t0 = Now();
      for (const std::wstring& m : movies) {
        control.LoadMovie(0, m);
        Require(control.Movie() && control.TotalFrames() > 0, "loading a shipped movie");
        control.GotoFrame(control.TotalFrames() / 2);
        MarkUnpainted(dc, 160, 120);
        SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        Require(Painted(dc, 160, 120), "painting a thumbnail");
      }
      return (Now() - t0) / static_cast<double>(movies.size());
    };
    // The first round also pays what the control sets up once (tens of ms).
    const double first = round();
    double best = 1e300;
    for (int r = 0; r < 5; ++r) best = std::min(best, round());
    std::printf("Thumbnails at 160x120 of the %d shipped movies (load, seek to the middle, paint), best of 5 rounds: "
                "%.2f ms, %.0f per second (first round %.2f ms)\n",
                static_cast<int>(movies.size()), best * 1000, 1 / best, first * 1000);
    SelectObject(dc, was);
    DeleteObject(thumb);
    DeleteDC(dc);
  }
  DeleteFileW(stage.c_str());
  DeleteFileW(shadowed.c_str());
  DeleteFileW(big.c_str());
  DeleteFileW(busy.c_str());
  RemoveDirectoryW(temp.c_str());
  DestroyWindow(host);
  return 0;
}
