// Projector executables: a player stub with a movie appended, then the magic
// 56 34 12 FA and the movie's length (32-bit little-endian).
#pragma once
#include <cstdint>
#include <string>

#include "moviefiles/SWFInfo.h"

inline constexpr uint8_t kProjectorMagic[4] = {0x56, 0x34, 0x12, 0xFA};

// Takes the movie out of a projector into the cache; returns its path, or ""
// with the reason in LastError. A copy taken earlier is used again when it
// still matches the projector ("File Already Cached").
std::wstring ExtractEXE(const std::wstring& path);
// Writes a projector made of the player stub and the movie at info.Path.
// Returns "" or the error text (also written to the log).
std::wstring CreateProjector(const std::wstring& outPath, const SWFInfo& info);
// True when the executable's original file name is that of a generic
// projector; with onlyStandalone only "SwFlsh32.exe" counts.
bool IsGenericProjector(const std::wstring& path, bool onlyStandalone = false);
// The stub CreateProjector uses: ProjectorStubPath, or BinaryFolder\projector.dll.
std::wstring ProjectorStub();
