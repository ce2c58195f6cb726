// The built-in skin generator: its files, its fingerprint and its colours.
#include <gtest/gtest.h>

#include "../services/LogCapture.h"
#include "SkinTestHost.h"
#include "TestSupport.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "skin/SkinGenerator.h"
#include "ui/DrawingModule.h"

namespace {

class SkinGenerator : public ::testing::Test {
 protected:
  testing_support::TempDir userDir;
  SkinFolders folders{StagedSkinFolder(), userDir.Path()};
  testing_support::RegistryGuard registry;
  int savedStyle = VisualStyle;

  void SetUp() override {
    registry.AppValue(L"View", L"ThemeHash");
    SaveRegLong(L"View", L"ThemeHash", 0);
  }
  ~SkinGenerator() override {
    VisualStyle = savedStyle;
    SetSlydeSysColorSource(nullptr);
  }
  std::wstring File(const std::wstring& relative) { return userDir.Path() + relative; }
};

SIZE BmpSize(const std::wstring& path, int& bits) {
  std::vector<uint8_t> bytes = testing_support::ReadBytes(path);
  if (bytes.size() < 54) return {0, 0};
  BITMAPINFOHEADER bi;
  memcpy(&bi, bytes.data() + 14, sizeof(bi));
  bits = bi.biBitCount;
  return {bi.biWidth, bi.biHeight};
}

TEST_F(SkinGenerator, WritesEightySevenPicturesOfTheirSizes) {
  SlydeRun run = CreateSlydeSkin(0);
  EXPECT_TRUE(run.Ran);
  EXPECT_EQ(87, run.Written);
  EXPECT_EQ(0, run.Failed);
  EXPECT_EQ(SlydeThemeHash(), GetRegLong(L"View", L"ThemeHash", 0));
  struct Case {
    const wchar_t* file;
    int w, h;
  } cases[] = {{L"base\\left.bmp", 260, 52},   {L"base\\mid.bmp", 1, 52},       {L"base\\right.bmp", 65, 52},
               {L"base\\top.bmp", 34, 32},     {L"base\\side.bmp", 34, 1},      {L"base\\bot.bmp", 34, 32},
               {L"base\\volume2.bmp", 18, 40}, {L"up\\volume.bmp", 16, 40},     {L"base\\playlist.bmp", 214, 34},
               {L"up\\inset.bmp", 20, 20},     {L"disabled\\convex.bmp", 100, 18}, {L"over\\play.bmp", 40, 40},
               {L"down\\browse.bmp", 40, 40},  {L"disabled\\fs.bmp", 26, 26},   {L"up\\movedown.bmp", 26, 26}};
  for (const Case& c : cases) {
    int bits = 0;
    SIZE size = BmpSize(File(c.file), bits);
    EXPECT_EQ(c.w, size.cx) << WideToUtf8(c.file);
    EXPECT_EQ(c.h, size.cy) << WideToUtf8(c.file);
    EXPECT_EQ(24, bits) << WideToUtf8(c.file);
  }
  int present = 0;
  for (const std::wstring& file : SlydeSkinFiles()) present += GetFileAttributesW(File(file).c_str()) != INVALID_FILE_ATTRIBUTES;
  EXPECT_EQ(87, present);
}

TEST_F(SkinGenerator, RunsOnlyWhenTheSchemeChangedOrAFileIsMissing) {
  ASSERT_TRUE(CreateSlydeSkin(0).Ran);
  // Unchanged: nothing is written.
  testing_support::WriteBytes(File(L"up\\play.bmp"), {1, 2, 3});
  EXPECT_FALSE(CreateSlydeSkin(0).Ran);
  EXPECT_EQ(3u, testing_support::ReadBytes(File(L"up\\play.bmp")).size());
  // A missing file.
  DeleteFileW(File(L"over\\tip.bmp").c_str());
  EXPECT_TRUE(CreateSlydeSkin(0).Ran);
  EXPECT_FALSE(CreateSlydeSkin(0).Ran);
  // A stored value reset to 0.
  SaveRegLong(L"View", L"ThemeHash", 0);
  EXPECT_TRUE(CreateSlydeSkin(0).Ran);
  // Another colour scheme.
  long before = SlydeThemeHash();
  SetSlydeSysColorSource([](int index) { return index == COLOR_BTNFACE ? RGB(1, 2, 3) : GetSysColor(index); });
  EXPECT_NE(before, SlydeThemeHash());
  EXPECT_TRUE(CreateSlydeSkin(0).Ran);
}

TEST_F(SkinGenerator, AFailedWriteKeepsTheStoredFingerprint) {
  CreateDirectoryW(File(L"up").c_str(), nullptr);
  CreateDirectoryW(File(L"up\\play.bmp").c_str(), nullptr);  // a folder where a picture goes
  SlydeRun run = CreateSlydeSkin(0);
  EXPECT_TRUE(run.Ran);
  EXPECT_EQ(1, run.Failed);
  EXPECT_EQ(86, run.Written);
  EXPECT_EQ(0, GetRegLong(L"View", L"ThemeHash", 0));
}

TEST_F(SkinGenerator, TheDarkFlatSetHasExactColours) {
  VisualStyle = 0;
  ASSERT_TRUE(CreateSlydeSkin(1).Ran);
  struct Case {
    const wchar_t* file;
    int x, y;
    COLORREF colour;
  } cases[] = {
      {L"base\\left.bmp", 200, 0, 0x999999},      // the bar's gradient starts at Face
      {L"base\\volume2.bmp", 8, 20, 0x999999},    // flat Face inside the frame
      {L"over\\volume.bmp", 8, 20, 0x000000},     // Sel
      {L"up\\volume.bmp", 8, 20, 0x3F3F3F},       // Sel blended with Light at 192
      {L"disabled\\volume.bmp", 8, 20, 0x333333}, // Shadow
      {L"up\\inset.bmp", 10, 10, 0x999999},
      {L"over\\convex.bmp", 50, 9, 0x000000},
      // The playlist's flat buttons: a styled square, no highlight.
      {L"up\\add.bmp", 1, 1, BlendColors(0x333333, 0x999999, 96)},
      {L"over\\remove.bmp", 1, 1, BlendColors(0x000000, 0xFFFFFF, 224)},
      {L"down\\moveup.bmp", 1, 1, 0x000000},
      {L"disabled\\movedown.bmp", 1, 1, BlendColors(0x333333, 0x999999, 160)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.colour, BmpPixel(File(c.file), c.x, c.y)) << WideToUtf8(c.file);
}

TEST_F(SkinGenerator, AMissingIconLeavesTheButtonWithoutIt) {
  testing_support::TempDir templates;
  for (const wchar_t* name : {L"round40.bmp", L"round26.bmp", L"round38.bmp", L"round24.bmp", L"curve40.bmp",
                              L"curve26.bmp", L"sidetop.bmp", L"sidebot.bmp", L"add.png"})
    CopyFileW((StagedSkinFolder() + name).c_str(), templates.File(name).c_str(), FALSE);
  SkinFolders only(templates.Path(), userDir.Path());
  VisualStyle = 0;
  LogCapture log;
  SlydeRun run = CreateSlydeSkin(1);
  EXPECT_EQ(87, run.Written);
  bool logged = false;
  for (const std::wstring& line : log.lines) logged = logged || line.find(L"remove.png") != std::wstring::npos;
  EXPECT_TRUE(logged);
  // The flat square is whole without its icon; with one, its middle is drawn over.
  COLORREF flat = BlendColors(0x333333, 0x999999, 96);
  EXPECT_EQ(flat, BmpPixel(File(L"up\\remove.bmp"), 13, 13));
  EXPECT_NE(flat, BmpPixel(File(L"up\\add.bmp"), 13, 13));
}

}  // namespace
