#include "player/CacheFiles.h"

#include <windows.h>

#include <vector>

#include "base/Handles.h"
#include "services/ShellMod.h"

namespace player {
namespace {

int DeleteMatching(const std::wstring& folder, const wchar_t* pattern) {
  WIN32_FIND_DATAW found{};
  ScopedFind find(FindFirstFileW((folder + pattern).c_str(), &found));
  if (!find) return 0;
  std::vector<std::wstring> names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(find.get(), &found));
  int deleted = 0;
  for (const std::wstring& name : names) {
    const std::wstring path = folder + name;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileW(path.c_str())) ++deleted;
  }
  return deleted;
}

}  // namespace

int ClearCacheFiles(const std::wstring& cacheFolder, long mode) {
  if (cacheFolder.empty()) return 0;
  const std::wstring folder = AddBackslash(cacheFolder);
  switch (mode) {
    case 1:
      return DeleteMatching(folder, L"*.swf") + DeleteMatching(folder, L"*.exe") + DeleteMatching(folder, L"*.tmp");
    case 2:
      return DeleteMatching(folder, L"*");
    case 3:
      return DeleteMatching(folder, L"*.jpg");
    default:
      return 0;
  }
}

}  // namespace player
