// The movie control: window class, loading, timeline, variables, events and
// painting of the background, driven with a fake clock (no sleeping).
#include <gtest/gtest.h>

#include <memory>

#include "FlashTestSupport.h"
#include "platform/flash/control/FlashControl.h"

using namespace flashtest;
using flash::FlashControl;
using moviebytes::Movie;

namespace {

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    control = std::make_unique<FlashControl>(host.get(), 0, 0, 200, 100);
    control->SetClock(clock.Fn());
  }
  void TearDown() override {
    control.reset();
    PumpMessages();
  }
  std::wstring Write(const std::wstring& name, const Bytes& bytes) {
    std::wstring path = dir.File(name);
    testing_support::WriteBytes(path, bytes);
    return path;
  }
  // Moves the clock by whole frames of a 10 fps movie and lets the control run them.
  void RunFrames(int n) {
    for (int i = 0; i < n; ++i) {
      clock.now += 0.1;
      control->Pump();
    }
  }
  COLORREF PixelAfterPaint(int x, int y) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 200, 100);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    SendMessageW(control->hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return c;
  }

  testing_support::TempDir dir;
  HostWindow host;
  FakeClock clock;
  std::unique_ptr<FlashControl> control;
};

TEST_F(ControlTest, FoundByClassAndEmptyTitleWithDoubleClicks) {
  HWND found = FindWindowExW(host.get(), nullptr, flash::kFlashWindowClass, L"");
  EXPECT_EQ(found, control->hWnd());
  EXPECT_TRUE(GetClassLongPtrW(found, GCL_STYLE) & CS_DBLCLKS);
  EXPECT_EQ(GetParent(found), host.get());
  control->Move(10, 5, 120, 90);
  EXPECT_EQ(control->Left(), 10);
  EXPECT_EQ(control->Top(), 5);
  EXPECT_EQ(control->Width(), 120);
  EXPECT_EQ(control->Height(), 90);
}

TEST_F(ControlTest, LoadsPlainAndCompressedAndUnloads) {
  EXPECT_EQ(control->FrameNum(), -1);
  EXPECT_EQ(control->TotalFrames(), 0);
  Movie m = Frames(7);
  for (const Bytes& bytes : {m.Plain(), m.Compressed()}) {
    control->LoadMovie(0, Write(L"m.swf", bytes));
    EXPECT_EQ(control->FrameNum(), 0);
    EXPECT_EQ(control->TotalFrames(), 7);
    EXPECT_EQ(control->BGColor(), L"102030");
    control->LoadMovie(0, flash::kNoMovie);
    EXPECT_EQ(control->FrameNum(), -1);
    EXPECT_EQ(control->TotalFrames(), 0);
  }
}

TEST_F(ControlTest, BadFilesNeverLoadAndDamagedTagsGiveOneBlankFrame) {
  control->LoadMovie(0, dir.File(L"missing.swf"));
  EXPECT_EQ(control->FrameNum(), -1);
  control->LoadMovie(0, Write(L"text.swf", moviebytes::Text("this is no movie at all")));
  EXPECT_EQ(control->FrameNum(), -1);
  Movie m = Frames(5);
  m.tags.insert(m.tags.begin() + 2, Bytes{0x3F, 0x00, 0xFF, 0xFF, 0xFF, 0x7F});  // a tag longer than the file
  control->LoadMovie(0, Write(L"damaged.swf", m.Plain()));
  EXPECT_EQ(control->FrameNum(), 0);
  EXPECT_EQ(control->TotalFrames(), 1);
}

TEST_F(ControlTest, MovieStaysLoadedWhenItsFileGoes) {
  std::wstring path = Write(L"gone.swf", Frames(3).Plain());
  control->LoadMovie(0, path);
  ASSERT_TRUE(DeleteFileW(path.c_str()));
  control->GotoFrame(2);
  EXPECT_EQ(control->CurrentFrame(), 2);
  EXPECT_EQ(control->TotalFrames(), 3);
}

TEST_F(ControlTest, PlaysToTheEndByLoop) {
  control->LoadMovie(0, Write(L"m.swf", Frames(4).Plain()));
  control->SetLoop(false);
  control->Play();
  RunFrames(3);
  EXPECT_EQ(control->FrameNum(), 3);
  RunFrames(2);
  EXPECT_EQ(control->FrameNum(), 3);
  EXPECT_FALSE(control->Playing());

  control->SetLoop(true);
  control->Rewind();
  EXPECT_FALSE(control->Playing());
  control->Play();
  RunFrames(4);
  EXPECT_EQ(control->FrameNum(), 0);
  EXPECT_TRUE(control->Playing());
}

