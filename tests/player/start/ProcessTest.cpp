// The program as a real process: first start, the hand-over of a second
// start, a stale saved handle, two instances with the option off, the saved
// handle after closing, script statements on the command line (every form of
// Quit, runaway statements), a long hand-over, and a movie that is missing.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "FormsTestSupport.h"
#include "platform/flash/FlashTestSupport.h"
#include "platform/flash/RenderMovies.h"
#include "ProgramProcess.h"
#include "TestSupport.h"
#include "base/TextConv.h"
#include "player/start/CommandLine.h"
#include "player/start/SingleInstance.h"

using namespace player_test;

namespace {

std::wstring SampleMovie() { return testing_support::ProgramDir() + L"Media\\Flash\\sample.swf"; }

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// Polls until the movie control shows the movie's stage (its background
// colour) rather than the black of an empty movie area.
bool WaitForStage(HWND window, DWORD timeoutMs = 10000) {
  if (!window) return false;
  return testing_support::WaitUntil([&] {
    RECT r{};
    GetWindowRect(window, &r);
    HDC screen = GetDC(nullptr);
    const COLORREF centre = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ReleaseDC(nullptr, screen);
    return centre != RGB(0, 0, 0) && centre != CLR_INVALID;
  }, timeoutMs);
}

std::wstring HandleText(HWND window) { return std::to_wstring(reinterpret_cast<uintptr_t>(window)); }

class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    // No first-run set-up and no update check while testing.
    SaveSetting(L"System", L"FirstRun", L"False");
    SaveSetting(L"Update", L"Auto", L"False");
  }
  PrivateProgramKey key;
};

}  // namespace

