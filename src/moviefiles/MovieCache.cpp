#include "moviefiles/MovieCache.h"

#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "base/BinaryFile.h"
#include "base/ByteReader.h"
#include "services/Services.h"

namespace {

void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) {
  for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// A header-only copy is used again while it still belongs to the movie: same
// version and length, and not older than the movie. copy stays open then.
bool HeaderCopyMatches(const std::wstring& target, const SWFInfo& info, BinaryFile& source, BinaryFile& copy) {
  if (!copy.OpenRead(target)) return false;
  uint8_t h[8];
  if (!copy.ReadExactAt(0, h) || h[0] != 'F' || h[1] != 'W' || h[2] != 'S' || h[3] != info.Version) return false;
  ByteReader r(h);
  uint32_t length = 0;
  if (!r.Skip(4) || !r.U32LE(length) || static_cast<double>(length) != info.MovieLength) return false;
  FILETIME mine = copy.LastWriteTime(), theirs = source.LastWriteTime();
  return CompareFileTime(&mine, &theirs) >= 0;
}

std::wstring DecompressionWarning(int rc) {
  if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT) return L"Movie Corrupted";
  if (rc == Z_BUF_ERROR) return L"Movie Truncated";
  return std::to_wstring(rc);
}

struct Inflater {
  z_stream zs{};
  bool live = false;
  Inflater() { live = inflateInit(&zs) == Z_OK; }
  ~Inflater() {
    if (live) inflateEnd(&zs);
  }
};

// Writes full buffers on a helper thread while the next one is inflated, so
// the copy into the file overlaps the inflation. Joined before it goes away.
class PipelinedWriter {
 public:
  PipelinedWriter(BinaryFile& out, size_t bufferSize, int buffers) : out_(out) {
    for (int i = 0; i < buffers; ++i) free_.emplace_back(bufferSize);
    thread_ = std::thread([this] { Run(); });
  }
  ~PipelinedWriter() { Finish(); }

  // An empty buffer to fill (waits while every buffer is queued).
  std::vector<uint8_t> Take() {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [this] { return !free_.empty(); });
    std::vector<uint8_t> b = std::move(free_.back());
    free_.pop_back();
    return b;
  }
  void Give(std::vector<uint8_t> buffer, size_t used) {
    std::lock_guard<std::mutex> lock(m_);
    queue_.emplace_back(std::move(buffer), used);
    cv_.notify_all();
  }
  void Return(std::vector<uint8_t> buffer) {
    std::lock_guard<std::mutex> lock(m_);
    free_.push_back(std::move(buffer));
    cv_.notify_all();
  }
  // Waits for every queued buffer; false when a write failed.
  bool Finish() {
    {
      std::lock_guard<std::mutex> lock(m_);
      done_ = true;
      cv_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
    return !failed_;
  }
  bool Failed() {
    std::lock_guard<std::mutex> lock(m_);
    return failed_;
  }

 private:
  void Run() {
    for (;;) {
      std::pair<std::vector<uint8_t>, size_t> job;
      {
        std::unique_lock<std::mutex> lock(m_);
        cv_.wait(lock, [this] { return !queue_.empty() || done_; });
        if (queue_.empty()) return;
        job = std::move(queue_.front());
        queue_.pop_front();
      }
      bool ok = failed_ || out_.Write(std::span<const uint8_t>(job.first.data(), job.second));
      std::lock_guard<std::mutex> lock(m_);
      if (!ok) failed_ = true;
      free_.push_back(std::move(job.first));
      cv_.notify_all();
    }
  }

  BinaryFile& out_;
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<std::pair<std::vector<uint8_t>, size_t>> queue_;
  std::vector<std::vector<uint8_t>> free_;
  bool done_ = false, failed_ = false;
  std::thread thread_;
};

// Inflates the body of the open movie (from byte 8) into out, keeping at most
// the header copy's part (header-only) or refusing more than the cap (full).
// outcome is zlib's last code (Z_STREAM_END for a whole stream); false with
// failure set when writing fails or the movie is too large.
bool InflateBody(BinaryFile& in, BinaryFile& out, bool headerOnly, int& outcome, std::wstring& failure) {
  Inflater z;
  if (!z.live) {
    failure = L"Out of Memory";
    return false;
  }
  const size_t inChunk = headerOnly ? 16384 : (1u << 20);
  const size_t outChunk = headerOnly ? kHeaderCacheBody : (1u << 20);
  const uint64_t limit = headerOnly ? kHeaderCacheBody : kMaxInflatedMovie;
  std::vector<uint8_t> inBuf(inChunk);
  std::unique_ptr<PipelinedWriter> writer;
  if (!headerOnly) {
    try {
      writer = std::make_unique<PipelinedWriter>(out, outChunk, 4);
    } catch (const std::system_error&) {
      // No helper thread to be had: the copy is written as it is inflated.
    }
  }
  std::vector<uint8_t> outBuf = writer ? writer->Take() : std::vector<uint8_t>(outChunk);
  uint64_t inPos = 8, written = 0;
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
    z.zs.avail_out = static_cast<uInt>(outBuf.size());
    rc = inflate(&z.zs, Z_NO_FLUSH);
    size_t produced = outBuf.size() - z.zs.avail_out;
    if (rc == Z_OK && produced == 0 && z.zs.avail_in == 0 && inputEnded) rc = Z_BUF_ERROR;
    if (written + produced > limit) {
      if (!headerOnly) {
        failure = L"Movie Too Large";
        return false;
      }
      produced = static_cast<size_t>(limit - written);
      rc = Z_STREAM_END;  // the part kept is complete
    }
    written += produced;
    if (writer) {
      if (writer->Failed()) break;
      if (produced) {
        writer->Give(std::move(outBuf), produced);
        outBuf = writer->Take();
      }
    } else if (produced && !out.Write(std::span<const uint8_t>(outBuf.data(), produced))) {
      failure = L"Error Writing Cache";
      return false;
    }
    if (headerOnly && written >= limit) rc = Z_STREAM_END;
  }
  if (writer) {
    writer->Return(std::move(outBuf));
    if (!writer->Finish()) {
      failure = L"Error Writing Cache";
      return false;
    }
  }
  if (rc == Z_MEM_ERROR) {
    failure = L"Out of Memory";
    return false;
  }
  outcome = rc;
  return true;
}

}  // namespace

