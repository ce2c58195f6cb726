#include "moviefiles/MoviePaths.h"

#include <windows.h>

#include <vector>

#include "services/ShellMod.h"

std::wstring FullPath(const std::wstring& path) {
  std::wstring full = FullPathName(path);
  return full.empty() ? path : full;
}

std::wstring FileNameOf(const std::wstring& path) {
  size_t sep = path.find_last_of(L"\\/");
  return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

bool IsInsideFolder(const std::wstring& path, const std::wstring& folder) {
  std::wstring base = FullPath(folder);
  if (base.empty()) return false;
  if (base.back() != L'\\') base += L'\\';
  std::wstring full = FullPath(path);
  return full.size() > base.size() && StrEqualNoCase(full.substr(0, base.size()), base);
}
