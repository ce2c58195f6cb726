#include <gtest/gtest.h>

#include "MovieTestEnv.h"
#include "moviefiles/Compression.h"
#include "moviefiles/MovieCache.h"

using namespace moviebytes;
using namespace std::string_literals;
using testing_support::ReadBytes;

class MovieCacheTest : public MovieTest {
 protected:
  // A compressed movie whose body is far longer than the header copy keeps.
  Movie Large() {
    Movie m;
    m.tags = {BackgroundTag(0x33, 0x66, 0x99), MetadataTag("Big", "Two megabytes")};
    Bytes noise(2 * 1024 * 1024);
    uint32_t x = 1;
    for (auto& b : noise) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 16) & 0x0F;
    m.tags.push_back(Tag(2, noise));
    m.tags.push_back(EndTag());
    return m;
  }
};

TEST_F(MovieCacheTest, CacheNamesFlattenedAndNot) {
  EXPECT_EQ(GetCacheFileName(L"\\\\server\\share\\a.swf", L".tmp", true, false),
            CacheFolder + L"#server#share#a.swf.tmp");
  EXPECT_EQ(GetCacheFileName(L"D:\\x/y.swf", L".tmp", true, false), CacheFolder + L"D@x#y.swf.tmp");
  EXPECT_EQ(GetCacheFileName(L"C:\\Movies\\intro.swf", L".jpg", true, true), L"C@Movies#intro.swf.jpg");
  EXPECT_EQ(GetCacheFileName(L"C:\\Movies\\intro.swf", L".jpg", false, false), L"C:\\Movies\\intro.jpg");
  EXPECT_EQ(GetCacheFileName(L"C:\\Movies\\intro.swf", L".jpg", false, true), L"intro.jpg");
  // The extension is looked for after the last "\" only.
  EXPECT_EQ(GetCacheFileName(L"C:\\My.Movies\\intro", L".jpg", false, false), L"C:\\My.Movies\\intro.jpg");
  EXPECT_EQ(GetCacheFileName(L"C:\\My.Movies\\intro", L"", false, true), L"intro");
  EXPECT_EQ(GetCacheFileName(L"intro", L".exe", false, false), L"intro.exe");
}

TEST_F(MovieCacheTest, HeaderOnlyKeepsTheMovieAndASmallCopyReusedWhileItMatches) {
  Movie m = Large();
  std::wstring path = Write(L"big.swf", m.Compressed());
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(std::tuple(info.Compressed, info.PathChanged, info.Path, info.RequestedPath),
            std::tuple(true, false, path, path));
  EXPECT_EQ(std::tuple(info.Width, info.BackColor, info.Title), std::tuple(550, L"336699"s, L"Big"s));
  EXPECT_EQ(info.MovieLength, static_cast<double>(8 + m.Body().size()));
  std::wstring copy = GetCacheFileName(path, L".tmp", true, false);
  EXPECT_EQ(info.HeaderCachePath, copy);
  Bytes plain = m.Plain();
  EXPECT_EQ(ReadBytes(copy), Bytes(plain.begin(), plain.begin() + 8 + 10001));

  // The copy is reused only while it matches the movie. Mark the copy: a reuse leaves the mark, a rebuild removes it.
  Bytes marked = ReadBytes(copy);
  marked.back() ^= 0xFF;
  testing_support::WriteBytes(copy, marked);
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(ReadBytes(copy), marked);

  // The movie is replaced by another of a different length: the copy is rebuilt.
  Movie other = m;
  other.tags = {BackgroundTag(1, 2, 3), EndTag()};
  Write(L"big.swf", other.Compressed());
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(info.BackColor, L"010203");
  EXPECT_EQ(ReadBytes(copy), other.Plain());

  // A copy older than the movie is rebuilt even when its header still matches.
  testing_support::WriteBytes(copy, marked);
  HANDLE h = CreateFileW(copy.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME old{0x10000000, 0x01000000};
  SetFileTime(h, nullptr, nullptr, &old);
  CloseHandle(h);
  Bytes sameHeader = other.Plain();
  std::copy(sameHeader.begin(), sameHeader.begin() + 8, marked.begin());
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(ReadBytes(copy), other.Plain());
}

TEST_F(MovieCacheTest, FullModeWritesExactlyTheInflatedMovie) {
  Movie m = Large();
  std::wstring path = Write(L"big.swf", m.Compressed());
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(path, info, true), L"");
  std::wstring copy = GetCacheFileName(path, L".tmp", true, false);
  EXPECT_EQ(std::tuple(info.Path, info.RequestedPath, info.FileTitle), std::tuple(copy, path, L"big.swf"s));
  EXPECT_EQ(ReadBytes(copy), m.Plain());
  EXPECT_EQ(info.FirstTagOffset, static_cast<int32_t>(8 + m.rect.size() + 4 + 1));
}