TEST_F(ProgramRun, FirstStartShowsTheMovieAndASecondStartHandsItsMovieOver) {
  testing_support::TempDir temp;
  const std::wstring other = temp.File(L"other movie.swf");
  ASSERT_TRUE(CopyFileW(SampleMovie().c_str(), other.c_str(), FALSE));

  ProgramProcess first(Quoted(SampleMovie()));
  ASSERT_TRUE(first.Started());
  HWND main = first.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(WaitForCaption(main, L"SWF.zel - sample.swf"));
  EXPECT_NE(FindChildOfClass(main, L"MacromediaFlashPlayerActiveX"), nullptr);
  EXPECT_NE(GetMenu(main), nullptr);
  EXPECT_EQ(SavedHandle(), HandleText(main));

  // The picture of the main window for the record, once the movie shows.
  SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  HWND movie = FindChildOfClass(main, L"MacromediaFlashPlayerActiveX");
  EXPECT_TRUE(WaitForStage(movie));
  EXPECT_TRUE(forms_test::SaveWindowShot(main, testing_support::ProgramDir() + L"main-window.bmp"));
  {
    // The skin's bar is stretched across the whole window, which is wider than
    // the bar's picture: one row of its vertical gradient is one colour.
    const auto shot = testing_support::ReadBytes(testing_support::ProgramDir() + L"main-window.bmp");
    ASSERT_GT(shot.size(), 54u);
    const int32_t w = shot[18] | shot[19] << 8 | shot[20] << 16 | shot[21] << 24;
    const int32_t h = shot[22] | shot[23] << 8 | shot[24] << 16 | shot[25] << 24;
    const int bytes = (shot[28] | shot[29] << 8) / 8;
    const size_t stride = (static_cast<size_t>(w) * bytes + 3) / 4 * 4;
    const size_t bottomRow = h > 0 ? 0 : static_cast<size_t>(-h - 1);  // 4 rows above the frame's bottom edge
    auto pixel = [&](int x) {
      const size_t at = 54 + (bottomRow + (h > 0 ? 8 : -8)) * stride + static_cast<size_t>(x) * bytes;
      return at + 2 < shot.size() ? (shot[at] | shot[at + 1] << 8 | shot[at + 2] << 16) : -1;
    };
    ASSERT_GT(w, 700);
    EXPECT_EQ(pixel(w - 100), pixel(320));
  }
  SetWindowPos(main, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  ProgramProcess second(Quoted(other));
  ASSERT_TRUE(second.Started());
  EXPECT_TRUE(second.WaitForExit(5000)) << "the second start must hand over and end";
  EXPECT_TRUE(WaitForCaption(main, L"SWF.zel - other movie.swf"));
  EXPECT_EQ(SavedHandle(), HandleText(main)) << "the second start writes no handle";

  EXPECT_TRUE(first.Close());
  EXPECT_EQ(SavedHandle(), L"0");
}

TEST_F(ProgramRun, AStaleSavedHandleDoesNotStopANewStart) {
  // A window that is gone, and one that is no main window of ours.
  HWND gone = CreateWindowExW(0, L"STATIC", L"SWF.zel - gone", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  for (HWND stale : {gone, GetDesktopWindow()}) {
    SaveSetting(L"Window", L"hWnd", HandleText(stale).c_str());
    ProgramProcess run(Quoted(SampleMovie()));
    HWND main = run.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(SavedHandle(), HandleText(main));
    EXPECT_TRUE(run.Close());
  }
}

TEST_F(ProgramRun, WithOneInstanceOffTwoInstancesRunAndOnlyTheFirstOwnsTheHandle) {
  SaveSetting(L"System", L"OneInstance", L"False");
  ProgramProcess first(Quoted(SampleMovie()));
  HWND one = first.WaitForMainWindow();
  ASSERT_NE(one, nullptr);
  ProgramProcess second(Quoted(SampleMovie()));
  HWND two = second.WaitForMainWindow();
  ASSERT_NE(two, nullptr);
  EXPECT_NE(one, two);
  EXPECT_EQ(SavedHandle(), HandleText(one));
  EXPECT_TRUE(second.Close());
  EXPECT_EQ(SavedHandle(), HandleText(one)) << "the second instance leaves the handle alone";
  EXPECT_TRUE(first.Close());
  EXPECT_EQ(SavedHandle(), L"0");
}

TEST_F(ProgramRun, AScriptStatementOnTheCommandLineRunsAgainstTheWindow) {
  ProgramProcess run(L"/exec SetRepeatMode 2");
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(run.Close());
  EXPECT_EQ(SavedNumber(L"Playback", L"RepeatMode"), 2u);
}

// Every form of Quit ends a first start and a running instance it is handed
// to: typed as they stand, as Wine passes words given from a Unix shell (each
// double quote escaped, a word with blanks in quotes), and inside a loop that
// swallows errors.
TEST_F(ProgramRun, EveryFormOfQuitEndsAFirstStartAndARunningInstance) {
  const wchar_t* lines[] = {L"/exec Quit",
                            L"/exec Quit \"Check\", True",
                            L"/exec Quit \\\"Check\\\", True",
                            L"\"/exec Player.Quit \\\"x\\\", True\"",
                            L"/exec Quit(\\\"x\\\")",
                            L"/exec On Error Resume Next: Do: Quit: Loop"};
  for (const wchar_t* line : lines) {
    SCOPED_TRACE(testing::Message() << WideToUtf8(line));
    {
      ProgramProcess alone(line);
      EXPECT_TRUE(alone.WaitForExit(20000)) << "a first start";
      EXPECT_EQ(alone.ExitCode(), 0u);
    }  // one still running is closed here
    ProgramProcess running(Quoted(SampleMovie()));
    if (!running.WaitForMainWindow()) {
      ADD_FAILURE() << "no window to hand the statement to";
      continue;
    }
    ProgramProcess second(line);
    EXPECT_TRUE(second.WaitForExit(10000));
    EXPECT_TRUE(running.WaitForExit(20000)) << "a running instance handed the statement";
  }
}

// Statements that would keep the window busy for minutes (a zoom repeated
// without end, loops that never end, with and without calls of ours): the
// window takes the next statement and closes as usual.
TEST_F(ProgramRun, ARunawayStatementIsCutShortAndTheWindowGoesOn) {
  const wchar_t* statements[] = {L"ZoomFlash 100, 100000", L"Do: Loop", L"On Error Resume Next: Do: x = 1 / 0: Loop",
                                 L"Do: SetScaleMode 0: Loop"};
  for (const wchar_t* statement : statements) {
    SCOPED_TRACE(testing::Message() << WideToUtf8(statement));
    ProgramProcess run(Quoted(SampleMovie()));
    HWND main = run.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(player::SendHandOver(main, std::wstring(L"/exec ") + statement));
    EXPECT_TRUE(player::SendHandOver(main, L"/exec SetRepeatMode 2"));
    EXPECT_TRUE(run.Close());
    EXPECT_EQ(SavedNumber(L"Playback", L"RepeatMode"), 2u);
    SaveSetting(L"Playback", L"RepeatMode", L"0");
  }
}

// Any local program can hand over a command line of any length: 50,000 names
// go into the playlist quickly, capped.
TEST_F(ProgramRun, AHandOverOfManyNamesIsCappedAndTheWindowAnswers) {
  ProgramProcess run(Quoted(SampleMovie()));
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(player::SendHandOver(main, L"/exec TogglePlaylist True"));
  std::wstring names;
  for (int i = 0; i < 50000; ++i) names += L"m.swf ";
  names += L"last.swf";
  ASSERT_TRUE(player::SendHandOver(main, names));
  HWND list = nullptr;
  testing_support::WaitUntil([&] { return (list = FindChildOfClass(main, L"ListBox")) != nullptr; });
  ASSERT_NE(list, nullptr);
  // The names go in from the message loop after the hand-over has been answered.
  DWORD_PTR count = 0;
  testing_support::WaitUntil([&] {
    if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 200, &count)) count = 0;
    return count == player::kMaxCommandLineNames;
  });
  EXPECT_EQ(count, static_cast<DWORD_PTR>(player::kMaxCommandLineNames));
  EXPECT_TRUE(run.Close());
}