TEST_F(ControlTest, ALateClockSkipsAheadThenPlaysOnAtTheRate) {
  control->LoadMovie(0, Write(L"m.swf", Frames(40).Plain()));
  control->Play();
  clock.now += 2.0;  // twenty frames late: at most eight are stepped at once
  control->Pump();
  EXPECT_EQ(control->FrameNum(), 8);
  RunFrames(1);
  EXPECT_EQ(control->FrameNum(), 9);
}

TEST_F(ControlTest, FrameMembersClampAndStop) {
  control->LoadMovie(0, Write(L"m.swf", Frames(10).Plain()));
  struct Case {
    long go, expect;
  } cases[] = {{5, 5}, {-3, 0}, {10, 9}, {100000, 9}, {0, 0}};
  for (const Case& c : cases) {
    control->Play();
    control->GotoFrame(c.go);
    EXPECT_EQ(control->CurrentFrame(), c.expect) << c.go;
    EXPECT_FALSE(control->Playing());
  }
  control->GotoFrame(4);
  control->Forward();
  EXPECT_EQ(control->FrameNum(), 5);
  control->Back();
  control->Back();
  EXPECT_EQ(control->FrameNum(), 3);
}

TEST_F(ControlTest, SeekingGivesTheDisplayListOfPlaying) {
  Movie m = Frames(0);
  m.tags = {moviebytes::BackgroundTag(1, 2, 3), Shape(1), Shape(2),
            Sprite(3, {Place(1, 1, 0, 0), moviebytes::ShowFrame(), Move(1, 40, 40), moviebytes::ShowFrame(),
                       Remove(1), moviebytes::ShowFrame()}),
            Place(1, 1, 100, 100), moviebytes::ShowFrame(),
            Place(2, 3, 0, 0, "clip"), Move(1, 200, 100, 2.0), moviebytes::ShowFrame(),
            Place(5, 2, 7, 7), moviebytes::ShowFrame(),
            Remove(1), Move(5, 9, 9), moviebytes::ShowFrame(),
            moviebytes::ShowFrame(), moviebytes::ShowFrame(), moviebytes::EndTag()};
  control->LoadMovie(0, Write(L"rich.swf", m.Plain()));
  ASSERT_EQ(control->TotalFrames(), 6);
  control->SetLoop(false);
  std::vector<std::wstring> played;
  control->Play();
  played.push_back(control->Player()->Describe());
  for (int f = 1; f < 6; ++f) {
    RunFrames(1);
    ASSERT_EQ(control->FrameNum(), f);
    played.push_back(control->Player()->Describe());
  }
  EXPECT_NE(played[1], played[2]);
  EXPECT_NE(played[4], played[5]);  // the sprite goes on stepping
  for (int f : {3, 0, 5, 2, 4, 1}) {
    control->GotoFrame(f);
    EXPECT_EQ(control->Player()->Describe(), played[static_cast<size_t>(f)]) << f;
  }
}

TEST_F(ControlTest, FrameActionsStopAndRaiseFSCommand) {
  Movie m = Frames(0);
  m.tags = {moviebytes::ShowFrame(),
            DoAction({ActGetUrl("FSCommand:MEOWLOG", "hello"), ActGetUrl("http://example.com/", "_blank")}),
            moviebytes::ShowFrame(), DoAction({ActStop()}), moviebytes::ShowFrame(), moviebytes::ShowFrame(),
            moviebytes::EndTag()};
  control->LoadMovie(0, Write(L"act.swf", m.Plain()));
  std::vector<std::wstring> seen;
  control->OnFSCommand = [&](const std::wstring& c, const std::wstring& a) { seen.push_back(c + L"|" + a); };
  control->Play();
  RunFrames(5);
  EXPECT_EQ(control->FrameNum(), 2);
  EXPECT_FALSE(control->Playing());
  EXPECT_TRUE(seen.empty());  // raised from the control's own messages only
  PumpMessages();
  EXPECT_EQ(seen, std::vector<std::wstring>{L"MEOWLOG|hello"});
}

