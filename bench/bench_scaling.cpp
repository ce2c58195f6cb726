// Costs of the movie control that should grow in step with the work, at
// sizes 1x, 10x and 100x, each with its cost per item and the ratio of the
// largest size's cost per item to the smallest's:
//   - clips made by a script in one frame (attachMovie, duplicateMovieClip,
//     createEmptyMovieClip), 1,000 to 100,000, with the peak working set
//     after 100,000;
//   - a timeline of 1,000 to 100,000 frames, each moving one shape: read,
//     stepped through and sought from its first frame to its last;
//   - a display list of 500 to 50,000 shapes placed by the timeline: placed,
//     stepped (every shape moves, then the list is built again) and painted;
//   - the private bytes of 100 loads of the same movie into one control.
// The movies are made here.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ActionAssembler.h"
#include "BenchCommon.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/play/MoviePlayer.h"

namespace {

using Bytes = std::vector<uint8_t>;


// Bits written most significant first, as SWF records hold them.
class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}
  void Put(uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) {
      acc_ = acc_ << 1 | ((v >> i) & 1);
      if (++have_ == 8) out_.push_back(static_cast<uint8_t>(acc_)), acc_ = 0, have_ = 0;
    }
  }
  void Flush() {
    if (have_) Put(0, 8 - have_);
  }

 private:
  Bytes& out_;
  uint32_t acc_ = 0;
  int have_ = 0;
};

// A version 8 movie of 550 x 400 pixels at 60 frames a second: the bytes of its frames as given.
Bytes Movie(const Bytes& frames, int frameCount) {
  Bytes body{0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00, 0x00, 60};
  PutLE(body, static_cast<uint32_t>(frameCount), 2);
  Tag(body, 9, {255, 255, 255});
  body.insert(body.end(), frames.begin(), frames.end());
  Tag(body, 0, {});
  Bytes b{'F', 'W', 'S', 8};
  PutLE(b, static_cast<uint32_t>(8 + body.size()), 4);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

void ShowFrame(Bytes& out) { Tag(out, 1, {}); }

// Shape 1: a 12-pixel square filled green.
void DotShape(Bytes& out) {
  Bytes shape{1, 0};
  BitWriter w(shape);
  w.Put(10, 5), w.Put(0, 10), w.Put(240, 10), w.Put(0, 10), w.Put(240, 10);  // bounds 0..240 twips
  w.Flush();
  for (uint8_t b : {1, 0x00, 0xCC, 0x33, 0x00, 0xFF, 0, 0x10}) w.Put(b, 8);  // one solid fill, no lines
  w.Put(0, 1), w.Put(0x05, 5), w.Put(1, 5), w.Put(0, 1), w.Put(0, 1), w.Put(1, 1);
  const int32_t d[4][2] = {{240, 0}, {0, 240}, {-240, 0}, {0, -240}};
  for (const auto& e : d)
    w.Put(1, 1), w.Put(1, 1), w.Put(10, 4), w.Put(1, 1), w.Put(uint32_t(e[0]) & 0xFFF, 12), w.Put(uint32_t(e[1]) & 0xFFF, 12);
  w.Put(0, 6);
  w.Flush();
  Tag(out, 32, shape);
}

// Sprite 2 showing the square, exported as "dot".
void DotSprite(Bytes& out) {
  Bytes sprite{2, 0, 1, 0};
  Tag(sprite, 26, Bytes{0x06, 1, 0, 1, 0, 0x00});
  ShowFrame(sprite);
  Tag(sprite, 0, {});
  Tag(out, 39, sprite);
  Tag(out, 56, Bytes{1, 0, 2, 0, 'd', 'o', 't', 0});
}

// PlaceObject2 of character 1 at depth (or a move of what stands there) to (x, y) in twips.
void Place(Bytes& out, int depth, bool move, int32_t x, int32_t y) {
  Bytes p{static_cast<uint8_t>(move ? 0x05 : 0x06)};
  PutLE(p, static_cast<uint32_t>(depth), 2);
  if (!move) PutLE(p, 1, 2);
  BitWriter w(p);
  w.Put(0, 1), w.Put(0, 1), w.Put(16, 5), w.Put(uint32_t(x) & 0xFFFF, 16), w.Put(uint32_t(y) & 0xFFFF, 16);
  w.Flush();
  Tag(out, 26, p);
}

Bytes DoAction(const std::string& text) {
  std::string error;
  Bytes code = actions::Assemble(text, &error);
  Require(error.empty(), "assembling a script (" + error + ")");
  code.push_back(0);
  Bytes t;
  Tag(t, 12, code);
  return t;
}

std::unique_ptr<flash::MovieDefinition> Define(const Bytes& movie) {
  std::unique_ptr<flash::MovieDefinition> def;
  Require(flash::ReadMovieDefinition(movie, def) == flash::MovieError::None, "reading a generated movie");
  return def;
}

double Best(int rounds, const std::function<double()>& once) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) best = std::min(best, once());
  return best;
}

struct Row {
  const char* what;
  const char* unit;
  std::vector<int> sizes;
  std::function<double(int size)> time;  // seconds for one size
};

