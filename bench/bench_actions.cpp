// Script figures of the movie control: a counting loop of 10 million simple
// actions (arithmetic, variables and a property read), once on the main
// timeline's variables and once in a function's registers, against the same
// loop in C++ in this run; and the frames of a 550x400 movie whose 500 clips
// each move themselves in an onEnterFrame handler (the scripts of a frame,
// and a whole frame with its painting).
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ActionAssembler.h"
#include "BenchCommon.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/flash/play/MoviePlayer.h"
#include "platform/flash/binding/MovieScripts.h"

namespace {

using Bytes = std::vector<uint8_t>;


[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "bench_actions: %s\n", what);
  std::exit(1);
}

Bytes Code(const std::string& text) {
  std::string error;
  Bytes code = actions::Assemble(text, &error);
  if (!error.empty()) Fail(("the script does not assemble: " + error).c_str());
  code.push_back(0);
  return code;
}

// A version 8 movie of 550 x 400 pixels at 60 frames a second: the tags given, then one frame.
Bytes Movie(const std::vector<Bytes>& tags) {
  Bytes body{0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00, 0x00, 60};
  PutLE(body, 1, 2);
  Tag(body, 9, {255, 255, 255});
  for (const Bytes& t : tags) body.insert(body.end(), t.begin(), t.end());
  Tag(body, 1, {});
  Tag(body, 0, {});
  Bytes b{'F', 'W', 'S', 8};
  PutLE(b, static_cast<uint32_t>(8 + body.size()), 4);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

Bytes DoAction(const std::string& text) {
  Bytes t;
  Tag(t, 12, Code(text));
  return t;
}

// The counting loop as compilers write it on a timeline: 24 actions a turn.
constexpr int kTurns = 416667;
constexpr double kActionsTimeline = 24.0 * kTurns + 9;
const std::string kTimelineLoop =
    "constants 'i' 'sum' 'o' 'p'; push 'o', 'p', 3, 1; initObject; setVariable; push c:0, 0; setVariable; "
    "push c:1, 0; setVariable; "
    "loop: push c:0; getVariable; push " + std::to_string(kTurns) + "; less2; not; if end; "
    "push c:1, c:1; getVariable; push c:0; getVariable; push 2; multiply; add2; push c:2; getVariable; push c:3; "
    "getMember; add2; setVariable; push c:0, c:0; getVariable; increment; setVariable; jump loop; end:";
// The same in a function's registers: 18 actions a turn.
constexpr int kRegisterTurns = 555556;
constexpr double kActionsRegisters = 18.0 * kRegisterTurns + 12;
const std::string kRegisterLoop =
    "function2 count regs=4 flags=0 (r3:o) { push 0; storeRegister 1; pop; push 0; storeRegister 2; pop; "
    "loop: push r:1, " + std::to_string(kRegisterTurns) + "; less2; not; if end; "
    "push r:2, r:1, 2; multiply; add2; push r:3, 'p'; getMember; add2; storeRegister 2; pop; "
    "push r:1; increment; storeRegister 1; pop; jump loop; end: push r:2; return }; "
    "push 'o', 'p', 3, 1; initObject; setVariable; push 'o'; getVariable; push 1, 'count'; callFunction; "
    "push 'sum'; stackSwap; setVariable";

double Best(int rounds, const std::function<double()>& once) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) best = std::min(best, once());
  return best;
}

// Runs the first frame's script of a movie; its time.
double RunScript(const Bytes& movie, double& sum) {
  std::unique_ptr<flash::MovieDefinition> def;
  if (flash::ReadMovieDefinition(movie, def) != flash::MovieError::None) Fail("the loop's movie does not load");
  flash::MovieScripts* scripts = nullptr;
  flash::MoviePlayer player(*def, flash::MovieScripts::Factory(&scripts));
  const double t0 = Now();
  player.Start();
  const double t = Now() - t0;
  sum = _wtof(scripts->GetVariable(L"sum").c_str());
  return t;
}

