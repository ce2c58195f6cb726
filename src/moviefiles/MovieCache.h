// The movie cache: names of cache files, and uncompressed copies of compressed
// movies (a small header copy, or the whole movie), each stamped with the
// source it was made from so that only a copy of the current file is reused.
#pragma once
#include <cstdint>
#include <string>

#include "base/BinaryFile.h"
#include "moviefiles/MovieError.h"
#include "moviefiles/SWFInfo.h"

inline constexpr uint64_t kHeaderCacheBody = 10001;
// Full copies larger than this are refused.
inline constexpr uint64_t kMaxInflatedMovie = 512ull << 20;

// Flattened: the full form of the path as one file name in CacheFolder (":\" ->
// "@", "\\", "//", "\", "/" -> "#", after "%", "#" and "@" of the path became
// "%25", "%23" and "%40", so distinct paths get distinct names). A name that
// would be too long or hold characters a file name cannot becomes "~" and 16
// hexadecimal digits of a hash of the full path. Otherwise the path without
// its extension, or only its file title with noFolder. The suffix is appended.
std::wstring GetCacheFileName(const std::wstring& path, const std::wstring& suffix, bool flatten, bool noFolder);

// The flattened cache names (no folder) of many files of one folder, the
// folder made full and flattened once: Of(name) equals
// GetCacheFileName(folder + name, suffix, true, true).
class FolderCacheNames {
 public:
  FolderCacheNames(const std::wstring& folder, const std::wstring& suffix);
  std::wstring Of(const std::wstring& name) const;
  // The start every flattened (not hashed) name of the folder's files shares.
  const std::wstring& Prefix() const { return prefix_; }

 private:
  std::wstring folder_, prefix_, suffix_;
};

// An uncompressed copy in the cache, open for reading. path: the cache name,
// or for a whole copy whose earlier one is still open elsewhere (and so cannot
// be replaced) the temporary name beside it. warning: Corrupted or
// BodyTruncated when the body was damaged or cut (the copy keeps what could be
// inflated), else None.
struct CacheCopy {
  std::wstring path;
  BinaryFile file;
  MovieError warning = MovieError::None;
};
// The copy of the compressed movie open in source, named after requestedPath.
// Header-only keeps the first kHeaderCacheBody bytes after the header and
// reuses a copy whose stamp matches the source; full always inflates anew and
// refuses (TooLarge) a movie larger than maxCopy. A copy is stamped only once
// it is whole: a failure leaves no copy and no stamp.
Result<CacheCopy> MakeUncompressedCopy(BinaryFile& source, const std::wstring& sourcePath,
                                       const std::wstring& requestedPath, bool headerOnly,
                                       uint64_t maxCopy = kMaxInflatedMovie);

// Writes (or reuses) the copy of the compressed movie at info.Path and returns
// its path, or "" with the reason in LastError. Header-only sets
// HeaderCachePath; full mode sets Path to the copy and RequestedPath to the
// movie. A damaged stream keeps what could be inflated and leaves a warning in
// LastError.
std::wstring DecompressFlash(SWFInfo& info, bool headerOnly);

// Deletes the whole uncompressed copy info.Path points at (with its stamp) once
// its holder is done with it; false, touching nothing, when info.Path is not
// such a copy in CacheFolder.
bool RemoveCacheCopy(const SWFInfo& info);

// Creates the cache folder again (with the folders above it) when it has gone missing.
void EnsureCacheFolder();

