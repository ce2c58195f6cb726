#include <gtest/gtest.h>

#include <algorithm>

#include "MovieTestEnv.h"
#include "moviefiles/ExeResources.h"
#include "moviefiles/MovieCache.h"
#include "moviefiles/Projector.h"
#include "services/ShellMod.h"

using namespace moviebytes;
using namespace std::string_literals;
using testing_support::ReadBytes;

class ProjectorTest : public MovieTest {
 protected:
  void SetUp() override {
    MovieTest::SetUp();
    ProjectorStubPath = ShippedStub();
    GenericProjectors = true;
  }
  Movie Sample() {
    Movie m;
    m.rect = Rect(0, 320 * 20, 0, 200 * 20);
    m.tags = {BackgroundTag(0xAA, 0xBB, 0xCC), ShowFrame(), EndTag()};
    return m;
  }
};

TEST_F(ProjectorTest, ShippedStubIsGenericAndDamagedVersionResourcesAreNot) {
  ASSERT_TRUE(FileExists(ShippedStub()));
  EXPECT_TRUE(IsGenericProjector(ShippedStub()));
  EXPECT_TRUE(IsGenericProjector(ShippedStub(), true));
  EXPECT_FALSE(IsGenericProjector(Write(L"plain.exe", Text("MZ no version"))));

  Bytes stub = ReadBytes(ShippedStub());
  const std::string key = std::string("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0", 30);
  auto at = std::search(stub.begin(), stub.end(), key.begin(), key.end());
  ASSERT_NE(at, stub.end());
  size_t node = static_cast<size_t>(at - stub.begin()) - 6;  // the block's length field
  for (uint16_t length : {uint16_t{0}, uint16_t{7}, uint16_t{0xFFFF}}) {
    Bytes bad = stub;
    bad[node] = static_cast<uint8_t>(length), bad[node + 1] = static_cast<uint8_t>(length >> 8);
    EXPECT_FALSE(IsGenericProjector(Write(L"bad.exe", bad))) << length;
  }
  Bytes cut(stub.begin(), stub.begin() + static_cast<long>(node) + 40);  // the resource runs past the end
  EXPECT_FALSE(IsGenericProjector(Write(L"cut.exe", cut)));
  SWFInfo info;
  EXPECT_EQ(Read(L"cut.exe", Projector(cut, Sample().Plain()), info).rfind(L"Not a Generic Projector", 0), 0u);
}

// A 64-bit executable whose resource section holds a version directory of
// `types` types, `names` names and `langs` languages, all leading to one small,
// sound version block.
static Bytes VersionEntries(uint32_t types, uint32_t names, uint32_t langs) {
  auto size = [](uint32_t n) { return 16 + 8 * n; };
  const uint32_t nameDir = size(types), langDir = nameDir + size(names), data = langDir + size(langs),
                 block = data + 16;
  Bytes res;
  auto directory = [&](uint32_t n, uint32_t id, uint32_t target) {
    res.resize(res.size() + 14, 0);
    PutLE(res, n, 2);
    for (uint32_t i = 0; i < n; ++i) PutLE(res, id, 4), PutLE(res, target, 4);
  };
  directory(types, 16, 0x80000000 | nameDir);
  directory(names, 1, 0x80000000 | langDir);
  directory(langs, 0x409, data);
  PutLE(res, 0x1000 + block, 4), PutLE(res, 12, 4), PutLE(res, 0, 8);
  Append(res, {12, 0, 0, 0, 0, 0, 'A', 0, 0, 0, 0, 0});  // length 12, no value, key "A"

  Bytes pe(0x200, 0);
  pe[0] = 'M', pe[1] = 'Z', pe[0x3C] = 0x40;
  const size_t opt = 0x40 + 24, section = opt + 240;
  std::copy_n("PE\0\0", 4, pe.begin() + 0x40);
  pe[0x44] = 0x64, pe[0x45] = 0x86, pe[0x46] = 1;  // x64, one section
  pe[0x54] = 240;                                  // optional header size
  pe[opt] = 0x0B, pe[opt + 1] = 0x02;              // PE32+
  pe[opt + 108] = 16;                              // data directories
  auto put = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) pe[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put(opt + 112 + 16, 0x1000), put(opt + 112 + 20, static_cast<uint32_t>(res.size()));  // resources
  put(section + 8, static_cast<uint32_t>(res.size())), put(section + 12, 0x1000);
  put(section + 16, static_cast<uint32_t>(res.size())), put(section + 20, 0x200);
  Append(pe, res);
  return pe;
}

