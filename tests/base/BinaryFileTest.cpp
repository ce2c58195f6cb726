#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/BinaryFile.h"
#include "support/TestSupport.h"

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteText;

namespace {

std::string FileText(const std::wstring& path) {
  auto b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

// The names in a folder.
std::vector<std::wstring> Names(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

}  // namespace

// A new file takes a free name or the place of an earlier one, and nothing
// else stays in the folder (neither the temporary file nor the old one).
TEST(CommitTempFileAside, TakesAFreeNameOrTheOldFilesPlace) {
  TempDir dir;
  const std::wstring target = dir.File(L"movie.jpg"), temp = dir.File(L"movie.jpg.~1.tmp");
  ASSERT_TRUE(WriteText(temp, "first"));
  EXPECT_TRUE(CommitTempFileAside(temp, target));
  EXPECT_EQ(FileText(target), "first");

  ASSERT_TRUE(WriteText(temp, "second"));
  EXPECT_TRUE(CommitTempFileAside(temp, target));
  EXPECT_EQ(FileText(target), "second");
  EXPECT_EQ(Names(dir.Path()), std::vector<std::wstring>{L"movie.jpg"});
}

// A target that cannot be replaced keeps its bytes, and the temporary file goes.
TEST(CommitTempFileAside, AFailedMoveKeepsTheOldFile) {
  TempDir dir;
  const std::wstring target = dir.File(L"movie.jpg"), temp = dir.File(L"movie.jpg.~1.tmp");
  ASSERT_TRUE(WriteText(target, "old"));
  HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(WriteText(temp, "new"));
  EXPECT_FALSE(CommitTempFileAside(temp, target));
  CloseHandle(held);
  EXPECT_EQ(FileText(target), "old");
  EXPECT_EQ(Names(dir.Path()), std::vector<std::wstring>{L"movie.jpg"});

  // A read-only file is not moved aside: it stays as a move over it leaves it.
  ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(WriteText(temp, "new"));
  const bool replaced = CommitTempFile(temp, target);
  const std::string overOne = FileText(target);
  ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(WriteText(temp, "newer"));
  EXPECT_EQ(CommitTempFileAside(temp, target), replaced);
  EXPECT_EQ(FileText(target), replaced ? "newer" : overOne);
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Names(dir.Path()), std::vector<std::wstring>{L"movie.jpg"});
}
