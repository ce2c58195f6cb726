// The PNG reader: results, chunk rules, events, limits and malformed files.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ImageTestSupport.h"
#include "support/TestSupport.h"
#include "images/cPNG.h"

using namespace imgtest;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

ChunkSpec Ihdr(uint32_t w, uint32_t h, uint8_t depth, uint8_t type, uint8_t interlace = 0) {
  return {"IHDR", IhdrData(w, h, depth, type, interlace)};
}
const ChunkSpec kEnd = {"IEND", {}};

class PngReader : public ::testing::Test {
 protected:
  long Load(const Bytes& file, cPNG* png = nullptr) {
    const std::wstring path = dir_.File(L"t" + std::to_wstring(counter_++) + L".png");
    WriteBytes(path, file);
    return (png ? *png : png_).LoadPNGFile(path);
  }
  // A 2 x 2 image (RGB unless told) with the given chunks placed between IHDR and IEND.
  static Bytes Rgb(std::vector<ChunkSpec> middle, uint8_t colorType = 2, uint8_t depth = 8) {
    middle.insert(middle.begin(), Ihdr(2, 2, depth, colorType));
    middle.push_back(kEnd);
    return PngFile(middle);
  }
  static ChunkSpec Idat(size_t rowBytes = 6) { return {"IDAT", FilteredIdat(Bytes(2 * rowBytes, 7), rowBytes, 3, 0)}; }

  TempDir dir_;
  int counter_ = 0;
  cPNG png_;
};

}  // namespace

TEST_F(PngReader, ResultCodesForMissingAndUnreadableFiles) {
  EXPECT_EQ(png_.LoadPNGFile(dir_.File(L"absent.png")), 1);
  const std::wstring locked = dir_.File(L"locked.png");
  WriteBytes(locked, Rgb({Idat()}));
  HANDLE h = CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(png_.LoadPNGFile(locked), 2);
  CloseHandle(h);
}

TEST_F(PngReader, MalformedFilesGiveResult3) {
  const Bytes good = Rgb({Idat()});
  Bytes badSignature = good, trailing = good, badCompression = IhdrData(2, 2, 8, 2);
  badSignature[0] ^= 1;
  trailing.push_back(0);
  badCompression[10] = 1;
  const Bytes h = IhdrData(2, 2, 8, 2);
  Bytes shortH(h.begin(), h.end() - 1), longH = h;
  longH.push_back(0);
  const struct {
    const char* why;
    Bytes file;
  } cases[] = {
      {"bad signature", badSignature},
      {"cut signature", Bytes(good.begin(), good.begin() + 5)},
      {"signature only", Bytes(good.begin(), good.begin() + 8)},
      {"empty", {}},
      {"IHDR not first", PngFile({{"tEXt", {'a'}}, Ihdr(2, 2, 8, 2), kEnd})},
      {"second IHDR", PngFile({Ihdr(2, 2, 8, 2), Ihdr(2, 2, 8, 2), kEnd})},
      {"short IHDR", PngFile({{"IHDR", shortH}, kEnd})},
      {"long IHDR", PngFile({{"IHDR", longH}, kEnd})},
      {"compression method 1", PngFile({{"IHDR", badCompression}, kEnd})},
      {"palette of 16 bits", PngFile({Ihdr(2, 2, 16, 3), kEnd})},
      {"RGB of 4 bits", PngFile({Ihdr(2, 2, 4, 2), kEnd})},
      {"width 0", PngFile({Ihdr(0, 2, 8, 2), kEnd})},
      {"height 0", PngFile({Ihdr(2, 0, 8, 2), kEnd})},
      {"width negative as signed", PngFile({Ihdr(0x80000000u, 2, 8, 2), kEnd})},
      {"interlace method 2", PngFile({Ihdr(2, 2, 8, 2, 2), kEnd})},
      {"colour type 5", PngFile({Ihdr(2, 2, 8, 5), kEnd})},
      {"colour type 1", PngFile({Ihdr(2, 2, 8, 1), kEnd})},
      {"side over 32767", PngFile({Ihdr(32768, 1, 8, 0), kEnd})},
      {"height over 32767", PngFile({Ihdr(1, 40000, 1, 0), kEnd})},
      {"decoded bytes over the cap", PngFile({Ihdr(20000, 20000, 8, 6), kEnd})},
      {"palette too long for 1 bit", PngFile({Ihdr(2, 2, 1, 3), {"PLTE", Bytes(9, 1)}, kEnd})},
      {"palette not a multiple of 3", Rgb({{"PLTE", Bytes(8, 1)}})},
      {"second PLTE", Rgb({{"PLTE", Bytes(3, 1)}, {"PLTE", Bytes(3, 1)}})},
      {"PLTE after IDAT", Rgb({Idat(), {"PLTE", Bytes(3, 1)}})},
      {"PLTE in a grey image", Rgb({{"PLTE", Bytes(3, 1)}}, 0)},
      {"tRNS longer than the palette",
       PngFile({Ihdr(2, 2, 8, 3), {"PLTE", Bytes(12, 1)}, {"tRNS", Bytes(5, 1)}, kEnd})},
      {"tRNS in an RGBA image", Rgb({{"tRNS", Bytes(6, 0)}}, 6)},
      {"tRNS after IDAT", Rgb({Idat(), {"tRNS", Bytes(6, 0)}})},
      {"tRNS before PLTE", PngFile({Ihdr(2, 2, 8, 3), {"tRNS", Bytes(1, 1)}, {"PLTE", Bytes(3, 1)}, kEnd})},
      {"bKGD before PLTE", PngFile({Ihdr(2, 2, 8, 3), {"bKGD", {0}}, {"PLTE", Bytes(3, 1)}, kEnd})},
      {"palette image without PLTE", PngFile({Ihdr(2, 2, 8, 3), kEnd})},
      {"chunk between IDATs", Rgb({Idat(), {"tEXt", {'a'}}, Idat()})},
      {"unknown critical chunk", Rgb({{"TeXt", {'x'}}, Idat()})},
      {"lower-case third letter", Rgb({{"tExt", {'x'}}, Idat()})},
      {"bytes after IEND", trailing},
      {"cut by 1", Bytes(good.begin(), good.end() - 1)},
      {"cut by 12", Bytes(good.begin(), good.end() - 12)},
      {"cut at 40", Bytes(good.begin(), good.begin() + 40)},
      {"cut at 20", Bytes(good.begin(), good.begin() + 20)},
  };
  for (const auto& c : cases) {
    cPNG png;
    EXPECT_EQ(Load(c.file, &png), 3) << c.why;
  }
  // Lengths beyond the bytes that remain, and lengths that are negative as signed.
  for (uint32_t len : {0x7FFFFFF0u, 0x00100000u, 0xFFFFFFFFu}) {
    Bytes huge = good;
    for (int i = 0; i < 4; ++i) huge[33 + i] = static_cast<uint8_t>(len >> (24 - 8 * i));  // after signature and IHDR
    EXPECT_EQ(Load(huge), 3) << len;
  }
}