TEST_F(ProjectorTest, CrowdedVersionDirectoryIsRefusedQuickly) {
  // A few entries are a sound, if empty, version resource; a crowd on any one
  // level is refused (thousands on each would mean billions of blocks to check).
  const struct {
    uint32_t types, names, langs;
    bool sound;
  } cases[] = {{1, 1, 1, true}, {2, 2, 2, true}, {80, 1, 1, false}, {1, 80, 1, false}, {1, 1, 80, false},
               {3000, 3000, 3000, false}};
  for (const auto& c : cases)
    EXPECT_EQ(HasSoundVersionResource(Write(L"v.exe", VersionEntries(c.types, c.names, c.langs))), c.sound)
        << c.types << " " << c.names << " " << c.langs;
  std::wstring crowded = Write(L"crowded.exe", Projector(VersionEntries(3000, 3000, 3000), Sample().Plain()));
  SWFInfo info;
  EXPECT_EQ(GetSWFInfo(crowded, info, false).rfind(L"Not a Generic Projector", 0), 0u);
}

TEST_F(ProjectorTest, ARebuiltProjectorOfTheSameLengthShowsItsNewMovie) {
  Bytes stub = ReadBytes(ShippedStub());
  std::wstring exe = Path(L"same.exe");
  for (uint8_t red : {1, 2, 3}) {
    Movie m = Sample();
    m.tags[0] = BackgroundTag(red, 0, 0);
    testing_support::WriteBytes(exe, Projector(stub, red == 3 ? m.Compressed() : m.Plain()));
    SWFInfo info;
    ASSERT_EQ(GetSWFInfo(exe, info, false), L"");
    EXPECT_EQ(info.BackColor, BytesToHexColor(red, 0, 0));
  }
}

TEST_F(ProjectorTest, TheRecordKeepsTheSizeOfTheMovieInside) {
  const Bytes stub = ReadBytes(ShippedStub());
  for (bool compressed : {false, true}) {
    const Bytes movie = compressed ? Sample().Compressed() : Sample().Plain();
    SWFInfo info;
    ASSERT_EQ(Read(compressed ? L"sized-c.exe" : L"sized.exe", Projector(stub, movie), info), L"");
    ASSERT_TRUE(info.PathChanged);
    EXPECT_EQ(std::tuple(info.MovieFileSize, info.FileSize),
              std::tuple(int32_t(movie.size()), int32_t(stub.size() + movie.size() + 8)));
    ASSERT_EQ(Read(L"sized.swf", movie, info), L"");
    EXPECT_EQ(std::tuple(info.MovieFileSize, info.FileSize), std::tuple(int32_t(movie.size()), int32_t(movie.size())));
  }
}

TEST_F(ProjectorTest, RoundTripGivesTheMovieBack) {
  for (bool compressed : {false, true}) {
    Bytes movie = compressed ? Sample().Compressed() : Sample().Plain();
    SWFInfo info;
    ASSERT_EQ(Read(compressed ? L"c.swf" : L"p.swf", movie, info), L"");
    std::wstring exe = Path(compressed ? L"c.exe" : L"p.exe");
    ASSERT_EQ(CreateProjector(exe, info), L"");
    Bytes made = ReadBytes(exe);
    EXPECT_EQ(made, Projector(ReadBytes(ShippedStub()), movie));

    SWFInfo back;
    ASSERT_EQ(GetSWFInfo(exe, back, false), L"");
    std::wstring extracted = GetCacheFileName(exe, L".swf", true, false);
    EXPECT_EQ(std::tuple(back.PathChanged, back.Path, back.RequestedPath), std::tuple(true, extracted, exe));
    EXPECT_EQ(std::tuple(back.FileSize, back.Compressed, back.Width, back.BackColor),
              std::tuple(static_cast<int32_t>(made.size()), compressed, 320, L"AABBCC"s));
    EXPECT_EQ(ReadBytes(extracted), movie);

    // Opened again: the copy taken earlier is used, and the read leaves no error behind.
    ASSERT_EQ(GetSWFInfo(exe, back, false), L"");
    EXPECT_EQ(LastError, L"");
    EXPECT_EQ(ExtractEXE(exe), extracted);
    EXPECT_EQ(LastError, L"File Already Cached");
  }
}

TEST_F(ProjectorTest, StubCarryingAMovieIsReplacedAndStaleCopiesRenewed) {
  Bytes stub = ReadBytes(ShippedStub());
  Bytes old = Sample().Plain();
  ProjectorStubPath = Write(L"loaded.dll", Projector(stub, old));
  Movie m = Sample();
  m.tags = {BackgroundTag(1, 2, 3), ShowFrame(), ShowFrame(), EndTag()};
  Bytes movie = m.Plain();
  SWFInfo info;
  ASSERT_EQ(Read(L"m.swf", movie, info), L"");
  std::wstring exe = Path(L"m.exe");
  ASSERT_EQ(CreateProjector(exe, info), L"");
  EXPECT_EQ(ReadBytes(exe), Projector(stub, movie));

  // A cached copy of another size is not taken for this projector's movie.
  testing_support::WriteBytes(GetCacheFileName(exe, L".swf", true, false), old);
  SWFInfo back;
  ASSERT_EQ(GetSWFInfo(exe, back, false), L"");
  EXPECT_NE(LastError, L"File Already Cached");
  EXPECT_EQ(back.BackColor, L"010203");
}

