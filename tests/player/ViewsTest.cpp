// The display modes on a recording window: full screen in and out (the
// rectangle and state given back, the views, the menus), the hidden
// interface, the bars that come back at the edges only on a change, fitting
// the window; and the window's shape: which one it takes and the skin
// shape's rectangles.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/forms/FormTypes.h"
#include "player/WindowViews.h"

using player::ViewFlags;
using Calls = std::vector<std::wstring>;

namespace {

// A window of 1280 x 1024 pixels on one monitor, recording what changes.
class FakeViews : public player::ViewHost {
 public:
  player::PlayerState state;
  ViewFlags flags;
  std::map<std::wstring, bool> checked, enabled;
  int windowState = forms::vbNormal;
  RECT rect{100, 50, 872, 548};
  bool skin = true, centered = false;
  player::Frame frame;
  std::wstring view;
  Calls calls;

  player::PlayerState& State() override { return state; }
  ViewFlags& Flags() override { return flags; }
  bool Checked(const std::wstring& item) const override {
    auto it = checked.find(item);
    return it != checked.end() && it->second;
  }
  void SetChecked(const std::wstring& item, bool on) override { checked[item] = on; }
  void SetEnabled(const std::wstring& item, bool on) override { enabled[item] = on; }
  void SetTopMenusVisible(bool on) override { Log(on ? L"Menus shown" : L"Menus hidden"); }
  void SetBrowseMenus(bool, bool, bool) override {}
  int WindowState() const override { return windowState; }
  void SetWindowState(int s) override {
    // As the system does: maximising keeps the normal rectangle to go back to.
    if (s == forms::vbMaximized && windowState == forms::vbNormal) normal = rect, rect = RECT{0, 0, 1280, 1000};
    if (s == forms::vbNormal && windowState == forms::vbMaximized) rect = normal;
    windowState = s;
  }
  RECT WindowRect() const override { return rect; }
  void SetWindowRect(const RECT& r) override { rect = r; }
  RECT MonitorRect() const override { return RECT{0, 0, 1280, 1024}; }
  SIZE ScreenSize() const override { return SIZE{1280, 1024}; }
  player::Frame Offsets() const override { return frame; }
  bool Centered() const override { return centered; }
  void ShowTitleBar(bool show) override { Log(show ? L"Title shown" : L"Title hidden"); }
  void SetPlaylistVisible(bool on) override { playlistShown = on; }
  void SendViewToBack() override {}
  bool SkinLoaded() const override { return skin; }
  void SetSkinView(const std::wstring& name) override { view = name; }
  void SkinFSControls(bool show) override { Log(show ? L"Controls shown" : L"Controls hidden"); }
  void SkinFSPlaylist(bool show) override { Log(show ? L"Playlist shown" : L"Playlist hidden"); }
  void UpdateSkin() override { Log(L"UpdateSkin"); }
  void ZoomFlash(long percent, long count) override {
    Log(L"ZoomFlash " + std::to_wstring(percent) + L" " + std::to_wstring(count));
  }
  void FocusMovie() override { Log(L"Focus"); }

  bool Has(const std::wstring& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }
  bool playlistShown = false;
  RECT normal{};

 private:
  void Log(const std::wstring& c) { calls.push_back(c); }
};

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

}  // namespace

