#include <gtest/gtest.h>

#include <set>

#include "MovieTestEnv.h"
#include "base/BinaryFile.h"
#include "services/ShellMod.h"
#include "moviefiles/CacheStamp.h"
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

TEST_F(MovieCacheTest, CacheNamesAreOneToOneAndAlwaysUsable) {
  // The characters the flattening produces are escaped in the path.
  EXPECT_EQ(GetCacheFileName(L"C:\\a#b\\c@d%.swf", L".tmp", true, true), L"C@a%23b#c%40d%25.swf.tmp");
  EXPECT_NE(GetCacheFileName(L"C:\\a#b\\c.swf", L".tmp", true, true), GetCacheFileName(L"C:\\a\\b\\c.swf", L".tmp", true, true));
  {  // a relative path names the file it reaches from the current folder
    InFolder here(Path(L""));
    EXPECT_EQ(GetCacheFileName(L"m.swf", L".tmp", true, false), GetCacheFileName(Path(L"m.swf"), L".tmp", true, false));
  }
  // Names that could not be a file name get a fixed-length hashed one, distinct per path.
  const std::wstring odd[] = {L"\\\\?\\C:\\m.swf", L"\\\\?\\C:\\n.swf", L"C:\\" + std::wstring(300, L'a') + L".swf",
                              L"C:\\" + std::wstring(300, L'b') + L".swf"};
  std::set<std::wstring> names;
  for (const std::wstring& path : odd) {
    std::wstring name = GetCacheFileName(path, L".tmp", true, false);
    EXPECT_EQ(name.rfind(CacheFolder + L"~", 0), 0u) << name;
    EXPECT_EQ(name.size(), CacheFolder.size() + 1 + 16 + 4) << name;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 4u);
}

TEST_F(MovieCacheTest, AFoldersCacheNamesAreThoseOfItsFilesFullPaths) {
  // The folder flattened once gives each file the name its own full path gives.
  const std::wstring folders[] = {L"C:\\Movies", L"C:\\Movies\\", L"C:\\", L"D:\\a#b\\.\\c@d%\\..\\e",
                                  L"\\\\server\\share\\x", L"C:\\" + std::wstring(190, L'f')};
  const std::wstring names[] = {L"intro.swf", L"a#b@c%d.swf", L"trailing.", L"blank ", L".", L"..",
                                L"a:b.swf", std::wstring(240, L'n') + L".swf", L"x.swf"};
  for (const std::wstring& folder : folders) {
    const FolderCacheNames cache(folder, L".jpg");
    for (const std::wstring& name : names) {
      const std::wstring expected = GetCacheFileName(AddBackslash(folder) + name, L".jpg", true, true);
      EXPECT_EQ(cache.Of(name), expected) << folder << L" | " << name;
      const bool inFolder = name != L"." && name != L"..";  // those two name the folder or its parent
      if (inFolder && expected[0] != L'~') EXPECT_EQ(expected.rfind(cache.Prefix(), 0), 0u) << expected;
    }
  }
}

