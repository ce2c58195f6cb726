// State pictures, fades, views, positions and the window-mask regions.
#include <gtest/gtest.h>

#include "../services/LogCapture.h"
#include "SkinTestHost.h"
#include "TestSupport.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "skin/SkinGenerator.h"
#include "skin/SkinItems.h"
#include "skin/SkinLoader.h"
#include "skin/SkinStates.h"

namespace {

constexpr COLORREF kUp = RGB(10, 20, 30), kOver = RGB(200, 100, 0), kDown = RGB(0, 0, 250),
                   kDisabled = RGB(90, 90, 90);

class SkinState : public ::testing::Test {
 protected:
  testing_support::TempDir skinDir, userDir;
  SkinFolders folders{skinDir.Path(), userDir.Path()};
  testing_support::RegistryGuard registry;
  std::unique_ptr<StandInWindow> player;

  void SetUp() override {
    registry.AppValue(L"View", L"ThemeHash");
    // The generator's set counts as current, so it writes nothing here.
    SaveRegLong(L"View", L"ThemeHash", SlydeThemeHash());
    for (const std::wstring& file : SlydeSkinFiles()) {
      std::wstring folder = userDir.Path() + file.substr(0, file.find(L'\\'));
      CreateDirectoryW(folder.c_str(), nullptr);
      testing_support::WriteBytes(userDir.Path() + file, {0});
    }
    const std::pair<const wchar_t*, COLORREF> pictures[] = {
        {L"up", kUp}, {L"over", kOver}, {L"down", kDown}, {L"disabled", kDisabled}};
    for (auto& [folder, colour] : pictures) WriteSolidBmp(userDir.Path() + folder + L"\\b.bmp", 8, 8, colour);
  }

