// The movie cache: names of cache files, and uncompressed copies of compressed
// movies (a small header copy, or the whole movie).
#pragma once
#include <cstdint>
#include <string>

#include "moviefiles/SWFInfo.h"

class BinaryFile;

// Flattened: the whole path as one file name in CacheFolder (":\" -> "@",
// "\\", "//", "\", "/" -> "#"); otherwise the path without its extension, or
// only its file title with noFolder. The suffix is appended.
std::wstring GetCacheFileName(const std::wstring& path, const std::wstring& suffix, bool flatten, bool noFolder);

// Writes the uncompressed copy of the compressed movie at info.Path into the
// cache and returns its path, or "" with the reason in LastError. Header-only
// keeps the first kHeaderCacheBody bytes after the header and sets
// HeaderCachePath; full mode sets Path to the copy and RequestedPath to the
// movie. A damaged stream keeps what could be inflated and leaves a warning in
// LastError. openSource: the movie when the caller has it open already (it may
// be closed on return); reusedCopy receives a reused header copy, open.
std::wstring DecompressFlash(SWFInfo& info, bool headerOnly, BinaryFile* openSource = nullptr,
                             BinaryFile* reusedCopy = nullptr);

// Creates the cache folder again when it has gone missing.
void EnsureCacheFolder();

inline constexpr uint64_t kHeaderCacheBody = 10001;
// Full copies larger than this are refused.
inline constexpr uint64_t kMaxInflatedMovie = 512ull << 20;
