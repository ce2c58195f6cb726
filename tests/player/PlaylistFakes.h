// Shared builders of the playlist tests: a recording PlaylistHost, a playlist
// over storage of its own, files and folders in a temporary folder, and the
// log lines written meanwhile.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "moviefiles/Projector.h"
#include "player/Playlist.h"
#include "services/Services.h"

namespace player_test {

// What the playlist did to its window.
struct RecordingPlaylistHost : player::PlaylistHost {
  int rows = 0, rowCalls = 0;
  int selected = -2;
  bool exportOn = false, nextOn = false;
  std::vector<std::wstring> loaded, recent;
  int browsed = 0;
  bool keepHistory = true;
  std::wstring history;
  bool genericOnly = true;

  void RowsAdded(int count) override { rows += count, ++rowCalls; }
  void RowRemoved(int) override { --rows; }
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

// A playlist over storage of its own, and a temporary folder to fill.
struct PlaylistRig {
  testing_support::TempDir dir;
  std::vector<std::wstring> items;
  long last = -1, current = -1;
  RecordingPlaylistHost host;
  player::Playlist list{{items, last, current}, host};

  PlaylistRig() { host.history = dir.File(L"Last Played.swfzel"); }
  // A file (folders on the way made) with some bytes; returns its path.
  std::wstring File(const std::wstring& name, const std::string& text = "FWS") const {
    const std::wstring path = dir.File(name);
    for (size_t slash = name.find(L'\\'); slash != std::wstring::npos; slash = name.find(L'\\', slash + 1))
      CreateDirectoryW(dir.File(name.substr(0, slash)).c_str(), nullptr);
    testing_support::WriteText(path, text);
    return path;
  }
  std::wstring Folder(const std::wstring& name) const {
    CreateDirectoryW(dir.File(name).c_str(), nullptr);
    return dir.File(name);
  }
  // A playlist file of these entries (written as they stand, in FILE elements).
  std::wstring PlaylistOf(const std::wstring& name, const std::vector<std::string>& entries,
                          const std::string& build = "680") const {
    std::string text = "<?xml version=\"1.0\"?><PLAYLIST app=\"SWF.zel\" build=\"" + build + "\" play=\"0\">";
    for (const std::string& e : entries) text += "<FILE>" + e + "</FILE>";
    return File(name, text + "</PLAYLIST>");
  }
  // Items without the folder in front.
  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> names;
    for (const std::wstring& item : items)
      names.push_back(item.compare(0, dir.Path().size(), dir.Path()) == 0 ? item.substr(dir.Path().size()) : item);
    return names;
  }
};

// Collects the lines handed to WriteLog while it lives.
struct LogLines {
  std::vector<std::wstring> lines;
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