volatile double property = 3;  // read at every turn, as the script reads o.p

double CppLoop(int turns, double& sum) {
  const double t0 = Now();
  double s = 0;
  for (int i = 0; i < turns; ++i) s = s + i * 2 + property;
  sum = s;
  return Now() - t0;
}

HBITMAP TopDown32(int w, int h, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace

int wmain() {
  // ---- 10 million actions --------------------------------------------------------------------
  double sumScript = 0, sumCpp = 0;
  const Bytes timeline = Movie({DoAction(kTimelineLoop)}), registers = Movie({DoAction(kRegisterLoop)});
  const double tTimeline = Best(5, [&] { return RunScript(timeline, sumScript); });
  const double tCpp = Best(5, [&] { return CppLoop(kTurns, sumCpp); });
  if (sumScript != sumCpp) Fail("the script's sum differs from C++'s");
  double sumRegisters = 0, sumCpp2 = 0;
  const double tRegisters = Best(5, [&] { return RunScript(registers, sumRegisters); });
  const double tCpp2 = Best(5, [&] { return CppLoop(kRegisterTurns, sumCpp2); });
  if (sumRegisters != sumCpp2) Fail("the function's sum differs from C++'s");
  std::printf("A counting loop of 10 million simple actions, best of 5\n");
  std::printf("  timeline variables: %7.1f ms, %5.1f million actions/s; the same loop in C++: %6.2f ms, ratio %.0fx\n",
              tTimeline * 1000, kActionsTimeline / tTimeline / 1e6, tCpp * 1000, tTimeline / tCpp);
  std::printf("  function registers: %7.1f ms, %5.1f million actions/s; the same loop in C++: %6.2f ms, ratio %.0fx\n",
              tRegisters * 1000, kActionsRegisters / tRegisters / 1e6, tCpp2 * 1000, tRegisters / tCpp2);

  // ---- What a movie's scripts cost it before they run ------------------------------------------
  {
    std::unique_ptr<flash::MovieDefinition> def;
    if (flash::ReadMovieDefinition(Movie({}), def) != flash::MovieError::None) Fail("the empty movie does not load");
    const double tMake = Best(20, [&] {
      const double t0 = Now();
      flash::MoviePlayer player(*def, flash::MovieScripts::Factory());
      return Now() - t0;
    });
    std::printf("Making the scripts of a movie (the interpreter and its built-in classes): %.2f ms, best of 20\n",
                tMake * 1000);
  }

  // ---- 500 clips moving themselves ----------------------------------------------------------------
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  CreateDirectoryW(temp, nullptr);
  const std::wstring path = std::wstring(temp) + L"bench_actions_clips.swf";
  // A dot (a 12-pixel square) in a sprite exported as "dot"; 500 of them attached, each moving itself.
  Bytes shape{1, 0};
  Bytes records;
  {
    uint64_t acc = 0;
    int have = 0;
    auto put = [&](uint32_t v, int n) {
      for (int i = n - 1; i >= 0; --i) {
        acc = acc << 1 | ((v >> i) & 1);
        if (++have == 8) records.push_back(static_cast<uint8_t>(acc)), acc = 0, have = 0;
      }
    };
    auto flush = [&] {
      if (have) put(0, 8 - have);
    };
    put(10, 5), put(0, 10), put(240, 10), put(0, 10), put(240, 10);  // bounds 0..240 twips
    flush();
    for (uint8_t b : {1, 0x00, 0xCC, 0x33, 0x00, 0xFF, 0, 0x10}) put(b, 8);  // one solid fill, no lines
    // To (0, 0) with fill 1, four straight edges of 240 twips, the end.
    put(0, 1), put(0x05, 5), put(1, 5), put(0, 1), put(0, 1), put(1, 1);
    const int32_t d[4][2] = {{240, 0}, {0, 240}, {-240, 0}, {0, -240}};
    for (const auto& e : d) put(1, 1), put(1, 1), put(10, 4), put(1, 1), put(uint32_t(e[0]) & 0xFFF, 12), put(uint32_t(e[1]) & 0xFFF, 12);
    put(0, 6);
    flush();
  }
  shape.insert(shape.end(), records.begin(), records.end());
  Bytes shapeTag, sprite, exports, place;
  Tag(shapeTag, 32, shape);
  Bytes spriteBody{2, 0, 1, 0};
  {
    Bytes p{0x06, 1, 0, 1, 0, 0x00};
    Tag(spriteBody, 26, p);
    Tag(spriteBody, 1, {});
    Tag(spriteBody, 0, {});
  }
  Tag(sprite, 39, spriteBody);
  Tag(exports, 56, Bytes{1, 0, 2, 0, 'd', 'o', 't', 0});
  const std::string setup =
      "constants 'i' 'd' 'dot' 'attachMovie' '_x' '_y' 'vx' 'onEnterFrame' 'this'; push c:0, 0; setVariable; "
      "loop: push c:0; getVariable; push 500; less2; not; if end; "
      "push c:0; getVariable; push 'd', c:0; getVariable; add2; push c:2, 3, '_root'; getVariable; push c:3; "
      "callMethod; storeRegister 1; pop; "
      "push r:1, c:4, c:0; getVariable; push 37; multiply; push 550; modulo; setMember; "
      "push r:1, c:5, c:0; getVariable; push 13; multiply; push 400; modulo; setMember; "
      "push r:1, c:6, c:0; getVariable; push 7; modulo; push 1; add2; setMember; "
      "push r:1, c:7; function2 '' regs=2 flags=0x1 () { push r:1, c:4, r:1, c:4; getMember; push r:1, c:6; "
      "getMember; add2; push 550; modulo; setMember }; setMember; "
      "push c:0, c:0; getVariable; increment; setVariable; jump loop; end:";
  if (!WriteFileBytes(path, Movie({shapeTag, sprite, exports, DoAction(setup)}))) Fail("can't write the clips' movie");
  HWND host = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 550, 400, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  double now = 0;
  flash::FlashControl control(host, 0, 0, 550, 400);
  if (!control.hWnd()) Fail("no window for the movie control (no display?)");
  control.SetClock([&now] { return now; });
  control.LoadMovie(0, path);
  if (control.FrameNum() < 0) Fail("the clips' movie does not load");
  control.Move(0, 0, 550, 400);
  if (control.Player()->LiveClips() != 500) Fail("the movie has not made its 500 clips");
  void* bits = nullptr;
  HBITMAP bmp = TopDown32(550, 400, &bits);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  constexpr int kFrames = 120;
  double scripts = 1e9, whole = 1e9;
  for (int round = 0; round < 5; ++round) {
    double tScripts = 0, tWhole = 0;
    for (int f = 0; f < kFrames; ++f) {
      now += 1.0 / 60;
      const double t0 = Now();
      control.Pump();
      const double t1 = Now();
      if (SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0) != 0) Fail("a frame was not painted");
      GdiFlush();
      const double t2 = Now();
      tScripts += t1 - t0, tWhole += t2 - t0;
    }
    scripts = std::min(scripts, tScripts / kFrames), whole = std::min(whole, tWhole / kFrames);
  }
  const std::wstring x = control.GetVariable(L"d7._x");
  if (x.empty()) Fail("the clips did not move");
  std::printf("500 clips each moving itself in onEnterFrame, 550x400, best of 5 x %d frames\n", kFrames);
  std::printf("  the scripts of a frame: %6.2f ms; a whole frame with painting: %6.2f ms, %4.0f frames per second\n",
              scripts * 1000, whole * 1000, 1 / whole);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bmp);
  DestroyWindow(host);
  DeleteFileW(path.c_str());
  return 0;
}
