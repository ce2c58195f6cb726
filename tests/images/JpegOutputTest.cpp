// JPEG output: decoded by the platform's own decoder and compared with the source.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>

#include "ImageTestSupport.h"
#include "support/TestSupport.h"
#include "images/IntelJPEGLibrary.h"
#include "images/cDIBSection.h"
#include "platform/jpeg/ijl.h"
#include "services/Services.h"

using namespace imgtest;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

// A smooth picture with texture and edges, like a photograph of a lit scene.
void PaintScene(cDIBSection& dib) {
  const long w = dib.Width(), h = dib.Height(), stride = dib.BytesPerScanLine();
  const Bytes noise = NoiseBytes(static_cast<size_t>(w) * h, 77);
  for (long y = 0; y < h; ++y) {
    uint8_t* row = dib.DIBSectionBitsPtr() + (h - 1 - y) * stride;  // y from the top
    for (long x = 0; x < w; ++x) {
      const double fx = double(x) / w, fy = double(y) / h;
      const double sky = 1.0 - fy;
      const double hill = fy > 0.55 + 0.1 * std::sin(fx * 9) ? 1.0 : 0.0;
      const double tex = (noise[y * w + x] - 128) / 40.0;
      const double r = hill ? 60 + 50 * fx + tex * 6 : 120 + 100 * sky + 20 * std::sin(fx * 5);
      const double g = hill ? 110 + 60 * std::sin(fy * 7) + tex * 6 : 160 + 80 * sky;
      const double b = hill ? 40 + 20 * fy + tex * 5 : 200 + 50 * sky * std::cos(fx * 3);
      row[3 * x] = static_cast<uint8_t>(std::clamp(b, 0.0, 255.0));
      row[3 * x + 1] = static_cast<uint8_t>(std::clamp(g, 0.0, 255.0));
      row[3 * x + 2] = static_cast<uint8_t>(std::clamp(r, 0.0, 255.0));
    }
  }
}

// The bitmap as top-down BGRA, to compare with a decoded file.
Image FromDib(const cDIBSection& dib) {
  const int w = dib.Width(), h = dib.Height();
  Image img{w, h, Bytes(size_t(w) * h * 4, 255), true};
  for (int y = 0; y < img.height; ++y) {
    const uint8_t* row = dib.DIBSectionBitsPtr() + (img.height - 1 - y) * dib.BytesPerScanLine();
    for (int x = 0; x < img.width; ++x) std::memcpy(&img.bgra[(size_t(y) * img.width + x) * 4], row + 3 * x, 3);
  }
  return img;
}

}  // namespace

TEST(JpegOutput, DecodesCloseToTheSourceAndQualityOrdersSizesWithinItsRange) {
  TempDir dir;
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(203, 141));  // neither side a multiple of 16
  PaintScene(dib);
  auto save = [&](const std::wstring& name, long quality) {
    EXPECT_TRUE(SaveJPG(dib, dir.File(name), quality)) << quality;
    return ReadBytes(dir.File(name));
  };
  EXPECT_LT(save(L"q10.jpg", 10).size(), save(L"q95.jpg", 95).size());
  save(L"q90.jpg", 90);
  const Image decoded = WicDecode(dir.File(L"q90.jpg"));
  ASSERT_EQ(std::tuple(decoded.ok, decoded.width, decoded.height), std::tuple(true, 203, 141));
  EXPECT_GT(Psnr(decoded, FromDib(dib)), 30.0);
  EXPECT_LT(Psnr(WicDecode(dir.File(L"q10.jpg")), FromDib(dib)), Psnr(decoded, FromDib(dib)));

  // Quality outside 0..100 is clamped; wide-character paths work.
  const std::wstring wide = L"\u30b5\u30e0\u30cd\u30a4\u30eb \u00e9.jpg";
  const Bytes high = save(wide, 250), low = save(wide, -7);
  EXPECT_EQ(high, save(L"100.jpg", 100));
  EXPECT_EQ(low, save(L"0.jpg", 0));
  EXPECT_LT(low.size(), high.size());
  EXPECT_TRUE(WicDecode(dir.File(wide)).ok);
}