TEST_F(MovieCacheTest, DamagedOrCutBodiesKeepWhatCouldBeInflated) {
  Movie m = Large();
  Bytes bytes = m.Compressed();
  Bytes damaged = bytes;
  for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i) damaged[i] ^= 0x5A;
  SWFInfo info;
  ASSERT_EQ(Read(L"damaged.swf", damaged, info, true), L"");
  EXPECT_EQ(std::tuple(LastError, info.BackColor), std::tuple(L"Movie Corrupted"s, L"336699"s));
  EXPECT_GT(ReadBytes(info.Path).size(), 10000u);

  bytes.resize(bytes.size() / 3);
  ASSERT_EQ(Read(L"cut.swf", bytes, info, true), L"");
  EXPECT_EQ(LastError, L"Movie Truncated");

  // A body that gives not even the frame rectangle is a failure that says why.
  bytes.resize(10);
  std::wstring path = Write(L"stub.swf", bytes);
  for (bool full : {false, true}) {
    EXPECT_EQ(GetSWFInfo(path, info, full), L"Error Reading Compressed Movie (Movie Truncated)");
    EXPECT_EQ(LastError, L"Error Reading Compressed Movie (Movie Truncated)");
    EXPECT_EQ(info.Path, L"");
  }
  std::copy_n("garbage!", 8, damaged.begin() + 8);
  EXPECT_EQ(Read(L"garbage.swf", damaged, info), L"Error Reading Compressed Movie (Movie Corrupted)");
}

TEST_F(MovieCacheTest, MissingCacheFolderIsMadeAgainAndAnUnusableOneIsAFailure) {
  std::wstring path = Write(L"small.swf", Large().Compressed());
  CacheFolder = Path(L"gone\\");
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(info.HeaderCachePath.rfind(CacheFolder, 0), 0u);

  CacheFolder = Write(L"a file", Text("x")) + L"\\";
  EXPECT_EQ(GetSWFInfo(path, info, false), L"Error Reading Compressed Movie (Error Writing Cache)");
  EXPECT_EQ(LastError, L"Error Reading Compressed Movie (Error Writing Cache)");
}

TEST(Compression, DecompressBytesGivesExactlyTheInflatedBytes) {
  Bytes data(100000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  uLongf n = compressBound(data.size());
  Bytes z(n);
  compress2(z.data(), &n, data.data(), data.size(), 9);
  z.resize(n);
  Bytes out;
  int rc = 1;
  EXPECT_TRUE(DecompressBytes(z, out, rc, 200000));
  EXPECT_EQ(std::tuple(rc, out), std::tuple(0, data));
  EXPECT_FALSE(DecompressBytes(z, out, rc, 1000));  // too little room
  EXPECT_EQ(std::tuple(rc, out.size()), std::tuple(Z_BUF_ERROR, size_t{1000}));
  z[z.size() / 2] ^= 0xFF;
  z[z.size() / 2 + 1] ^= 0xFF;
  EXPECT_FALSE(DecompressBytes(z, out, rc, 200000));
  EXPECT_NE(rc, 0);
  EXPECT_TRUE(DecompressBytes({}, out, rc, 10));
  EXPECT_TRUE(out.empty());
}
