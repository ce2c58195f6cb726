// The movie control's window subclassed, on a real control under Xvfb:
// messages sent to it, the window's operations spied on, and what reaches
// the control's own procedure recorded beneath the subclass.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "flash/FlashTestSupport.h"
#include "platform/flash/FlashControl.h"
#include "platform/forms/Forms.h"
#include "platform/forms/MessageLoop.h"
#include "player/FlashWindowHook.h"
#include "player/Geometry.h"

using Calls = std::vector<std::wstring>;

namespace {

class SpyHost : public player::FlashHookHost {
 public:
  player::PlayerState state;
  std::map<std::wstring, bool> checked;
  HWND main = nullptr;
  Calls calls;
  player::EdgeBars bars;  // the bars the last move asked for

  player::PlayerState& State() override { return state; }
  bool Checked(const std::wstring& item) const override {
    auto it = checked.find(item);
    return it != checked.end() && it->second;
  }
  void ShowPopUp(bool overPlaylist, bool root) override {
    Log(L"ShowPopUp " + std::to_wstring(overPlaylist) + std::to_wstring(root) + L" item " +
        std::to_wstring(state.PopupItem) + (cursorShownAtPopUp() ? L" cursor" : L" no cursor"));
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

  std::function<bool()> cursorShownAtPopUp = [] { return true; };

 private:
  void Log(const std::wstring& c) { calls.push_back(c); }
};

// What reaches the control's own procedure, recorded by a subclass beneath the hook.
std::vector<UINT> reached;
WNDPROC controlProc = nullptr;
LRESULT CALLBACK Beneath(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  reached.push_back(msg);
  return CallWindowProcW(controlProc, hwnd, msg, wp, lp);
}

// A visible top-most window of 400 x 300 at the screen's corner holding a
// control, the recorder beneath it and the hook.
class Hooked : public ::testing::Test {
 protected:
  void SetUp() override {
    window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400,
                             300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    control = std::make_unique<flash::FlashControl>(window, 0, 0, 400, 300);
    control->SetVisible(true);
    reached.clear();
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
  void Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    host.calls.clear();
    reached.clear();
    SendMessageW(control->hWnd(), msg, wp, lp);
  }
  bool Reached(UINT msg) const { return std::find(reached.begin(), reached.end(), msg) != reached.end(); }
  // Pumps messages until the condition holds or the time is up (the system's
  // own hover timer decides when).
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done() && GetTickCount64() < end) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      flashtest::PumpMessages();
    }
    return done();
  }

  HWND window = nullptr;
  std::unique_ptr<flash::FlashControl> control;
  SpyHost host;
  player::FlashWindowHook hook{host};
};

WPARAM Wheel(int delta) { return MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))); }

}  // namespace

TEST_F(Hooked, MouseButtonsAndTheWheel) {
  struct Case {
    bool browsed, shortMovie;
    UINT msg;
    WPARAM wp;
    Calls calls;
    bool reachesControl;
  } cases[] = {
      {false, false, WM_MOUSEWHEEL, Wheel(-120), {L"FFwd"}, false},
      {false, false, WM_MOUSEWHEEL, Wheel(120), {L"Rwd"}, false},
      {true, false, WM_MOUSEWHEEL, Wheel(-120), {L"Set _root.mwheel=-1", L"TCallLabel vbCall MWH", L"FFwd"}, false},
      {true, false, WM_MOUSEWHEEL, Wheel(240), {L"Set _root.mwheel=1", L"TCallLabel vbCall MWH", L"Rwd"}, false},
      {false, true, WM_MOUSEWHEEL, Wheel(-120), {}, true},
      {true, true, WM_MOUSEWHEEL, Wheel(120), {L"Set _root.mwheel=1", L"TCallLabel vbCall MWH"}, true},
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
    Send(c.msg, c.wp, MAKELPARAM(10, 10));
    EXPECT_EQ(host.calls, c.calls) << std::hex << c.msg << " " << c.wp;
    EXPECT_EQ(Reached(c.msg), c.reachesControl) << std::hex << c.msg << " " << c.wp;
  }
  host.checked[L"mnuFullScreen"] = true;
  Send(WM_MBUTTONDBLCLK);
  EXPECT_EQ(host.calls, Calls{L"FullScreen False"});
  SendMessageW(control->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
}

TEST_F(Hooked, TheCursorHidesOverAStillMovieOnlyAndComesBackOnAMoveOrTheMenu) {
  hook.SetHoverTime(10);
  // The pointer rests where the moves are sent: the system's own moves come from there.
  SetCursorPos(200, 150);
  PumpUntil([] { return false; }, 100);
  // Over the program's own page no tracking is armed.
  host.state.InternalMovie = true;
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(200, 150));
  TRACKMOUSEEVENT query{sizeof(query), TME_QUERY};
  query.hwndTrack = control->hWnd();
  ASSERT_TRUE(TrackMouseEvent(&query));
  EXPECT_FALSE(query.hwndTrack == control->hWnd() && (query.dwFlags & TME_HOVER)) << "no hover tracking";
  EXPECT_TRUE(Reached(WM_MOUSEMOVE));

  host.state.InternalMovie = false;
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(200, 150));
  ASSERT_TRUE(PumpUntil([&] { return hook.CursorHidden(); })) << "hidden after the hover time";
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(200, 150));  // the system's repeat at the same place
  EXPECT_TRUE(hook.CursorHidden());
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(202, 151));
  EXPECT_FALSE(hook.CursorHidden()) << "a move elsewhere shows it";
  ASSERT_TRUE(PumpUntil([&] { return hook.CursorHidden(); }));

  host.cursorShownAtPopUp = [&] { return !hook.CursorHidden(); };
  Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(202, 151));
  EXPECT_EQ(host.calls.size(), 1u);
  EXPECT_NE(host.calls[0].find(L" cursor"), std::wstring::npos) << "the cursor comes back before the menu";
  EXPECT_FALSE(Reached(WM_RBUTTONDOWN));
  SendMessageW(control->hWnd(), WM_RBUTTONUP, 0, MAKELPARAM(202, 151));

  Send(WM_MOUSEMOVE, 0, MAKELPARAM(203, 152));
  ASSERT_TRUE(PumpUntil([&] { return hook.CursorHidden(); }));
  hook.Unhook();
  EXPECT_FALSE(hook.CursorHidden()) << "no cursor is left hidden by a removed subclass";
  EXPECT_EQ(GetWindowLongPtrW(control->hWnd(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&Beneath));
}

