#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "TestSupport.h"
#include "base/Handles.h"
#include "services/FileSearch.h"

using testing_support::TempDir;
using testing_support::WriteBytes;
using testing_support::MakeDirectoryLink;
using testing_support::RemoveDirectoryLink;

namespace {

void MakeFile(const std::wstring& path, size_t size) { ASSERT_TRUE(WriteBytes(path, std::vector<uint8_t>(size, 0x41))); }

// root: A.SWF b.swf c.txt movie.swfzel, folder.swf\w.txt, sub1\x.swf, sub1\Nested\y.swf, Sub2\z.swf
struct Tree {
  TempDir dir;
  Tree() {
    const std::wstring& r = dir.Path();
    MakeFile(r + L"b.swf", 3);
    MakeFile(r + L"A.SWF", 5);
    MakeFile(r + L"movie.swfzel", 7);
    MakeFile(r + L"c.txt", 1);
    CreateDirectoryW((r + L"folder.swf").c_str(), nullptr);
    MakeFile(r + L"folder.swf\\w.txt", 1);
    CreateDirectoryW((r + L"sub1").c_str(), nullptr);
    MakeFile(r + L"sub1\\x.swf", 11);
    CreateDirectoryW((r + L"sub1\\Nested").c_str(), nullptr);
    MakeFile(r + L"sub1\\Nested\\y.swf", 13);
    CreateDirectoryW((r + L"Sub2").c_str(), nullptr);
    MakeFile(r + L"Sub2\\z.swf", 17);
  }
  std::vector<std::wstring> Expected() const {
    const std::wstring& r = dir.Path();
    return {r + L"A.SWF", r + L"b.swf", r + L"sub1\\x.swf", r + L"sub1\\Nested\\y.swf", r + L"Sub2\\z.swf"};
  }
};

struct YieldGuard {
  SearchYield saved = FileSearchYield();
  ~YieldGuard() { FileSearchYield() = saved; }
};

}  // namespace

TEST(FindFiles, RecursiveOrderCountersAndSize) {
  Tree t;
  long files = 0, dirs = 0;
  std::wstring current;
  std::vector<std::wstring> list;
  bool cancel = false;
  int64_t total = FindFiles(t.dir.Path(), L"*.swf", files, dirs, true, current, list, cancel);
  // Long names only: "movie.swfzel" (short name MOVIE~1.SWF) and the folder "folder.swf" are no matches.
  EXPECT_EQ(list, t.Expected());
  EXPECT_EQ(files, 5);
  EXPECT_EQ(dirs, 4);  // folder.swf, sub1, Sub2, Nested
  EXPECT_EQ(total, 5 + 3 + 11 + 13 + 17);
  EXPECT_EQ(current, t.dir.Path() + L"Sub2\\");
}

TEST(FindFiles, FlatSearchKeepsExistingListAndFolderSpelling) {
  Tree t;
  std::wstring noSlash = t.dir.Path().substr(0, t.dir.Path().size() - 1);
  long files = 1, dirs = 7;
  std::wstring current;
  std::vector<std::wstring> list{L"kept"};
  bool cancel = false;
  FindFiles(noSlash, L"*.SWF", files, dirs, false, current, list, cancel);
  EXPECT_EQ(list, (std::vector<std::wstring>{L"kept", t.dir.Path() + L"A.SWF", t.dir.Path() + L"b.swf"}));
  EXPECT_EQ(files, 3);
  EXPECT_EQ(dirs, 7);  // sub-folders are not counted without recursion
  EXPECT_EQ(current, noSlash);

  std::vector<std::wstring> all;
  FindFiles(t.dir.Path(), L"*.*", files, dirs, false, current, all, cancel);
  EXPECT_EQ(all.size(), 4u);
}

