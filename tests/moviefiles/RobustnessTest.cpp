// Thousands of damaged movies, videos and projectors (seeded, so every run is
// the same): reading and extracting must end with a result or a stated error,
// never a crash, a hang or runaway memory; a failure clears the record, and a
// projector's movie is always the one it carries now, never an earlier one.
#include <gtest/gtest.h>

#include <random>

#include "MovieTestEnv.h"
// after windows.h
#include <psapi.h>
#include "moviefiles/MovieCache.h"
#include "moviefiles/ResourceExtractor.h"
#include "services/ShellMod.h"

using namespace moviebytes;

namespace {

Movie RichMovie() {
  Movie m;
  Bytes jpeg{0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 1, 2, 0xFF, 0xD9};
  m.tags = {Tag(69, {0x10, 0, 0, 0}),
            MetadataTag("Robust", "A movie to break"),
            BackgroundTag(10, 20, 30),
            Tag(8, Bytes{0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xDB, 0, 3, 1, 0xFF, 0xD9}),
            Tag(6, Bytes{1, 0} + jpeg),
            Tag(21, Bytes{2, 0, 0xFF, 0xD9, 0xFF, 0xD8} + jpeg, true),
            Tag(14, Bytes{3, 0, 0x2E, 0x10, 0, 0, 0, 0, 0, 0xFF, 0xFB, 0x90, 0x64}),
            Tag(39, Bytes{4, 0, 1, 0} + Tag(1, {}) + Tag(0, {})),
            Tag(18, {0x0E, 0x2E, 0x40, 0x02, 0, 0})};
  for (int i = 0; i < 20; ++i) m.tags.push_back(Tag(19, {0x40, 0x02, 0, 0, 0xFF, 0xFB, static_cast<uint8_t>(i)}));
  m.tags.insert(m.tags.end(), {ShowFrame(), EndTag()});
  return m;
}

Bytes RichVideo(bool metadata) {
  Bytes flv = FlvHeader();
  Bytes strict = Bytes{10, 0, 0, 0, 2} + AmfNumber(1) + AmfString("x");
  if (metadata)
    Append(flv, FlvTag(18, MetaData({{"duration", AmfNumber(2)},
                                     {"keyframes", strict},
                                     {"width", AmfNumber(320)},
                                     {"creator", AmfString("me")},
                                     {"framerate", AmfNumber(15)}}),
                       0));
  for (int i = 0; i < 30; ++i) {
    Append(flv, FlvTag(9, i == 0 ? Bytes{0x22, 0, 0, 0x84, 0, 0x14, 0x0A, 0x0F, 0} : Bytes{0x22, 1, 2, 3}, i * 66));
    Append(flv, FlvTag(8, {0x2F, 1, 2}, i * 66));
  }
  return flv;
}

struct Mutator {
  std::mt19937 rng;
  explicit Mutator(uint32_t seed) : rng(seed) {}
  size_t Pick(size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : 0; }

  Bytes Mutate(Bytes b) {
    static const uint32_t odd[] = {0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 0, 63, 0x3F, 10001, 0xFFFF};
    switch (Pick(6)) {
      case 0:  // flip a few bytes
        for (size_t i = 0, n = 1 + Pick(8); i < n && !b.empty(); ++i) b[Pick(b.size())] ^= 1 + Pick(255);
        break;
      case 1:  // cut
        b.resize(Pick(b.size() + 1));
        break;
      case 2: {  // a huge or odd number somewhere (lengths, counts)
        uint32_t v = odd[Pick(8)];
        size_t at = Pick(b.size());
        for (int i = 0; i < 4 && at + i < b.size(); ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
        break;
      }
      case 3:  // damage the header fields
        for (size_t i = 0, n = 1 + Pick(3); i < n && b.size() > 8; ++i)
          b[3 + Pick(std::min<size_t>(b.size() - 3, 20))] = static_cast<uint8_t>(Pick(256));
        break;
      case 4: {  // repeat a slice
        if (b.size() < 4) break;
        size_t from = Pick(b.size()), len = Pick(std::min<size_t>(b.size() - from, 64)) + 1;
        Bytes slice(b.begin() + from, b.begin() + from + len);
        b.insert(b.begin() + Pick(b.size()), slice.begin(), slice.end());
        break;
      }
      default:  // flip and cut
        if (!b.empty()) b[Pick(b.size())] ^= 0xFF;
        b.resize(b.size() - Pick(std::min<size_t>(b.size(), 32) + 1));
    }
    return b;
  }
};

// The movie a projector carries, from its trailer.
Bytes CarriedMovie(const Bytes& exe) {
  if (exe.size() < 8) return {};
  size_t n = exe.size();
  uint32_t length = exe[n - 4] | exe[n - 3] << 8 | exe[n - 2] << 16 | static_cast<uint32_t>(exe[n - 1]) << 24;
  if (length > n - 8) return {};
  return Bytes(exe.end() - 8 - length, exe.end() - 8);
}

// Deletes the files of a folder.
void EmptyFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + found.cFileName).c_str());
  while (FindNextFileW(find, &found));
  FindClose(find);
}

}  // namespace

class RobustnessTest : public MovieTest {};

TEST_F(RobustnessTest, DamagedInputsEndInAResultOrAStatedError) {
  ProjectorStubPath = ShippedStub();
  Bytes stub = testing_support::ReadBytes(ShippedStub());
  ASSERT_FALSE(stub.empty());
  Movie rich = RichMovie();
  const Bytes seeds[] = {rich.Plain(), rich.Compressed(), RichVideo(true), RichVideo(false),
                         Projector(stub, rich.Compressed())};
  const wchar_t* names[] = {L"m.swf", L"c.swf", L"v.flv", L"w.flv", L"p.exe"};
  std::wstring out = Path(L"out\\");
  CreateDirectoryW(out.c_str(), nullptr);

  Mutator mutator(20261208);
  size_t successes = 0, failures = 0;
  const int rounds = 3000;
  for (int round = 0; round < rounds; ++round) {
    size_t kind = round % 5;
    Bytes input = mutator.Mutate(seeds[kind]);
    if (mutator.Pick(4) == 0) input = mutator.Mutate(input);
    // Projectors: most tries look past the version check to reach the trailer.
    // The cache is kept between rounds: a copy from an earlier round must not be taken for this one's movie.
    if (kind == 4) GenericProjectors = mutator.Pick(4) == 0;
    std::wstring path = Write(names[kind], input);
    for (bool full : {false, true}) {
      SWFInfo info;
      LastError.clear();
      std::wstring err = GetSWFInfo(path, info, full);
      if (!err.empty()) {
        ++failures;
        ASSERT_EQ(LastError, err) << "round " << round;
        ASSERT_EQ(info.Path, L"") << "round " << round;
        continue;
      }
      ++successes;
      if (info.PathChanged) {
        std::wstring movie = GetCacheFileName(path, L".swf", true, false);
        ASSERT_EQ(testing_support::ReadBytes(movie), CarriedMovie(input)) << "round " << round;
      }
      if (full && !info.IsFLV) {
        int32_t counts[5] = {0, 0, 0, 0, 0};
        bool cancel = false;
        ExtractResources(info, out, nullptr, counts, cancel);
        EmptyFolder(out);  // the next round's files take their own names, not numbered ones
      }
    }
  }
  EXPECT_GT(successes, 100u);
  EXPECT_GT(failures, 100u);
  PROCESS_MEMORY_COUNTERS pmc{sizeof pmc};
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  EXPECT_LT(pmc.PeakPagefileUsage, size_t{512} << 20);
}