TEST_F(ControlTest, QueryBecomesVariablesResetOnEachLoad) {
  std::wstring path = Write(L"q.swf", Frames(2).Plain());
  control->LoadMovie(0, path + L"?myXML=C%3A%5Cdata%5Cv.xml&time=12:30:01&name=%c3%a9t%C3%A9&one=%9x&blank=a b&noval&=x");
  EXPECT_EQ(control->FrameNum(), 0);
  EXPECT_EQ(control->GetVariable(L"myXML"), L"C:\\data\\v.xml");
  EXPECT_EQ(control->GetVariable(L"_root.time"), L"12:30:01");
  EXPECT_EQ(control->GetVariable(L"name"), L"\u00e9t\u00e9");
  EXPECT_EQ(control->GetVariable(L"one"), L"\tx");
  EXPECT_EQ(control->GetVariable(L"blank"), L"a b");
  EXPECT_EQ(control->GetVariable(L"noval"), L"");
  EXPECT_EQ(control->GetVariable(L"absent"), L"");
  control->SetVariable(L"_root.mwheel", L"-1");
  EXPECT_EQ(control->GetVariable(L"mwheel"), L"-1");
  control->SetVariable(L"myVideo.playheadTime", L"12.5");  // no object myVideo: nothing is set
  EXPECT_EQ(control->GetVariable(L"_root.myVideo.playheadTime"), L"");
  EXPECT_EQ(control->GetVariable(L"_alpha"), L"100");
  control->SetVariable(L"_alpha", L"250");
  EXPECT_EQ(control->GetVariable(L"_root._alpha"), L"100");
  control->SetVariable(L"_alpha", L"50");
  EXPECT_EQ(control->Alpha(), 50);

  control->LoadMovie(0, path);
  EXPECT_EQ(control->GetVariable(L"myXML"), L"");
  control->SetVariable(L"playing", L"1");  // right after the load, into the new movie
  EXPECT_EQ(control->GetVariable(L"playing"), L"1");
}

TEST_F(ControlTest, SettingsReadBack) {
  control->LoadMovie(0, Write(L"m.swf", Frames(2).Plain()));
  for (const wchar_t* q : {L"High", L"Medium", L"Low", L"AutoHigh", L"AutoLow"}) {
    control->SetQuality2(q);
    EXPECT_EQ(control->Quality2(), q);
  }
  control->SetQuality(1);
  EXPECT_EQ(control->Quality(), 1);
  control->SetQuality(0);
  EXPECT_EQ(control->Quality(), 0);
  for (long mode : {0L, 1L, 2L, 3L}) {
    control->SetScaleMode(mode);
    EXPECT_EQ(control->ScaleMode(), mode);
  }
  control->SetBGColor(std::wstring(6, L'\0'));
  EXPECT_EQ(control->BGColor(), L"102030");
  control->SetBGColor(L"FF8000");
  EXPECT_EQ(control->BGColor(), L"FF8000");
  control->SetBGColor(L"GG0000");
  EXPECT_EQ(control->BGColor(), L"FF8000");
  const long version = control->FlashVersion() >> 16;
  EXPECT_GE(version, 23);
  EXPECT_LE(version, 255);
  control->SetVolume(150);
  EXPECT_EQ(control->Volume(), 100);
}

TEST_F(ControlTest, ReadyStateFourAfterLoadReturns) {
  std::vector<long> states;
  control->OnReadyStateChange = [&](long s) { states.push_back(s); };
  control->LoadMovie(0, Write(L"m.swf", Frames(2).Plain()));
  EXPECT_TRUE(states.empty());
  PumpMessages();
  EXPECT_EQ(states, std::vector<long>{4});
  control->LoadMovie(0, dir.File(L"missing.swf"));
  PumpMessages();
  EXPECT_EQ(states.size(), 1u);
}

TEST_F(ControlTest, HandlerMayReloadTheControl) {
  std::wstring first = Write(L"a.swf", Frames(2).Plain()), second = Write(L"b.swf", Frames(5).Plain());
  int calls = 0;
  control->OnReadyStateChange = [&](long) {
    if (++calls == 1) control->LoadMovie(0, second);
  };
  control->LoadMovie(0, first);
  PumpMessages();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(control->TotalFrames(), 5);
}