TEST(FullScreen, CoversTheMonitorAndGivesBackTheRectangleAndState) {
  for (int start : {forms::vbNormal, forms::vbMaximized}) {
    FakeViews w;
    w.SetWindowState(start);
    const RECT before = w.rect;
    player::FullScreen(w, true, false, false);
    EXPECT_TRUE(Same(w.rect, RECT{0, 0, 1280, 1024})) << "the whole monitor, not the work area";
    EXPECT_EQ(w.windowState, forms::vbMaximized);
    EXPECT_EQ(w.flags.WasZoomed, start == forms::vbMaximized);
    EXPECT_EQ(w.view, L"viewFullScreen");
    EXPECT_TRUE(w.checked[L"mnuFullScreen"] && w.checked[L"mnuPopFullScreen"] && w.checked[L"mnuHideUI"]);
    EXPECT_FALSE(w.enabled[L"mnuHideUI"]) << "Hide UI cannot be switched in full screen";
    EXPECT_TRUE(w.Has(L"Title hidden") && w.Has(L"Menus hidden"));

    w.calls.clear();
    player::FullScreen(w, true, false, false);  // already on: nothing
    EXPECT_TRUE(w.calls.empty());

    player::FullScreen(w, false, false, false);
    EXPECT_EQ(w.windowState, start);
    EXPECT_TRUE(Same(w.rect, before));
    EXPECT_TRUE(Same(w.normal, RECT{100, 50, 872, 548})) << "the normal rectangle of a maximised window too";
    EXPECT_EQ(w.view, L"viewNormal");
    EXPECT_TRUE(w.enabled[L"mnuHideUI"]);
    EXPECT_FALSE(w.checked[L"mnuFullScreen"] || w.checked[L"mnuHideUI"]);
    EXPECT_TRUE(w.Has(L"Title shown") && w.Has(L"Menus shown"));
  }
}

TEST(FullScreen, AMovieLoadedMeanwhileIsZoomedOnLeavingUnlessKeepSize) {
  for (bool keep : {false, true}) {
    FakeViews w;
    w.checked[L"mnuKeepSize"] = keep;
    player::FullScreen(w, true, false, false);
    EXPECT_FALSE(w.state.NeedZoomFS);
    w.state.NeedZoomFS = true;  // the loader's mark
    w.calls.clear();
    player::FullScreen(w, false, false, false);
    EXPECT_EQ(w.Has(L"ZoomFlash 100 1"), !keep);
  }
}

TEST(FullScreen, HideUIKeepsTheWindowsSizeAndPlaceAndBringsTheBarsBack) {
  FakeViews w;
  w.checked[L"mnuPlaylist"] = true;
  const RECT before = w.rect;
  player::FullScreen(w, true, true, true);
  EXPECT_TRUE(Same(w.rect, before));
  EXPECT_EQ(w.windowState, forms::vbNormal);
  EXPECT_EQ(w.view, L"viewFullScreen");
  EXPECT_TRUE(w.checked[L"mnuHideUI"]);
  EXPECT_FALSE(w.checked[L"mnuFullScreen"]);
  EXPECT_TRUE(w.Has(L"ZoomFlash 0 1")) << "the window fits around the movie at its size";
  // The playlist leaves with the right edge, and comes back with Hide UI off.
  player::ShowFSPlaylist(w, false);
  EXPECT_FALSE(w.playlistShown);
  player::FullScreen(w, false, true, true);
  EXPECT_EQ(w.view, L"viewNormal");
  EXPECT_TRUE(w.playlistShown);
  EXPECT_FALSE(w.flags.HiddenFSPlaylist || w.flags.HiddenFSControls || w.flags.HiddenMenuBar);
  EXPECT_TRUE(Same(w.rect, before));
}

TEST(EdgeBars, ThePointerBringsBackEachBarAtItsEdgeAndEachActsOnlyOnAChange) {
  const SIZE client{800, 600};
  struct Case {
    POINT at;
    bool menuAllowed;
    bool menu, controls, playlist;
  } cases[] = {
      {{400, 0}, true, true, false, false},     {{400, 2}, true, true, false, false},
      {{400, 3}, true, false, false, false},    {{400, -5}, true, true, false, false},
      {{400, 1}, false, false, false, false},   {{400, 589}, true, false, false, false},
      {{400, 590}, true, false, true, false},   {{789, 300}, true, false, false, false},
      {{790, 300}, true, false, false, true},   {{799, 599}, true, false, true, true},
  };
  for (const Case& c : cases) {
    const player::EdgeBars bars = player::BarsAtEdges(c.at, client, c.menuAllowed);
    EXPECT_EQ(bars.MenuBar, c.menu) << c.at.x << "," << c.at.y;
    EXPECT_EQ(bars.Controls, c.controls) << c.at.x << "," << c.at.y;
    EXPECT_EQ(bars.Playlist, c.playlist) << c.at.x << "," << c.at.y;
  }

  FakeViews w;
  player::ShowBarsAt(w, POINT{400, 590}, client, true);
  EXPECT_TRUE(w.calls.empty()) << "only while the interface is hidden";
  w.checked[L"mnuHideUI"] = true;
  w.flags.HiddenMenuBar = w.flags.HiddenFSControls = w.flags.HiddenFSPlaylist = true;
  for (int i = 0; i < 3; ++i) player::ShowBarsAt(w, POINT{400, 595}, client, true);
  player::ShowBarsAt(w, POINT{400, 300}, client, true);
  player::ShowBarsAt(w, POINT{400, 301}, client, true);
  EXPECT_EQ(w.calls, (Calls{L"Controls shown", L"Controls hidden"}));
}

