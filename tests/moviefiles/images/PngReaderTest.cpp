// The PNG reader: results, chunk rules, events, limits and malformed files.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ImageTestSupport.h"
#include "support/TestSupport.h"
#include "moviefiles/images/cPNG.h"

using namespace imgtest;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

class PngReader : public ::testing::Test {
 protected:
  long Load(const Bytes& file) {
    const std::wstring path = dir_.File(L"t" + std::to_wstring(counter_++) + L".png");
    WriteBytes(path, file);
    return png_.LoadPNGFile(path);
  }
  // A 2 x 2 RGB image with the given chunks placed between IHDR and IEND.
  static Bytes Rgb(std::vector<ChunkSpec> middle, uint8_t colorType = 2, uint8_t depth = 8) {
    std::vector<ChunkSpec> chunks = {{"IHDR", IhdrData(2, 2, depth, colorType)}};
    chunks.insert(chunks.end(), middle.begin(), middle.end());
    chunks.push_back({"IEND", {}});
    return PngFile(chunks);
  }
  static ChunkSpec Idat(size_t rowBytes = 6) { return {"IDAT", FilteredIdat(Bytes(2 * rowBytes, 7), rowBytes, 3, 0)}; }

  TempDir dir_;
  int counter_ = 0;
  cPNG png_;
};

}  // namespace

TEST_F(PngReader, ResultCodesForMissingUnreadableAndBadSignature) {
  EXPECT_EQ(png_.LoadPNGFile(dir_.File(L"absent.png")), 1);
  {
    const std::wstring locked = dir_.File(L"locked.png");
    WriteBytes(locked, Rgb({Idat()}));
    HANDLE h = CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(png_.LoadPNGFile(locked), 2);
    CloseHandle(h);
  }
  Bytes file = Rgb({Idat()});
  file[0] = 0x89 ^ 1;
  EXPECT_EQ(Load(file), 3);
  EXPECT_EQ(Load(Bytes(file.begin(), file.begin() + 5)), 3);
  EXPECT_EQ(Load({137, 80, 78, 71, 13, 10, 26, 10}), 3);  // signature only
  EXPECT_EQ(Load({}), 3);
}

TEST_F(PngReader, HeaderRules) {
  EXPECT_EQ(Load(PngFile({{"tEXt", {'a'}}, {"IHDR", IhdrData(2, 2, 8, 2)}, {"IEND", {}}})), 3);  // not first
  EXPECT_EQ(Load(PngFile({{"IHDR", IhdrData(2, 2, 8, 2)}, {"IHDR", IhdrData(2, 2, 8, 2)}, {"IEND", {}}})), 3);
  Bytes h = IhdrData(2, 2, 8, 2);
  Bytes shortH(h.begin(), h.end() - 1), longH = h;
  longH.push_back(0);
  EXPECT_EQ(Load(PngFile({{"IHDR", shortH}, {"IEND", {}}})), 3);
  EXPECT_EQ(Load(PngFile({{"IHDR", longH}, {"IEND", {}}})), 3);
  const struct {
    uint32_t w, h;
    uint8_t depth, type, interlace;
  } bad[] = {{2, 2, 16, 3, 0}, {2, 2, 4, 2, 0}, {0, 2, 8, 2, 0}, {2, 0, 8, 2, 0}, {0x80000000u, 2, 8, 2, 0},
             {2, 2, 8, 2, 2},  {2, 2, 8, 5, 0}, {2, 2, 8, 1, 0}, {32768, 1, 8, 0, 0}, {1, 40000, 1, 0, 0},
             {20000, 20000, 8, 6, 0}};  // sides and bytes beyond the decoder's limits
  for (const auto& b : bad) {
    cPNG png;
    const std::wstring path = dir_.File(L"bad.png");
    WriteBytes(path, PngFile({{"IHDR", IhdrData(b.w, b.h, b.depth, b.type, b.interlace)}, {"IEND", {}}}));
    EXPECT_EQ(png.LoadPNGFile(path), 3) << b.w << "x" << b.h << " " << int(b.depth) << "/" << int(b.type);
  }
  Bytes compression = IhdrData(2, 2, 8, 2);
  compression[10] = 1;
  EXPECT_EQ(Load(PngFile({{"IHDR", compression}, {"IEND", {}}})), 3);
}

