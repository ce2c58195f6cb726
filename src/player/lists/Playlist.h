// The playlist: the ordered files the player plays one after another. Its
// data is the one copy the list box's rows are drawn from (the paths, the
// index of the last entry and of the playing one, -1 for none); the list box
// holds one row per entry and no text of its own. This unit adds files,
// folders (every sub-folder, links and junctions not entered) and playlist
// files by depth (one add: each playlist file read once, at most
// kMaxEntriesPerAdd entries, a movie known by its name without asking the
// file system), plays, clears (saving the history first), saves, moves and
// removes entries, and keeps the two menu items that follow the list (Export
// Playlist while it has entries, Next while it has two) in step. What it
// needs of its window comes through PlaylistHost.
#pragma once
#include <string>
#include <vector>

namespace player {

// The playlist's entries, kept by the playlist itself.
struct PlaylistData {
  std::vector<std::wstring> Items;  // Items.size() == Last + 1
  long Last = -1;                   // -1 when empty
  long Current = -1;                // the playing entry, -1 for none
};

class PlaylistHost {
 public:
  virtual ~PlaylistHost() = default;
  // The list box: rows added at the end, one row taken out, every row gone;
  // the one selected row (-1: none) and a repaint.
  virtual void RowsAdded(int count) = 0;
  virtual void RowRemoved(int index) = 0;
  virtual void RowsCleared() = 0;
  virtual void SelectRow(int index) = 0;
  virtual void Repaint() = 0;
  // Drawing of the box stopped (false) and resumed (true) around many changes.
  virtual void SetRedraw(bool on) = 0;
  // The menu items that follow the list: Export Playlist and Next.
  virtual void SetExportEnabled(bool on) = 0;
  virtual void SetNextEnabled(bool on) = 0;
  // Playing an entry, and the media browser when there is none.
  virtual void LoadEntry(const std::wstring& path) = 0;
  virtual void BrowseMedia() = 0;
  // A playlist file that was opened joins the recent files.
  virtual void AddRecent(const std::wstring& path) = 0;
  // The remembered playlist: written on every clear of a non-empty list while kept.
  virtual bool KeepHistory() const = 0;
  virtual std::wstring HistoryFile() const = 0;
  // Whether a program file (".exe") is a projector the playlist takes.
  virtual bool AcceptsProgram(const std::wstring& path) const = 0;
};

// Depths: callers add at 0 (command line, Open dialog, browser, drag and
// drop) or at -2 (the remembered history); each folder or playlist level
// adds 1. A playlist file is opened at depth 0 or less, listed as an entry
// deeper down.
inline constexpr int kHistoryDepth = -2;
// The most entries one add makes (as a command line's names): the rest is
// left out and logged. Within one add each playlist file is read once and
// each folder listed once.
inline constexpr size_t kMaxEntriesPerAdd = 10000;

class Playlist {
 public:
  explicit Playlist(PlaylistHost& host) : host_(host) {}

  // A file, a folder's files or a playlist file's entries, at the end. An
  // entry beginning with "/exec" is never taken.
  void Add(const std::wstring& path, int depth);
  // Several of them as one add (one limit, each playlist file read once).
  void Add(const std::vector<std::wstring>& paths, int depth);
  // Plays entry index (an index past the end: none); -2 or less plays the
  // current entry again. No entry to play shows the media browser.
  void PlayItem(int index);
  // Empties the list, first saving it as the history when it has entries
  // and the history is kept.
  void Clear();
  // Writes the playlist file (".swfzel" added to a name without extension);
  // a failure is reported and leaves the old file. False on failure.
  bool Save(const std::wstring& path);
  // Exchanges entry index with entry index + delta; the playing mark follows
  // its file. Out of range: nothing.
  void MoveItem(int index, int delta);
  // Removes one entry; removing the playing one leaves none playing.
  void RemoveItem(int index);
  // Removes the rows given (as selected, top to bottom) in one pass over the
  // entries, drawing stopped meanwhile; the playing mark follows its file.
  void RemoveRows(const std::vector<int>& rows);

  const std::vector<std::wstring>& Items() const { return data_.Items; }
  long Last() const { return data_.Last; }
  long Current() const { return data_.Current; }
  // No entry playing any more (the media browser took the player's place).
  void MarkNonePlaying() { data_.Current = -1; }
  // The entries as they stand, for a list set up in one step (tests, demonstrations).
  PlaylistData& Data() { return data_; }

 private:
  struct AddRun;
  void AddEntry(std::wstring path, int depth, unsigned long attributes, AddRun& run);
  void AddFolder(const std::wstring& folder, int depth, AddRun& run);
  void AddPlaylistFile(const std::wstring& path, int depth, AddRun& run);
  void Append(std::wstring path, AddRun& run);
  void Flush();

  PlaylistData data_;
  PlaylistHost& host_;
  int pendingRows_ = 0;
};

// The indices to remove one after another for rows selected top to bottom:
// each row less the number of rows removed before it (1, 2, 4 give 1, 1, 2).
std::vector<int> RemovalOrder(std::vector<int> rows);

// The files an Open dialog returned: one path (a file title came back), or
// the folder, NUL, each name, NUL, and a final NUL. Empty names are skipped.
std::vector<std::wstring> ChosenFiles(const std::wstring& fileName, const std::wstring& fileTitle);

}  // namespace player
