#include "player/lists/Playlist.h"

#include <windows.h>

#include <algorithm>
#include <set>
#include <utility>

#include "base/ErrorLog.h"
#include "base/Handles.h"
#include "base/TextConv.h"
#include "player/lists/PlaylistFile.h"
#include "player/start/CommandLine.h"
#include "services/AppIdentity.h"
#include "services/FileSearch.h"
#include "services/ShellMod.h"

namespace player {
namespace {

bool HasControlCharacter(const std::wstring& text) {
  for (wchar_t c : text)
    if (c < 0x20) return true;
  return false;
}

constexpr unsigned long kUnknownAttributes = INVALID_FILE_ATTRIBUTES;
// Playlists that open other playlists: the most files one add reads.
constexpr size_t kMaxPlaylistsPerAdd = 1000;

// A playlist file as one add remembers it: its canonical path, case folded.
std::wstring PlaylistKey(const std::wstring& path) {
  std::wstring key = CanonicalPath(path);
  if (key.empty()) key = path;
  return UpperInvariant(key);
}

}  // namespace

// What one add has done so far: the folders listed (by identity) and the
// playlist files read (by canonical path), so that a link loop and playlists
// naming themselves or each other end, and the entries it made.
struct Playlist::AddRun {
  std::set<std::pair<uint64_t, uint64_t>> folders;
  std::set<std::wstring> playlists;  // canonical, upper case
  size_t entries = 0;
  bool full = false;  // the add reached kMaxEntriesPerAdd
};

void Playlist::Add(const std::wstring& path, int depth) { Add(std::vector<std::wstring>{path}, depth); }

void Playlist::Add(const std::vector<std::wstring>& paths, int depth) {
  AddRun run;
  for (const std::wstring& path : paths) {
    if (run.full) break;
    AddEntry(path, depth, kUnknownAttributes, run);
  }
  Flush();
}

void Playlist::AddEntry(std::wstring path, int depth, unsigned long attributes, AddRun& run) {
  if (run.full) return;
  // Quotes are no part of a name (an entry of a command line may keep them).
  if (path.find(L'"') != std::wstring::npos) path.erase(std::remove(path.begin(), path.end(), L'"'), path.end());
  // No file's name holds a control character; such an entry could not be saved either.
  if (path.empty() || HasControlCharacter(path)) return;
  // A script statement is no file: an entry never runs one, whatever its end.
  if (IsExecCommand(path)) {
    WriteLog(L"Not added to the playlist: a script statement is no file");
    return;
  }
  const std::wstring ext = GetFileExt(path);
  const bool playlist = EqualNoCase(ext, kPlaylistExtension);
  if (playlist && depth <= 0) {
    AddPlaylistFile(path, depth, run);
    return;
  }
  // A playlist this add has read already is no entry of it either: the
  // remembered list would hold it and open it again at the next start.
  if (playlist && run.playlists.count(PlaylistKey(path))) {
    WriteLog(L"Playlist read already in this add, left out: " + path);
    return;
  }
  // A movie, video or playlist by its name: the file system is not asked
  // (a playlist of thousands of entries is read at once).
  const bool named = playlist || EqualNoCase(ext, L".swf") || EqualNoCase(ext, L".flv");
  if (!named) {
    if (attributes == kUnknownAttributes) attributes = GetFileAttributesW(path.c_str());
    if (attributes != kUnknownAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      AddFolder(path, depth, run);
      return;
    }
  }
  if (named || (EqualNoCase(ext, L".exe") && host_.AcceptsProgram(path))) Append(std::move(path), run);
}

void Playlist::AddFolder(const std::wstring& folder, int depth, AddRun& run) {
  const std::wstring dir = AddBackslash(folder);
  std::pair<uint64_t, uint64_t> id;
  if (FolderIdentity(dir, id) && !run.folders.insert(id).second) return;  // listed already in this add
  WIN32_FIND_DATAW fd;
  ScopedFind find(FindFirstFileExW((dir + L"*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return;
  // The system's order (under Wine: names ignoring case); sub-folders where they come.
  do {
    const std::wstring name(fd.cFileName, wcsnlen(fd.cFileName, MAX_PATH));
    if (name.empty() || name == L"." || name == L"..") continue;
    const DWORD a = fd.dwFileAttributes;
    if (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    if ((a & FILE_ATTRIBUTE_DIRECTORY) && (a & FILE_ATTRIBUTE_REPARSE_POINT)) continue;  // links, junctions
    AddEntry(dir + name, depth + 1, a, run);
  } while (!run.full && FindNextFileW(find.get(), &fd));
}

void Playlist::AddPlaylistFile(const std::wstring& path, int depth, AddRun& run) {
  const std::wstring key = PlaylistKey(path);
  if (run.playlists.count(key)) {
    WriteLog(L"Playlist read already in this add, left out: " + path);
    return;
  }
  if (run.playlists.size() >= kMaxPlaylistsPerAdd) {
    WriteLog(L"One add reads at most " + std::to_wstring(kMaxPlaylistsPerAdd) + L" playlist files, left out: " + path);
    return;
  }
  run.playlists.insert(key);
  PlaylistFileContent content = ReadPlaylistFile(path, app::kVersionRevision);
  if (content.Status == PlaylistFileStatus::Unreadable) {
    WriteLog(L"Failed to load PL XML");
    return;
  }
  if (content.Status == PlaylistFileStatus::Incompatible) {
    WriteLog(L"PL Version is incompatible");
    return;
  }
  if (content.Status == PlaylistFileStatus::TooLarge) {
    WriteLog(L"Playlist not read: larger than " + std::to_wstring(kMaxPlaylistFileBytes >> 20) + L" MB: " + path);
    return;
  }
  host_.AddRecent(path);
  // Room for the entries at once, growing by at least half (many small playlists in one add stay linear).
  const size_t want = data_.Items.size() + std::min(content.Entries.size(), kMaxEntriesPerAdd - run.entries);
  if (want > data_.Items.capacity()) data_.Items.reserve(std::max(want, data_.Items.capacity() * 3 / 2));
  for (std::wstring& entry : content.Entries) {
    if (run.full) break;
    AddEntry(std::move(entry), depth + 1, kUnknownAttributes, run);
  }
}

void Playlist::Append(std::wstring path, AddRun& run) {
  if (run.entries >= kMaxEntriesPerAdd) {
    run.full = true;
    WriteLog(L"The playlist took " + std::to_wstring(kMaxEntriesPerAdd) +
             L" entries in one add: the rest is left out, from " + path);
    return;
  }
  ++run.entries;
  data_.Items.push_back(std::move(path));
  data_.Last = static_cast<long>(data_.Items.size()) - 1;
  ++pendingRows_;
}

void Playlist::Flush() {
  if (pendingRows_ == 0) return;
  const int rows = pendingRows_;
  pendingRows_ = 0;
  host_.RowsAdded(rows);
  host_.SetExportEnabled(true);
  host_.SetNextEnabled(data_.Last >= 1);
}

void Playlist::PlayItem(int index) {
  if (index > -2) data_.Current = index >= 0 && index <= data_.Last ? index : -1;
  if (data_.Current > data_.Last) data_.Current = -1;
  if (data_.Current < 0) {
    host_.BrowseMedia();
  } else {
    const std::wstring path = data_.Items[static_cast<size_t>(data_.Current)];
    host_.LoadEntry(path);
  }
  host_.SelectRow(static_cast<int>(data_.Current));
  host_.Repaint();
}

void Playlist::Clear() {
  if (data_.Last >= 0 && host_.KeepHistory()) {
    const std::wstring history = host_.HistoryFile();
    if (!history.empty()) Save(history);
  }
  data_.Items.clear();
  data_.Last = -1;
  data_.Current = -1;
  pendingRows_ = 0;
  host_.RowsCleared();
  host_.SetExportEnabled(false);
  host_.SetNextEnabled(false);
}

bool Playlist::Save(const std::wstring& path) {
  if (WritePlaylistFile(path, data_.Items, data_.Current)) return true;
  ReportError(L"Saving Playlist", L"File: " + path);
  return false;
}

void Playlist::MoveItem(int index, int delta) {
  const long to = static_cast<long>(index) + delta;
  if (delta == 0 || index < 0 || index > data_.Last || to < 0 || to > data_.Last) return;
  std::swap(data_.Items[static_cast<size_t>(index)], data_.Items[static_cast<size_t>(to)]);
  if (data_.Current == index)
    data_.Current = to;
  else if (data_.Current == to)
    data_.Current = index;
  host_.Repaint();
}

void Playlist::RemoveItem(int index) {
  if (index < 0 || index > data_.Last) return;
  data_.Items.erase(data_.Items.begin() + index);
  data_.Last = static_cast<long>(data_.Items.size()) - 1;
  if (data_.Current == index)
    data_.Current = -1;  // the playing entry went: no row is marked
  else if (data_.Current > index)
    --data_.Current;
  host_.RowRemoved(index);
  host_.SetNextEnabled(data_.Last >= 1);
  if (data_.Last < 0) host_.SetExportEnabled(false);
  host_.Repaint();
}

void Playlist::RemoveRows(const std::vector<int>& rows) {
  std::vector<int> gone = rows;
  std::sort(gone.begin(), gone.end());
  gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
  gone.erase(gone.begin(), std::lower_bound(gone.begin(), gone.end(), 0));
  gone.erase(std::upper_bound(gone.begin(), gone.end(), static_cast<int>(data_.Last)), gone.end());
  if (gone.empty()) return;
  host_.SetRedraw(false);
  // The box's rows bottom up, each still at its index; the entries in one pass.
  for (auto row = gone.rbegin(); row != gone.rend(); ++row) host_.RowRemoved(*row);
  size_t kept = 0, next = 0;
  long playing = data_.Current;
  for (size_t i = 0; i < data_.Items.size(); ++i) {
    if (next < gone.size() && gone[next] == static_cast<int>(i)) {
      ++next;
      if (data_.Current == static_cast<long>(i)) playing = -1;  // the playing entry went: no row is marked
      continue;
    }
    if (data_.Current == static_cast<long>(i)) playing = static_cast<long>(kept);
    if (kept != i) data_.Items[kept] = std::move(data_.Items[i]);
    ++kept;
  }
  data_.Items.resize(kept);
  data_.Last = static_cast<long>(kept) - 1;
  data_.Current = playing;
  host_.SetNextEnabled(data_.Last >= 1);
  if (data_.Last < 0) host_.SetExportEnabled(false);
  host_.SetRedraw(true);
  host_.Repaint();
}

std::vector<int> RemovalOrder(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  rows.erase(rows.begin(), std::lower_bound(rows.begin(), rows.end(), 0));
  for (size_t i = 0; i < rows.size(); ++i) rows[i] -= static_cast<int>(i);
  return rows;
}

std::vector<std::wstring> ChosenFiles(const std::wstring& fileName, const std::wstring& fileTitle) {
  std::vector<std::wstring> files;
  const size_t nul = fileName.find(L'\0');
  if (!fileTitle.empty() || nul == std::wstring::npos) {
    std::wstring path;
    for (wchar_t c : fileName)
      if (c != L'\0') path += c;
    if (!path.empty()) files.push_back(path);
    return files;
  }
  const std::wstring folder = AddBackslash(fileName.substr(0, nul));
  size_t pos = nul + 1;
  while (fileName.size() - pos >= 2) {
    size_t end = fileName.find(L'\0', pos);
    if (end == std::wstring::npos) end = fileName.size();
    if (end > pos) files.push_back(folder + fileName.substr(pos, end - pos));
    pos = end + 1;
    if (pos >= fileName.size()) break;
  }
  return files;
}

}  // namespace player
