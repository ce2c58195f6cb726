#include <gtest/gtest.h>

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

TEST(ReadFileVersion, CompleteResourceUsesTheFirstTranslation) {
  std::wstring original = L"unchanged";
  EXPECT_EQ(ReadFileVersion(Beside(L"VersionFull.exe"), original), L"2.5.0.17");
  EXPECT_EQ(original, L"Full Original.exe");
}

TEST(ReadFileVersion, MissingStringsDoNotHideTheOthers) {
  std::wstring original = L"unchanged";
  EXPECT_EQ(ReadFileVersion(Beside(L"VersionNoCompany.exe"), original), L"3.1");
  EXPECT_EQ(original, L"NoCompany.exe");
}

TEST(ReadFileVersion, FilesWithoutAResource) {
  TempDir dir;
  ASSERT_TRUE(WriteText(dir.File(L"data.bin"), std::string(4096, '\x5a')));
  std::wstring original = L"unchanged";
  EXPECT_EQ(ReadFileVersion(dir.File(L"data.bin"), original), L"");
  EXPECT_EQ(ReadFileVersion(dir.File(L"missing.exe"), original), L"");
  EXPECT_EQ(ReadFileVersion(dir.Path() + std::wstring(300, L'v') + L".exe", original), L"");
  EXPECT_EQ(ReadFileVersion(L"", original), L"");
  EXPECT_EQ(original, L"unchanged");
}

}  // namespace
