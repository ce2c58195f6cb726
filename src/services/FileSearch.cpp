#include "services/FileSearch.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <utility>

#include "base/Handles.h"
#include "base/TextConv.h"
#include "services/MessagePump.h"

namespace {

struct Entry {
  std::wstring name;
  std::wstring key;  // invariant upper case, for ordering
  DWORD attributes = 0;
  int64_t size = 0;
};

// One for a whole search, so that a tree of many small folders yields too.
class Yielder {
 public:
  Yielder() : mark_(Now()) {}
  // Lets the message loop run when the interval has passed since the last time.
  void Tick() {
    SearchYield& y = FileSearchYield();
    double now = Now();
    if (now - mark_ > y.IntervalSeconds) {
      mark_ = now;
      if (y.Pump) y.Pump();
    }
  }

 private:
  static double Now() {
    SearchYield& y = FileSearchYield();
    if (y.Clock) return y.Clock();
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }
  double mark_;
};

// One listing of a folder, sorted by name ignoring case. Stops early on cancel.
std::vector<Entry> ListFolder(const std::wstring& folder, Yielder& yielder, const bool& cancel) {
  std::vector<Entry> entries;
  WIN32_FIND_DATAW fd;
  ScopedFind search(FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
  if (!search) return entries;
  do {
    std::wstring name(fd.cFileName, wcsnlen(fd.cFileName, MAX_PATH));
    if (name.empty() || name == L"." || name == L"..") continue;
    Entry e;
    e.key = UpperInvariant(name);
    e.name = std::move(name);
    e.attributes = fd.dwFileAttributes;
    e.size = (static_cast<int64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    entries.push_back(std::move(e));
    yielder.Tick();
    if (cancel) break;
  } while (FindNextFileW(search.get(), &fd));
  search.reset();
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.key != b.key ? a.key < b.key : a.name < b.name;
  });
  return entries;
}

bool MatchFrom(const std::wstring& n, size_t ni, const std::wstring& p, size_t pi) {
  // Iterative wildcard match with one backtrack point for the last "*".
  size_t starP = std::wstring::npos, starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == L'?' || p[pi] == n[ni])) {
      ++ni;
      ++pi;
    } else if (pi < p.size() && p[pi] == L'*') {
      starP = pi++;
      starN = ni;
    } else if (starP != std::wstring::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == L'*') ++pi;
  return pi == p.size();
}

int64_t Search(const std::wstring& folderAsGiven, const std::wstring& pattern, long& fileCount, long& dirCount,
               bool recurse, std::wstring& currentFolder, std::vector<std::wstring>& files, const bool& cancel,
               std::set<std::pair<uint64_t, uint64_t>>& active, Yielder& yielder) {
  if (cancel) return 0;
  currentFolder = folderAsGiven;
  if (folderAsGiven.empty()) return 0;  // no folder named: nothing to list
  std::wstring folder = folderAsGiven;
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';

  std::pair<uint64_t, uint64_t> id;
  bool known = FolderIdentity(folder, id);
  if (known && !active.insert(id).second) return 0;  // already being searched higher up

  std::vector<Entry> entries = ListFolder(folder, yielder, cancel);
  int64_t total = 0;

  // Sub-folders, then the files of this folder.
  std::vector<std::wstring> subFolders;
  for (const Entry& e : entries) {
    if (!(e.attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;  // links and junctions are not entered
    subFolders.push_back(e.name);
    if (recurse) ++dirCount;
  }
  if (!cancel) {
    for (const Entry& e : entries) {
      if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      if (!MatchFileMask(e.name, pattern)) continue;
      ++fileCount;
      files.push_back(folder + e.name);
      total += e.size;
    }
    if (recurse) {
      for (const std::wstring& name : subFolders) {
        if (cancel) break;
        total += Search(folder + name + L"\\", pattern, fileCount, dirCount, recurse, currentFolder, files, cancel,
                        active, yielder);
      }
    }
  }
  if (known) active.erase(id);
  return total;
}

}  // namespace

bool FolderIdentity(const std::wstring& folder, std::pair<uint64_t, uint64_t>& id) {
  ScopedHandle h(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h || !GetFileInformationByHandle(h.get(), &info)) return false;
  id = {info.dwVolumeSerialNumber, (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  return id.second != 0;  // some network file systems give every folder index 0: unknown then
}

bool MatchFileMask(const std::wstring& name, const std::wstring& pattern) {
  if (pattern.empty()) return false;
  std::wstring p = UpperInvariant(pattern);
  if (p == L"*" || p == L"*.*") return true;
  std::wstring n = UpperInvariant(name);
  if (MatchFrom(n, 0, p, 0)) return true;
  // A name without a dot matches a pattern ending in "." or ".*" as if it had an empty extension.
  if (n.find(L'.') == std::wstring::npos) {
    if (p.size() >= 2 && p.compare(p.size() - 2, 2, L".*") == 0) return MatchFrom(n, 0, p.substr(0, p.size() - 2), 0);
    if (p.back() == L'.') return MatchFrom(n, 0, p.substr(0, p.size() - 1), 0);
  }
  return false;
}

SearchYield& FileSearchYield() {
  static SearchYield yield{2.0, [] { PumpPendingMessages(); }};
  return yield;
}

int64_t FindFiles(const std::wstring& folder, const std::wstring& pattern, long& fileCount, long& dirCount,
                  bool recurse, std::wstring& currentFolder, std::vector<std::wstring>& files, const bool& cancel) {
  std::set<std::pair<uint64_t, uint64_t>> active;
  Yielder yielder;
  return Search(folder, pattern, fileCount, dirCount, recurse, currentFolder, files, cancel, active, yielder);
}
