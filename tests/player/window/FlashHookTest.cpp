// The movie control's window subclassed, on a real control under Xvfb:
// messages sent to it, the window's operations spied on, and what reaches
// the control's own procedure recorded beneath the subclass.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/flash/FlashTestSupport.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/forms/Forms.h"
#include "platform/forms/MessageLoop.h"
#include "player/window/FlashWindowHook.h"
#include "player/window/Geometry.h"

using Calls = std::vector<std::wstring>;

namespace {

class SpyHost : public player::FlashHookHost {
 public:
  player::PlayerState state;
  bool fullScreen = false, hideUI = false;
  HWND main = nullptr;
  Calls calls;
  player::EdgeBars bars;                          // what the last move asked for
  std::function<bool()> cursorShown = [] { return true; };  // read when the menu opens

  player::PlayerState& State() override { return state; }
  bool FullScreenChecked() const override { return fullScreen; }
  bool HideUI() const override { return hideUI; }
  void ShowPopUp(bool overPlaylist, bool root) override {
    Log(L"ShowPopUp " + std::to_wstring(overPlaylist) + std::to_wstring(root) + L" item " +
        std::to_wstring(state.PopupItem) + (cursorShown() ? L" cursor" : L" no cursor"));
  }
  void PlayPauseMedia() override { Log(L"PlayPauseMedia"); }
  void FullScreen(bool on, bool, bool) override { Log(on ? L"FullScreen True" : L"FullScreen False"); }
  void FFwd() override { Log(L"FFwd"); }
  void Rwd() override { Log(L"Rwd"); }
  void SetVariable(const std::wstring& name, const std::wstring& value) override { Log(L"Set " + name + L"=" + value); }
  void TCallLabel(const std::wstring& target, const std::wstring& label) override {
    Log(L"TCallLabel " + target + L" " + label);
  }
  void HandyAction(int key) override { Log(L"HandyAction " + std::to_wstring(key)); }
  HWND MainWindow() const override { return main; }
  void ShowBarsAt(POINT at, SIZE client, bool menuAllowed) override {
    bars = player::BarsAtEdges(at, client, menuAllowed);
  }

 private:
  void Log(const std::wstring& c) { calls.push_back(c); }
};

// What reaches the control's own procedure, recorded beneath the hook.
std::vector<UINT> reached;
WNDPROC controlProc = nullptr;
LRESULT CALLBACK Beneath(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  reached.push_back(msg);
  return CallWindowProcW(controlProc, hwnd, msg, wp, lp);
}

// A visible top-most window of 400 x 300 at the screen's corner: a control,
// the recorder beneath it, the hook.
class Hooked : public ::testing::Test {
 protected:
  void SetUp() override {
    window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400,
                             300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    control = std::make_unique<flash::FlashControl>(window, 0, 0, 400, 300);
    control->SetVisible(true);
    controlProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control->hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Beneath)));
    host.main = window;
    ASSERT_TRUE(hook.Hook(window));
    ASSERT_EQ(hook.FlashHwnd(), control->hWnd());
  }
  void TearDown() override {
    hook.Unhook();
    control.reset();
    DestroyWindow(window);
  }
  void Send(UINT msg, WPARAM wp, int x, int y) {
    host.calls.clear();
    reached.clear();
    SendMessageW(control->hWnd(), msg, wp, MAKELPARAM(x, y));
  }
  bool Reached(UINT msg) const { return std::find(reached.begin(), reached.end(), msg) != reached.end(); }
  // Pumps messages until the system's hover timer hid the cursor, or 5 s passed.
  bool HiddenSoon() {
    const ULONGLONG end = GetTickCount64() + 5000;
    while (!hook.CursorHidden() && GetTickCount64() < end) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      flashtest::PumpMessages();
    }
    return hook.CursorHidden();
  }

  HWND window = nullptr;
  std::unique_ptr<flash::FlashControl> control;
  SpyHost host;
  player::FlashWindowHook hook{host};
};

WPARAM Wheel(int delta) { return MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))); }

}  // namespace

