// Pieces every benchmark program uses: a high-resolution clock in seconds and
// writing a generated file. Header only: each bench/*.cpp is a program of its own.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/BinaryFile.h"
#include "base/Clock.h"

// Seconds from the program's monotonic clock (differences are what count).
inline double Now() { return MonotonicSeconds(); }

// Writes bytes as the whole content of path; false when it can't be created or written.
inline bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  return WriteWholeFile(path, bytes);
}
