// Projector executables: a player stub with a movie appended, then the magic
// 56 34 12 FA and the movie's length (32-bit little-endian).
#pragma once
#include <cstdint>
#include <string>

#include "moviefiles/MovieError.h"

class BinaryFile;
#include "moviefiles/SWFInfo.h"

inline constexpr uint8_t kProjectorMagic[4] = {0x56, 0x34, 0x12, 0xFA};

// The movie taken out of a projector into the cache (reused: a copy taken
// earlier held exactly the same bytes and was used again).
struct ProjectorMovie {
  std::wstring path;
  bool reused = false;
};
Result<ProjectorMovie> TakeMovieOut(const std::wstring& path);
// The same of the projector at path already open for reading in exe.
Result<ProjectorMovie> TakeMovieOut(BinaryFile& exe, const std::wstring& path);
// TakeMovieOut for the program: the copy's path, or "" with the reason in
// LastError; a reused copy leaves "File Already Cached" there.
std::wstring ExtractEXE(const std::wstring& path);
// Writes a projector made of the player stub and the movie at info.Path.
// Returns "" or the error text (also left in LastError and written to the log).
std::wstring CreateProjector(const std::wstring& outPath, const SWFInfo& info);
// True when the executable's original file name is that of a generic
// projector; with onlyStandalone only "SwFlsh32.exe" counts.
bool IsGenericProjector(const std::wstring& path, bool onlyStandalone = false);
// The same of the executable at path already open for reading in exe (its
// resources are checked through exe; the version functions read path).
bool IsGenericProjector(BinaryFile& exe, const std::wstring& path, bool onlyStandalone = false);
// The stub CreateProjector uses: ProjectorStubPath, or BinaryFolder\projector.dll.
std::wstring ProjectorStub();