TEST(JpegOutput, NarrowPaddedImagesAreNotSkewedAndTopStaysTop) {
  TempDir dir;
  for (long width : {10L, 4L, 1L, 17L}) {
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(width, 40));
    PaintScene(dib);
    for (long y = 0; y < 40; ++y) {  // padding bytes must not show
      uint8_t* row = dib.DIBSectionBitsPtr() + y * dib.BytesPerScanLine();
      std::memset(row + 3 * width, 0xFF, dib.BytesPerScanLine() - 3 * width);
    }
    const std::wstring path = dir.File(L"narrow" + std::to_wstring(width) + L".jpg");
    ASSERT_TRUE(SaveJPG(dib, path, 95));
    const Image img = WicDecode(path);
    ASSERT_EQ(std::tuple(img.ok, img.width, img.height), std::tuple(true, width, 40));
    EXPECT_GT(Psnr(img, FromDib(dib)), 30.0) << width;
  }
  // Orientation: the bitmap's top half (its last rows in memory) is red, the bottom blue.
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(10, 32));
  for (long y = 0; y < 32; ++y) {
    uint8_t* row = dib.DIBSectionBitsPtr() + y * dib.BytesPerScanLine();  // y = 0: bottom row
    for (long x = 0; x < 10; ++x) {
      row[3 * x] = y < 16 ? 255 : 0;
      row[3 * x + 2] = y < 16 ? 0 : 255;
    }
  }
  const std::wstring path = dir.File(L"halves.jpg");
  ASSERT_TRUE(SaveJPG(dib, path, 90));
  const Image img = WicDecode(path);
  ASSERT_TRUE(img.ok);
  const uint8_t* top = &img.bgra[(2 * 10 + 5) * 4];
  const uint8_t* bottom = &img.bgra[(29 * 10 + 5) * 4];
  EXPECT_TRUE(top[2] > 200 && top[0] < 60) << int(top[2]) << " " << int(top[0]);
  EXPECT_TRUE(bottom[0] > 200 && bottom[2] < 60) << int(bottom[0]) << " " << int(bottom[2]);
}

TEST(JpegOutput, WritesAValidJfifStream) {
  TempDir dir;
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(40, 30));
  PaintScene(dib);
  const std::wstring path = dir.File(L"m.jpg");
  ASSERT_TRUE(SaveJPG(dib, path, 75));
  const Bytes b = ReadBytes(path);
  ASSERT_GT(b.size(), 200u);
  EXPECT_EQ(std::tuple(b[0], b[1], b[b.size() - 2], b[b.size() - 1]), std::tuple(0xFF, 0xD8, 0xFF, 0xD9));
  // Walk the marker segments up to the scan: APP0 "JFIF", two DQT, SOF0, four DHT, SOS.
  std::vector<int> markers;
  size_t at = 2;
  while (at + 4 <= b.size() && b[at] == 0xFF) {
    const int marker = b[at + 1];
    const size_t length = (size_t(b[at + 2]) << 8) | b[at + 3];
    markers.push_back(marker);
    if (marker == 0xE0) {
      EXPECT_EQ(std::string(b.begin() + at + 4, b.begin() + at + 9), std::string("JFIF\0", 5));
    }
    if (marker == 0xC0) {  // precision 8, height 30, width 40, 3 components; luma 2 x 2: 4:2:0
      EXPECT_EQ(Bytes(b.begin() + at + 4, b.begin() + at + 10), (Bytes{8, 0, 30, 0, 40, 3}));
      EXPECT_EQ(b[at + 11], 0x22);
    }
    at += 2 + length;
    if (marker == 0xDA) break;
  }
  EXPECT_EQ(markers, (std::vector<int>{0xE0, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA}));
  // No marker inside the entropy-coded data: every 0xFF is stuffed.
  for (size_t i = at; i + 2 < b.size(); ++i)
    if (b[i] == 0xFF) ASSERT_EQ(b[i + 1], 0x00) << i;
}

