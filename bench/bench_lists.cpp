// Playlist benchmark, each against its baseline measured in the same run:
// adding a folder of 10,000 movies to a playlist whose list box is a real
// one (rows added) against listing the folder with FindFirstFileW alone;
// saving the 10,000-entry playlist and reading it back against the XML
// parser loading and saving the same document alone; and removing 1,000
// selected rows of the 10,000. Medians of several rounds. Then how the work
// grows with the list: a playlist file of 100, 1,000 and 10,000 entries read
// into the playlist, and a tenth of such a list's rows removed, each per
// entry or row.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "player/lists/Playlist.h"
#include "player/lists/PlaylistFile.h"
#include "services/AppIdentity.h"
#include "services/XmlDocument.h"
#include "ui/OwnerDrawn.h"

namespace {

constexpr int kMovies = 10000, kRemoved = 1000, kRounds = 15;

// The playlist's window: a plain window with the program's playlist box.
class BoxHost final : public player::PlaylistHost {
 public:
  explicit BoxHost(HWND box) : box_(box) {}
  void RowsAdded(int count) override {
    SendMessageW(box_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(box_, LB_INITSTORAGE, static_cast<WPARAM>(count), 0);
    for (int i = 0; i < count; ++i) SendMessageW(box_, LB_ADDSTRING, 0, 0);
    SendMessageW(box_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box_, nullptr, TRUE);
  }
  void RowRemoved(int index) override { SendMessageW(box_, LB_DELETESTRING, static_cast<WPARAM>(index), 0); }
  void RowsCleared() override { SendMessageW(box_, LB_RESETCONTENT, 0, 0); }
  void SelectRow(int) override {}
  void Repaint() override { InvalidateRect(box_, nullptr, FALSE); }
  void SetRedraw(bool on) override {
    SendMessageW(box_, WM_SETREDRAW, on, 0);
    if (on) InvalidateRect(box_, nullptr, TRUE);
  }
  void SetExportEnabled(bool) override {}
  void SetNextEnabled(bool) override {}
  void LoadEntry(const std::wstring&) override {}
  void BrowseMedia() override {}
  void AddRecent(const std::wstring&) override {}
  bool KeepHistory() const override { return false; }
  std::wstring HistoryFile() const override { return L""; }
  bool AcceptsProgram(const std::wstring&) const override { return false; }

 private:
  HWND box_;
};

// The playlist the box's rows are drawn from.
const player::Playlist* Shown = nullptr;

double Best(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

std::wstring TempFolder() {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  std::wstring folder = std::wstring(base) + L"bench_lists_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

}  // namespace

int main() {
  EnsureCom();
  const std::wstring folder = TempFolder();
  const std::wstring movies = folder + L"movies\\";
  CreateDirectoryW(movies.c_str(), nullptr);
  const std::vector<uint8_t> bytes{'F', 'W', 'S', 9};
  for (int i = 0; i < kMovies; ++i) {
    wchar_t name[64];
    swprintf(name, 64, L"movie %05d.swf", i);
    WriteFileBytes(movies + name, bytes);
  }

  // The player's box: owner-drawn rows without text, extended selection, drawn by the program's painter.
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_DRAWITEM) {
      if (Shown) DrawPlaylistItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lp), Shown->Items(), Shown->Current());
      return TRUE;
    }
    if (m == WM_MEASUREITEM) {
      reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = 24;
      return TRUE;
    }
    return DefWindowProcW(w, m, wp, lp);
  };
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"BenchLists";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, L"BenchLists", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 600,
                                nullptr, nullptr, nullptr, nullptr);
  HWND box = CreateWindowExW(0, L"LISTBOX", nullptr,
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_EXTENDEDSEL |
                                 LBS_NOINTEGRALHEIGHT,
                             0, 0, 380, 560, window, nullptr, nullptr, nullptr);
  BoxHost host(box);
  player::Playlist list(host);
  Shown = &list;

  // Adding the folder, against listing it.
  std::vector<double> listing, adding;
  size_t seen = 0;
  for (int round = 0; round < kRounds; ++round) {
    double t0 = Now();
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((movies + L"*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
      do ++seen;
      while (FindNextFileW(find, &fd));
      FindClose(find);
    }
    listing.push_back(Now() - t0);

    list.Clear();
    Pump();
    t0 = Now();
    list.Add(movies, 0);
    adding.push_back(Now() - t0);
    Pump();
  }
  const LRESULT rows = SendMessageW(box, LB_GETCOUNT, 0, 0);

  // Saving and reading back, against the parser loading and saving alone.
  const std::wstring saved = folder + L"bench.swfzel", copy = folder + L"copy.swfzel";
  std::vector<double> ours, parser, writing, reading, loading;
  size_t entries = 0;
  list.Save(saved);
  for (int round = 0; round < kRounds; ++round) {
    double t0 = Now();
    {
      XmlDocument doc;
      doc.Load(saved);
      doc.Save(copy);
    }
    parser.push_back(Now() - t0);
    t0 = Now();
    list.Save(saved);
    const double t1 = Now();
    entries = player::ReadPlaylistFile(saved, app::kVersionRevision).Entries.size();
    ours.push_back(Now() - t0);
    writing.push_back(t1 - t0);
    reading.push_back(Now() - t1);
    t0 = Now();
    {
      XmlDocument doc;
      doc.Load(saved);
    }
    loading.push_back(Now() - t0);
  }

  // Removing every tenth row, selected.
  std::vector<double> removing;
  LRESULT left = 0;
  for (int round = 0; round < 5; ++round) {
    list.Clear();
    list.Add(movies, 0);
    Pump();
    for (int i = 0; i < kMovies; i += kMovies / kRemoved) SendMessageW(box, LB_SETSEL, TRUE, i);
    const double t0 = Now();
    std::vector<int> rowsSelected(static_cast<size_t>(SendMessageW(box, LB_GETSELCOUNT, 0, 0)));
    SendMessageW(box, LB_GETSELITEMS, rowsSelected.size(), reinterpret_cast<LPARAM>(rowsSelected.data()));
    SendMessageW(box, LB_SETSEL, FALSE, -1);
    list.RemoveRows(rowsSelected);
    Pump();
    removing.push_back(Now() - t0);
    left = SendMessageW(box, LB_GETCOUNT, 0, 0);
  }

  // How the work grows: each size's median per entry or row (interleaved rounds).
  const int sizes[] = {100, 1000, 10000};
  std::vector<double> perRead[3], perRemoved[3];
  std::vector<std::wstring> files;
  for (int n : sizes) {
    std::string text = "<?xml version=\"1.0\"?>\r\n<PLAYLIST app=\"SWF.zel\" build=\"680\" play=\"-1\">";
    for (int i = 0; i < n; ++i) {
      char name[96];
      std::snprintf(name, sizeof name, "<FILE>C:\\Movies\\Collection\\movie %05d.swf</FILE>", i);
      text += name;
    }
    text += "</PLAYLIST>\r\n";
    files.push_back(folder + L"scale" + std::to_wstring(n) + L".swfzel");
    WriteFileBytes(files.back(), std::vector<uint8_t>(text.begin(), text.end()));
  }
  for (int round = 0; round < kRounds; ++round) {
    for (size_t s = 0; s < 3; ++s) {
      const int n = sizes[s];
      list.Clear();
      Pump();
      double t0 = Now();
      list.Add(files[s], 0);
      const double read = Now() - t0;
      Require(list.Items().size() == static_cast<size_t>(n), "reading the playlist file");
      perRead[s].push_back(read / n);
      Pump();
      for (int i = 0; i < n; i += 10) SendMessageW(box, LB_SETSEL, TRUE, i);
      t0 = Now();
      std::vector<int> selected(static_cast<size_t>(SendMessageW(box, LB_GETSELCOUNT, 0, 0)));
      SendMessageW(box, LB_GETSELITEMS, selected.size(), reinterpret_cast<LPARAM>(selected.data()));
      SendMessageW(box, LB_SETSEL, FALSE, -1);
      list.RemoveRows(selected);
      Pump();
      perRemoved[s].push_back((Now() - t0) / (n / 10));
      Require(list.Items().size() == static_cast<size_t>(n - n / 10), "removing the rows");
    }
  }

  // Each round's own ratio, then their median: the machine's load swings whole rounds.
  auto ratio = [](const std::vector<double>& ours, const std::vector<double>& base) {
    std::vector<double> r;
    for (size_t i = 0; i < ours.size() && i < base.size(); ++i) r.push_back(ours[i] / base[i]);
    return Median(r);
  };
  std::printf("medians (best) of %d interleaved rounds, ms; ratio: median of the rounds' own ratios\n", kRounds);
  std::printf("listing %d files with FindFirstFileW: %.1f (%.1f)\n", kMovies, Median(listing) * 1000,
              Best(listing) * 1000);
  std::printf("adding the folder to the playlist, %ld rows: %.1f (%.1f), ratio %.2f\n", static_cast<long>(rows),
              Median(adding) * 1000, Best(adding) * 1000, ratio(adding, listing));
  std::printf("parser loading and saving the %d-entry playlist: %.1f (%.1f)\n", kMovies, Median(parser) * 1000,
              Best(parser) * 1000);
  std::printf("PlaylistSave and reading back, %zu entries: %.1f (%.1f), ratio %.2f; save %.1f, read %.1f\n", entries,
              Median(ours) * 1000, Best(ours) * 1000, ratio(ours, parser), Median(writing) * 1000,
              Median(reading) * 1000);
  std::printf("the parser loading alone: %.1f (%.1f)\n", Median(loading) * 1000, Best(loading) * 1000);
  std::printf("removing %d selected rows of %d: %.1f (%.1f), %ld rows left\n", kRemoved, kMovies,
              Median(removing) * 1000, Best(removing) * 1000, static_cast<long>(left));
  std::printf("(%zu names listed)\n", seen);
  std::printf("how the work grows, medians of %d rounds, microseconds per entry (per row removed):\n", kRounds);
  std::printf("  %-44s %9s %9s %9s  largest/smallest\n", "", "100", "1,000", "10,000");
  auto row = [&](const char* what, std::vector<double>* per) {
    std::printf("  %-44s %9.2f %9.2f %9.2f  %.2f\n", what, Median(per[0]) * 1e6, Median(per[1]) * 1e6,
                Median(per[2]) * 1e6, Median(per[2]) / Median(per[0]));
  };
  row("a playlist file read into the playlist", perRead);
  row("a tenth of its rows selected and removed", perRemoved);

  list.Clear();
  DestroyWindow(window);
  Shown = nullptr;
  for (int i = 0; i < kMovies; ++i) {
    wchar_t name[64];
    swprintf(name, 64, L"movie %05d.swf", i);
    DeleteFileW((movies + name).c_str());
  }
  for (const std::wstring& f : files) DeleteFileW(f.c_str());
  DeleteFileW(saved.c_str());
  DeleteFileW(copy.c_str());
  RemoveDirectoryW(movies.c_str());
  RemoveDirectoryW(folder.c_str());
  return 0;
}