TEST(FindFiles, MissingFolderAndEmptyFolderNameFindNothing) {
  TempDir d;
  long files = 0, dirs = 0;
  std::wstring current;
  std::vector<std::wstring> list;
  bool cancel = false;
  EXPECT_EQ(FindFiles(d.Path() + L"missing\\", L"*.swf", files, dirs, true, current, list, cancel), 0);
  EXPECT_EQ(FindFiles(L"", L"*", files, dirs, true, current, list, cancel), 0);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(files + dirs, 0);
}

TEST(FindFiles, LinkLoopIsNotEntered) {
  Tree t;
  if (!MakeDirectoryLink(t.dir.Path() + L"sub1\\Nested\\loop", t.dir.Path()))
    GTEST_SKIP() << "no directory links on this system";
  long files = 0, dirs = 0;
  std::wstring current;
  std::vector<std::wstring> list;
  bool cancel = false;
  FindFiles(t.dir.Path(), L"*.swf", files, dirs, true, current, list, cancel);
  RemoveDirectoryLink(t.dir.Path() + L"sub1\\Nested\\loop");
  EXPECT_EQ(list, t.Expected());
  EXPECT_EQ(dirs, 4);
}

TEST(FindFiles, CancelStopsAtOnceAndDuringTheSearch) {
  Tree t;
  YieldGuard guard;
  long files = 0, dirs = 0;
  std::wstring current;
  std::vector<std::wstring> list;
  bool cancel = true;
  FindFiles(t.dir.Path(), L"*.swf", files, dirs, true, current, list, cancel);
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(current.empty());

  // Cancelled from the message loop after a few entries: what was found is a prefix of the full result.
  for (int after = 1; after <= 12; ++after) {
    int pumps = 0;
    cancel = false;
    FileSearchYield() = {-1.0, [&] {
                           if (++pumps == after) cancel = true;
                         }};
    list.clear();
    files = dirs = 0;
    FindFiles(t.dir.Path(), L"*.swf", files, dirs, true, current, list, cancel);
    EXPECT_EQ(pumps, after) << "no listing goes on after the cancel";
    std::vector<std::wstring> expected = t.Expected();
    ASSERT_LE(list.size(), expected.size());
    EXPECT_TRUE(std::equal(list.begin(), list.end(), expected.begin()));
    EXPECT_LT(list.size(), expected.size());
  }
}

TEST(FindFiles, ManySmallFoldersStillYieldAndCancel) {
  // A chain of folders of two entries each: no single listing lasts long, the search as a whole does.
  TempDir d;
  std::wstring folder = d.Path();
  for (int i = 0; i < 8; ++i) {
    MakeFile(folder + L"x.swf", 1);
    folder += L"d\\";
    CreateDirectoryW(folder.c_str(), nullptr);
  }
  YieldGuard guard;
  double now = 0;
  int pumps = 0;
  bool cancel = false;
  FileSearchYield() = {2.0, [&] { cancel = ++pumps == 2; }, [&] { return now += 1.0; }};  // a second per look
  long files = 0, dirs = 0;
  std::wstring current;
  std::vector<std::wstring> list;
  FindFiles(d.Path(), L"*.swf", files, dirs, true, current, list, cancel);
  EXPECT_EQ(pumps, 2);
  EXPECT_GT(list.size(), 0u);
  EXPECT_LT(list.size(), 8u);
}

TEST(FindFiles, MaskMatching) {
  EXPECT_TRUE(MatchFileMask(L"Movie.SWF", L"*.swf"));
  EXPECT_FALSE(MatchFileMask(L"movie.swfzel", L"*.swf"));
  EXPECT_FALSE(MatchFileMask(L"swf", L"*.swf"));
  EXPECT_TRUE(MatchFileMask(L"a.b.swf", L"*.swf"));
  EXPECT_TRUE(MatchFileMask(L"ab.exe", L"a?.exe"));
  EXPECT_FALSE(MatchFileMask(L"abc.exe", L"a?.exe"));
  EXPECT_TRUE(MatchFileMask(L"README", L"*.*"));
  EXPECT_TRUE(MatchFileMask(L"README", L"READ*.*"));
  EXPECT_FALSE(MatchFileMask(L"x", L""));
}
