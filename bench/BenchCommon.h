// Pieces every benchmark program uses: a high-resolution clock in seconds,
// a folder of its own under the temporary folder, writing a generated file,
// and stopping with an error when a step fails, so that no figure is printed
// for work that was not done. Header only: each bench/*.cpp is a program of
// its own.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/BinaryFile.h"
#include "base/Clock.h"
#include "services/ShellMod.h"

// Seconds from the program's monotonic clock (differences are what count).
inline double Now() { return MonotonicSeconds(); }

// Ends the benchmark with an error naming the step that failed.
[[noreturn]] inline void Fail(const std::string& step) {
  std::fflush(stdout);
  std::fprintf(stderr, "The benchmark stopped: %s failed.\n", step.c_str());
  std::exit(1);
}

inline void Require(bool ok, const std::string& step) {
  if (!ok) Fail(step);
}

// A folder of the benchmark's own under the temporary folder (ending in "\"),
// made with the folders above it that a fresh profile lacks.
inline std::wstring BenchFolder(const std::wstring& name) {
  wchar_t base[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, base);
  Require(n > 0 && n <= MAX_PATH, "finding the temporary folder");
  const std::wstring folder = std::wstring(base, n) + name + L"\\";
  if (!MakeDirs(folder)) {
    std::fprintf(stderr, "Cannot make %ls\n", folder.c_str());
    Fail("making the temporary folder");
  }
  return folder;
}

// Writes bytes as the whole content of path; false when it can't be created or written.
inline bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  return WriteWholeFile(path, bytes);
}

// Writes a file the benchmark needs, or stops.
inline void WriteOrFail(const std::wstring& path, const std::vector<uint8_t>& bytes, const std::string& what) {
  Require(WriteFileBytes(path, bytes), "writing " + what);
}