  void Load(const std::string& xml) {
    WriteSkinXml(skinDir.Path(), xml);
    player = std::make_unique<StandInWindow>();
    player->arrange = false;
    ASSERT_TRUE(LoadSkin(*player));
  }
  COLORREF Shown(int index) { return dynamic_cast<forms::PictureBox*>(SkinControl(index))->Point(2, 2); }
};

TEST_F(SkinState, AnOverFadeRisesInTwentyOneSteps) {
  Load("<THEME><VIEW name='viewNormal'><BUTTON image='b.bmp' width='8' height='8'/></VIEW></THEME>");
  int state = SkinStateOver;
  SetSkinItemState(2, state);
  SkinItem& item = *SkinItemAt(2);
  EXPECT_EQ(UINT_PTR{2}, item.TimerID);  // the timer is known by the item index
  std::vector<int> alphas;
  HWND window = player->hWnd();
  while (item.TimerID != 0 && alphas.size() < 30) {
    alphas.push_back(SkinFadeAlpha(2));
    SkinTimerProc(window, WM_TIMER, 2, 0);
  }
  ASSERT_EQ(21u, alphas.size());
  EXPECT_EQ(0, alphas[0]);
  EXPECT_EQ(13, alphas[1]);
  EXPECT_EQ(26, alphas[2]);
  EXPECT_EQ(242, alphas[19]);
  EXPECT_EQ(255, alphas[20]);
  EXPECT_EQ(kOver, Shown(2));  // the last step leaves exactly the new picture
  EXPECT_EQ(20, item.FadePos);
  // Going down from there runs the whole way back with rising alpha.
  state = SkinStateDown;
  SetSkinItemState(2, state);
  EXPECT_EQ(0, SkinFadeAlpha(2));
  int steps = 0;
  while (item.TimerID != 0 && steps < 30) SkinTimerProc(window, WM_TIMER, 2, 0), ++steps;
  EXPECT_EQ(21, steps);
  EXPECT_EQ(kDown, Shown(2));
}

TEST(SkinFade, UpAndDownFadeAtHalfTheSpeed) {
  EXPECT_EQ(30u, SkinFadeInterval(SkinStateOver));
  EXPECT_EQ(30u, SkinFadeInterval(SkinStateDisabled));
  EXPECT_EQ(60u, SkinFadeInterval(SkinStateUp));
  EXPECT_EQ(60u, SkinFadeInterval(SkinStateDown));
}

TEST_F(SkinState, TheSameStateOrARepaintPaintsAtOnce) {
  Load("<THEME><VIEW name='viewNormal'><BUTTON image='b.bmp' width='8' height='8'/>"
       "<BUTTON image='b.bmp' width='8' height='8' noStretch='True'/></VIEW></THEME>");
  auto* box = dynamic_cast<forms::PictureBox*>(SkinControl(2));
  box->PSet(2, 2, RGB(1, 2, 3));
  int state = SkinStateUp;
  SetSkinItemState(2, state);
  EXPECT_EQ(UINT_PTR{0}, SkinItemAt(2)->TimerID);
  EXPECT_EQ(kUp, Shown(2));
  box->PSet(2, 2, RGB(1, 2, 3));
  state = SkinStateNone;
  SetSkinItemState(2, state);
  EXPECT_EQ(SkinStateUp, state);  // the current state comes back
  EXPECT_EQ(kUp, Shown(2));
  // An unstretched item is not repainted and the caller's 0 stays.
  auto* fixed = dynamic_cast<forms::PictureBox*>(SkinControl(3));
  fixed->PSet(2, 2, RGB(1, 2, 3));
  state = SkinStateNone;
  SetSkinItemState(3, state);
  EXPECT_EQ(SkinStateNone, state);
  EXPECT_EQ(RGB(1, 2, 3), Shown(3));
}

TEST_F(SkinState, ALiteButtonHasNoOverPicture) {
  Load("<THEME><VIEW name='viewNormal'><BUTTONLITE image='b.bmp'/></VIEW></THEME>");
  auto* image = dynamic_cast<forms::Image*>(SkinControl(2));
  ASSERT_NE(nullptr, image);
  EXPECT_FALSE(SkinItemAt(2)->HasOver);
  int state = SkinStateOver;
  SetSkinItemState(2, state);
  EXPECT_EQ(SkinStateUp, SkinItemAt(2)->State);
  state = SkinStateDown;
  SetSkinItemState(2, state);  // images switch at once
  EXPECT_EQ(SkinStateDown, SkinItemAt(2)->State);
  EXPECT_EQ(SkinItemAt(2)->PicDown.Handle(), image->Picture().Handle());
}

TEST_F(SkinState, ViewsAreFoundByNameInAnyCaseButNeverASubview) {
  Load("<THEME><SUBVIEW name='viewNormal'/><VIEW name='other' backColor='#102030'/>"
       "<VIEW name='viewNormal' backColor='#FF0000'/></THEME>");
  EXPECT_EQ(3, CurrentView);  // the load showed the normal view
  SetSkinView(L"OTHER");
  EXPECT_EQ(2, CurrentView);
  EXPECT_FALSE(SkinControl(3)->Visible());
  EXPECT_TRUE(SkinControl(2)->Visible());
  EXPECT_EQ(SkinControl(2), player->view->Container()->AsControl());
  EXPECT_EQ(ParseSkinColor(L"#102030"), player->BackColor());
  SetSkinView(L"VIEWNORMAL");
  EXPECT_EQ(3, CurrentView);
  EXPECT_EQ(640, SkinControl(3)->Width());
  EXPECT_EQ(480, SkinControl(3)->Height());

  LogCapture log;
  int updates = player->updates;
  SetSkinView(L"nowhere");
  EXPECT_EQ(3, CurrentView);
  EXPECT_EQ(updates, player->updates);
  bool reported = false;
  for (const std::wstring& line : log.lines)
    reported = reported || (line.find(L"Set Skin View nowhere") != std::wstring::npos &&
                            line.find(L"No such view \"nowhere\"") != std::wstring::npos);
  EXPECT_TRUE(reported);
}

TEST_F(SkinState, PositionsAddUpOverTheContainers) {
  Load("<THEME><VIEW name='viewNormal'><SUBVIEW left='100' top='40' width='200' height='200'>"
       "<SUBVIEW left='10' top='20' width='50' height='50'/></SUBVIEW></VIEW></THEME>");
  EXPECT_EQ(110, GetControlLeft(*SkinControl(3), player->hWnd()));
  EXPECT_EQ(60, GetControlTop(*SkinControl(3), player->hWnd()));
}

TEST_F(SkinState, AWindowMaskCutsHolesIntoTheWindowRegion) {
  // A 4 x 4 picture whose left half is the mask colour.
  WriteSolidBmp(userDir.Path() + L"base\\mask.bmp", 4, 4, RGB(0, 255, 0));
  {
    std::vector<uint8_t> bytes = testing_support::ReadBytes(userDir.Path() + L"base\\mask.bmp");
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 2; ++x) {
        uint8_t* p = bytes.data() + 54 + y * 12 + x * 3;
        p[0] = 255, p[1] = 0, p[2] = 255;  // magenta
      }
    testing_support::WriteBytes(userDir.Path() + L"base\\mask.bmp", bytes);
  }
  Load("<THEME><VIEW name='viewNormal'><SUBVIEW image='mask.bmp' left='30' top='20' windowMask='#FF00FF'/>"
       "</VIEW></THEME>");
  ASSERT_EQ(1u, SkinRegions.size());
  ScopedRegion window(CreateRectRgn(0, 0, 640, 480));
  CutSkinRegions(window.get(), player->hWnd(), 0, 0);
  EXPECT_FALSE(PtInRegion(window.get(), 30, 20));  // mask colour: a hole
  EXPECT_FALSE(PtInRegion(window.get(), 31, 23));
  EXPECT_TRUE(PtInRegion(window.get(), 32, 20));   // the picture's other pixels stay
  EXPECT_TRUE(PtInRegion(window.get(), 29, 20));
  EXPECT_TRUE(PtInRegion(window.get(), 300, 300));
}

}  // namespace