TEST_F(PngReader, InterlacedAndHeaderlessFilesLoadWithoutPixels) {
  ASSERT_EQ(Load(PngFile({{"IHDR", IhdrData(5, 3, 8, 6, 1)}, Idat(), {"IEND", {}}})), 0);
  EXPECT_TRUE(png_.Interlaced());
  EXPECT_EQ(png_.Width(), 5);
  EXPECT_EQ(png_.Height(), 3);
  EXPECT_TRUE(png_.Bitmap().Bits.empty());

  cPNG fresh;
  const std::wstring path = dir_.File(L"noihdr.png");
  WriteBytes(path, PngFile({{"tEXt", {'k', 0, 'v'}}, {"IEND", {}}}));
  EXPECT_EQ(fresh.LoadPNGFile(path), 0);
  EXPECT_EQ(fresh.Width(), 0);
  EXPECT_EQ(fresh.Height(), 0);
  EXPECT_TRUE(fresh.Bitmap().Bits.empty());
}

TEST_F(PngReader, PaletteAndTransparencyRules) {
  // Palette sizes against the bit depth.
  EXPECT_EQ(Load(PngFile({{"IHDR", IhdrData(2, 2, 1, 3)}, {"PLTE", Bytes(9, 1)}, {"IEND", {}}})), 3);
  EXPECT_EQ(Load(PngFile({{"IHDR", IhdrData(2, 2, 8, 3)}, {"PLTE", Bytes(768, 1)}, {"IEND", {}}})), 0);
  EXPECT_EQ(png_.Chunk("PLTE1")->Length, 768);
  EXPECT_EQ(Load(Rgb({{"PLTE", Bytes(8, 1)}})), 3);                   // not a multiple of 3
  EXPECT_EQ(Load(Rgb({{"PLTE", Bytes(3, 1)}, {"PLTE", Bytes(3, 1)}})), 3);  // second PLTE
  EXPECT_EQ(Load(Rgb({Idat(), {"PLTE", Bytes(3, 1)}})), 3);           // after IDAT
  EXPECT_EQ(Load(Rgb({{"PLTE", Bytes(3, 1)}}, 0)), 3);                 // grey image
  // tRNS: longer than the palette, in an RGBA file, after IDAT, before PLTE.
  EXPECT_EQ(Load(PngFile({{"IHDR", IhdrData(2, 2, 8, 3)}, {"PLTE", Bytes(12, 1)}, {"tRNS", Bytes(5, 1)}, {"IEND", {}}})),
            3);
  EXPECT_EQ(Load(Rgb({{"tRNS", Bytes(6, 0)}}, 6)), 3);
  EXPECT_EQ(Load(Rgb({Idat(), {"tRNS", Bytes(6, 0)}})), 3);
  EXPECT_EQ(Load(PngFile({{"IHDR", IhdrData(2, 2, 8, 3)}, {"tRNS", Bytes(1, 1)}, {"PLTE", Bytes(3, 1)}, {"IEND", {}}})),
            3);
  EXPECT_EQ(Load(PngFile({{"IHDR", IhdrData(2, 2, 8, 3)}, {"bKGD", {0}}, {"PLTE", Bytes(3, 1)}, {"IEND", {}}})), 3);
  // A palette image without PLTE is refused after the whole file was read.
  EXPECT_EQ(Load(PngFile({{"IHDR", IhdrData(2, 2, 8, 3)}, {"IEND", {}}})), 3);
}

TEST_F(PngReader, ChunkOrderKeysAndCase) {
  EXPECT_EQ(Load(Rgb({Idat(), {"tEXt", {'a'}}, Idat()})), 3);
  ASSERT_EQ(Load(Rgb({Idat(), Idat(), {"teXt", {'x'}}})), 0);
  ASSERT_NE(png_.Chunk("IDAT1"), nullptr);
  ASSERT_NE(png_.Chunk("IDAT2"), nullptr);
  ASSERT_NE(png_.Chunk("IEND1"), nullptr);
  ASSERT_NE(png_.Chunk("teXt1"), nullptr);
  EXPECT_EQ(png_.Chunk("IDAT3"), nullptr);
  EXPECT_EQ(png_.Chunk("idat1"), nullptr);
  // Unknown critical chunk, unknown chunk with a lower-case third letter.
  EXPECT_EQ(Load(Rgb({{"TeXt", {'x'}}, Idat()})), 3);
  EXPECT_EQ(Load(Rgb({{"tExt", {'x'}}, Idat()})), 3);
  // An ancillary "iDAT" is stored under its own key and never taken for image data.
  ASSERT_EQ(Load(Rgb({{"iDAT", Idat().data}})), 0);
  EXPECT_NE(png_.Chunk("iDAT1"), nullptr);
  EXPECT_EQ(png_.Chunk("IDAT1"), nullptr);
  EXPECT_EQ(png_.Bitmap().Bits.size(), 16u);  // decoded from zeros: 2 rows of 8 bytes
  EXPECT_EQ(png_.Bitmap().Bits[0], 0);
}

