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
#include "services/ShellMod.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace {

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

// The earlier copy is current only when it holds exactly the movie's bytes.
bool CachedCopyMatches(const std::wstring& target, BinaryFile& exe, const Trailer& t) {
  BinaryFile copy;
  if (!copy.OpenRead(target) || copy.Size() != static_cast<int64_t>(t.length)) return false;
  std::vector<uint8_t> mine(static_cast<size_t>(std::min<uint64_t>(t.length, 1u << 20))), theirs(mine.size());
  for (uint64_t done = 0; done < t.length;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(t.length - done, mine.size()));
    std::span<uint8_t> a(mine.data(), n), b(theirs.data(), n);
    if (!copy.ReadExactAt(done, a) || !exe.ReadExactAt(t.offset + done, b) || !std::equal(a.begin(), a.end(), b.begin()))
      return false;
    done += n;
  }
  return true;
}

}  // namespace

std::wstring ProjectorStub() {
  return ProjectorStubPath.empty() ? BinaryFolder + L"projector.dll" : ProjectorStubPath;
}

bool IsGenericProjector(const std::wstring& path, bool onlyStandalone) {
  BinaryFile exe;
  return exe.OpenRead(path) && IsGenericProjector(exe, path, onlyStandalone);
}

bool IsGenericProjector(BinaryFile& exe, const std::wstring& path, bool onlyStandalone) {
  // A damaged resource is refused here rather than handed to the version functions.
  if (!HasSoundVersionResource(exe)) return false;
  std::wstring original;
  ReadFileVersion(path, original);
  if (original.empty()) return false;
  if (StrEqualNoCase(original, L"SwFlsh32.exe")) return true;
  return !onlyStandalone && StrEqualNoCase(original, L"SAFlashPlayer.exe");
}

Result<ProjectorMovie> TakeMovieOut(const std::wstring& path) {
  BinaryFile exe;
  if (exe.OpenRead(path)) return TakeMovieOut(exe, path);
  // A file that cannot be read is no generic projector either.
  if (!GenericProjectors) return MovieError::ReadError;
  WriteLog(L"Not a Generic Projector");
  return MovieError::NotGenericProjector;
}

Result<ProjectorMovie> TakeMovieOut(BinaryFile& exe, const std::wstring& path) {
  if (GenericProjectors && !IsGenericProjector(exe, path)) {
    WriteLog(L"Not a Generic Projector");
    return MovieError::NotGenericProjector;
  }
  Trailer t;
  uint8_t head[8] = {};
  if (!ReadTrailer(exe, t) || !exe.ReadExactAt(t.offset, std::span<uint8_t>(head, std::min<size_t>(8, t.length))) ||
      !((head[0] == 'F' || head[0] == 'C') && head[1] == 'W' && head[2] == 'S') || head[3] < 1 || head[3] > 99) {
    WriteLog(MovieErrorText(MovieError::InvalidProjector));
    return MovieError::InvalidProjector;
  }
  ProjectorMovie movie;
  movie.path = GetCacheFileName(path, L".swf", true, false);
  if (CachedCopyMatches(movie.path, exe, t)) {
    movie.reused = true;
    WriteLog(L"File Already Cached");
    return movie;
  }
  WriteLog(L"Writing data... ", false);
  EnsureCacheFolder();
  std::wstring temp = TempFileBeside(movie.path);
  BinaryFile out;
  if (temp.empty() || !out.Create(temp)) {
    if (!temp.empty()) DeleteFileW(temp.c_str());
    return MovieError::CacheWrite;
  }
  bool ok = CopyRange(exe, t.offset, t.length, out);
  ok = out.CloseChecked() && ok;
  if (!ok || !CommitTempFile(temp, movie.path)) {
    DeleteFileW(temp.c_str());
    return MovieError::CacheWrite;
  }
  WriteLog(L"Ok");
  return movie;
}

std::wstring ExtractEXE(const std::wstring& path) {
  StopWatch(L"", false);
  WriteLog(L"");
  WriteLog(L" :: ExtractEXE (" + path + L")... ", false);
  Result<ProjectorMovie> movie = TakeMovieOut(path);
  if (!movie) {
    LastError = MovieErrorText(movie.Error());
    return L"";
  }
  if (movie->reused) LastError = L"File Already Cached";
  else StopWatch(L"Projector Extracted", false);
  return movie->path;
}

std::wstring CreateProjector(const std::wstring& outPath, const SWFInfo& info) {
  WriteLog(L"");
  WriteLog(L" :: Create Projector");
  std::wstring stubPath = ProjectorStub();
  MovieError err = MovieError::None;
  BinaryFile stub, movie, out;
  std::wstring temp;
  int64_t stubSize = 0, movieSize = 0;
  Trailer t;
  if (outPath.empty() || SamePath(outPath, info.Path) || SamePath(outPath, stubPath) ||
      SamePath(outPath, info.RequestedPath)) {
    err = MovieError::InvalidOutputPath;
  } else if (!stub.OpenRead(stubPath) || (stubSize = stub.Size()) < 2) {
    err = MovieError::StubNotFound;
  } else if (!movie.OpenRead(info.Path) || (movieSize = movie.Size()) < 8) {
    err = MovieError::MovieNotFound;
  } else if (movieSize > static_cast<int64_t>(UINT32_MAX)) {
    err = MovieError::TooLarge;
  } else if ((temp = TempFileBeside(outPath)).empty() || !out.Create(temp)) {
    err = MovieError::WriteError;
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
    if (!ok || !CommitTempFile(temp, outPath)) err = MovieError::WriteError;
  }
  if (!temp.empty() && err != MovieError::None) DeleteFileW(temp.c_str());
  if (err == MovieError::None) return L"";
  LastError = MovieErrorText(err);
  SetError(0, L"CreateProjector", LastError);
  ReportError(L"Creating Projector", L"File: " + outPath + L"\r\n");
  return LastError;
}