TEST(JpegOutput, AFailureKeepsThePreviousFileAndReportsError26001) {
  TempDir dir;
  const std::wstring path = dir.File(L"thumb.jpg");
  WriteBytes(path, {1, 2, 3});
  cDIBSection empty;  // no bitmap: the library refuses it
  ClearError();
  EXPECT_FALSE(SaveJPG(empty, path, 80));
  EXPECT_EQ(CurrentError().Number, 26001);
  EXPECT_NE(CurrentError().Source.find(L".mIntelJPEGLibrary"), std::wstring::npos);
  EXPECT_EQ(CurrentError().Description.rfind(L"Failed to save to JPG ", 0), 0u);
  EXPECT_EQ(ReadBytes(path), (Bytes{1, 2, 3}));

  // A target that can't be replaced (a folder of that name) keeps what is there.
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(8, 8));
  const std::wstring folder = dir.File(L"taken.jpg");
  CreateDirectoryW(folder.c_str(), nullptr);
  EXPECT_FALSE(SaveJPG(dib, folder, 80));
  EXPECT_EQ(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD{FILE_ATTRIBUTE_DIRECTORY});
  EXPECT_FALSE(SaveJPG(dib, dir.File(L"no\\such\\folder.jpg"), 80));

  // Saving twice replaces the first file; no temporary files are left behind.
  ASSERT_TRUE(SaveJPG(dib, path, 80));
  ASSERT_TRUE(SaveJPG(dib, path, 80));
  EXPECT_EQ(ReadBytes(path)[0], 0xFF);
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir.Path() + L"*.tmp").c_str(), &fd);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

TEST(JpegLibrary, RecordContract) {
  HMODULE lib = LoadLibraryW(L"jpegzel.dll");
  ASSERT_NE(lib, nullptr);
  auto init = reinterpret_cast<IjlInitFn>(reinterpret_cast<void*>(GetProcAddress(lib, "ijlInit")));
  auto write = reinterpret_cast<IjlWriteFn>(reinterpret_cast<void*>(GetProcAddress(lib, "ijlWrite")));
  auto release = reinterpret_cast<IjlFreeFn>(reinterpret_cast<void*>(GetProcAddress(lib, "ijlFree")));
  ASSERT_TRUE(init && write && release);
  TempDir dir;
  const std::wstring bottomUp = dir.File(L"up.jpg"), topDown = dir.File(L"down.jpg");

  // A 5 x 3 picture with 1 padding byte a row, stored bottom-up and top-down.
  Bytes up(3 * 16), down(3 * 16);
  for (int y = 0; y < 3; ++y)
    for (int i = 0; i < 15; ++i) {
      up[y * 16 + i] = static_cast<uint8_t>(40 * y + 3 * i);
      down[(2 - y) * 16 + i] = up[y * 16 + i];
    }
  JPEG_CORE_PROPERTIES props{};
  EXPECT_EQ(write(&props, IJL_JFILE_WRITEWHOLEIMAGE), IJL_NOT_INITIALISED);
  ASSERT_EQ(init(&props), IJL_OK);
  props.DIBBytes = up.data(), props.DIBWidth = 5, props.DIBHeight = -3, props.DIBPadBytes = 1;  // bottom-up
  props.JPGFile = bottomUp.c_str(), props.JPGWidth = 5, props.JPGHeight = 3, props.jquality = 80;
  EXPECT_EQ(write(&props, 1), IJL_UNSUPPORTED_IOTYPE);
  props.JPGWidth = 6;
  EXPECT_EQ(write(&props, IJL_JFILE_WRITEWHOLEIMAGE), IJL_BAD_PARAMETER);
  props.JPGWidth = 5;
  EXPECT_EQ(write(&props, IJL_JFILE_WRITEWHOLEIMAGE), IJL_OK);
  props.DIBBytes = down.data(), props.DIBHeight = 3, props.JPGFile = topDown.c_str();
  EXPECT_EQ(write(&props, IJL_JFILE_WRITEWHOLEIMAGE), IJL_OK);
  EXPECT_EQ(release(&props), IJL_OK);
  EXPECT_EQ(write(&props, IJL_JFILE_WRITEWHOLEIMAGE), IJL_NOT_INITIALISED);
  EXPECT_EQ(ReadBytes(bottomUp), ReadBytes(topDown));
  EXPECT_FALSE(ReadBytes(bottomUp).empty());
  FreeLibrary(lib);
}

