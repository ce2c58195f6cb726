// Movie snapshots: the order of calls against a fake control, the frame
// chosen, the "nomedia" picture, the watermark's corner, PrepareShot and the
// cache copy the player plays, and the real snapshot window.
#include <gtest/gtest.h>
#include <zlib.h>

#include "FlashTestSupport.h"
#include "moviefiles/SWFModule.h"
#include "services/Services.h"
#include "ui/MovieSnapshot.h"
#include "ui/frmFlashShot.h"

using namespace flashtest;
using moviebytes::Movie;

namespace {

class FakeTarget : public ShotTarget {
 public:
  std::vector<std::wstring> calls;
  long frames = 200, frame = -1, scale = 0;
  int w = 320, h = 240;
  void LoadMovie(long, const std::wstring& url) override {
    calls.push_back(L"LoadMovie " + url);
    frame = url == L"| no |" ? -1 : 0;
  }
  void SetBGColor(const std::wstring& c) override { calls.push_back(L"BGColor " + c); }
  long ScaleMode() override { return scale; }
  void SetScaleMode(long m) override {
    scale = m;
    calls.push_back(L"ScaleMode " + std::to_wstring(m));
  }
  void SetQuality(long q) override { calls.push_back(L"Quality " + std::to_wstring(q)); }
  long FrameNum() override { return frame; }
  long TotalFrames() override { return frame < 0 ? 0 : frames; }
  void GotoFrame(long f) override { calls.push_back(L"GotoFrame " + std::to_wstring(f)); }
  int Width() override { return w; }
  int Height() override { return h; }
  COLORREF BackColor() override { return RGB(0, 128, 0); }
  void PaintInto(HDC dc) override {
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    calls.push_back(L"Paint");
  }
  void DoEvents() override { calls.push_back(L"DoEvents"); }
  void UnloadWindow() override { calls.push_back(L"Unload"); }
};

COLORREF DibPixel(const cDIBSection& dib, int x, int y) { return GetPixel(dib.hdc(), x, y); }

// A solid RGBA PNG.
Bytes SolidPng(uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b) {
  auto chunk = [](const char* kind, const Bytes& data) {
    Bytes c;
    moviebytes::PutBE(c, data.size(), 4);
    Bytes typed(kind, kind + 4);
    moviebytes::Append(typed, data);
    moviebytes::Append(c, typed);
    moviebytes::PutBE(c, crc32(0, typed.data(), static_cast<uInt>(typed.size())), 4);
    return c;
  };
  Bytes ihdr;
  moviebytes::PutBE(ihdr, w, 4);
  moviebytes::PutBE(ihdr, h, 4);
  moviebytes::Append(ihdr, Bytes{8, 6, 0, 0, 0});
  Bytes raw;
  for (uint32_t y = 0; y < h; ++y) {
    raw.push_back(0);
    for (uint32_t x = 0; x < w; ++x) moviebytes::Append(raw, Bytes{r, g, b, 255});
  }
  uLongf n = compressBound(raw.size());
  Bytes z(n);
  compress2(z.data(), &n, raw.data(), raw.size(), 6);
  z.resize(n);
  return Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10} + chunk("IHDR", ihdr) + chunk("IDAT", z) + chunk("IEND", {});
}

TEST(SnapshotFrameTest, FrameBetweenTheSampleBounds) {
  EXPECT_EQ(SnapshotFrame(50, 50, 0.7, 200), 100);
  EXPECT_EQ(SnapshotFrame(0, 0, 0.99, 200), 0);
  EXPECT_EQ(SnapshotFrame(30, 50, 0.0, 200), 60);
  EXPECT_EQ(SnapshotFrame(30, 50, 0.999999, 200), 100);
  EXPECT_EQ(SnapshotFrame(50, 50, 0, 1), 0);  // 0.5 rounds to even
  EXPECT_EQ(SnapshotFrame(50, 50, 0, 3), 2);  // 1.5 rounds to even
}

TEST(TakeMovieSnapshotTest, CallsInOrder) {
  FakeTarget target;
  cDIBSection dib;
  SWFInfo info;
  info.Path = L"C:\\m.swf";
  info.BackColor = L"112233";
  ShotSettings settings;
  settings.SampleFrom = settings.SampleTo = 50;
  settings.ShotDoEvents = true;
  EXPECT_TRUE(TakeMovieSnapshot(target, dib, info, false, 0, settings));
  std::vector<std::wstring> expected{L"LoadMovie C:\\m.swf", L"BGColor 112233", L"ScaleMode 1", L"DoEvents",
                                     L"Quality 1", L"GotoFrame 100", L"Paint", L"LoadMovie | no |"};
  EXPECT_EQ(target.calls, expected);
  EXPECT_EQ(dib.Width(), 320);

  // The generator's fixed colour: the record's is not set; low quality; unloading at the end.
  target.calls.clear();
  settings.FixedBackColor = true;
  settings.HQShots = false;
  settings.ShotDoEvents = false;
  TakeMovieSnapshot(target, dib, info, true, 1, settings);
  expected = {L"LoadMovie C:\\m.swf", L"Quality 0", L"GotoFrame 100", L"Paint", L"Unload"};
  EXPECT_EQ(target.calls, expected);
  // With its colour given, the generator's colour is set after the load.
  target.calls.clear();
  settings.BackColor = L"0000FF";
  TakeMovieSnapshot(target, dib, info, true, 1, settings);
  EXPECT_EQ(target.calls[1], L"BGColor 0000FF");
}

