// Shared builders of the playlist tests: a recording PlaylistHost, a playlist
// over storage of its own with a temporary folder to fill, and the log lines
// written meanwhile.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "moviefiles/Projector.h"
#include "player/lists/Playlist.h"
#include "services/Services.h"

namespace player_test {

using Names = std::vector<std::wstring>;

struct RecordingPlaylistHost : player::PlaylistHost {
  int rows = 0, rowCalls = 0, selected = -2, browsed = 0;
  bool exportOn = false, nextOn = false, keepHistory = true, genericOnly = true;
  Names loaded, recent;
  std::vector<int> removed;  // the rows taken out of the box, in order
  std::wstring history;

  void RowsAdded(int count) override { rows += count, ++rowCalls; }
  void RowRemoved(int index) override { --rows, removed.push_back(index); }
  void RowsCleared() override { rows = 0; }
  void SelectRow(int index) override { selected = index; }
  void Repaint() override {}
  void SetRedraw(bool) override {}
  void SetExportEnabled(bool on) override { exportOn = on; }
  void SetNextEnabled(bool on) override { nextOn = on; }
  void LoadEntry(const std::wstring& path) override { loaded.push_back(path); }
  void BrowseMedia() override { ++browsed; }
  void AddRecent(const std::wstring& path) override { recent.push_back(path); }
  bool KeepHistory() const override { return keepHistory; }
  std::wstring HistoryFile() const override { return history; }
  bool AcceptsProgram(const std::wstring& path) const override {
    return !genericOnly || IsGenericProjector(path, false);
  }
};

struct PlaylistRig {
  testing_support::TempDir dir;
  RecordingPlaylistHost host;
  player::Playlist list{host};
  Names& items = list.Data().Items;
  long &last = list.Data().Last, &current = list.Data().Current;

  PlaylistRig() { host.history = dir.File(L"Last Played.swfzel"); }
  // A file with these bytes (folders on the way made); its path.
  std::wstring File(const std::wstring& name, const std::string& text = "FWS") const {
    for (size_t slash = name.find(L'\\'); slash != std::wstring::npos; slash = name.find(L'\\', slash + 1))
      CreateDirectoryW(dir.File(name.substr(0, slash)).c_str(), nullptr);
    testing_support::WriteText(dir.File(name), text);
    return dir.File(name);
  }
  // A playlist file of FILE elements holding these texts as they stand.
  std::wstring PlaylistOf(const std::wstring& name, const std::vector<std::string>& entries,
                          const std::string& build = "680") const {
    std::string text = "<?xml version=\"1.0\"?><PLAYLIST build=\"" + build + "\">";
    for (const std::string& e : entries) text += "<FILE>" + e + "</FILE>";
    return File(name, text + "</PLAYLIST>");
  }
  // The items with the folder in front taken off.
  Names Relative() const {
    Names names;
    for (const std::wstring& item : items)
      names.push_back(item.compare(0, dir.Path().size(), dir.Path()) == 0 ? item.substr(dir.Path().size()) : item);
    return names;
  }
};

struct LogLines {
  Names lines;
  LogLines() {
    SetLogSink([this](const std::wstring& text, bool) { lines.push_back(text); });
  }
  ~LogLines() { SetLogSink(nullptr); }
  bool Has(const std::wstring& line) const {
    for (const std::wstring& l : lines)
      if (l == line) return true;
    return false;
  }
};

}  // namespace player_test