TEST_F(ControlTest, HandlerMayDestroyTheControl) {
  Movie m = Frames(0);
  m.tags = {DoAction({ActGetUrl("FSCommand:QUIT", ""), ActGetUrl("FSCommand:AFTER", "")}), moviebytes::ShowFrame(),
            moviebytes::EndTag()};
  HWND hwnd = control->hWnd();
  int calls = 0;
  control->OnFSCommand = [&](const std::wstring&, const std::wstring&) {
    ++calls;
    control.reset();
  };
  control->LoadMovie(0, Write(L"quit.swf", m.Plain()));
  PumpMessages();
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(ControlTest, PaintWithDcFillsTheBackgroundInEveryScaleMode) {
  // A wide control: show all leaves bands left and right, which take the background too.
  control->Move(0, 0, 200, 100);
  Movie m = Frames(1, 0x20, 0x80, 0xC0);
  m.rect = moviebytes::Rect(0, 50 * 20, 0, 50 * 20);
  control->LoadMovie(0, Write(L"bg.swf", m.Plain()));
  ShowWindow(control->hWnd(), SW_HIDE);
  for (long mode : {0L, 1L, 2L, 3L}) {
    control->SetScaleMode(mode);
    EXPECT_EQ(PixelAfterPaint(2, 50), RGB(0x20, 0x80, 0xC0)) << mode;
    EXPECT_EQ(PixelAfterPaint(100, 50), RGB(0x20, 0x80, 0xC0)) << mode;
  }
  control->SetBGColor(L"FF0000");
  EXPECT_EQ(PixelAfterPaint(199, 99), RGB(255, 0, 0));
  // The host's colour stays over the next movie; unloading forgets it.
  control->LoadMovie(0, Write(L"bg.swf", m.Plain()));
  EXPECT_EQ(PixelAfterPaint(199, 99), RGB(255, 0, 0));
  control->LoadMovie(0, flash::kNoMovie);
  EXPECT_EQ(PixelAfterPaint(5, 5), RGB(255, 255, 255));
}

TEST_F(ControlTest, SubclassedWindowKeepsWorking) {
  static WNDPROC previous = nullptr;
  static int seen = 0;
  seen = 0;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      control->hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_PAINT) ++seen;
        return CallWindowProcW(previous, h, m, w, l);
      })));
  control->LoadMovie(0, Write(L"m.swf", Frames(1, 0, 0, 255).Plain()));
  EXPECT_EQ(PixelAfterPaint(10, 10), RGB(0, 0, 255));
  EXPECT_EQ(seen, 1);
  std::vector<long> states;
  control->OnReadyStateChange = [&](long s) { states.push_back(s); };
  PumpMessages();
  EXPECT_EQ(states, std::vector<long>{4});
  SetWindowLongPtrW(control->hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
}

}  // namespace

namespace {

TEST_F(ControlTest, AFrameThatChangesNothingRepaintsNothing) {
  Movie m = Frames(0);
  m.tags.pop_back();
  for (const Bytes& t : {Shape(1), Place(1, 1, 0, 0), moviebytes::ShowFrame(), moviebytes::ShowFrame(),
                         Move(1, 200, 0), moviebytes::ShowFrame(), moviebytes::EndTag()})
    m.tags.push_back(t);
  ShowWindow(host.get(), SW_SHOWNOACTIVATE);
  control->LoadMovie(0, Write(L"still.swf", m.Plain()));
  control->Play();
  auto pending = [&] {
    RECT r;
    return GetUpdateRect(control->hWnd(), &r, FALSE) != 0;
  };
  ValidateRect(control->hWnd(), nullptr);
  RunFrames(1);  // frame 1 places and moves nothing
  EXPECT_EQ(control->CurrentFrame(), 1);
  EXPECT_FALSE(pending());
  RunFrames(1);  // frame 2 moves the shape
  EXPECT_EQ(control->CurrentFrame(), 2);
  EXPECT_TRUE(pending());
  ShowWindow(host.get(), SW_HIDE);
}

}  // namespace

namespace {

TEST_F(ControlTest, AHiddenControlAdvancesNoFramesOnItsTimer) {
  control->LoadMovie(0, Write(L"hidden.swf", Frames(5).Plain()));
  control->Play();
  const UINT_PTR frameTimer = flash::kFrameTimer;
  clock.now += 0.25;              // two and a half frames are due
  SendMessageW(control->hWnd(), WM_TIMER, frameTimer, 0);
  EXPECT_EQ(control->CurrentFrame(), 0) << "the host was never shown";
  ShowWindow(host.get(), SW_SHOWNOACTIVATE);
  SendMessageW(control->hWnd(), WM_TIMER, frameTimer, 0);
  EXPECT_GT(control->CurrentFrame(), 0);
  ShowWindow(host.get(), SW_HIDE);
}

}  // namespace
