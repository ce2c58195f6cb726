// Seeded, mutated PNG files through loading and drawing: no crash, no hang,
// bounded memory.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <random>

#include "ImageTestSupport.h"
#include "support/TestSupport.h"
#include "images/cPNG.h"

using namespace imgtest;
using testing_support::TempDir;
using testing_support::WriteBytes;

TEST(PngRobustness, MutatedFilesLoadAndDrawSafely) {
  TempDir dir;
  // Seeds: one small file of each kind, with several IDATs, tRNS and text.
  std::vector<Bytes> seeds = {
      SimplePng(9, 6, 8, 6, NoiseBytes(9 * 6 * 4, 1), -1),
      SimplePng(7, 5, 4, 3, NoiseBytes(4 * 5, 2), -1, Bytes(48, 90), {0, 128}),
      SimplePng(12, 4, 16, 2, NoiseBytes(72 * 4, 3), 4),
      SimplePng(5, 5, 2, 0, NoiseBytes(2 * 5, 4), 3),
      SimplePng(6, 3, 16, 4, NoiseBytes(24 * 3, 5), 1),
  };
  const Bytes z = FilteredIdat(NoiseBytes(10 * 8 * 3, 6), 30, 3, -1);
  seeds.push_back(PngFile({{"IHDR", IhdrData(10, 8, 8, 2)}, {"tEXt", {'a', 0, 'b'}},
                           {"IDAT", Bytes(z.begin(), z.begin() + z.size() / 2)},
                           {"IDAT", Bytes(z.begin() + z.size() / 2, z.end())}, {"IEND", {}}}));

  std::mt19937 rng(20261208);
  Canvas canvas(64, 64, RGB(10, 20, 30));
  const std::wstring path = dir.File(L"fuzz.png");
  int loaded = 0;
  for (int i = 0; i < 5000; ++i) {
    Bytes file = seeds[i % seeds.size()];
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = rng() % file.size();
      switch (rng() % 6) {
        case 0:
        case 1: file[at] = static_cast<uint8_t>(rng()); break;
        case 2: file[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
        case 3: file.resize(at + 1); break;  // truncate
        case 4: file.insert(file.begin() + at, static_cast<uint8_t>(rng())); break;
        default: {
          const size_t len = std::min<size_t>(1 + rng() % 16, file.size() - at);
          file.erase(file.begin() + at, file.begin() + at + len);
          if (file.empty()) file.push_back(0);
        }
      }
    }
    ASSERT_TRUE(WriteBytes(path, file));
    cPNG png;
    const long rc = png.LoadPNGFile(path);
    ASSERT_TRUE(rc == 0 || rc == 3) << "iteration " << i << " result " << rc;
    if (rc == 0) {
      ++loaded;
      png.DrawToDC(canvas.dc(), static_cast<long>(rng() % 40) - 8, static_cast<long>(rng() % 40) - 8, (i & 1) != 0);
    }
    // The file is closed again after every load.
    ASSERT_TRUE(DeleteFileW(path.c_str())) << "iteration " << i;
  }
  EXPECT_GT(loaded, 200);

  PROCESS_MEMORY_COUNTERS pmc{sizeof(pmc)};
  ASSERT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc)));
  EXPECT_LT(pmc.PeakWorkingSetSize, size_t{768} << 20);
}