TEST_F(Hooked, ButtonsWheelAndKeys) {
  const Calls browse{L"Set _root.mwheel=-1", L"TCallLabel vbCall MWH"};
  const struct Case {
    bool browsed, shortMovie;
    UINT msg;
    WPARAM wp;
    Calls calls;
    bool reachesControl;
  } cases[] = {
      {false, false, WM_MOUSEWHEEL, Wheel(-120), {L"FFwd"}, false},  // towards the user: a second on
      {false, false, WM_MOUSEWHEEL, Wheel(120), {L"Rwd"}, false},
      {true, false, WM_MOUSEWHEEL, Wheel(-120), {browse[0], browse[1], L"FFwd"}, false},
      {true, false, WM_MOUSEWHEEL, Wheel(240), {L"Set _root.mwheel=1", browse[1], L"Rwd"}, false},
      {false, true, WM_MOUSEWHEEL, Wheel(-120), {}, true},
      {true, true, WM_MOUSEWHEEL, Wheel(-120), browse, true},
      {false, false, WM_MBUTTONUP, 0, {L"PlayPauseMedia"}, false},
      {false, true, WM_MBUTTONUP, 0, {}, false},
      {false, false, WM_MBUTTONDBLCLK, 0, {L"FullScreen True"}, false},
      {false, false, WM_RBUTTONDOWN, MK_RBUTTON, {L"ShowPopUp 01 item 4 cursor"}, false},
      {false, false, WM_KEYDOWN, VK_SPACE, {L"HandyAction 32"}, true},
      {false, false, WM_LBUTTONDOWN, MK_LBUTTON, {}, true},
  };
  host.state.HoverItem = 4;
  for (const Case& c : cases) {
    host.state.Browsed = c.browsed;
    host.state.ShortMovie = c.shortMovie;
    Send(c.msg, c.wp, 10, 10);
    EXPECT_EQ(host.calls, c.calls) << &c - cases;
    EXPECT_EQ(Reached(c.msg), c.reachesControl) << &c - cases;
  }
  SendMessageW(control->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  host.fullScreen = true;
  Send(WM_MBUTTONDBLCLK, 0, 10, 10);
  EXPECT_EQ(host.calls, Calls{L"FullScreen False"});
}

TEST_F(Hooked, TheCursorHidesOverAStillMovieOnlyAndComesBackOnAMoveTheMenuOrTheUnhook) {
  hook.SetHoverTime(10);
  // The pointer rests where the moves are sent: the system's own moves come from there.
  SetCursorPos(200, 150);
  host.state.InternalMovie = true;  // the program's own page: no tracking
  Send(WM_MOUSEMOVE, 0, 199, 150);
  TRACKMOUSEEVENT query{sizeof(query), TME_QUERY, control->hWnd(), 0};
  ASSERT_TRUE(TrackMouseEvent(&query));
  EXPECT_FALSE(query.hwndTrack == control->hWnd() && (query.dwFlags & TME_HOVER));
  EXPECT_TRUE(Reached(WM_MOUSEMOVE));

  host.state.InternalMovie = false;
  Send(WM_MOUSEMOVE, 0, 200, 150);
  ASSERT_TRUE(HiddenSoon());
  Send(WM_MOUSEMOVE, 0, 200, 150);  // the system's repeat at the same place
  EXPECT_TRUE(hook.CursorHidden());
  Send(WM_MOUSEMOVE, 0, 202, 151);
  EXPECT_FALSE(hook.CursorHidden()) << "a move elsewhere shows it";
  ASSERT_TRUE(HiddenSoon());

  host.cursorShown = [&] { return !hook.CursorHidden(); };
  Send(WM_RBUTTONDOWN, MK_RBUTTON, 202, 151);
  ASSERT_EQ(host.calls.size(), 1u);
  EXPECT_NE(host.calls[0].find(L" cursor"), std::wstring::npos) << "the cursor comes back before the menu";
  SendMessageW(control->hWnd(), WM_RBUTTONUP, 0, MAKELPARAM(202, 151));

  Send(WM_MOUSEMOVE, 0, 203, 152);
  ASSERT_TRUE(HiddenSoon());
  hook.Unhook();
  EXPECT_FALSE(hook.CursorHidden()) << "no cursor is left hidden by a removed subclass";
  EXPECT_EQ(GetWindowLongPtrW(control->hWnd(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&Beneath));
}

TEST_F(Hooked, WithTheInterfaceHiddenTheEdgesBringTheBarsBack) {
  host.hideUI = true;
  const struct Case {
    int controlTop, x, y;  // the point in the window's client area
    bool menu, controls, playlist;
  } cases[] = {
      {0, 200, 2, true, false, false},    {0, 200, -5, true, false, false},  {0, 200, 3, false, false, false},
      {20, 200, 1, false, false, false},
      {0, 200, 290, false, true, false},  {0, 200, 289, false, false, false}, {0, 390, 100, false, false, true},
      {0, 389, 100, false, false, false},
  };
  for (const Case& c : cases) {
    control->Move(0, c.controlTop, 400, 300 - c.controlTop);
    host.bars = {true, true, true};
    Send(WM_MOUSEMOVE, 0, c.x, c.y - c.controlTop);
    EXPECT_EQ(host.bars.MenuBar, c.menu) << &c - cases;
    EXPECT_EQ(host.bars.Controls, c.controls) << &c - cases;
    EXPECT_EQ(host.bars.Playlist, c.playlist) << &c - cases;
    EXPECT_TRUE(Reached(WM_MOUSEMOVE));
  }
  host.hideUI = false;
  host.bars = {};
  Send(WM_MOUSEMOVE, 0, 200, 1);
  EXPECT_FALSE(host.bars.MenuBar) << "only while the interface is hidden";
}

TEST(HookedForm, AKeyOnTheMovieReachesTheShortcutsOnceAndNoControlNoSubclass) {
  // The window's key preview and the subclass both see the movie's keys; the
  // window leaves them to the subclass.
  forms::FormArgs args;
  args.KeyPreview = true;
  forms::Form form(L"KeyHost", args);
  ASSERT_TRUE(form.Load());
  form.Show();
  SpyHost host;
  int previewed = 0;
  form.OnKeyDown = [&](int&, int) { ++previewed; };
  player::FlashWindowHook hook(host);
  EXPECT_FALSE(hook.Hook(form.hWnd())) << "no control window, no subclass";
  flash::FlashControl control(form.hWnd(), 0, 0, 200, 100);
  ASSERT_TRUE(hook.Hook(form.hWnd()));
  form.LeaveKeysTo(hook.FlashHwnd());
  PostMessageW(control.hWnd(), WM_KEYDOWN, VK_SPACE, 1);
  forms::DoEvents();
  EXPECT_EQ(previewed, 0);
  EXPECT_EQ(host.calls, Calls{L"HandyAction 32"});
  hook.Unhook();
  form.Unload();
}
