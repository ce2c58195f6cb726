// The stamp kept beside a cache copy: the file the copy was made from as it
// was then (full path, size, last-write time, and a hash of the leading bytes
// that decide the copy's start) and the copy's own size and kind. A copy is
// used again only while its stamp still matches the source.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

class BinaryFile;

struct CacheStamp {
  std::wstring source;      // full path of the file the copy was made from
  uint64_t sourceSize = 0;
  uint64_t sourceTime = 0;  // last-write time, FILETIME units
  uint64_t prefixLength = 0;  // source bytes that decide the copy's first part
  uint64_t prefixHash = 0;
  uint64_t copySize = 0;
  bool full = false;        // the whole movie, not only its start
};

// "=" and the copy's name, in the copy's folder (no cache name starts with "=").
std::wstring CacheStampPath(const std::wstring& copy);
bool SaveCacheStamp(const std::wstring& copy, const CacheStamp& stamp);
std::optional<CacheStamp> LoadCacheStamp(const std::wstring& copy);
void RemoveCacheStamp(const std::wstring& copy);

// FNV-1a over bytes, continuing from hash.
uint64_t HashBytes(std::span<const uint8_t> bytes, uint64_t hash = 0xCBF29CE484222325ull);
uint64_t HashText(const std::wstring& text);
// The stamp of the open source file as it is now, with the hash of its first
// prefixLength bytes; nullopt when they cannot be read. fullSourcePath: the
// source's full path (made full once by the caller).
std::optional<CacheStamp> StampOf(BinaryFile& source, const std::wstring& fullSourcePath, uint64_t prefixLength);
// True when the copy's stamp matches the open source as it is now and the
// copy (copySize bytes now) still has the size it was stamped with.
bool StampMatches(const std::wstring& copy, int64_t copySize, BinaryFile& source, const std::wstring& fullSourcePath);