TEST(TakeMovieSnapshotTest, FalseWhenTheControlCouldNotLoadTheMovie) {
  struct Refusing : FakeTarget {
    void LoadMovie(long, const std::wstring& url) override { calls.push_back(L"LoadMovie " + url), frame = -1; }
  } target;
  cDIBSection dib;
  SWFInfo info;
  info.Path = L"C:\\broken.swf";
  EXPECT_FALSE(TakeMovieSnapshot(target, dib, info, false, 0, ShotSettings{}));
  EXPECT_FALSE(TakeMovieSnapshot(target, dib, SWFInfo{}, false, 0, ShotSettings{}));  // the "nomedia" picture
}

class SnapshotFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { savedImages = ImagesFolder; }
  void TearDown() override {
    ImagesFolder = savedImages;
    frmFlashShot.Unload();
  }
  std::wstring savedImages;
  testing_support::TempDir dir;
};

TEST_F(SnapshotFilesTest, EmptyRecordPaintsNoMediaCentredThenStops) {
  ImagesFolder = testing_support::ProgramDir() + L"Media\\Images\\";
  FakeTarget target;
  cDIBSection dib;
  TakeMovieSnapshot(target, dib, SWFInfo{}, false, 0, ShotSettings{});
  EXPECT_EQ(target.calls, std::vector<std::wstring>{L"LoadMovie | no |"});
  ASSERT_EQ(dib.Width(), 320);
  EXPECT_EQ(DibPixel(dib, 2, 2), RGB(0, 128, 0));
  EXPECT_NE(DibPixel(dib, 160, 120), RGB(0, 128, 0));  // the picture's middle
  EXPECT_EQ(DibPixel(dib, 160 - 40, 120), RGB(0, 128, 0));
}

TEST_F(SnapshotFilesTest, WatermarkInTheBottomRightCorner) {
  std::wstring logo = dir.File(L"logo.png");
  testing_support::WriteBytes(logo, SolidPng(64, 32, 255, 0, 255));
  FakeTarget target;
  cDIBSection dib;
  SWFInfo info;
  info.Path = L"m.swf";
  ShotSettings settings;
  settings.Watermark = true;
  settings.LogoPath = logo;
  TakeMovieSnapshot(target, dib, info, false, 0, settings);
  EXPECT_EQ(DibPixel(dib, 256, 208), RGB(255, 0, 255));
  EXPECT_EQ(DibPixel(dib, 319, 239), RGB(255, 0, 255));
  EXPECT_EQ(DibPixel(dib, 255, 208), RGB(255, 255, 255));
  EXPECT_EQ(DibPixel(dib, 256, 207), RGB(255, 255, 255));
}

TEST_F(SnapshotFilesTest, RealWindowPaintsTheMovieBackgroundAndKeepsThePicture) {
  Movie m = Frames(3, 0x40, 0x50, 0x60);
  std::wstring path = dir.File(L"shot.swf");
  testing_support::WriteBytes(path, m.Plain());
  PrepareShot(path, L"", true, ShotSettings{});
  EXPECT_FALSE(frmFlashShot.IsLoaded());
  ASSERT_EQ(frmFlashShot.myDib.Width(), 120);
  EXPECT_EQ(frmFlashShot.myDib.Height(), 90);
  EXPECT_EQ(DibPixel(frmFlashShot.myDib, 60, 45), RGB(0x40, 0x50, 0x60));
  EXPECT_EQ(frmFlashShot.hShotSWF, nullptr);
  EXPECT_EQ(GetFlashPlayerVersion(), flash::kFlashMajorVersion);
}

TEST(DeletesShotCopyTest, OnlyCacheCopiesThePlayerDoesNotPlay) {
  SWFInfo extracted;
  extracted.Path = L"C:\\Cache\\game.swf";
  extracted.PathChanged = true;
  std::wstring playing = L"c:\\cache\\GAME.swf";
  EXPECT_FALSE(DeletesShotCopy(extracted, 1, playing));  // the player plays it
  playing = L"C:\\other.swf";
  EXPECT_TRUE(DeletesShotCopy(extracted, 1, playing));
  EXPECT_TRUE(DeletesShotCopy(extracted, 2, playing));
  EXPECT_FALSE(DeletesShotCopy(extracted, 0, playing));
  extracted.PathChanged = false;
  EXPECT_FALSE(DeletesShotCopy(extracted, 1, playing));
}

}  // namespace
