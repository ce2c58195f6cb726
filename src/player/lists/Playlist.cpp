#include "player/lists/Playlist.h"

#include <windows.h>

#include <algorithm>
#include <set>
#include <utility>

#include "base/ErrorLog.h"
#include "base/Handles.h"
#include "player/lists/PlaylistFile.h"
#include "services/AppIdentity.h"
#include "services/FileSearch.h"
#include "services/ShellMod.h"

namespace player {
namespace {

bool IsExtension(const std::wstring& ext, const wchar_t* wanted) { return _wcsicmp(ext.c_str(), wanted) == 0; }

bool HasControlCharacter(const std::wstring& text) {
  for (wchar_t c : text)
    if (c < 0x20) return true;
  return false;
}

constexpr unsigned long kUnknownAttributes = INVALID_FILE_ATTRIBUTES;

}  // namespace

// The folders one add has listed (by identity), so a link loop ends.
struct Playlist::Folders {
  std::set<std::pair<uint64_t, uint64_t>> seen;
};

void Playlist::Add(const std::wstring& path, int depth) {
  Folders folders;
  AddEntry(path, depth, kUnknownAttributes, folders);
  Flush();
}

void Playlist::AddEntry(const std::wstring& given, int depth, unsigned long attributes, Folders& folders) {
  std::wstring path;
  path.reserve(given.size());
  for (wchar_t c : given)
    if (c != L'"') path += c;
  // No file's name holds a control character; such an entry could not be saved either.
  if (path.empty() || HasControlCharacter(path)) return;
  const std::wstring ext = GetFileExt(path);
  if (IsExtension(ext, kPlaylistExtension) && depth <= 0) {
    AddPlaylistFile(path, depth, folders);
    return;
  }
  if (attributes == kUnknownAttributes) attributes = GetFileAttributesW(path.c_str());
  if (attributes != kUnknownAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    AddFolder(path, depth, folders);
    return;
  }
  if (IsExtension(ext, L".swf") || IsExtension(ext, L".flv") || IsExtension(ext, kPlaylistExtension) ||
      (IsExtension(ext, L".exe") && host_.AcceptsProgram(path)))
    Append(path);
}

void Playlist::AddFolder(const std::wstring& folder, int depth, Folders& folders) {
  const std::wstring dir = AddBackslash(folder);
  std::pair<uint64_t, uint64_t> id;
  if (FolderIdentity(dir, id) && !folders.seen.insert(id).second) return;  // listed already in this add
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
    AddEntry(dir + name, depth + 1, a, folders);
  } while (FindNextFileW(find.get(), &fd));
}

void Playlist::AddPlaylistFile(const std::wstring& path, int depth, Folders& folders) {
  const PlaylistFileContent content = ReadPlaylistFile(path, app::kVersionRevision);
  if (content.Status == PlaylistFileStatus::Unreadable) {
    WriteLog(L"Failed to load PL XML");
    return;
  }
  if (content.Status == PlaylistFileStatus::Incompatible) {
    WriteLog(L"PL Version is incompatible");
    return;
  }
  host_.AddRecent(path);
  for (const std::wstring& entry : content.Entries) AddEntry(entry, depth + 1, kUnknownAttributes, folders);
}

void Playlist::Append(const std::wstring& path) {
  data_.Items.push_back(path);
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
  const std::vector<int> order = RemovalOrder(rows);
  if (order.empty()) return;
  host_.SetRedraw(false);
  for (int index : order) RemoveItem(index);
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
