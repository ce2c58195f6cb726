// The main-window layout of our skin on the stand-in window.
#include <gtest/gtest.h>

#include "SkinTestHost.h"
#include "TestSupport.h"
#include "skin/SkinItems.h"
#include "skin/SkinLayout.h"
#include "skin/SkinLoader.h"

namespace {

class SkinLayout : public ::testing::Test {
 protected:
  SkinFolders folders{StagedSkinFolder(), RenderedUserSkinFolder()};
  StandInWindow player;
  void SetUp() override { ASSERT_TRUE(LoadSkin(player)); }
  forms::Control& X(int index) { return *SkinControl(index); }
};

TEST_F(SkinLayout, OurSkinHasTheFixedItems) {
  ASSERT_EQ(35, SkinItemCount());
  const std::pair<int, int> typed[] = {{1, SkinTypeView},       {2, SkinTypeSubView},  {5, SkinTypeButtonLite},
                                       {7, SkinTypeButton},     {14, SkinTypeLabel},   {18, SkinTypeSubView},
                                       {23, SkinTypeImage},     {24, SkinTypeButtonLite}, {27, SkinTypeSubView},
                                       {34, SkinTypeButton},    {35, SkinTypeView}};
  for (auto [index, type] : typed) EXPECT_EQ(type, SkinItemAt(index)->Type) << index;
  for (int i = 2; i <= 34; ++i) EXPECT_TRUE(SkinItemAt(i)->View == 1) << i;
  EXPECT_EQ(L"viewFullScreen", SkinItemAt(35)->Name);
}

TEST_F(SkinLayout, PlacesTheBarsFor640By480) {
  struct Case {
    bool playlist, hideUI;
    int xOffset, viewWidth, viewHeight, listLeft, stripLeft;
  } cases[] = {
      {false, false, 34, 606, 428, 440, 606},
      {true, false, 234, 406, 428, 440, 406},
      {true, true, 0, 640, 480, 440, 406},
      {false, true, 0, 640, 480, 440, 606},
  };
  player.playlist->SetWidth(200);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "playlist " << c.playlist << " hidden interface " << c.hideUI);
    player.playlistShown = c.playlist;
    player.hideUI = c.hideUI;
    SlydeArrange();
    EXPECT_EQ(c.xOffset, player.xOffset);
    EXPECT_EQ(c.hideUI ? 0 : 52, player.yOffset);
    EXPECT_EQ(c.viewWidth, player.view->Width());
    EXPECT_EQ(c.viewHeight, player.view->Height());
    EXPECT_EQ(c.listLeft, player.playlist->Left());
    EXPECT_EQ(c.stripLeft, X(18).Left());
    EXPECT_EQ(428, X(2).Top());
    EXPECT_EQ(640, X(2).Width());
    EXPECT_EQ(52, X(2).Height());
    EXPECT_EQ(c.hideUI ? -100 : 428 + X(6).Top() - 2, player.address->Top());
  }
}

TEST_F(SkinLayout, SizesTheSeekAndVolumeParts) {
  SlydeArrange();
  EXPECT_EQ(575, X(4).Left());
  EXPECT_EQ(640 - 260 - 65 + 54, X(5).Width());
  EXPECT_EQ(X(5).Width(), X(16).Width());
  EXPECT_EQ(550, X(15).Left());
  EXPECT_EQ(593, X(17).Left());
  EXPECT_EQ(X(18).Height() - 36, X(21).Top());
  EXPECT_EQ(X(18).Height() - 72, X(22).Top());
  X(5).SetWidth(302);
  player.percent = 0.5;
  player.volume = 50;
  X(23).SetHeight(42);
  SlydeUpdateState();
  EXPECT_EQ(150, X(6).Width());
  EXPECT_EQ(20, X(24).Height());
  EXPECT_EQ(X(23).Top() + 21, X(24).Top());
  // Mouse positions on the tracks are pixels of the element.
  EXPECT_DOUBLE_EQ(0.5, SlydeSeekFraction(151));
  EXPECT_EQ(50, SlydeVolumeAt(20));
  EXPECT_EQ(100, SlydeVolumeAt(0));
}