TEST(FitWindow, SizesAroundTheAreaOnlyInTheNormalStateOutOfFullScreen) {
  FakeViews w;
  w.frame.XOffset = 8, w.frame.YOffset = 46;
  player::FitWindow(w, 550, 400, 1);
  EXPECT_TRUE(Same(w.rect, RECT{100, 50, 100 + 558, 50 + 446}));
  w.centered = true;
  player::FitWindow(w, 550, 400, 0);
  EXPECT_TRUE(Same(w.rect, RECT{361, 289, 361 + 558, 289 + 446}));
  const RECT fitted = w.rect;
  w.SetWindowState(forms::vbMaximized);
  const RECT maximised = w.rect;
  player::FitWindow(w, 100, 100, 0);
  EXPECT_TRUE(Same(w.rect, maximised));
  w.SetWindowState(forms::vbNormal);
  w.checked[L"mnuFullScreen"] = true;
  player::FitWindow(w, 100, 100, 0);
  EXPECT_TRUE(Same(w.rect, fitted));
}

TEST(WindowShape, TheSkinShapesOnlyWithoutMenuBarAndHideUIGivesTheDefault) {
  using player::WindowShape;
  struct Case {
    bool skin;
    size_t regions;
    bool hideUI, menuBar, flag;
    WindowShape shape;
  } cases[] = {
      {false, 1, false, false, true, WindowShape::Unchanged}, {true, 0, true, false, true, WindowShape::Unchanged},
      {true, 1, true, true, false, WindowShape::Default},     {true, 1, false, true, false, WindowShape::Unchanged},
      {true, 1, false, true, true, WindowShape::Default},     {true, 2, false, false, false, WindowShape::Skin},
  };
  for (const Case& c : cases)
    EXPECT_EQ(player::ShapeFor(c.skin, c.regions, c.hideUI, c.menuBar, c.flag), c.shape)
        << c.skin << c.regions << c.hideUI << c.menuBar << c.flag;
}

TEST(WindowShape, TheClientAreaInsideItsFrameWithTheMaskPixelsCutOut) {
  // A frame of 8 by 46 pixels (4 a side, a caption of 42), a client area of
  // 100 x 60, and a panel at (10, 20) whose mask is its 5 x 2 top-left corner.
  ScopedRegion mask(CreateRectRgn(0, 0, 5, 2));
  const ScopedRegion shape = player::SkinShape(POINT{4, 42}, SIZE{100, 60}, {{mask.get(), POINT{10, 20}}});
  ASSERT_TRUE(shape);
  const DWORD size = GetRegionData(shape.get(), 0, nullptr);
  std::vector<uint8_t> buffer(size);
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  ASSERT_EQ(GetRegionData(shape.get(), size, data), size);
  const RECT* r = reinterpret_cast<const RECT*>(data->Buffer);
  std::vector<RECT> rects(r, r + data->rdh.nCount);
  // Bands: above the cut, the two cut rows (left of and right of the cut), below.
  const std::vector<RECT> expected{{4, 42, 104, 62}, {4, 62, 14, 64}, {19, 62, 104, 64}, {4, 64, 104, 102}};
  ASSERT_EQ(rects.size(), expected.size());
  for (size_t i = 0; i < rects.size(); ++i) EXPECT_TRUE(Same(rects[i], expected[i])) << i;
}
