#include "services/FileVersioning.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// One string of the resource's string table, at most 255 characters, cut at its first NUL.
bool QueryString(const std::vector<uint8_t>& block, const std::wstring& key, const wchar_t* name,
                 std::wstring& value) {
  std::wstring sub = L"\\StringFileInfo\\" + key + L"\\" + name;
  void* data = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), sub.c_str(), &data, &length) || !data) return false;
  const wchar_t* text = static_cast<const wchar_t*>(data);
  size_t n = 0;
  while (n < length && n < 255 && text[n] != L'\0') ++n;
  value.assign(text, n);
  return true;
}

}  // namespace

std::wstring ReadFileVersion(const std::wstring& path, std::wstring& originalFileName) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size < 1) return L"";
  std::vector<uint8_t> block(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return L"";

  void* data = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &length) || !data || length < 4) {
    return L"";
  }
  // The first (language, code page) pair names the string table.
  uint16_t pair[2];
  std::memcpy(pair, data, sizeof(pair));
  wchar_t key[9];
  swprintf(key, 9, L"%04X%04X", pair[0], pair[1]);

  // Each string is read on its own: a missing one does not hide the others.
  std::wstring version, original;
  QueryString(block, key, L"FileVersion", version);
  if (QueryString(block, key, L"OriginalFileName", original)) originalFileName = original;
  return version;
}