TEST(JpegLibrary, GreyAndOptimalHuffmanTables) {
  HMODULE lib = LoadLibraryW(L"jpegzel.dll");
  ASSERT_NE(lib, nullptr);
  auto init = reinterpret_cast<IjlInitFn>(reinterpret_cast<void*>(GetProcAddress(lib, "ijlInit")));
  auto write = reinterpret_cast<IjlWriteFn>(reinterpret_cast<void*>(GetProcAddress(lib, "ijlWrite")));
  auto release = reinterpret_cast<IjlFreeFn>(reinterpret_cast<void*>(GetProcAddress(lib, "ijlFree")));
  ASSERT_TRUE(init && write && release);
  TempDir dir;
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(203, 141));
  PaintScene(dib);
  const Image source = FromDib(dib);
  Image greySource = source;
  for (size_t i = 0; i < greySource.bgra.size(); i += 4) {
    uint8_t* p = &greySource.bgra[i];
    p[0] = p[1] = p[2] = static_cast<uint8_t>(std::lround(0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2]));
  }
  struct Case {
    const wchar_t* name;
    bool grey, optimal;
  };
  std::vector<size_t> sizes;
  for (const Case& c : {Case{L"colour.jpg", false, false}, Case{L"optimal.jpg", false, true},
                        Case{L"grey.jpg", true, false}, Case{L"grey-optimal.jpg", true, true}}) {
    JPEG_CORE_PROPERTIES props{};
    ASSERT_EQ(init(&props), IJL_OK);
    const std::wstring path = dir.File(c.name);
    props.DIBBytes = dib.DIBSectionBitsPtr(), props.DIBWidth = props.JPGWidth = 203;
    props.DIBHeight = -141, props.JPGHeight = 141;
    props.DIBPadBytes = dib.BytesPerScanLine() - 3 * 203;
    props.JPGFile = path.c_str(), props.jquality = 90, props.OptimalHuffman = c.optimal;
    if (c.grey) props.JPGChannels = 1, props.JPGColor = IJL_G, props.JPGSubsampling = IJL_NONE;
    ASSERT_EQ(write(&props, IJL_JFILE_WRITEWHOLEIMAGE), IJL_OK) << c.name;
    release(&props);
    const Bytes bytes = ReadBytes(path);
    sizes.push_back(bytes.size());
    const Image decoded = WicDecode(path);
    ASSERT_TRUE(decoded.ok) << c.name;
    EXPECT_GT(Psnr(decoded, c.grey ? greySource : source), 30.0) << c.name;
    // One component for grey: a single quantisation and two Huffman tables.
    size_t at = 2, dqt = 0, dht = 0;
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF && bytes[at + 1] != 0xDA) {
      dqt += bytes[at + 1] == 0xDB, dht += bytes[at + 1] == 0xC4;
      at += 2 + ((size_t(bytes[at + 2]) << 8) | bytes[at + 3]);
    }
    using Counts = std::pair<size_t, size_t>;
    EXPECT_EQ(Counts(dqt, dht), c.grey ? Counts(1, 2) : Counts(2, 4)) << c.name;
  }
  // Tables made for the picture make a smaller file of the same picture.
  EXPECT_LT(sizes[1], sizes[0]);
  EXPECT_LT(sizes[3], sizes[2]);
  // Grey with a colour layout, or subsampled grey, is refused.
  JPEG_CORE_PROPERTIES props{};
  ASSERT_EQ(init(&props), IJL_OK);
  const std::wstring bad = dir.File(L"bad.jpg");
  props.DIBBytes = dib.DIBSectionBitsPtr(), props.DIBWidth = props.JPGWidth = 203;
  props.DIBHeight = -141, props.JPGHeight = 141, props.DIBPadBytes = dib.BytesPerScanLine() - 3 * 203;
  props.JPGFile = bad.c_str(), props.JPGChannels = 1;
  EXPECT_EQ(write(&props, IJL_JFILE_WRITEWHOLEIMAGE), IJL_BAD_PARAMETER);
  props.JPGColor = IJL_G;
  EXPECT_EQ(write(&props, IJL_JFILE_WRITEWHOLEIMAGE), IJL_BAD_PARAMETER);
  release(&props);
  FreeLibrary(lib);
}
