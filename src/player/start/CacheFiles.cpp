#include "player/start/CacheFiles.h"

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

// Removes a link or junction itself, whatever it points to.
void RemoveLink(const std::wstring& path) {
  if (RemoveDirectoryW(path.c_str()) || DeleteFileW(path.c_str())) return;
  // Opened as the link, not its target, and deleted on close.
  ScopedHandle link(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_DELETE_ON_CLOSE,
                                nullptr));
}

// Deletes a folder and what is in it; a linked folder inside is unlinked, not entered.
void RemoveFolderTree(const std::wstring& folder) {
  const std::wstring base = AddBackslash(folder);
  std::vector<std::wstring> files, folders, links;
  {
    WIN32_FIND_DATAW found{};
    ScopedFind find(FindFirstFileW((base + L"*").c_str(), &found));
    if (find) {
      do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const DWORD a = found.dwFileAttributes;
        if (a & FILE_ATTRIBUTE_REPARSE_POINT)
          links.push_back(base + name);
        else
          (a & FILE_ATTRIBUTE_DIRECTORY ? folders : files).push_back(base + name);
      } while (FindNextFileW(find.get(), &found));
    }
  }
  for (const auto& f : files) {
    SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(f.c_str());
  }
  for (const auto& l : links) RemoveLink(l);
  for (const auto& f : folders) RemoveFolderTree(f);
  RemoveDirectoryW(base.c_str());
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

void RemoveProgramData(const ProgramData& data) {
  if (!data.CacheFolder.empty()) {
    ClearCacheFiles(AddBackslash(data.CacheFolder), 2);
    RemoveDirectoryW(data.CacheFolder.c_str());
  }
  for (const std::wstring& file : data.KnownFiles)
    if (!file.empty()) DeleteFileW(file.c_str());
  if (!data.UserSkinFolder.empty()) RemoveFolderTree(data.UserSkinFolder);
  // Only an empty data folder goes: files the user put there stay.
  if (!data.UserDataFolder.empty()) RemoveDirectoryW(data.UserDataFolder.c_str());
}

}  // namespace player