// The browser's and the playlist's operations answer statements: a playlist
// saved by name gets its extension.
TEST_F(ProgramRun, StatementsSaveThePlaylistAndBrowseAFolder) {
  testing_support::TempDir temp;
  ProgramProcess run(Quoted(SampleMovie()));
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(player::SendHandOver(main, L"/exec SavePlaylist \"" + temp.File(L"list") + L"\""));
  EXPECT_TRUE(player::SendHandOver(main, L"/exec BrowseFolder \"" + temp.Path() + L"\", False"));
  EXPECT_TRUE(testing_support::WaitUntil([&] {
    return GetFileAttributesW(temp.File(L"list.swfzel").c_str()) != INVALID_FILE_ATTRIBUTES;
  }, 5000));
  EXPECT_TRUE(WaitForCaption(main, L"SWF.zel - Browse Media", 5000)) << WideToUtf8(Caption(main));
  EXPECT_TRUE(run.Close());
}

TEST_F(ProgramRun, AMissingMovieSaysSoInTheWindow) {
  ProgramProcess run(L"\"C:\\no such folder\\missing movie.swf\"");
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  HWND notice = nullptr;
  testing_support::WaitUntil([&] { return (notice = FindChildWithText(main, L"File Not Found")) != nullptr; }, 5000);
  ASSERT_NE(notice, nullptr);
  EXPECT_NE(FindChildWithText(main, L"missing movie.swf"), nullptr);
  EXPECT_TRUE(run.Close());
}

namespace {

// The colour of a point of the movie's stage (pixels) on the screen, and
// the client point of the movie control that shows it.
POINT StageToClient(HWND movie, int sx, int sy, int stageW, int stageH) {
  RECT client{};
  GetClientRect(movie, &client);
  const double scale = std::min(double(client.right) / stageW, double(client.bottom) / stageH);
  const double left = (client.right - stageW * scale) / 2, top = (client.bottom - stageH * scale) / 2;
  return POINT{static_cast<LONG>(left + sx * scale), static_cast<LONG>(top + sy * scale)};
}

COLORREF ScreenColour(HWND movie, POINT client) {
  ClientToScreen(movie, &client);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, client.x, client.y);
  ReleaseDC(nullptr, screen);
  return c;
}

bool WaitForColour(HWND movie, POINT at, COLORREF colour, DWORD timeoutMs = 15000) {
  return testing_support::WaitUntil([&] { return ScreenColour(movie, at) == colour; }, timeoutMs);
}

