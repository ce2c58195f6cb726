#include "moviefiles/MovieCache.h"

#include <zlib.h>

#include <algorithm>
#include <cwctype>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "base/BinaryFile.h"
#include "base/SlimLock.h"
#include "moviefiles/CacheStamp.h"
#include "moviefiles/MoviePaths.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace {

// Cache names longer than this (with the suffix) give way to a hashed name.
constexpr size_t kMaxCacheName = 200;

void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) {
  for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// The full path as one file name: the characters the flattening produces are
// escaped first, so two paths never share a name.
std::wstring Flattened(const std::wstring& full) {
  std::wstring name;
  name.reserve(full.size() + 8);
  for (wchar_t c : full) {
    if (c == L'%') name += L"%25";
    else if (c == L'#') name += L"%23";
    else if (c == L'@') name += L"%40";
    else name += c;
  }
  ReplaceAll(name, L":\\", L"@");
  ReplaceAll(name, L"\\\\", L"#");
  ReplaceAll(name, L"//", L"#");
  ReplaceAll(name, L"\\", L"#");
  ReplaceAll(name, L"/", L"#");
  return name;
}

bool UsableFileName(const std::wstring& name) {
  for (wchar_t c : name)
    if (c < 32 || std::wcschr(L"<>:\"/\\|?*", c)) return false;
  return !name.empty();
}

// A fixed-length name from the full path; "~" keeps it apart from flattened names.
std::wstring HashedName(const std::wstring& full) {
  wchar_t text[24];
  swprintf(text, 24, L"~%016llX", static_cast<unsigned long long>(HashText(full)));
  return text;
}

// A whole copy is handed to its writer in pieces of 1 MB: a piece stays in the
// processor's cache from inflating to writing (4 MB pieces measured slower).
constexpr size_t kWritePiece = 1u << 20;
constexpr int kWritePieces = 4;

MovieError InflateError(int rc) { return rc == Z_BUF_ERROR ? MovieError::BodyTruncated : MovieError::Corrupted; }

struct Inflater {
  z_stream zs{};
  bool live = false;
  Inflater() { live = inflateInit(&zs) == Z_OK; }
  ~Inflater() {
    if (live) inflateEnd(&zs);
  }
};

// A piece of the copy: its bytes are not cleared when made (each is filled
// before it is written).
struct Piece {
  std::unique_ptr<uint8_t[]> bytes;
  size_t size = 0;
  Piece() = default;
  explicit Piece(size_t n) : bytes(new uint8_t[n]), size(n) {}
  uint8_t* data() { return bytes.get(); }
};

// Writes full pieces on a helper thread while the next one is inflated, so
// the copy into the file overlaps the inflation. Joined before it goes away.
class PipelinedWriter {
 public:
  PipelinedWriter(BinaryFile& out, size_t bufferSize, int buffers) : out_(out) {
    for (int i = 0; i < buffers; ++i) free_.emplace_back(bufferSize);
    thread_ = std::thread([this] { Run(); });
  }
  ~PipelinedWriter() { Finish(); }

  // An empty buffer to fill (waits while every buffer is queued).
  Piece Take() {
    std::unique_lock<SlimMutex> lock(m_);
    cv_.wait(lock, [this] { return !free_.empty(); });
    Piece b = std::move(free_.back());
    free_.pop_back();
    return b;
  }
  void Give(Piece buffer, size_t used) {
    std::lock_guard<SlimMutex> lock(m_);
    queue_.emplace_back(std::move(buffer), used);
    cv_.notify_all();
  }
  void Return(Piece buffer) {
    std::lock_guard<SlimMutex> lock(m_);
    free_.push_back(std::move(buffer));
    cv_.notify_all();
  }
  // Waits for every queued buffer; false when a write failed.
  bool Finish() {
    {
      std::lock_guard<SlimMutex> lock(m_);
      done_ = true;
      cv_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
    return !failed_;
  }
  bool Failed() {
    std::lock_guard<SlimMutex> lock(m_);
    return failed_;
  }

 private:
  void Run() {
    for (;;) {
      std::pair<Piece, size_t> job;
      {
        std::unique_lock<SlimMutex> lock(m_);
        cv_.wait(lock, [this] { return !queue_.empty() || done_; });
        if (queue_.empty()) return;
        job = std::move(queue_.front());
        queue_.pop_front();
      }
      bool ok = failed_ || out_.Write(std::span<const uint8_t>(job.first.data(), job.second));
      std::lock_guard<SlimMutex> lock(m_);
      if (!ok) failed_ = true;
      free_.push_back(std::move(job.first));
      cv_.notify_all();
    }
  }

  BinaryFile& out_;
  SlimMutex m_;
  SlimCondition cv_;
  std::deque<std::pair<Piece, size_t>> queue_;
  std::vector<Piece> free_;
  bool done_ = false, failed_ = false;
  std::thread thread_;
};

// Inflates the body of the open movie (from byte 8) into out, keeping at most
// the header copy's part (header-only) or refusing more than maxCopy (full).
// outcome is zlib's last code (Z_STREAM_END for a whole stream); decisive is
// how many source bytes (header included) decided the copy's first part.
MovieError InflateBody(BinaryFile& in, BinaryFile& out, bool headerOnly, uint64_t maxCopy, int& outcome,
                       uint64_t& decisive) {
  Inflater z;
  if (!z.live) return MovieError::OutOfMemory;
  const size_t inChunk = headerOnly ? 16384 : (1u << 20);
  const size_t outChunk = headerOnly ? kHeaderCacheBody : kWritePiece;
  const uint64_t limit = headerOnly ? kHeaderCacheBody : maxCopy;
  std::vector<uint8_t> inBuf(inChunk);
  std::unique_ptr<PipelinedWriter> writer;
  if (!headerOnly) {
    try {
      writer = std::make_unique<PipelinedWriter>(out, outChunk, kWritePieces);
    } catch (const std::system_error&) {
      // No helper thread to be had: the copy is written as it is inflated.
    }
  }
  Piece outBuf = writer ? writer->Take() : Piece(outChunk);
  uint64_t inPos = 8, written = 0;
  decisive = 0;
  int rc = Z_OK;
  bool inputEnded = false;
  while (rc == Z_OK) {
    if (z.zs.avail_in == 0 && !inputEnded) {
      size_t got = in.ReadAt(inPos, inBuf);
      inPos += got;
      inputEnded = got < inBuf.size();
      z.zs.next_in = inBuf.data();
      z.zs.avail_in = static_cast<uInt>(got);
    }
    z.zs.next_out = outBuf.data();
    z.zs.avail_out = static_cast<uInt>(outBuf.size);
    rc = inflate(&z.zs, Z_NO_FLUSH);
    size_t produced = outBuf.size - z.zs.avail_out;
    if (rc == Z_OK && produced == 0 && z.zs.avail_in == 0 && inputEnded) rc = Z_BUF_ERROR;
    if (written + produced > limit) {
      if (!headerOnly) return MovieError::TooLarge;
      produced = static_cast<size_t>(limit - written);
      rc = Z_STREAM_END;  // the part kept is complete
    }
    written += produced;
    if (decisive == 0 && written >= kHeaderCacheBody) decisive = 8 + z.zs.total_in;
    if (writer) {
      if (writer->Failed()) break;
      if (produced) {
        writer->Give(std::move(outBuf), produced);
        outBuf = writer->Take();
      }
    } else if (produced && !out.Write(std::span<const uint8_t>(outBuf.data(), produced))) {
      return MovieError::CacheWrite;
    }
    if (headerOnly && written >= limit) rc = Z_STREAM_END;
  }
  if (decisive == 0) decisive = 8 + z.zs.total_in;
  if (writer) {
    writer->Return(std::move(outBuf));
    if (!writer->Finish()) return MovieError::CacheWrite;
  }
  if (rc == Z_MEM_ERROR) return MovieError::OutOfMemory;
  outcome = rc;
  return MovieError::None;
}

}  // namespace

std::wstring GetCacheFileName(const std::wstring& path, const std::wstring& suffix, bool flatten, bool noFolder) {
  if (flatten) {
    std::wstring full = FullPath(path);
    std::wstring name = Flattened(full) + suffix;
    std::wstring folder = noFolder ? L"" : CacheFolder;
    if (!UsableFileName(name) || name.size() > kMaxCacheName || folder.size() + name.size() >= MAX_PATH)
      name = HashedName(full) + suffix;
    return folder + name;
  }
  size_t slash = path.find_last_of(L'\\');
  size_t dot = path.find_last_of(L'.');
  std::wstring base = path;
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) base = path.substr(0, dot);
  if (noFolder && slash != std::wstring::npos) base = base.substr(slash + 1);
  return base + suffix;
}

