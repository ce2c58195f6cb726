#include "moviefiles/MovieCache.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "moviefiles/BinaryFile.h"
#include "services/Services.h"

namespace {

void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) {
  for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// A header-only copy is used again while it still belongs to the movie.
bool HeaderCopyMatches(const std::wstring& target, const SWFInfo& info) {
  BinaryFile copy;
  if (!copy.OpenRead(target)) return false;
  uint8_t h[8];
  if (!copy.ReadExactAt(0, h) || h[0] != 'F' || h[1] != 'W' || h[2] != 'S' || h[3] != info.Version) return false;
  uint32_t length = h[4] | h[5] << 8 | h[6] << 16 | static_cast<uint32_t>(h[7]) << 24;
  if (static_cast<double>(length) != info.MovieLength) return false;
  WIN32_FILE_ATTRIBUTE_DATA src{};
  if (!GetFileAttributesExW(info.Path.c_str(), GetFileExInfoStandard, &src)) return false;
  FILETIME mine = copy.LastWriteTime();
  return CompareFileTime(&mine, &src.ftLastWriteTime) >= 0;
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

// Inflates the body of the open movie (from byte 8) into out, keeping at most
// limit bytes. Returns the zlib outcome (Z_STREAM_END, or the code that ended
// it) and the number of bytes written; false when writing fails or the limit
// is passed in full mode.
bool InflateBody(BinaryFile& in, BinaryFile& out, bool headerOnly, int& outcome, std::wstring& failure) {
  Inflater z;
  if (!z.live) {
    failure = L"Out of Memory";
    return false;
  }
  const size_t inChunk = headerOnly ? 16384 : (1u << 20);
  const size_t outChunk = headerOnly ? kHeaderCacheBody : (1u << 20);
  std::vector<uint8_t> inBuf(inChunk), outBuf(outChunk);
  uint64_t inPos = 8, written = 0;
  const uint64_t limit = headerOnly ? kHeaderCacheBody : kMaxInflatedMovie;
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
    if (produced && !out.Write(std::span<const uint8_t>(outBuf.data(), produced))) {
      failure = L"Error Writing Cache";
      return false;
    }
    written += produced;
    if (headerOnly && written >= limit) rc = Z_STREAM_END;
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

std::wstring DecompressFlash(SWFInfo& info, bool headerOnly) {
  StopWatch(L"", false);
  WriteLog(L"");
  WriteLog(std::wstring(L" :: DecompressFlash (") + (headerOnly ? L"Header Only" : L"Full") + L")");
  std::wstring target = GetCacheFileName(info.RequestedPath, L".tmp", true, false);
  if (headerOnly && HeaderCopyMatches(target, info)) {
    WriteLog(L"Header exists - skipping");
    info.HeaderCachePath = target;
    return target;
  }
  WriteLog(L"Target path: " + target);
  WriteLog(L"Reading data");
  BinaryFile in;
  if (!in.OpenRead(info.Path)) {
    LastError = GetLastError() == ERROR_FILE_NOT_FOUND ? L"File Not Found" : L"Error Reading File";
    return L"";
  }
  uint8_t header[8];
  if (!in.ReadExactAt(0, header)) {
    LastError = L"File Truncated";
    return L"";
  }
  header[0] = 'F', header[1] = 'W', header[2] = 'S';

  std::wstring temp = TempFileBeside(target);
  BinaryFile out;
  if (temp.empty() || !out.Create(temp)) {
    if (!temp.empty()) DeleteFileW(temp.c_str());
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
  if (!out.CloseChecked() && ok) {
    ok = false;
    failure = L"Error Writing Cache";
  }
  if (!ok) {
    DeleteFileW(temp.c_str());
    LastError = failure;
    return L"";
  }
  if (outcome != Z_STREAM_END) {
    LastError = DecompressionWarning(outcome);
    WriteLog(L"<B>Warning: decompression error</B> " + LastError);
  }
  WriteLog(L"Writing decompressed data");
  if (!CommitTempFile(temp, target)) {
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