TEST_F(PngReader, WellFormedOddFilesLoad) {
  EXPECT_EQ(Load(Rgb({Idat()})), 0);
  ASSERT_EQ(Load(PngFile({Ihdr(2, 2, 8, 3), {"PLTE", Bytes(768, 1)}, kEnd})), 0);
  EXPECT_EQ(png_.Chunk("PLTE1")->Length, 768);

  // Interlaced: the header only, no pixels.
  ASSERT_EQ(Load(PngFile({Ihdr(5, 3, 8, 6, 1), Idat(), kEnd})), 0);
  EXPECT_TRUE(png_.Interlaced());
  EXPECT_EQ(std::tuple(png_.Width(), png_.Height(), png_.Bitmap().Bits.empty()), std::tuple(5, 3, true));

  cPNG fresh;  // no IHDR at all
  EXPECT_EQ(Load(PngFile({{"tEXt", {'k', 0, 'v'}}, kEnd}), &fresh), 0);
  EXPECT_EQ(std::tuple(fresh.Width(), fresh.Height(), fresh.Bitmap().Bits.empty()), std::tuple(0, 0, true));
}

TEST_F(PngReader, ChunkKeysAreCaseSensitive) {
  ASSERT_EQ(Load(Rgb({Idat(), Idat(), {"teXt", {'x'}}})), 0);
  for (const char* key : {"IDAT1", "IDAT2", "IEND1", "teXt1"}) EXPECT_NE(png_.Chunk(key), nullptr) << key;
  EXPECT_EQ(png_.Chunk("IDAT3"), nullptr);
  EXPECT_EQ(png_.Chunk("idat1"), nullptr);
  // An ancillary "iDAT" is stored under its own key and never taken for image data.
  ASSERT_EQ(Load(Rgb({{"iDAT", Idat().data}})), 0);
  EXPECT_NE(png_.Chunk("iDAT1"), nullptr);
  EXPECT_EQ(png_.Chunk("IDAT1"), nullptr);
  EXPECT_EQ(png_.Bitmap().Bits, Bytes(16, 0));  // decoded from nothing: 2 rows of 8 bytes
}