TEST_F(ProjectorTest, DoubtfulOrBrokenProjectorsAreRefused) {
  Bytes stub = ReadBytes(ShippedStub());
  Bytes movie = Sample().Plain();
  SWFInfo info;
  std::wstring plain = Write(L"plain.exe", Projector(Text("MZ stub without version"), movie));
  std::wstring err = GetSWFInfo(plain, info, false);
  EXPECT_EQ(err.rfind(L"Not a Generic Projector. Uncheck", 0), 0u) << err;
  EXPECT_EQ(LastError, err);
  GenericProjectors = false;
  EXPECT_EQ(GetSWFInfo(plain, info, false), L"");

  GenericProjectors = true;
  Bytes zeroVersion = movie, tooLong = Projector(stub, movie), tooShort = tooLong;
  zeroVersion[3] = 0;
  tooLong[tooLong.size() - 1] = 0x7F;              // L beyond the file
  std::copy_n("\3\0\0\0", 4, tooShort.end() - 4);  // L below 4
  // An executable appended, a movie of version 0, no movie at all, L too long and too short.
  for (const Bytes& bad : {Projector(stub, stub), Projector(stub, zeroVersion), stub, tooLong, tooShort}) {
    EXPECT_EQ(Read(L"bad.exe", bad, info), L"Invalid Generic Projector");
    EXPECT_EQ(info.Path, L"");
  }
}

TEST_F(ProjectorTest, CreateProjectorReportsFailureAndKeepsExistingFiles) {
  Bytes movie = Sample().Plain();
  std::wstring moviePath = Write(L"m.swf", movie);
  SWFInfo info;
  ASSERT_EQ(GetSWFInfo(moviePath, info, false), L"");
  EXPECT_NE(CreateProjector(moviePath, info), L"");  // over its own movie or stub: refused
  EXPECT_EQ(ReadBytes(moviePath), movie);
  EXPECT_NE(CreateProjector(ProjectorStubPath, info), L"");

  std::wstring exe = Write(L"keep.exe", Text("precious"));
  ProjectorStubPath = Path(L"missing.dll");
  EXPECT_EQ(CreateProjector(exe, info), L"Projector Stub Not Found");
  EXPECT_EQ(LastError, L"Projector Stub Not Found");
  EXPECT_EQ(ReadBytes(exe), Text("precious"));

  ProjectorStubPath = ShippedStub();
  EXPECT_NE(CreateProjector(Path(L"no folder\\x.exe"), info), L"");
}

TEST_F(ProjectorTest, AProjectorsRecordIsItsMoviesOneReadingOfTheFile) {
  const Bytes stub = ReadBytes(ShippedStub());
  Movie m = Sample();
  m.tags.insert(m.tags.begin() + 1, MetadataTag("Title", "About"));
  for (bool compressed : {false, true}) {
    const Bytes movie = compressed ? m.Compressed() : m.Plain();
    SWFInfo plain, wrapped;
    ASSERT_EQ(Read(compressed ? L"same-c.swf" : L"same.swf", movie, plain), L"");
    ASSERT_EQ(Read(compressed ? L"same-c.exe" : L"same.exe", Projector(stub, movie), wrapped), L"");
    // Every fact of the movie is the same; only where it lies and the file's size differ.
    EXPECT_EQ(std::tuple(wrapped.Version, wrapped.Compressed, wrapped.MovieLength, wrapped.MovieFileSize),
              std::tuple(plain.Version, plain.Compressed, plain.MovieLength, plain.MovieFileSize));
    EXPECT_EQ(std::tuple(wrapped.Width, wrapped.Height, wrapped.FrameRate, wrapped.FrameCount, wrapped.FirstTagOffset),
              std::tuple(plain.Width, plain.Height, plain.FrameRate, plain.FrameCount, plain.FirstTagOffset));
    EXPECT_EQ(std::tuple(wrapped.BackColor, wrapped.Title, wrapped.Description),
              std::tuple(plain.BackColor, plain.Title, plain.Description));
    EXPECT_EQ(std::tuple(wrapped.PathChanged, plain.PathChanged), std::tuple(true, false));
    EXPECT_EQ(compressed, !wrapped.HeaderCachePath.empty() && wrapped.HeaderCachePath != plain.HeaderCachePath);
  }
  // A projector that is not there is refused as before, whichever way it is asked for.
  const std::wstring missing = Path(L"missing.exe");
  EXPECT_EQ(TakeMovieOut(missing).Error(), MovieError::NotGenericProjector);
  EXPECT_FALSE(IsGenericProjector(missing));
  GenericProjectors = false;
  EXPECT_EQ(TakeMovieOut(missing).Error(), MovieError::ReadError);
}
