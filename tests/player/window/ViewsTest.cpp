// The display modes on a recording window (full screen in and out, the
// hidden interface, the bars at the edges acting only on a change, fitting
// the window) and the window's shape (which one, and the skin shape's rectangles).
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/forms/FormTypes.h"
#include "player/window/WindowViews.h"

using Calls = std::vector<std::wstring>;

namespace {

// A window on a monitor of 1280 x 1024 whose work area is 1280 x 1000.
class FakeViews : public player::ViewHost {
 public:
  player::PlayerState state;
  player::ViewFlags flags;
  std::map<std::wstring, bool> checked, enabled;
  int windowState = forms::vbNormal;
  RECT rect{100, 50, 872, 548}, normal{};
  bool centered = false, playlistShown = false;
  player::Frame frame;
  std::wstring view;
  Calls calls;

  player::PlayerState& State() override { return state; }
  player::ViewFlags& Flags() override { return flags; }
  bool Checked(const std::wstring& item) const override { return checked.count(item) && checked.at(item); }
  void SetChecked(const std::wstring& item, bool on) override { checked[item] = on; }
  void SetEnabled(const std::wstring& item, bool on) override { enabled[item] = on; }
  void SetTopMenusVisible(bool on) override { Log(on, L"Menus"); }
  void SetBrowseMenus(bool, bool, bool) override {}
  int WindowState() const override { return windowState; }
  void SetWindowState(int s) override {
    // As the system does: a maximised window keeps its normal rectangle to go back to.
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
  void ShowTitleBar(bool show) override { Log(show, L"Title"); }
  void SetPlaylistVisible(bool on) override { playlistShown = on; }
  void SendViewToBack() override {}
  bool SkinLoaded() const override { return true; }
  void SetSkinView(const std::wstring& name) override { view = name; }
  void SkinFSControls(bool show) override { Log(show, L"Controls"); }
  void SkinFSPlaylist(bool show) override { Log(show, L"Playlist"); }
  void UpdateSkin() override {}
  void ZoomFlash(long percent, long count) override {
    calls.push_back(L"ZoomFlash " + std::to_wstring(percent) + L" " + std::to_wstring(count));
  }
  void FocusMovie() override {}

  bool Has(const std::wstring& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }

 private:
  void Log(bool on, const std::wstring& what) { calls.push_back(what + (on ? L" shown" : L" hidden")); }
};

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

}  // namespace

TEST(FullScreen, CoversTheMonitorThenGivesBackTheRectangleAndStateAndZoomsAMovieLoadedMeanwhile) {
  for (int start : {forms::vbNormal, forms::vbMaximized}) {
    for (bool keepSize : {false, true}) {
      FakeViews w;
      w.SetWindowState(start);
      w.checked[L"mnuKeepSize"] = keepSize;
      const RECT before = w.rect;
      player::FullScreen(w, true, false, false);
      EXPECT_TRUE(Same(w.rect, RECT{0, 0, 1280, 1024})) << "the whole monitor, not the work area";
      EXPECT_EQ(w.windowState, forms::vbMaximized);
      EXPECT_EQ(w.view, L"viewFullScreen");
      EXPECT_TRUE(w.checked[L"mnuFullScreen"] && w.checked[L"mnuPopFullScreen"] && w.checked[L"mnuHideUI"]);
      EXPECT_FALSE(w.enabled[L"mnuHideUI"]) << "Hide UI cannot be switched in full screen";
      EXPECT_TRUE(w.Has(L"Title hidden") && w.Has(L"Menus hidden"));
      w.calls.clear();
      player::FullScreen(w, true, false, false);
      EXPECT_TRUE(w.calls.empty()) << "already on";

      w.state.NeedZoomFS = true;  // the loader's mark
      player::FullScreen(w, false, false, false);
      EXPECT_EQ(w.windowState, start);
      EXPECT_TRUE(Same(w.rect, before));
      EXPECT_TRUE(Same(w.normal, RECT{100, 50, 872, 548})) << "a maximised window's normal rectangle too";
      EXPECT_EQ(w.view, L"viewNormal");
      EXPECT_TRUE(w.enabled[L"mnuHideUI"]);
      EXPECT_TRUE(w.Has(L"Title shown") && w.Has(L"Menus shown"));
      EXPECT_EQ(w.Has(L"ZoomFlash 100 1"), !keepSize);
    }
  }
}

TEST(FullScreen, HideUIKeepsTheWindowsSizeAndPlaceAndBringsTheBarsBackOnLeaving) {
  FakeViews w;
  w.checked[L"mnuPlaylist"] = true;
  const RECT before = w.rect;
  player::FullScreen(w, true, true, true);
  EXPECT_TRUE(Same(w.rect, before));
  EXPECT_EQ(w.view, L"viewFullScreen");
  EXPECT_TRUE(w.checked[L"mnuHideUI"] && !w.checked[L"mnuFullScreen"]);
  EXPECT_TRUE(w.Has(L"ZoomFlash 0 1")) << "the window fits around the movie at its size";
  player::ShowFSPlaylist(w, false);
  EXPECT_FALSE(w.playlistShown);
  player::FullScreen(w, false, true, true);
  EXPECT_TRUE(Same(w.rect, before) && w.view == L"viewNormal" && w.playlistShown);
  EXPECT_FALSE(w.flags.HiddenFSPlaylist || w.flags.HiddenFSControls || w.flags.HiddenMenuBar);
}

TEST(EdgeBars, EachBarActsOnlyOnAChange) {
  // Where each bar comes back is the movie window's test; the window's side acts on changes only.
  FakeViews w;
  w.flags.HiddenMenuBar = w.flags.HiddenFSControls = w.flags.HiddenFSPlaylist = true;
  for (POINT at : {POINT{400, 595}, POINT{400, 596}, POINT{400, 300}, POINT{400, 301}})
    player::ShowBarsAt(w, at, SIZE{800, 600}, true);
  EXPECT_EQ(w.calls, (Calls{L"Controls shown", L"Controls hidden"}));
}

TEST(FitWindow, SizesAroundTheAreaOnlyInTheNormalStateOutOfFullScreen) {
  FakeViews w;
  w.frame.XOffset = 8, w.frame.YOffset = 46;
  player::FitWindow(w, 550, 400, 1);
  EXPECT_TRUE(Same(w.rect, RECT{100, 50, 658, 496}));
  w.centered = true;
  player::FitWindow(w, 550, 400, 0);
  const RECT fitted{361, 289, 919, 735};
  EXPECT_TRUE(Same(w.rect, fitted));
  w.SetWindowState(forms::vbMaximized);
  player::FitWindow(w, 100, 100, 0);
  EXPECT_TRUE(Same(w.rect, RECT{0, 0, 1280, 1000}));
  w.SetWindowState(forms::vbNormal);
  w.checked[L"mnuFullScreen"] = true;
  player::FitWindow(w, 100, 100, 0);
  EXPECT_TRUE(Same(w.rect, fitted));
  w.checked[L"mnuFullScreen"] = w.centered = false;
  player::FitWindow(w, 2000000, 2000000, 0);  // a script's area: no larger than 8 screens
  EXPECT_EQ(w.rect.right - w.rect.left, 8 * 1280);
}

TEST(WindowShape, WhichShapeAndTheClientAreaInsideItsFrameWithTheMaskPixelsCutOut) {
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
    EXPECT_EQ(player::ShapeFor(c.skin, c.regions, c.hideUI, c.menuBar, c.flag), c.shape) << &c - cases;

  // A frame of 8 by 46 pixels (4 a side, 42 above), a client area of 100 x 60
  // and a panel at (10, 20) whose mask is its 5 x 2 top-left corner.
  ScopedRegion mask(CreateRectRgn(0, 0, 5, 2));
  const ScopedRegion shape = player::SkinShape(POINT{4, 42}, SIZE{100, 60}, {{mask.get(), POINT{10, 20}}});
  ASSERT_TRUE(shape);
  std::vector<uint8_t> buffer(GetRegionData(shape.get(), 0, nullptr));
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  ASSERT_NE(GetRegionData(shape.get(), static_cast<DWORD>(buffer.size()), data), 0u);
  const RECT* r = reinterpret_cast<const RECT*>(data->Buffer);
  const std::vector<RECT> expected{{4, 42, 104, 62}, {4, 62, 14, 64}, {19, 62, 104, 64}, {4, 64, 104, 102}};
  ASSERT_EQ(data->rdh.nCount, expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_TRUE(Same(r[i], expected[i])) << i;
}