TEST_F(PngReader, WrongCrcLoadsAndBrokenDataGivesAnEmptyBitmap) {
  Bytes file = Rgb({Idat()});
  file[29] ^= 0xFF;  // IHDR CRC
  EXPECT_EQ(Load(file), 0);
  EXPECT_FALSE(png_.Bitmap().Bits.empty());
  // Data that doesn't inflate: the header is read, nothing is drawn.
  EXPECT_EQ(Load(Rgb({{"IDAT", {1, 2, 3, 4, 5}}})), 0);
  EXPECT_EQ(png_.Width(), 2);
  EXPECT_TRUE(png_.Bitmap().Bits.empty());
  // Data that inflates to more than the image holds.
  EXPECT_EQ(Load(Rgb({{"IDAT", FilteredIdat(Bytes(3 * 6, 1), 6, 3, 0)}})), 0);
  EXPECT_TRUE(png_.Bitmap().Bits.empty());
  // Short data leaves zeros: the bottom row is not in the data.
  ASSERT_EQ(Load(Rgb({{"IDAT", FilteredIdat(Bytes(6, 200), 6, 3, 0)}})), 0);
  EXPECT_EQ(png_.Bitmap().Bits, (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 200, 200, 200, 200, 200, 200, 0, 0}));
}

TEST_F(PngReader, FailedLoadKeepsThePreviousImage) {
  ASSERT_EQ(Load(SimplePng(3, 1, 8, 0, {1, 2, 3})), 0);
  EXPECT_EQ(Load(Rgb({Idat(), {"tEXt", {}}, Idat()})), 3);
  EXPECT_EQ(std::tuple(png_.Width(), png_.ColorType(), png_.Bitmap().Bits[1]), std::tuple(3, 0, 2));
}

TEST_F(PngReader, EventsReportChunksAndProgress) {
  std::vector<std::string> names;
  std::vector<int> progress;
  png_.ChunkFound = [&](std::string& name, int32_t& length, std::vector<uint8_t>& data, uint32_t&) {
    names.push_back(name);
    if (name == "tEXt") data.assign({'c', 'h', 'a', 'n', 'g', 'e', 'd'}), length = 7;
  };
  png_.LoadProgress = [&](int32_t& max, int32_t& value) {
    EXPECT_EQ(max, 4);
    progress.push_back(value);
  };
  ASSERT_EQ(Load(Rgb({{"tEXt", {'a'}}, Idat()}, 6)), 0);
  EXPECT_EQ(names, (std::vector<std::string>{"IHDR", "tEXt", "IDAT", "IEND"}));
  EXPECT_EQ(progress, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(png_.Chunk("tEXt1")->Data.size(), 7u);

  // A handler that throws rejects the file; nothing reaches the caller.
  cPNG other;
  other.ChunkFound = [](std::string& name, int32_t&, std::vector<uint8_t>&, uint32_t&) {
    if (name == "IDAT") throw std::runtime_error("handler failed");
  };
  EXPECT_EQ(Load(Rgb({Idat()}), &other), 3);
  EXPECT_EQ(other.Width(), 0);

  progress.clear();
  ASSERT_EQ(Load(PngFile({Ihdr(2, 2, 8, 2, 1), kEnd})), 0);
  EXPECT_EQ(progress, (std::vector<int>{0, 1}));
  progress.clear();
  EXPECT_EQ(Load(Rgb({Idat(), {"tEXt", {}}, Idat()})), 3);
  EXPECT_EQ(progress, (std::vector<int>{0}));
}

TEST_F(PngReader, ImageDataSplitAcrossIdatChunksDecodesTheSame) {
  const Bytes raw = NoiseBytes(17 * 9 * 4, 11);
  const Bytes z = FilteredIdat(raw, 17 * 4, 4, 4);
  ASSERT_EQ(Load(PngFile({Ihdr(17, 9, 8, 6), {"IDAT", z}, kEnd})), 0);
  const Bytes whole = png_.Bitmap().Bits;
  ASSERT_FALSE(whole.empty());
  auto part = [&](size_t from, size_t to) { return ChunkSpec{"IDAT", Bytes(z.begin() + from, z.begin() + to)}; };
  std::vector<ChunkSpec> split = {Ihdr(17, 9, 8, 6), part(0, 1), part(1, 1), part(1, z.size() / 3),
                                  part(z.size() / 3, z.size()), kEnd};
  ASSERT_EQ(Load(PngFile(split)), 0);
  EXPECT_EQ(png_.Bitmap().Bits, whole);
  // The last part missing: the stream doesn't end, nothing is drawn.
  split.erase(split.begin() + 4);
  ASSERT_EQ(Load(PngFile(split)), 0);
  EXPECT_TRUE(png_.Bitmap().Bits.empty());
}