// Prints a row: the time and cost per item at each size, and the ratio of the largest's to the smallest's.
void Measure(const Row& row) {
  std::vector<double> per;
  std::printf("  %-44s", row.what);
  for (int n : row.sizes) {
    const double t = row.time(n);
    per.push_back(t / n);
    std::printf(" %7d: %8.1f ms %6.2f us/%s;", n, t * 1000, t / n * 1e6, row.unit);
  }
  std::printf(" ratio %.2f\n", per.back() / per.front());
  std::fflush(stdout);
}

// ---- Clips made by scripts ------------------------------------------------------------------

const char* const kLoopHead = "constants 'i' 'dot' 'attachMovie' '_root' 'c' 'duplicateMovieClip' 'createEmptyMovieClip'; ";

std::string Loop(int count, const std::string& body) {
  return std::string(kLoopHead) + "push c:0, 0; setVariable; loop: push c:0; getVariable; push " +
         std::to_string(count) + "; less2; not; if end; " + body +
         " push c:0, c:0; getVariable; increment; setVariable; jump loop; end:";
}

// _root.attachMovie("dot", "c" + i, i)
std::string AttachLoop(int count) {
  return Loop(count, "push c:0; getVariable; push c:4, c:0; getVariable; add2; push c:1, 3, c:3; getVariable; "
                     "push c:2; callMethod; pop;");
}
// src.duplicateMovieClip("c" + i, i + 1), src attached first
std::string DuplicateLoop(int count) {
  return "push 0, 'src', 'dot', 3, '_root'; getVariable; push 'attachMovie'; callMethod; pop; " +
         Loop(count, "push c:0; getVariable; push 1; add2; push c:4, c:0; getVariable; add2; push 2, 'src'; "
                     "getVariable; push c:5; callMethod; pop;");
}
// _root.createEmptyMovieClip("c" + i, i)
std::string EmptyLoop(int count) {
  return Loop(count, "push c:0; getVariable; push c:4, c:0; getVariable; add2; push 2, c:3; getVariable; "
                     "push c:6; callMethod; pop;");
}

double MakeClips(const std::function<std::string(int)>& script, int count, size_t expected) {
  Bytes frames;
  DotShape(frames);
  DotSprite(frames);
  const Bytes action = DoAction(script(count));
  frames.insert(frames.end(), action.begin(), action.end());
  ShowFrame(frames);
  const auto def = Define(Movie(frames, 1));
  return Best(3, [&] {
    flash::MoviePlayer player(*def, flash::MovieScripts::Factory());
    const double t0 = Now();
    player.Start();
    const double t = Now() - t0;
    Require(player.LiveClips() == expected, "making " + std::to_string(expected) + " clips");
    return t;
  });
}

PROCESS_MEMORY_COUNTERS_EX Memory() {
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof m;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
  return m;
}

void Clips() {
  std::printf("Clips made by a script in one frame, best of 3\n");
  const size_t before = Memory().PeakWorkingSetSize;
  double t100k = 0;
  Measure({"attachMovie", "clip", {1000, 10000, 100000}, [&](int n) {
             const double t = MakeClips(AttachLoop, n, size_t(n));
             if (n == 100000) t100k = t;
             return t;
           }});
  const size_t peak = Memory().PeakWorkingSetSize;
  Measure({"duplicateMovieClip", "clip", {1000, 10000, 100000},
           [](int n) { return MakeClips(DuplicateLoop, n, size_t(n) + 1); }});
  Measure({"createEmptyMovieClip", "clip", {1000, 10000, 100000},
           [](int n) { return MakeClips(EmptyLoop, n, size_t(n)); }});
  std::printf("  100,000 clips by attachMovie: %.2f s; peak working set %.0f MB (%.0f MB before the clips)\n", t100k,
              peak / 1048576.0, before / 1048576.0);
}

// ---- A long timeline ------------------------------------------------------------------------

Bytes Timeline(int frames) {
  Bytes body;
  DotShape(body);
  Place(body, 1, false, 0, 0);
  ShowFrame(body);
  for (int f = 1; f < frames; ++f) {
    Place(body, 1, true, (f * 37) % 10000, (f * 13) % 7000);
    ShowFrame(body);
  }
  return Movie(body, frames);
}

void Timelines() {
  std::printf("A timeline moving one shape in every frame, best of 3\n");
  Measure({"reading the movie", "frame", {1000, 10000, 100000}, [](int n) {
             const Bytes movie = Timeline(n);
             return Best(3, [&] {
               const double t0 = Now();
               Define(movie);
               return Now() - t0;
             });
           }});
  Measure({"stepping through every frame", "frame", {1000, 10000, 100000}, [](int n) {
             const auto def = Define(Timeline(n));
             return Best(3, [&] {
               flash::MoviePlayer player(*def, flash::MovieScripts::Factory());
               player.Start();
               const double t0 = Now();
               for (int f = 1; f < n; ++f) player.Advance();
               const double t = Now() - t0;
               Require(player.CurrentFrame() == n - 1, "stepping to the last frame");
               return t;
             });
           }});
  Measure({"seeking from the first frame to the last", "frame", {1000, 10000, 100000}, [](int n) {
             const auto def = Define(Timeline(n));
             return Best(3, [&] {
               flash::MoviePlayer player(*def, flash::MovieScripts::Factory());
               player.Start();
               const double t0 = Now();
               player.GotoFrame(n - 1);
               const double t = Now() - t0;
               Require(player.CurrentFrame() == n - 1, "seeking to the last frame");
               return t;
             });
           }});
}

