// Pieces every benchmark program uses: a high-resolution clock in seconds,
// a folder of its own under the temporary folder, writing a generated file,
// and stopping with an error when a step fails, so that no figure is printed
// for work that was not done. Header only: each bench/*.cpp is a program of
// its own.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/BinaryFile.h"
#include "base/Clock.h"
#include "services/RegistryModule.h"
#include "services/ShellMod.h"

// Seconds from the program's monotonic clock (differences are what count).
inline double Now() { return MonotonicSeconds(); }

// n bytes of v, little-endian, and a tag in its long form: the pieces of the
// movies the benchmarks make.
inline void PutLE(std::vector<uint8_t>& b, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void Tag(std::vector<uint8_t>& out, uint32_t code, const std::vector<uint8_t>& body) {
  PutLE(out, code << 6 | 63, 2);
  PutLE(out, static_cast<uint32_t>(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
}

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

// The benchmark's own settings key (HKEY_CURRENT_USER\Software\SWF.zel tests\<name>),
// made fresh: the program in the benchmark's process reads and writes there, never
// the user's own settings.
inline void UseOwnSettings(const wchar_t* name) {
  SetEnvironmentVariableW(kTestKeyVariable, name);
  RegDeleteTreeW(HKEY_CURRENT_USER, AppRegistryKey().c_str());
}
inline void DropOwnSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, AppRegistryKey().c_str()); }

// A text setting under the benchmark's key.
inline void SetText(const wchar_t* section, const wchar_t* name, const std::wstring& value) {
  const std::wstring key = AppRegistryKey() + L"\\" + section;
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// The settings of a start that asks nothing: no first-run set-up, no update
// check, no file types taken over.
inline void QuietStartSettings() {
  SetText(L"System", L"FirstRun", L"False");
  SetText(L"Update", L"Auto", L"False");
  for (const wchar_t* type : {L"SWF", L"FLV", L"PL"}) SetText(L"FileTypes", type, L"False");
}

// The middle of the values (-1 for none).
inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

// The folder of the benchmark program, ending in "\".
inline std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L'\\') + 1);
}

// Makes the window paint itself and its children now.
inline void Painted(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  GdiFlush();
}