TEST_F(MovieCacheTest, MoviesWhoseNamesOnceCollidedOrCouldNotBeCachedAreReadAsThemselves) {
  ASSERT_TRUE(CreateDirectoryW(Path(L"a#b").c_str(), nullptr) && CreateDirectoryW(Path(L"a").c_str(), nullptr) &&
              CreateDirectoryW(Path(L"a\\b").c_str(), nullptr));
  const struct {
    std::wstring path;
    uint8_t red;
  } movies[] = {{L"a#b\\c.swf", 1}, {L"a\\b\\c.swf", 2}, {L"\\\\?\\" + Path(L"q.swf"), 3}};
  for (const auto& m : movies) {
    Movie movie = Large();
    movie.tags[0] = BackgroundTag(m.red, 0, 0);
    std::wstring path = m.path.rfind(L"\\\\?\\", 0) == 0 ? m.path : Path(m.path);
    testing_support::WriteBytes(path, movie.Compressed());
    SWFInfo info;
    ASSERT_EQ(GetSWFInfo(path, info, false), L"") << path;
    EXPECT_EQ(info.BackColor, BytesToHexColor(m.red, 0, 0)) << path;
  }
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

  // The copy is reused only while it provably comes from the movie. The copy is
  // marked: a reuse leaves the mark, a rebuild removes it.
  auto mark = [&] {
    Bytes marked = ReadBytes(copy);
    marked.back() ^= 0xFF;
    testing_support::WriteBytes(copy, marked);
    return marked;
  };
  auto setTime = [](const std::wstring& file, FILETIME t) {
    HANDLE h = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &t);
    CloseHandle(h);
  };
  Bytes marked = mark();
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(ReadBytes(copy), marked);

  // The same bytes with another time stamp: rebuilt.
  setTime(path, FILETIME{0x10000000, 0x01000000});
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(ReadBytes(copy), Bytes(plain.begin(), plain.begin() + 8 + 10001));

  // Replaced by a movie of the same length and an older time stamp (as an
  // archive keeps it): rebuilt, and read as the new movie.
  Movie other = m;
  other.tags[0] = BackgroundTag(1, 2, 3);
  Write(L"big.swf", other.Compressed());
  setTime(path, FILETIME{0x20000000, 0x01000000});
  setTime(copy, FILETIME{0x30000000, 0x01000000});
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(info.BackColor, L"010203");

  // Replaced by one of another length: rebuilt.
  other.tags = {BackgroundTag(4, 5, 6), EndTag()};
  Write(L"big.swf", other.Compressed());
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(info.BackColor, L"040506");
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

  // A reader of the earlier copy keeps reading it whole while a new copy is made
  // (which replaces it, or stands beside it while the earlier one is in use).
  BinaryFile held;
  ASSERT_TRUE(held.OpenRead(copy));
  Movie other = m;
  other.tags[0] = BackgroundTag(9, 9, 9);
  Write(L"big.swf", other.Compressed());
  ASSERT_EQ(GetSWFInfo(path, info, true), L"");
  Bytes seen(m.Plain().size());
  EXPECT_TRUE(held.ReadExactAt(0, seen));
  EXPECT_EQ(seen, m.Plain());
  EXPECT_EQ(ReadBytes(info.Path), other.Plain());
  EXPECT_EQ(info.Path.rfind(CacheFolder, 0), 0u);
  held.Close();

  // The whole copy goes when its holder is done with it; a record of the movie itself holds no such copy.
  SWFInfo header;
  ASSERT_EQ(GetSWFInfo(path, header, false), L"");
  EXPECT_FALSE(RemoveCacheCopy(header));
  EXPECT_TRUE(FileExists(path) && FileExists(info.Path));
  EXPECT_TRUE(RemoveCacheCopy(info));
  EXPECT_FALSE(FileExists(info.Path));
}

TEST_F(MovieCacheTest, AWholeCopyIsRewrittenInPlaceAndStampedOnlyOnceComplete) {
  Movie m = Large();
  std::wstring path = Write(L"big.swf", m.Compressed());
  const std::wstring copy = GetCacheFileName(path, L".tmp", true, false);
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(path, info, true), L"");
  ASSERT_TRUE(LoadCacheStamp(copy).has_value());

  // A shorter movie overwrites the longer copy under its own name, cut to its length.
  Movie small;
  small.tags = {BackgroundTag(7, 7, 7), EndTag()};
  Write(L"big.swf", small.Compressed());
  ASSERT_EQ(GetSWFInfo(path, info, true), L"");
  EXPECT_EQ(info.Path, copy);
  EXPECT_EQ(ReadBytes(copy), small.Plain());
  std::optional<CacheStamp> stamp = LoadCacheStamp(copy);
  ASSERT_TRUE(stamp.has_value());
  EXPECT_EQ(std::tuple(stamp->full, stamp->copySize), std::tuple(true, uint64_t{small.Plain().size()}));

  // A copy that fails half-way (here: larger than allowed) leaves neither the
  // partial file nor a stamp, so nothing takes it for a valid copy.
  Write(L"big.swf", m.Compressed());
  BinaryFile source;
  ASSERT_TRUE(source.OpenRead(path));
  Result<CacheCopy> cut = MakeUncompressedCopy(source, path, path, false, 1u << 20);
  ASSERT_FALSE(cut);
  EXPECT_EQ(cut.Error(), MovieError::TooLarge);
  EXPECT_FALSE(FileExists(copy));
  EXPECT_FALSE(LoadCacheStamp(copy).has_value());
  // The next reader makes a whole copy again.
  ASSERT_EQ(GetSWFInfo(path, info, false), L"");
  EXPECT_EQ(ReadBytes(copy).size(), 8u + kHeaderCacheBody);
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
