// Our skin on the stand-in main window, saved as pictures beside the test
// program: the normal view with the playlist bar, and the full-screen view.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

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

// Where a control lies in the window's client area.
RECT InClient(const forms::Control& c) {
  RECT r{c.Left(), c.Top(), c.Left() + c.Width(), c.Top() + c.Height()};
  for (forms::Container* k = c.Container(); k && k->AsControl(); k = k->AsControl()->Container())
    OffsetRect(&r, k->AsControl()->Left(), k->AsControl()->Top());
  return r;
}

bool Near(COLORREF a, COLORREF b, int tolerance = 24) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// The bar's light grey: bright, and about as red as it is blue.
bool BarGrey(COLORREF c) {
  const int lo = std::min({GetRValue(c), GetGValue(c), GetBValue(c)});
  const int hi = std::max({GetRValue(c), GetGValue(c), GetBValue(c)});
  return lo >= 190 && hi - lo <= 24;
}

// What a picture of the window must show of the skin: the control bar across
// the bottom in its grey, the movie where the movie view is (its sky colour
// at the top left), and text drawn inside both time labels, which lie on the bar.
void ExpectSkinShown(const std::vector<BYTE>& shot, int w, int h, POINT sky) {
  const RECT bar = InClient(*SkinControl(2));
  EXPECT_EQ(bar.left, 0);
  EXPECT_EQ(bar.right, w);
  EXPECT_EQ(bar.top, h - 52);
  EXPECT_EQ(bar.bottom, h);
  EXPECT_TRUE(BarGrey(CapturedPixel(shot, w, h, 400, bar.top + 4)));
  EXPECT_FALSE(BarGrey(CapturedPixel(shot, w, h, 400, bar.top - 2)));
  EXPECT_TRUE(Near(CapturedPixel(shot, w, h, sky.x, sky.y), RGB(24, 44, 96)));
  for (int label : {14, 15}) {
    SCOPED_TRACE(label);
    const RECT r = InClient(*SkinControl(label));
    RECT inside{};
    EXPECT_TRUE(IntersectRect(&inside, &r, &bar) && EqualRect(&inside, &r)) << "on the bar";
    int dark = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) dark += GetGValue(CapturedPixel(shot, w, h, x, y)) < 110;
    EXPECT_GT(dark, 10) << "its text is drawn";
  }
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
  // The movie fills the view left of the side strip and the playlist.
  const RECT view = InClient(*player.view);
  EXPECT_EQ(view.right, 640 - 34 - player.playlist->Width());
  EXPECT_EQ(view.bottom, 480 - 52);
  ExpectSkinShown(normal, w, h, POINT{8, 8});
  EXPECT_FALSE(Near(CapturedPixel(normal, w, h, view.right + 2, 8), RGB(24, 44, 96))) << "the side strip";

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
  // The letterboxed movie across the whole width, black above it; no playlist.
  const int band = (480 - 640 * 9 / 16) / 2;
  ExpectSkinShown(full, w, h, POINT{8, band + 4});
  EXPECT_EQ(CapturedPixel(full, w, h, 320, band / 2), RGB(0, 0, 0));
  EXPECT_TRUE(Near(CapturedPixel(full, w, h, 632, band + 4), RGB(24, 44, 96))) << "where the playlist was";
}

}  // namespace
