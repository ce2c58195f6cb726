// Helpers shared by the test programs: a temporary folder removed at the end,
// byte-exact file reading and writing, and the source tree's location.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the temporary folder (ending in "\"), deleted with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + name; }

 private:
  std::wstring path_;
};

std::vector<uint8_t> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
bool WriteText(const std::wstring& path, const std::string& utf8);
// The project's source folder (from SWFZEL_SOURCE_DIR, as a Windows path), ending in "\".
std::wstring SourceDir();
// Deletes a folder tree; used by TempDir.
void RemoveTree(const std::wstring& path);

}  // namespace testing_support
