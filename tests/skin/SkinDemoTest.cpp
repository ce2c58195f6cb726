// Our skin on the stand-in main window, saved as pictures beside the test
// program: the normal view with the playlist bar, and the full-screen view.
#include <gtest/gtest.h>

#include "SkinTestHost.h"
#include "TestSupport.h"
#include "services/Services.h"
#include "skin/SkinItems.h"
#include "skin/SkinLayout.h"
#include "skin/SkinLoader.h"
#include "skin/SkinStates.h"
#include "ui/DrawingModule.h"

namespace {

// A stand-in for a movie frame: sky, sun and hills, in a band of the given
// height in the middle of the view (the movie control letterboxes on black).
void PaintScene(forms::PictureBox& view, int movieHeight = -1) {
  HDC dc = view.hDC();
  int w = view.Width(), h = movieHeight < 0 ? view.Height() : movieHeight;
  int top = (view.Height() - h) / 2;
  view.Cls();
  SetViewportOrgEx(dc, 0, top, nullptr);
  IntersectClipRect(dc, 0, 0, w, h);
  DrawGradient(dc, {0, 0, w, h}, RGB(24, 44, 96), RGB(236, 160, 92), true);
  ScopedBrush sun(CreateSolidBrush(RGB(255, 226, 140)));
  ScopedPen none(CreatePen(PS_NULL, 0, 0));
  ScopedSelect pen(dc, none.get());
  {
    ScopedSelect brush(dc, sun.get());
    Ellipse(dc, w * 6 / 10, h * 3 / 10, w * 6 / 10 + 80, h * 3 / 10 + 80);
  }
  ScopedBrush hill(CreateSolidBrush(RGB(40, 70, 52)));
  ScopedSelect brush(dc, hill.get());
  Ellipse(dc, -w / 3, h * 6 / 10, w * 2 / 3, h * 2);
  ScopedBrush distant(CreateSolidBrush(RGB(62, 96, 70)));
  ScopedSelect brush2(dc, distant.get());
  Ellipse(dc, w / 3, h * 7 / 10, w * 3 / 2, h * 2);
  SelectClipRgn(dc, nullptr);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  view.Refresh();
}

TEST(SkinDemo, SavesTheNormalAndFullScreenPictures) {
  SkinFolders folders(StagedSkinFolder(), RenderedUserSkinFolder());
  StandInWindow player;
  for (const wchar_t* entry : {L"Intro.swf", L"Rocket Garden.swf", L"Paper Planes.swf", L"Night Drive.flv",
                               L"Clockwork.swf"})
    player.playlist->AddItem(entry);
  player.playlist->SetListIndex(1);
  player.playing = true;
  player.percent = 0.35;
  player.volume = 70;
  player.title = L"Rocket Garden";
  player.timeCur = L"01:24";
  player.timeRem = L"-02:37";
  ASSERT_TRUE(LoadSkin(player));

  player.playlistShown = true;
  player.playlist->SetVisible(true);
  player.UpdateSkin();
  SlydeUpdateState();
  PaintScene(*player.view);
  int w = 0, h = 0;
  std::vector<BYTE> normal = CaptureClient(player.hWnd(), w, h);
  ASSERT_EQ(640, w);
  EXPECT_TRUE(SaveCapture(normal, w, h, testing_support::ProgramDir() + L"skin-demo.bmp"));
  // The bar's left part and the playlist bar are drawn where the layout put them.
  EXPECT_NE(CapturedPixel(normal, w, h, 5, 470), CapturedPixel(normal, w, h, 300, 200));

  // Full screen: the movie fills the window, letterboxed on the black view,
  // with the control bar over it and the playlist put away.
  player.fullScreen = true;
  player.hideUI = true;
  player.playlistShown = false;
  player.playlist->SetVisible(false);
  player.ApplyFullScreen();
  SlydeHideFSPlaylist();
  SlydeShowFSControls();
  PaintScene(*player.view, 640 * 9 / 16);
  std::vector<BYTE> full = CaptureClient(player.hWnd(), w, h);
  EXPECT_TRUE(SaveCapture(full, w, h, testing_support::ProgramDir() + L"skin-demo-fullscreen.bmp"));
  EXPECT_EQ(35, CurrentView);
}

}  // namespace