TEST_F(PngReader, TruncationLengthsAndTrailingBytes) {
  Bytes good = Rgb({Idat()});
  EXPECT_EQ(Load(good), 0);
  Bytes trailing = good;
  trailing.push_back(0);
  EXPECT_EQ(Load(trailing), 3);
  for (size_t cut : {good.size() - 1, good.size() - 12, size_t{40}, size_t{20}})
    EXPECT_EQ(Load(Bytes(good.begin(), good.begin() + cut)), 3) << cut;
  // Lengths beyond the bytes that remain, and lengths that are negative as signed.
  Bytes huge = good;
  const size_t idatLength = 33;  // signature 8 + IHDR chunk 25
  for (uint32_t len : {0x7FFFFFF0u, 0x00100000u, 0xFFFFFFFFu}) {
    huge[idatLength] = static_cast<uint8_t>(len >> 24);
    huge[idatLength + 1] = static_cast<uint8_t>(len >> 16);
    huge[idatLength + 2] = static_cast<uint8_t>(len >> 8);
    huge[idatLength + 3] = static_cast<uint8_t>(len);
    EXPECT_EQ(Load(huge), 3) << len;
  }
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
  // Short data leaves zeros.
  ASSERT_EQ(Load(Rgb({{"IDAT", FilteredIdat(Bytes(6, 200), 6, 3, 0)}})), 0);
  ASSERT_EQ(png_.Bitmap().Bits.size(), 16u);
  EXPECT_EQ(png_.Bitmap().Bits[0], 0);    // bottom row: not in the data
  EXPECT_EQ(png_.Bitmap().Bits[8], 200);  // top row
}

TEST_F(PngReader, FailedLoadKeepsThePreviousImage) {
  ASSERT_EQ(Load(SimplePng(3, 1, 8, 0, {1, 2, 3})), 0);
  EXPECT_EQ(Load(Rgb({Idat(), {"tEXt", {}}, Idat()})), 3);
  EXPECT_EQ(png_.Width(), 3);
  EXPECT_EQ(png_.ColorType(), 0);
  EXPECT_EQ(png_.Bitmap().Bits[1], 2);
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
  const std::wstring path = dir_.File(L"throws.png");
  WriteBytes(path, Rgb({Idat()}));
  EXPECT_EQ(other.LoadPNGFile(path), 3);
  EXPECT_EQ(other.Width(), 0);

  progress.clear();
  ASSERT_EQ(Load(PngFile({{"IHDR", IhdrData(2, 2, 8, 2, 1)}, {"IEND", {}}})), 0);
  EXPECT_EQ(progress, (std::vector<int>{0, 1}));
  progress.clear();
  EXPECT_EQ(Load(Rgb({Idat(), {"tEXt", {}}, Idat()})), 3);
  EXPECT_EQ(progress, (std::vector<int>{0}));
}

TEST_F(PngReader, ImageDataSplitAcrossIdatChunksDecodesTheSame) {
  const Bytes raw = NoiseBytes(17 * 9 * 4, 11);
  const Bytes z = FilteredIdat(raw, 17 * 4, 4, 4);
  ASSERT_EQ(Load(PngFile({{"IHDR", IhdrData(17, 9, 8, 6)}, {"IDAT", z}, {"IEND", {}}})), 0);
  const Bytes whole = png_.Bitmap().Bits;
  ASSERT_FALSE(whole.empty());
  std::vector<ChunkSpec> split = {{"IHDR", IhdrData(17, 9, 8, 6)}};
  split.push_back({"IDAT", Bytes(z.begin(), z.begin() + 1)});
  split.push_back({"IDAT", {}});
  split.push_back({"IDAT", Bytes(z.begin() + 1, z.begin() + z.size() / 3)});
  split.push_back({"IDAT", Bytes(z.begin() + z.size() / 3, z.end())});
  split.push_back({"IEND", {}});
  ASSERT_EQ(Load(PngFile(split)), 0);
  EXPECT_EQ(png_.Bitmap().Bits, whole);
  // The last part missing: the stream doesn't end, nothing is drawn.
  split.erase(split.begin() + 4);
  ASSERT_EQ(Load(PngFile(split)), 0);
  EXPECT_TRUE(png_.Bitmap().Bits.empty());
}
