// Player figures, in this process with the program's own main window: from
// the LoadFlash call to the first painted frame, for the sample movie and a
// 64 MB compressed movie, against the control's LoadMovie plus one paint of
// the same file in the same run; and the cost of one heartbeat tick with the
// skin's live parts (nothing to change, and a new position every tick).
// The program's registry key is moved aside while measuring and put back.
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "moviefiles/SWFInfo.h"
#include "platform/flash/control/FlashControl.h"
#include "player/window/PlayerWindow.h"
#include "player/window/SkinSeam.h"
#include "player/start/Startup.h"
#include "services/Services.h"

namespace {

using Bytes = std::vector<uint8_t>;



// A 64 MB movie (550 x 400, 24 fps, one frame) of low-entropy binary data in
// 1 MB tags, compressed.
Bytes LargeMovie() {
  Bytes body{0x78, 0x00, 0x05, 0x5F, 0x00, 0x00, 0x0F, 0xA0, 0x00, 0x00, 24, 1, 0};
  Tag(body, 9, Bytes{0x33, 0x66, 0x99});
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
  Bytes file{'C', 'W', 'S', 10};
  PutLE(file, static_cast<uint32_t>(body.size() + 8), 4);
  file.insert(file.end(), z.begin(), z.end());
  return file;
}

[[noreturn]] void Fail(const char* step) {
  std::printf("bench_player: %s failed; no figures\n", step);
  std::fflush(stdout);
  ExitProcess(1);
}

// An off-screen surface the size of the control to paint into.
struct Surface {
  Surface(int w, int h) : width(w), height(h) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bitmap);
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  int width, height;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

}  // namespace

int wmain() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  CreateDirectoryW(temp, nullptr);
  const std::wstring large = std::wstring(temp) + L"bench_player_large.swf";
  if (!WriteFileBytes(large, LargeMovie())) Fail("writing the large movie");

  UseOwnSettings(L"bench_player");
  QuietStartSettings();
  const bool started = player::StartUp(L"") == player::StartOutcome::Running;
  auto restore = [] {
    DropOwnSettings();
  };
  if (!started || !player::Player.SWF()) {
    restore();
    Fail("starting the player");
  }
  player::PlayerWindow& w = player::Player;
  const std::wstring sample = AppFolder + L"Media\\Flash\\sample.swf";

  HWND host = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 550, 400, nullptr, nullptr, nullptr, nullptr);
  flash::FlashControl control(host, 0, 0, 550, 400);

  struct Row {
    const char* name;
    std::wstring path;
    std::vector<double> loader, control;
  } rows[] = {{"sample movie", sample, {}, {}}, {"64 MB compressed movie", large, {}, {}}};
  // Each movie by itself, so that every load finds the menus as the last one left them.
  for (Row& r : rows) {
    for (int round = 0; round < 7; ++round) {
      flash::FlashControl* swf = w.SWF();
      Surface shown(std::max(1, swf->Width()), std::max(1, swf->Height()));
      double t0 = Now();
      w.LoadFlash(r.path, L"", false);
      swf->Paint(shown.dc, shown.width, shown.height);
      double t1 = Now();
      if (swf->TotalFrames() <= 0 || w.CurrentSWFInfo.FrameCount <= 0) {
        restore();
        Fail("LoadFlash");
      }
      Surface alone(550, 400);
      double t2 = Now();
      control.LoadMovie(0, r.path);
      control.Paint(alone.dc, alone.width, alone.height);
      double t3 = Now();
      if (control.TotalFrames() <= 0) {
        restore();
        Fail("LoadMovie");
      }
      control.LoadMovie(0, flash::kNoMovie);
      if (round > 0) r.loader.push_back(t1 - t0), r.control.push_back(t3 - t2);
    }
  }

  // Heartbeat ticks on the sample movie with the skin shown.
  w.LoadFlash(sample, L"", false);
  w.PauseMedia();
  const int kTicks = 2000;
  double still = 1e300, moving = 1e300;
  for (int round = 0; round < 5; ++round) {
    double t0 = Now();
    for (int i = 0; i < kTicks; ++i) w.tmrUpdate_Timer();
    double t1 = Now();
    const long total = w.SWF()->TotalFrames();
    for (int i = 0; i < kTicks; ++i) {
      w.SWF()->GotoFrame(i % std::max(total, 1L));
      w.tmrUpdate_Timer();
    }
    double t2 = Now();
    still = std::min(still, (t1 - t0) / kTicks), moving = std::min(moving, (t2 - t1) / kTicks);
  }
  const bool skinned = player::SkinIsLoaded();
  w.Quit(L"Benchmark", false);
  restore();
  DeleteFileW(large.c_str());

  std::printf("From LoadFlash to the first painted frame, against LoadMovie and one paint (medians of 6):\n");
  std::printf("| movie | LoadFlash ms | LoadMovie ms | ratio |\n|---|---|---|---|\n");
  for (const Row& r : rows) {
    const double a = Median(r.loader) * 1000, b = Median(r.control) * 1000;
    std::printf("| %s | %.2f | %.2f | %.2fx |\n", r.name, a, b, a / b);
  }
  std::printf("Heartbeat tick (%s, best of 5 x %d): %.1f us with nothing to change, %.1f us with a new position\n",
              skinned ? "skin loaded" : "NO SKIN", kTicks, still * 1e6, moving * 1e6);
  return 0;
}