// A movie of 400 x 300: a preloader that loops until every frame is loaded,
// then a menu of three buttons made by attachMovie, each going to its page.
std::vector<uint8_t> MenuMovie() {
  using namespace flashtest;
  auto box = [](uint16_t id, uint8_t r, uint8_t g, uint8_t b, int w, int h) {
    rendertest::ShapeBuilder s;
    s.Fill(rendertest::Solid({r, g, b})).Rect(0, 0, w * 20, h * 20, 1);
    return s.Tag(id);
  };
  auto button = [](int n, int x) {
    const std::string name = "b" + std::to_string(n);
    return "push '_x', " + std::to_string(x) + ", '_y', 100, 2; initObject; push " + std::to_string(n) + ", '" + name +
           "', 'btn', 4, '_root'; getVariable; push 'attachMovie'; callMethod; push 'onRelease'; function '' () { "
           "push 'page" + std::to_string(n) + "', 1, '_root'; getVariable; push 'gotoAndStop'; callMethod }; setMember; ";
  };
  moviebytes::Movie m;
  m.version = 7;
  m.rect = moviebytes::Rect(0, 400 * 20, 0, 300 * 20);
  m.rateWhole = 12;
  m.tags = {moviebytes::BackgroundTag(255, 255, 255), box(1, 128, 128, 128, 400, 300), box(2, 0, 0, 255, 80, 40),
            Sprite(3, {Place(1, 2, 0, 0), moviebytes::ShowFrame()}), Export(3, "btn"), box(4, 255, 0, 0, 400, 300),
            box(5, 0, 160, 0, 400, 300), box(6, 255, 255, 0, 400, 300),
            Place(1, 1, 0, 0), moviebytes::ShowFrame(),
            Script("push '_framesloaded'; getVariable; push '_totalframes'; getVariable; less2; not; if ready; "
                   "push 1; gotoFrame2 1; jump done; ready: push 'menu'; gotoFrame2 1; done:"),
            moviebytes::ShowFrame(),
            Label("menu"), Remove(1), Script(button(1, 50) + button(2, 150) + button(3, 250) + "stop"),
            moviebytes::ShowFrame(),
            Label("page1"), Place(1, 4, 0, 0), moviebytes::ShowFrame(),
            Label("page2"), Place(1, 5, 0, 0), moviebytes::ShowFrame(),
            Label("page3"), Place(1, 6, 0, 0), moviebytes::ShowFrame(), moviebytes::EndTag()};
  m.frames = 6;
  return m.Plain();
}

}  // namespace

TEST_F(ProgramRun, AScriptedMovieRunsItsPreloaderThenItsMenuTakesAClick) {
  testing_support::TempDir temp;
  const std::wstring path = temp.File(L"menu.swf");
  ASSERT_TRUE(testing_support::WriteBytes(path, MenuMovie()));
  ProgramProcess run(Quoted(path));
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  HWND movie = FindChildOfClass(main, L"MacromediaFlashPlayerActiveX");
  ASSERT_NE(movie, nullptr);
  const POINT second = StageToClient(movie, 190, 120, 400, 300), page = StageToClient(movie, 200, 250, 400, 300);
  // The preloader lets the menu come: three blue buttons on white.
  EXPECT_TRUE(WaitForColour(movie, second, RGB(0, 0, 255)));
  EXPECT_EQ(ScreenColour(movie, StageToClient(movie, 90, 120, 400, 300)), RGB(0, 0, 255));
  EXPECT_EQ(ScreenColour(movie, page), RGB(255, 255, 255));
  const LPARAM at = MAKELPARAM(second.x, second.y);
  SendMessageW(movie, WM_MOUSEMOVE, 0, at);
  SendMessageW(movie, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(movie, WM_LBUTTONUP, 0, at);
  EXPECT_TRUE(WaitForColour(movie, page, RGB(0, 160, 0))) << "the second button's page";
  EXPECT_TRUE(forms_test::SaveWindowShot(main, testing_support::ProgramDir() + L"scripted-menu.bmp"));
  SetWindowPos(main, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(run.Close());
}