TEST_F(Hooked, WithTheInterfaceHiddenTheEdgesBringTheBarsBack) {
  host.checked[L"mnuHideUI"] = true;
  struct Case {
    int controlTop;
    POINT at;  // in the control's pixels
    bool menu, controls, playlist;
  } cases[] = {
      {0, {200, 0}, true, false, false},   {0, {200, 2}, true, false, false},   {0, {200, 3}, false, false, false},
      {20, {200, 1}, false, false, false}, {0, {200, 290}, false, true, false}, {0, {200, 289}, false, false, false},
      {0, {390, 100}, false, false, true}, {0, {389, 100}, false, false, false},
  };
  for (const Case& c : cases) {
    control->Move(0, c.controlTop, 400, 300 - c.controlTop);
    host.bars = {true, true, true};
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(c.at.x, c.at.y - c.controlTop));
    EXPECT_EQ(host.bars.MenuBar, c.menu) << c.controlTop << " " << c.at.x << "," << c.at.y;
    EXPECT_EQ(host.bars.Controls, c.controls) << c.at.x << "," << c.at.y;
    EXPECT_EQ(host.bars.Playlist, c.playlist) << c.at.x << "," << c.at.y;
    EXPECT_TRUE(Reached(WM_MOUSEMOVE));
  }
  host.checked[L"mnuHideUI"] = false;
  host.bars = {};
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(200, 1));
  EXPECT_FALSE(host.bars.MenuBar) << "only while the interface is hidden";
}

TEST(HookedForm, AKeyOnTheMovieReachesTheShortcutsOnce) {
  // The main window's key preview and the subclass both see the movie's keys;
  // the window leaves them to the subclass.
  forms::FormArgs args;
  args.KeyPreview = true;
  forms::Form form(L"KeyHost", args);
  ASSERT_TRUE(form.Load());
  form.Show();
  SpyHost host;
  int previewed = 0;
  form.OnKeyDown = [&](int&, int) { ++previewed; };
  flash::FlashControl control(form.hWnd(), 0, 0, 200, 100);
  player::FlashWindowHook hook(host);
  ASSERT_TRUE(hook.Hook(form.hWnd()));
  form.LeaveKeysTo(hook.FlashHwnd());
  PostMessageW(control.hWnd(), WM_KEYDOWN, VK_SPACE, 1);
  forms::DoEvents();
  EXPECT_EQ(previewed + std::count(host.calls.begin(), host.calls.end(), L"HandyAction 32"), 1);
  EXPECT_EQ(host.calls, Calls{L"HandyAction 32"});
  hook.Unhook();
  form.Unload();
}

TEST(HookedForm, NoControlWindowNoSubclass) {
  HWND empty = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SpyHost host;
  player::FlashWindowHook hook(host);
  EXPECT_FALSE(hook.Hook(empty));
  EXPECT_FALSE(hook.Hooked());
  EXPECT_FALSE(hook.Hook(nullptr));
  DestroyWindow(empty);
}
