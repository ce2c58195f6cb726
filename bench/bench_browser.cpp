// Media browser figures, in this process with the program's own main window:
// BrowseFolder of 1,000 movies whose thumbnails exist, up to the first
// painted page, against listing the folder with FindFirstFileW, checking the
// 1,000 thumbnail names exist and decoding one page of thumbnails; and the
// missing thumbnails made per second by a listing's run (progress window
// shown), against the snapshot plus SaveJPG alone for the same movies.
// The program's registry key is moved aside while measuring and put back.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "base/ErrorLog.h"
#include "images/IntelJPEGLibrary.h"
#include "moviefiles/MovieCache.h"
#include "platform/flash/parse/BitmapDecoder.h"
#include "platform/flash/control/FlashControl.h"
#include "player/window/PlayerWindow.h"
#include "player/start/Startup.h"
#include "player/movie/Thumbnails.h"
#include "player/commands/ToolWindowOpeners.h"
#include "services/Services.h"
#include "tools/common/ToolWindows.h"
#include "ui/frmFlashShot.h"

namespace {


std::vector<uint8_t> ReadWholeFileOrEmpty(const std::wstring& path) {
  BinaryFile file;
  if (!file.OpenRead(path) || file.Size() <= 0 || file.Size() > (64 << 20)) return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
  return file.ReadExactAt(0, bytes) ? bytes : std::vector<uint8_t>{};
}

void Restore() {
  DropOwnSettings();
}

void Check(bool ok, const std::string& step) {
  if (ok) return;
  Restore();
  Fail(step);
}

std::wstring Numbered(const std::wstring& folder, int i) {
  wchar_t name[32];
  swprintf(name, 32, L"movie%04d.swf", i);
  return folder + name;
}

// One page of thumbnails (12 cells) decoded and drawn, as the page's first paint does.
void DecodePage(const std::vector<std::wstring>& thumbs, HDC dc) {
  for (size_t i = 0; i < 12 && i < thumbs.size(); ++i) {
    const auto bytes = ReadWholeFileOrEmpty(thumbs[i]);
    auto bitmap = flash::DecodeWithCodecs(bytes);
    Check(bitmap != nullptr, "decoding a thumbnail");
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), bitmap->width, -bitmap->height, 1, 32, BI_RGB};
    StretchDIBits(dc, static_cast<int>(i % 4) * 150, static_cast<int>(i / 4) * 150, bitmap->width, bitmap->height, 0, 0,
                  bitmap->width, bitmap->height, bitmap->pixels.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
  }
}

}  // namespace