FolderCacheNames::FolderCacheNames(const std::wstring& folder, const std::wstring& suffix)
    : folder_(AddBackslash(FullPath(folder))), suffix_(suffix) {
  // A folder's full path ends in "\": no replacement reaches across it into a name.
  prefix_ = Flattened(folder_);
}

std::wstring FolderCacheNames::Of(const std::wstring& name) const {
  // A name the full form would change (a trailing dot or blank, a separator)
  // or one that would not stay flattened goes the long way.
  const bool plain = !name.empty() && name.back() != L'.' && name.back() != L' ' &&
                     name.find_first_of(L"\\/:") == std::wstring::npos && name != L"." && name != L"..";
  if (plain) {
    std::wstring flat = prefix_;
    for (wchar_t c : name) {
      if (c == L'%') flat += L"%25";
      else if (c == L'#') flat += L"%23";
      else if (c == L'@') flat += L"%40";
      else flat += c;
    }
    flat += suffix_;
    if (UsableFileName(flat) && flat.size() <= kMaxCacheName) return flat;
  }
  return GetCacheFileName(folder_ + name, suffix_, true, true);
}

void EnsureCacheFolder() {
  if (!CacheFolder.empty()) MakeDirs(CacheFolder);
}

Result<CacheCopy> MakeUncompressedCopy(BinaryFile& source, const std::wstring& sourcePath,
                                       const std::wstring& requestedPath, bool headerOnly, uint64_t maxCopy) {
  std::wstring target = GetCacheFileName(requestedPath, L".tmp", true, false);
  const std::wstring fullSource = FullPath(sourcePath);
  CacheCopy copy;
  copy.path = target;
  // A header copy (or a whole one) made from this very source serves again:
  // the copy is opened first, its size taken from the open file.
  if (headerOnly && copy.file.OpenRead(target)) {
    if (StampMatches(target, copy.file.Size(), source, fullSource)) {
      WriteLog(L"Header exists - skipping");
      return copy;
    }
    copy.file.Close();
  }
  WriteLog(L"Target path: " + target);
  WriteLog(L"Reading data");
  uint8_t header[8];
  if (!source.ReadExactAt(0, header)) return MovieError::Truncated;
  header[0] = 'F', header[1] = 'W', header[2] = 'S';

  // The stamp goes first and comes back only with the whole copy, so no
  // reader takes a copy being written, or one a failure cut short, for a
  // valid one. The copy is overwritten in place (its file's space reused),
  // held for this writer alone; an earlier copy still open elsewhere (being
  // played) is left whole and the new one is written beside it.
  EnsureCacheFolder();
  RemoveCacheStamp(target);
  BinaryFile out;
  std::wstring written = target;
  if (!out.OpenForOverwrite(target)) {
    written = TempFileBeside(target);
    if (written.empty() || !out.Create(written)) {
      if (!written.empty()) DeleteFileW(written.c_str());
      return MovieError::CacheWrite;
    }
  }
  WriteLog(L"Decompression");
  int outcome = Z_STREAM_END;
  uint64_t decisive = 0;
  MovieError failure = out.Write(header) ? MovieError::None : MovieError::CacheWrite;
  if (failure == MovieError::None) failure = InflateBody(source, out, headerOnly, maxCopy, outcome, decisive);
  if (failure == MovieError::None && !out.Truncate()) failure = MovieError::CacheWrite;
  int64_t copySize = failure == MovieError::None ? out.Size() : -1;
  if (!out.CloseChecked() && failure == MovieError::None) failure = MovieError::CacheWrite;
  if (failure != MovieError::None) {
    DeleteFileW(written.c_str());
    return failure;
  }
  if (outcome != Z_STREAM_END) {
    copy.warning = InflateError(outcome);
    WriteLog(L"<B>Warning: decompression error</B> " + MovieErrorText(copy.warning));
  }
  WriteLog(L"Writing decompressed data");
  std::optional<CacheStamp> stamp = StampOf(source, fullSource, decisive);
  // A whole copy that cannot replace the earlier one (still open for playing)
  // stays under its temporary name in the cache folder.
  if (written != target && !MoveFileExW(written.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    if (headerOnly) {
      DeleteFileW(written.c_str());
      return MovieError::CacheWrite;
    }
    copy.path = written;
  }
  if (stamp) {
    stamp->copySize = static_cast<uint64_t>(copySize);
    stamp->full = !headerOnly;
    SaveCacheStamp(copy.path, *stamp);
  }
  if (!copy.file.OpenRead(copy.path)) return MovieError::CacheWrite;
  WriteLog(L"Decompression succeeded");
  return copy;
}

std::wstring DecompressFlash(SWFInfo& info, bool headerOnly) {
  StopWatch(L"", false);
  WriteLog(L"");
  WriteLog(std::wstring(L" :: DecompressFlash (") + (headerOnly ? L"Header Only" : L"Full") + L")");
  BinaryFile source;
  if (!source.OpenRead(info.Path)) {
    LastError = MovieErrorText(GetLastError() == ERROR_FILE_NOT_FOUND ? MovieError::NotFound : MovieError::ReadError);
    return L"";
  }
  Result<CacheCopy> copy = MakeUncompressedCopy(source, info.Path, info.RequestedPath, headerOnly);
  if (!copy) {
    LastError = MovieErrorText(copy.Error());
    return L"";
  }
  if (copy->warning != MovieError::None) LastError = MovieErrorText(copy->warning);
  if (headerOnly) {
    info.HeaderCachePath = copy->path;
  } else {
    info.RequestedPath = info.Path;
    info.Path = copy->path;
  }
  StopWatch(L"Decompressed", false);
  return copy->path;
}

bool RemoveCacheCopy(const SWFInfo& info) {
  std::optional<CacheStamp> stamp = LoadCacheStamp(info.Path);
  if (!stamp || !stamp->full || !IsInsideFolder(info.Path, CacheFolder)) return false;
  RemoveCacheStamp(info.Path);
  return DeleteFileW(info.Path.c_str()) != 0;
}
