// Large lists at the start, in this process with the program's own main
// window, each against its baseline in the same run: a playlist file of
// 10,000 entries as the start's command line takes it once the window shows
// (the list cleared, the file read, its rows in the box; then the first
// entry loaded and the box painted) against the XML reader loading the same
// file alone; and a folder
// of 50,000 movies without thumbnails browsed to the first painted page
// against listing the folder with FindFirstFileW alone. Medians of
// interleaved rounds; the ratio is the median of each round's own ratio.
// Then how each grows with its size, per entry or file: playlist files of
// 100, 1,000 and 10,000 entries, folders of 500, 5,000 and 50,000 movies.
// The argument "playlist" measures the playlist file alone.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "platform/flash/control/FlashControl.h"
#include "player/window/PlayerWindow.h"
#include "player/start/Startup.h"
#include "services/Services.h"
#include "services/XmlDocument.h"

namespace {

constexpr int kEntries = 10000, kMovies = 50000, kListRounds = 9, kFolderRounds = 5;

std::vector<uint8_t> ReadWholeFileOrEmpty(const std::wstring& path) {
  BinaryFile file;
  if (!file.OpenRead(path) || file.Size() <= 0 || file.Size() > (64 << 20)) return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
  return file.ReadExactAt(0, bytes) ? bytes : std::vector<uint8_t>{};
}

void Check(bool ok, const std::string& step) {
  if (ok) return;
  DropOwnSettings();
  Fail(step);
}

// One row of a table of sizes: the median time per item at each size, in
// microseconds, and the ratio of the largest size's to the smallest's.
void PrintGrowth(const char* what, const std::vector<double> (&perItem)[3]) {
  std::printf("  %-40s %9.2f %9.2f %9.2f  %.2f\n", what, Median(perItem[0]) * 1e6, Median(perItem[1]) * 1e6,
              Median(perItem[2]) * 1e6, Median(perItem[2]) / Median(perItem[0]));
}

std::wstring Numbered(const std::wstring& folder, const wchar_t* stem, int i) {
  wchar_t name[32];
  swprintf(name, 32, L"%ls%05d.swf", stem, i);
  return folder + name;
}

double RatioOfRounds(const std::vector<double>& ours, const std::vector<double>& base) {
  std::vector<double> r;
  for (size_t i = 0; i < ours.size() && i < base.size(); ++i) r.push_back(ours[i] / base[i]);
  return Median(r);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool playlistOnly = argc > 1 && std::wstring(argv[1]) == L"playlist";
  const std::wstring root = BenchFolder(L"bench_biglists");
  const std::wstring listed = root + L"list\\", many = root + L"many\\", empty = root + L"empty\\";
  for (const auto& f : {listed, many, empty}) Require(MakeDirs(f), "making the folders");

  UseOwnSettings(L"bench_biglists");
  QuietStartSettings();
  SetText(L"Recent", L"", empty);
  SetText(L"Recent", L"MyFlash", empty);
  Check(player::StartUp(L"") == player::StartOutcome::Running && player::Player.SWF(), "starting the player");
  player::PlayerWindow& w = player::Player;
  flash::FlashControl* swf = w.SWF();

  const std::vector<uint8_t> sample = ReadWholeFileOrEmpty(AppFolder + L"Media\\Flash\\sample.swf");
  Check(!sample.empty(), "reading the sample movie");

  // The playlist file of 10,000 movies that exist, and those of its first 100 and 1,000.
  const int entrySizes[] = {kEntries / 100, kEntries / 10, kEntries};
  std::wstring lists[3];
  std::string text = "<?xml version=\"1.0\"?>\r\n<PLAYLIST app=\"SWF.zel\" build=\"680\" play=\"-1\">";
  for (int i = 0; i < kEntries; ++i) {
    const std::wstring movie = Numbered(listed, L"movie", i);
    if (FileSizeOf(movie) != static_cast<int64_t>(sample.size())) WriteOrFail(movie, sample, "a movie");
    text += "<FILE>" + std::string(movie.begin(), movie.end()) + "</FILE>";
    for (int s = 0; s < 3; ++s) {
      if (i + 1 != entrySizes[s]) continue;
      const std::string whole = text + "</PLAYLIST>\r\n";
      lists[s] = root + L"list" + std::to_wstring(entrySizes[s]) + L".swfzel";
      WriteOrFail(lists[s], std::vector<uint8_t>(whole.begin(), whole.end()), "the playlist file");
    }
  }
  const std::wstring list = lists[2];
  HWND box = FindWindowExW(w.hWnd(), nullptr, L"ListBox", nullptr);
  Check(box != nullptr, "finding the playlist box");
  if (!w.MenuChecked(L"mnuPlaylist")) w.TogglePlaylist(player::kPlaylistShow);

  std::vector<double> ours, rows, base;
  for (int round = 0; round < kListRounds; ++round) {
    double t0 = Now();
    {
      XmlDocument doc;
      Check(doc.Load(list), "the XML reader loading the playlist");
    }
    base.push_back(Now() - t0);

    // What the start does once its window shows, step by step as its command
    // line runs them: the file added to the list (empty, as at a start without
    // a remembered list), its rows in the box, the first entry played.
    w.PlaylistClear();
    Painted(box);
    t0 = Now();
    w.PlaylistAdd(std::vector<std::wstring>{list});
    rows.push_back(Now() - t0);
    Check(SendMessageW(box, LB_GETCOUNT, 0, 0) == kEntries, "the rows in the box");
    w.PlaylistPlayItem(0);
    Painted(box);
    ours.push_back(Now() - t0);
    Check(w.Caption() == L"SWF.zel - movie00000.swf", "loading the first entry");
  }
  auto best = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()) * 1000; };
  std::printf("playlist file of %d entries, medians (best) of %d rounds, ms:\n", kEntries, kListRounds);
  std::printf("  the XML reader loading it alone                 %7.1f (%.1f)\n", Median(base) * 1000, best(base));
  std::printf("  the file read, its rows in the box              %7.1f (%.1f), ratio %.2f (target 2)\n",
              Median(rows) * 1000, best(rows), RatioOfRounds(rows, base));
  std::printf("  and the first entry playing, the box painted    %7.1f (%.1f), ratio %.2f\n", Median(ours) * 1000,
              best(ours), RatioOfRounds(ours, base));
  w.PlaylistClear();

  // How the rows grow: each size's file read and its rows in the box, per entry.
  std::vector<double> perEntry[3];
  for (int round = 0; round < kListRounds; ++round) {
    for (int s = 0; s < 3; ++s) {
      w.PlaylistClear();
      Painted(box);
      const double t0 = Now();
      w.PlaylistAdd(std::vector<std::wstring>{lists[s]});
      perEntry[s].push_back((Now() - t0) / entrySizes[s]);
      Check(SendMessageW(box, LB_GETCOUNT, 0, 0) == entrySizes[s], "the rows of each size");
    }
  }
  w.PlaylistClear();
  std::printf("how it grows, medians of %d rounds, microseconds per entry:\n", kListRounds);
  std::printf("  %-40s %9s %9s %9s  largest/smallest\n", "entries", "100", "1,000", "10,000");
  PrintGrowth("a playlist file read, its rows in the box", perEntry);
  if (playlistOnly) {
    w.Quit(L"Benchmark", false);
    DropOwnSettings();
    return 0;
  }

  // The folder of 50,000 movies, no thumbnail made, and folders of 500 and 5,000.
  const int movieSizes[] = {kMovies / 100, kMovies / 10, kMovies};
  const std::wstring folders[] = {root + L"many500\\", root + L"many5000\\", many};
  for (int s = 0; s < 3; ++s) {
    Require(MakeDirs(folders[s]), "making the folders");
    for (int i = 0; i < movieSizes[s]; ++i) {
      const std::wstring movie = Numbered(folders[s], L"m", i);
      if (FileSizeOf(movie) != static_cast<int64_t>(sample.size())) WriteOrFail(movie, sample, "a movie of the folder");
    }
  }
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 1024, 768);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  ours.clear(), base.clear();
  std::vector<double> perMovie[3];
  for (int round = 0; round < kFolderRounds; ++round) {
    for (int s = 0; s < 2; ++s) {  // the smaller folders, in the same rounds
      const double t0 = Now();
      w.BrowseFolder(folders[s], false);
      Check(swf->Paint(dc, std::max(1, swf->Width()), std::max(1, swf->Height())), "painting the page");
      perMovie[s].push_back((Now() - t0) / movieSizes[s]);
      Check(w.Browsed && w.BrowseItemCount() == movieSizes[s], "listing a smaller folder");
      w.BrowseFolder(empty, false);
    }
    double t0 = Now();
    size_t names = 0;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((many + L"*").c_str(), &data);
    Check(find != INVALID_HANDLE_VALUE, "listing with FindFirstFileW");
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++names;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    base.push_back(Now() - t0);
    Check(names == kMovies, "the names listed");

    t0 = Now();
    w.BrowseFolder(many, false);
    Check(swf->Paint(dc, std::max(1, swf->Width()), std::max(1, swf->Height())), "painting the page");
    ours.push_back(Now() - t0);
    perMovie[2].push_back(ours.back() / kMovies);
    Check(w.Browsed && w.BrowseItemCount() == kMovies, "listing the folder");
    Check(w.Thumbnails().Running() && w.Thumbnails().Made() == 0, "leaving the thumbnails to the background");
    w.BrowseFolder(empty, false);  // the run ends before it made any
  }
  std::printf("folder of %d movies without thumbnails, medians (best) of %d rounds, ms:\n", kMovies, kFolderRounds);
  std::printf("  FindFirstFileW listing it alone                 %7.1f (%.1f)\n", Median(base) * 1000, best(base));
  std::printf("  browsed to the first painted page               %7.1f (%.1f), ratio %.2f (target 3)\n",
              Median(ours) * 1000, best(ours), RatioOfRounds(ours, base));
  std::printf("how it grows, medians of %d rounds, microseconds per movie:\n", kFolderRounds);
  std::printf("  %-40s %9s %9s %9s  largest/smallest\n", "movies", "500", "5,000", "50,000");
  PrintGrowth("browsed to the first painted page", perMovie);

  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  w.Quit(L"Benchmark", false);
  DropOwnSettings();
  return 0;
}
