// Pieces every benchmark program uses: a high-resolution clock in seconds and
// writing a generated file. Header only: each bench/*.cpp is a program of its own.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/BinaryFile.h"

// Seconds from the performance counter (differences are what count).
inline double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

// Writes bytes as the whole content of path; false when it can't be created or written.
inline bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  return WriteWholeFile(path, bytes);
}
