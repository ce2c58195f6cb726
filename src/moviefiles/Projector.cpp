#include "moviefiles/Projector.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/BinaryFile.h"
#include "base/ByteReader.h"
#include "moviefiles/ExeResources.h"
#include "moviefiles/MovieCache.h"
#include "services/FileVersioning.h"
#include "services/Options.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace {

const wchar_t kNotGeneric[] =
    L"Not a Generic Projector. Uncheck \"Tools &#62; Options &#62; Advanced &#62; Skip Doubtful Projectors\" to "
    L"try to open it anyways";
const wchar_t kInvalid[] = L"Invalid Generic Projector";

// Where the appended movie lies: [offset, offset + length).
struct Trailer {
  uint64_t offset = 0;
  uint32_t length = 0;
};

// Reads the trailer of an open executable; false when there is none that fits.
bool ReadTrailer(BinaryFile& file, Trailer& t) {
  int64_t size = file.Size();
  uint8_t tail[8];
  if (size < 8 || !file.ReadExactAt(static_cast<uint64_t>(size) - 8, tail)) return false;
  ByteReader r(tail);
  std::span<const uint8_t> magic;
  uint32_t length = 0;
  if (!r.Bytes(4, magic) || !std::equal(magic.begin(), magic.end(), kProjectorMagic) || !r.U32LE(length)) return false;
  if (length < 4 || static_cast<int64_t>(length) > size - 8) return false;
  t.length = length;
  t.offset = static_cast<uint64_t>(size) - 8 - length;
  return true;
}

bool CopyRange(BinaryFile& in, uint64_t offset, uint64_t length, BinaryFile& out) {
  std::vector<uint8_t> buf(static_cast<size_t>(std::min<uint64_t>(length, 1u << 20)));
  while (length > 0) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(length, buf.size()));
    if (!in.ReadExactAt(offset, std::span<uint8_t>(buf.data(), n))) return false;
    if (!out.Write(std::span<const uint8_t>(buf.data(), n))) return false;
    offset += n;
    length -= n;
  }
  return true;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  wchar_t fa[MAX_PATH * 2], fb[MAX_PATH * 2];
  DWORD na = GetFullPathNameW(a.c_str(), MAX_PATH * 2, fa, nullptr);
  DWORD nb = GetFullPathNameW(b.c_str(), MAX_PATH * 2, fb, nullptr);
  if (na == 0 || nb == 0 || na >= MAX_PATH * 2 || nb >= MAX_PATH * 2) return StrEqualNoCase(a, b);
  return StrEqualNoCase(fa, fb);
}

// The earlier copy is current when it has the movie's size and first bytes.
bool CachedCopyMatches(const std::wstring& target, const uint8_t* head, uint32_t length) {
  BinaryFile copy;
  if (!copy.OpenRead(target) || copy.Size() != static_cast<int64_t>(length)) return false;
  uint8_t mine[8];
  size_t n = std::min<size_t>(8, length);
  return copy.ReadExactAt(0, std::span<uint8_t>(mine, n)) && std::memcmp(mine, head, n) == 0;
}

}  // namespace

std::wstring ProjectorStub() {
  return ProjectorStubPath.empty() ? BinaryFolder + L"projector.dll" : ProjectorStubPath;
}

bool IsGenericProjector(const std::wstring& path, bool onlyStandalone) {
  // A damaged resource is refused here rather than handed to the version functions.
  if (!HasSoundVersionResource(path)) return false;
  std::wstring original;
  ReadFileVersion(path, original);
  if (original.empty()) return false;
  if (StrEqualNoCase(original, L"SwFlsh32.exe")) return true;
  return !onlyStandalone && StrEqualNoCase(original, L"SAFlashPlayer.exe");
}