// ---- A large display list -------------------------------------------------------------------

// Frame 1 places count squares over the stage; frame 2 moves each of them.
Bytes Crowd(int count) {
  Bytes body;
  DotShape(body);
  for (int i = 0; i < count; ++i) Place(body, i + 1, false, (i * 37) % 10760, (i * 53) % 7760);
  ShowFrame(body);
  for (int i = 0; i < count; ++i) Place(body, i + 1, true, (i * 41) % 10760, (i * 29) % 7760);
  ShowFrame(body);
  return Movie(body, 2);
}

HBITMAP TopDown32(int w, int h, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

double Paint(const std::wstring& path, int count) {
  HWND host = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 550, 400, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  flash::FlashControl control(host, 0, 0, 550, 400);
  Require(control.hWnd() != nullptr, "making the movie control's window");
  control.SetPlaying(false);
  control.LoadMovie(0, path);
  Require(control.FrameNum() >= 0, "loading the crowd's movie");
  control.Stop();
  Require(control.Player()->Root().objects.size() == size_t(count), "placing the crowd");
  void* bits = nullptr;
  HBITMAP bmp = TopDown32(550, 400, &bits);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  const double t = Best(3, [&] {
    const double t0 = Now();
    Require(SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0) == 0, "painting the crowd");
    GdiFlush();
    return Now() - t0;
  });
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
  DestroyWindow(host);
  return t;
}

void DisplayLists() {
  std::printf("A display list of squares placed by the timeline, best of 3\n");
  Measure({"placing (reading the movie, its first frame)", "object", {500, 5000, 50000}, [](int n) {
             const Bytes movie = Crowd(n);
             return Best(3, [&] {
               const double t0 = Now();
               const auto def = Define(movie);
               flash::MoviePlayer player(*def, flash::MovieScripts::Factory());
               player.Start();
               const double t = Now() - t0;
               Require(player.Root().objects.size() == size_t(n), "placing the squares");
               return t;
             });
           }});
  Measure({"stepping (all move; all placed again)", "object", {500, 5000, 50000}, [](int n) {
             const auto def = Define(Crowd(n));
             flash::MoviePlayer player(*def, flash::MovieScripts::Factory());
             player.Start();
             return Best(3, [&] {
               const double t0 = Now();
               for (int i = 0; i < 10; ++i) player.Advance();
               return (Now() - t0) / 10;
             });
           }});
  const std::wstring folder = BenchFolder(L"bench_scaling");
  Measure({"painting 550x400", "object", {500, 5000, 50000}, [&](int n) {
             const std::wstring path = folder + L"crowd" + std::to_wstring(n) + L".swf";
             WriteOrFail(path, Crowd(n), "the crowd's movie");
             const double t = Paint(path, n);
             DeleteFileW(path.c_str());
             return t;
           }});
}

// ---- Loading one movie again and again --------------------------------------------------------

void Reloads() {
  const std::wstring folder = BenchFolder(L"bench_scaling");
  const std::wstring path = folder + L"reload.swf";
  WriteOrFail(path, [] {
    Bytes frames;
    DotShape(frames);
    DotSprite(frames);
    const Bytes action = DoAction(AttachLoop(2000));
    frames.insert(frames.end(), action.begin(), action.end());
    ShowFrame(frames);
    return Movie(frames, 1);
  }(), "the reloaded movie");
  HWND host = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 550, 400, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  {
    flash::FlashControl control(host, 0, 0, 550, 400);
    Require(control.hWnd() != nullptr, "making the movie control's window");
    size_t after10 = 0, after100 = 0;
    const double t0 = Now();
    for (int i = 1; i <= 100; ++i) {
      control.LoadMovie(0, path);
      Require(control.Player() && control.Player()->LiveClips() == 2000, "loading the movie of 2,000 clips");
      if (i == 10) after10 = Memory().PagefileUsage;  // the private bytes (Wine leaves PrivateUsage empty)
      if (i == 100) after100 = Memory().PagefileUsage;
    }
    const double t = Now() - t0;
    std::printf("100 loads of one movie making 2,000 clips into one control: %.1f ms a load; private bytes "
                "%.1f MB after 10, %.1f MB after 100 (%+.1f KB a load)\n",
                t * 10, after10 / 1048576.0, after100 / 1048576.0,
                (static_cast<double>(after100) - static_cast<double>(after10)) / 90 / 1024);
  }
  DestroyWindow(host);
  DeleteFileW(path.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring only = argc > 1 ? argv[1] : L"";
  if (only.empty() || only == L"clips") Clips();
  if (only.empty() || only == L"timeline") Timelines();
  if (only.empty() || only == L"list") DisplayLists();
  if (only.empty() || only == L"reload") Reloads();
  return 0;
}