TEST_F(SkinLayout, ShowsTheButtonsOfThePlayAndBrowseStates) {
  struct Case {
    bool browsed, playing, muted;
    bool visible[9];  // items 7 to 13, then 25 and 26
  } cases[] = {
      {false, false, false, {true, false, false, false, false, true, true, true, false}},
      {false, true, true, {false, true, false, false, false, true, true, false, true}},
      {true, true, false, {false, false, true, true, true, false, false, true, false}},
  };
  const int items[] = {7, 8, 9, 10, 11, 12, 13, 25, 26};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "browsed " << c.browsed << " playing " << c.playing);
    player.browsed = c.browsed;
    player.playing = c.playing;
    player.muted = c.muted;
    SlydeShowButtons();
    SlydeUpdateState();
    for (int i = 0; i < 9; ++i) EXPECT_EQ(c.visible[i], X(items[i]).Visible()) << items[i];
    EXPECT_EQ(!c.muted, X(23).Visible());
  }
}

TEST_F(SkinLayout, CaptionsFollowThePlayer) {
  player.timeCur = L"00:12";
  player.timeRem = L"-01:00";
  player.timeTot = L"01:12";
  player.title = L"A movie";
  SlydeUpdateState();
  EXPECT_EQ(L"00:12", X(14).Caption());
  EXPECT_EQ(L"-01:00", X(15).Caption());
  EXPECT_EQ(L"A movie", X(16).Caption());
  player.timeMode = true;
  SlydeUpdateState();
  EXPECT_EQ(L"01:12", X(15).Caption());
}

TEST_F(SkinLayout, ThePlaylistWidensOnlyANormalWindow) {
  player.playlist->SetWidth(200);
  int width = player.Width();
  player.playlistShown = true;
  SlydeResizeForPlaylist();
  EXPECT_EQ(width + 200, player.Width());
  player.playlistShown = false;
  SlydeResizeForPlaylist();
  EXPECT_EQ(width, player.Width());
  player.hideUI = true;
  player.playlistShown = true;
  SlydeResizeForPlaylist();
  EXPECT_EQ(width, player.Width());
}

TEST_F(SkinLayout, FullScreenPartsShowAndHide) {
  SlydeHideFSControls();
  SlydeHideFSPlaylist();
  EXPECT_FALSE(X(2).Visible());
  EXPECT_FALSE(X(18).Visible());
  EXPECT_FALSE(X(27).Visible());
  EXPECT_EQ(480, player.address->Top());
  SlydeShowFSControls();
  SlydeShowFSPlaylist();
  EXPECT_TRUE(X(2).Visible());
  EXPECT_TRUE(X(18).Visible());
  EXPECT_TRUE(X(27).Visible());
  // The full-screen view, which holds the movie area then, follows the window's size.
  player.fullScreen = player.hideUI = true;
  player.ApplyFullScreen();
  player.SetClientSize(800, 600);
  SlydeArrange();
  EXPECT_EQ(800, X(35).Width());
  EXPECT_EQ(600, X(35).Height());
  EXPECT_EQ(800, player.view->Width());
}

TEST(SkinLayoutShort, ASkinOfTwentyElementsStillLaysOut) {
  testing_support::TempDir skinDir;
  SkinFolders folders(skinDir.Path(), RenderedUserSkinFolder());
  std::string xml = "<THEME><VIEW name='viewNormal'/><SUBVIEW image='mid.bmp' height='40'>";
  for (int i = 3; i <= 17; ++i) xml += "<BUTTON/>";
  xml += "</SUBVIEW><SUBVIEW image='side.bmp'><BUTTON/><IMAGE/></SUBVIEW></THEME>";
  WriteSkinXml(skinDir.Path(), xml);
  StandInWindow player;
  ASSERT_TRUE(LoadSkin(player));
  ASSERT_EQ(20, SkinItemCount());
  EXPECT_EQ(40, player.yOffset);  // the bar's height from the file on the first layout
  SlydeArrange();
  SlydeUpdateState();
  SlydeShowFSPlaylist();
  EXPECT_EQ(428, SkinControl(2)->Top());
  EXPECT_EQ(SkinControl(18)->Height() - SkinControl(20)->Height(), SkinControl(20)->Top());
}

}  // namespace