std::wstring ExtractEXE(const std::wstring& path) {
  StopWatch(L"", false);
  WriteLog(L"");
  WriteLog(L" :: ExtractEXE (" + path + L")... ", false);
  std::wstring target = GetCacheFileName(path, L".swf", true, false);
  if (GenericProjectors && !IsGenericProjector(path)) {
    LastError = kNotGeneric;
    WriteLog(L"Not a Generic Projector");
    return L"";
  }
  BinaryFile exe;
  if (!exe.OpenRead(path)) {
    LastError = L"Error Reading File";
    return L"";
  }
  Trailer t;
  uint8_t head[8] = {};
  if (!ReadTrailer(exe, t) || !exe.ReadExactAt(t.offset, std::span<uint8_t>(head, std::min<size_t>(8, t.length))) ||
      !((head[0] == 'F' || head[0] == 'C') && head[1] == 'W' && head[2] == 'S') || head[3] < 1 || head[3] > 99) {
    WriteLog(kInvalid);
    LastError = kInvalid;
    return L"";
  }
  if (CachedCopyMatches(target, head, t.length)) {
    LastError = L"File Already Cached";
    WriteLog(LastError);
    return target;
  }
  WriteLog(L"Writing data... ", false);
  EnsureCacheFolder();
  std::wstring temp = TempFileBeside(target);
  BinaryFile out;
  if (temp.empty() || !out.Create(temp)) {
    if (!temp.empty()) DeleteFileW(temp.c_str());
    LastError = L"Error Writing Cache";
    return L"";
  }
  bool ok = CopyRange(exe, t.offset, t.length, out);
  ok = out.CloseChecked() && ok;
  if (!ok || !CommitTempFile(temp, target)) {
    DeleteFileW(temp.c_str());
    LastError = L"Error Writing Cache";
    return L"";
  }
  WriteLog(L"Ok");
  StopWatch(L"Projector Extracted", false);
  return target;
}

std::wstring CreateProjector(const std::wstring& outPath, const SWFInfo& info) {
  WriteLog(L"");
  WriteLog(L" :: Create Projector");
  std::wstring stubPath = ProjectorStub();
  std::wstring err;
  BinaryFile stub, movie, out;
  std::wstring temp;
  int64_t stubSize = 0, movieSize = 0;
  Trailer t;
  if (outPath.empty() || SamePath(outPath, info.Path) || SamePath(outPath, stubPath) ||
      SamePath(outPath, info.RequestedPath)) {
    err = L"Invalid Output Path";
  } else if (!stub.OpenRead(stubPath) || (stubSize = stub.Size()) < 2) {
    err = L"Projector Stub Not Found";
  } else if (!movie.OpenRead(info.Path) || (movieSize = movie.Size()) < 8) {
    err = L"Movie Not Found";
  } else if (movieSize > UINT32_MAX) {
    err = L"Movie Too Large";
  } else if ((temp = TempFileBeside(outPath)).empty() || !out.Create(temp)) {
    err = L"Error Writing File";
  } else {
    // A stub that still carries a movie gives only its own part.
    uint64_t stubPart = ReadTrailer(stub, t) ? t.offset : static_cast<uint64_t>(stubSize);
    uint8_t trailer[8];
    std::memcpy(trailer, kProjectorMagic, 4);
    uint32_t l = static_cast<uint32_t>(movieSize);
    trailer[4] = l & 0xFF, trailer[5] = (l >> 8) & 0xFF, trailer[6] = (l >> 16) & 0xFF, trailer[7] = l >> 24;
    bool ok = CopyRange(stub, 0, stubPart, out) && CopyRange(movie, 0, static_cast<uint64_t>(movieSize), out) &&
              out.Write(trailer);
    ok = out.CloseChecked() && ok;
    if (!ok || !CommitTempFile(temp, outPath)) err = L"Error Writing File";
  }
  if (!temp.empty() && !err.empty()) DeleteFileW(temp.c_str());
  if (!err.empty()) {
    LastError = err;
    SetError(0, L"CreateProjector", err);
    ReportError(L"Creating Projector", L"File: " + outPath + L"\r\n");
  }
  return err;
}