std::wstring GetCacheFileName(const std::wstring& path, const std::wstring& suffix, bool flatten, bool noFolder) {
  if (flatten) {
    std::wstring name = path;
    ReplaceAll(name, L":\\", L"@");
    ReplaceAll(name, L"\\\\", L"#");
    ReplaceAll(name, L"//", L"#");
    ReplaceAll(name, L"\\", L"#");
    ReplaceAll(name, L"/", L"#");
    return (noFolder ? L"" : CacheFolder) + name + suffix;
  }
  size_t slash = path.find_last_of(L'\\');
  size_t dot = path.find_last_of(L'.');
  std::wstring base = path;
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) base = path.substr(0, dot);
  if (noFolder && slash != std::wstring::npos) base = base.substr(slash + 1);
  return base + suffix;
}

void EnsureCacheFolder() {
  if (!CacheFolder.empty() && GetFileAttributesW(CacheFolder.c_str()) == INVALID_FILE_ATTRIBUTES)
    CreateDirectoryW(CacheFolder.c_str(), nullptr);
}

std::wstring DecompressFlash(SWFInfo& info, bool headerOnly, BinaryFile* openSource, BinaryFile* reusedCopy) {
  StopWatch(L"", false);
  WriteLog(L"");
  WriteLog(std::wstring(L" :: DecompressFlash (") + (headerOnly ? L"Header Only" : L"Full") + L")");
  std::wstring target = GetCacheFileName(info.RequestedPath, L".tmp", true, false);
  BinaryFile own;
  BinaryFile& in = openSource && openSource->IsOpen() ? *openSource : own;
  if (!in.IsOpen() && !in.OpenRead(info.Path)) {
    LastError = GetLastError() == ERROR_FILE_NOT_FOUND ? L"File Not Found" : L"Error Reading File";
    return L"";
  }
  if (headerOnly) {
    BinaryFile copy;
    if (HeaderCopyMatches(target, info, in, copy)) {
      WriteLog(L"Header exists - skipping");
      info.HeaderCachePath = target;
      if (reusedCopy) *reusedCopy = std::move(copy);
      return target;
    }
  }
  WriteLog(L"Target path: " + target);
  WriteLog(L"Reading data");
  uint8_t header[8];
  if (!in.ReadExactAt(0, header)) {
    LastError = L"File Truncated";
    return L"";
  }
  header[0] = 'F', header[1] = 'W', header[2] = 'S';

  // The small header copy is written beside the target and moved over it, so
  // a reader never meets half of one. The full copy is written over the old
  // file in place (reusing its space), and removed again when writing fails.
  EnsureCacheFolder();
  std::wstring written = headerOnly ? TempFileBeside(target) : target;
  BinaryFile out;
  if (written.empty() || !(headerOnly ? out.Create(written) : out.OpenForOverwrite(written))) {
    if (headerOnly && !written.empty()) DeleteFileW(written.c_str());
    LastError = L"Error Writing Cache";
    return L"";
  }
  WriteLog(L"Decompression");
  int outcome = Z_STREAM_END;
  std::wstring failure;
  bool ok = out.Write(header);
  if (!ok) failure = L"Error Writing Cache";
  ok = ok && InflateBody(in, out, headerOnly, outcome, failure);
  in.Close();
  if (ok && !out.Truncate()) ok = false, failure = L"Error Writing Cache";
  if (!out.CloseChecked() && ok) ok = false, failure = L"Error Writing Cache";
  if (!ok) {
    DeleteFileW(written.c_str());
    LastError = failure;
    return L"";
  }
  if (outcome != Z_STREAM_END) {
    LastError = DecompressionWarning(outcome);
    WriteLog(L"<B>Warning: decompression error</B> " + LastError);
  }
  WriteLog(L"Writing decompressed data");
  if (headerOnly && !CommitTempFile(written, target)) {
    LastError = L"Error Writing Cache";
    return L"";
  }
  WriteLog(L"Decompression succeeded");
  if (headerOnly) {
    info.HeaderCachePath = target;
  } else {
    info.RequestedPath = info.Path;
    info.Path = target;
  }
  StopWatch(L"Decompressed", false);
  return target;
}
