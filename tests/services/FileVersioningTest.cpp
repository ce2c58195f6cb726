#include <gtest/gtest.h>

#include <tuple>

#include "support/TestSupport.h"
#include "services/FileVersioning.h"

using testing_support::TempDir;
using testing_support::WriteText;

namespace {

// The test programs with version resources are built beside this one.
std::wstring Beside(const std::wstring& name) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.rfind(L'\\') + 1) + name;
}

TEST(ReadFileVersion, FirstTranslationAndMissingStringsDoNotHideTheOthers) {
  using Case = std::tuple<const wchar_t*, const wchar_t*, const wchar_t*>;  // program, version, original name
  for (const auto& [exe, version, originalName] : {Case{L"VersionFull.exe", L"2.5.0.17", L"Full Original.exe"},
                                                   Case{L"VersionNoCompany.exe", L"3.1", L"NoCompany.exe"}}) {
    std::wstring original = L"unchanged";
    EXPECT_EQ(ReadFileVersion(Beside(exe), original), version);
    EXPECT_EQ(original, originalName);
  }
}

TEST(ReadFileVersion, FilesWithoutAResource) {
  TempDir dir;
  ASSERT_TRUE(WriteText(dir.File(L"data.bin"), std::string(4096, '\x5a')));
  std::wstring original = L"unchanged";
  for (const std::wstring& path : {dir.File(L"data.bin"), dir.File(L"missing.exe"),
                                   dir.Path() + std::wstring(300, L'v') + L".exe", std::wstring()})
    EXPECT_EQ(ReadFileVersion(path, original), L"") << path;
  EXPECT_EQ(original, L"unchanged");
}

}  // namespace