int wmain() {
  const std::wstring root = BenchFolder(L"bench_browser");
  const std::wstring listed = root + L"listed\\", fresh = root + L"fresh\\", empty = root + L"empty\\";
  for (const auto& f : {listed, fresh, empty}) Require(MakeDirs(f), "making the folders");

  UseOwnSettings(L"bench_browser");
  QuietStartSettings();
  SetText(L"Recent", L"", empty);
  SetText(L"Recent", L"MyFlash", empty);
  tools::AttachToolWindows();
  Check(player::StartUp(L"") == player::StartOutcome::Running && player::Player.SWF(), "starting the player");
  player::PlayerWindow& w = player::Player;

  // 1,000 movies (copies of the sample) whose thumbnails exist in the cache.
  const std::vector<uint8_t> sample = ReadWholeFileOrEmpty(AppFolder + L"Media\\Flash\\sample.swf");
  Check(!sample.empty(), "reading the sample movie");
  cDIBSection thumb;
  Check(thumb.Create(120, 90), "making a thumbnail");
  std::vector<std::wstring> thumbs;
  for (int i = 0; i < 1000; ++i) {
    const std::wstring movie = Numbered(listed, i);
    WriteOrFail(movie, sample, "a movie");
    thumbs.push_back(player::ThumbnailPath(movie, false));
    if (GetFileAttributesW(thumbs.back().c_str()) == INVALID_FILE_ATTRIBUTES)
      Check(SaveJPG(thumb, thumbs.back(), 90), "writing a thumbnail");
  }

  flash::FlashControl* swf = w.SWF();
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 800, 600);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);

  std::vector<double> ours, base;
  for (int round = 0; round < 7; ++round) {
    double t0 = Now();
    w.BrowseFolder(listed, false);
    Check(swf->Paint(dc, std::max(1, swf->Width()), std::max(1, swf->Height())), "painting the page");
    double t1 = Now();
    Check(w.Browsed && w.BrowseItemCount() == 1000, "listing the folder");
    ours.push_back(t1 - t0);

    t0 = Now();
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((listed + L"*").c_str(), &data);
    Check(find != INVALID_HANDLE_VALUE, "listing with FindFirstFileW");
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    int present = 0;
    for (const auto& n : names)
      present += GetFileAttributesW((CacheFolder + GetCacheFileName(listed + n, L".jpg", true, true)).c_str()) !=
                 INVALID_FILE_ATTRIBUTES;
    DecodePage(thumbs, dc);
    t1 = Now();
    Check(present == 1000, "finding the thumbnails");
    base.push_back(t1 - t0);
  }
  const double o = Median(ours) * 1000, b = Median(base) * 1000;
  std::printf("BrowseFolder of 1,000 movies with thumbnails, to the first painted page: ours %.1f ms, "
              "FindFirstFileW + thumbnail checks + one page decoded %.1f ms, ratio %.2f\n", o, b, o / b);

  // Missing thumbnails: a listing's run against the snapshot and SaveJPG alone.
  constexpr int kFresh = 24;
  std::vector<std::wstring> movies;
  for (int i = 0; i < kFresh; ++i) {
    movies.push_back(Numbered(fresh, i));
    WriteOrFail(movies.back(), sample, "a movie");
  }
  auto clear = [&] {
    for (const auto& m : movies) DeleteFileW(player::ThumbnailPath(m, false).c_str());
  };
  // The run's own time, from its log line (the progress window's opening and
  // closing stand apart: under Xvfb, with no window manager, Wine waits 2 s for
  // a closing window to be withdrawn).
  double loopMs = 0;
  SetLogSink([&](const std::wstring& text, bool) {
    const size_t at = text.find(L"Thumbnail Generation (");
    const size_t in = text.find(L") in ");
    if (at != std::wstring::npos && in != std::wstring::npos) loopMs = _wtof(text.c_str() + in + 5);
  });
  std::vector<double> run, loop, alone;
  for (int round = 0; round < 3; ++round) {
    clear();
    double t0 = Now();
    w.BrowseFolder(fresh, false);
    double t1 = Now();
    for (const auto& m : movies)
      Check(GetFileAttributesW(player::ThumbnailPath(m, false).c_str()) != INVALID_FILE_ATTRIBUTES, "the run's thumbnails");
    run.push_back(t1 - t0);
    loop.push_back(loopMs / 1000);
    clear();
    t0 = Now();
    for (const auto& m : movies) {
      PrepareShot(m, L"", false, ShotSettings{});
      Check(SaveJPG(frmFlashShot.myDib, player::ThumbnailPath(m, false), 90), "SaveJPG");
    }
    frmFlashShot.Unload();
    t1 = Now();
    alone.push_back(t1 - t0);
  }
  SetLogSink(nullptr);
  const double rps = kFresh / Median(loop), aps = kFresh / Median(alone);
  std::printf("Missing thumbnails made: ours %.1f per second (the run's loop, progress window shown), "
              "snapshot + SaveJPG alone %.1f per second, time ratio %.2f; whole listing with the window %.0f ms\n",
              rps, aps, aps / rps, Median(run) * 1000);
  clear();
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  w.Quit(L"Benchmark", false);
  Restore();
  return 0;
}
