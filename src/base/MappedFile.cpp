#include "base/MappedFile.h"

bool MappedFile::Open(const std::wstring& path, uint64_t maxSize) {
  bytes_ = {};
  view_.reset();
  mapping_.reset();
  file_.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file_) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file_.get(), &size) || size.QuadPart <= 0 || static_cast<uint64_t>(size.QuadPart) > maxSize ||
      static_cast<uint64_t>(size.QuadPart) > SIZE_MAX)
    return false;
  mapping_.reset(CreateFileMappingW(file_.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping_) return false;
  view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 0));
  if (!view_) return false;
  bytes_ = std::span<const uint8_t>(static_cast<const uint8_t*>(view_.get()), static_cast<size_t>(size.QuadPart));
  return true;
}
