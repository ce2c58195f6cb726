// Video and sound in the program as a real process (under Xvfb, no audio
// device): an FLV of a moving pattern changes its picture as it plays, a
// seek to the middle through a second start's /exec shows the middle frame,
// and a movie with a stream sound plays to its end without a sound device.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "ProgramProcess.h"
#include "services/RegistryModule.h"
#include "TestSupport.h"
#include "moviefiles/MovieBytes.h"
#include "platform/flash/media/FlvPlayer.h"

using namespace player_test;

namespace {

std::wstring MediaData(const std::wstring& name) {
  wchar_t root[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"SWFZEL_SOURCE_DIR", root, MAX_PATH);
  return std::wstring(root) + L"\\tests\\platform\\flash\\media\\data\\" + name;
}

COLORREF CentreOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ReleaseDC(nullptr, screen);
  return c;
}

// Polls the window's centre until pred holds; the colour seen last.
template <typename Pred>
COLORREF WaitForCentre(HWND window, Pred pred, DWORD timeoutMs) {
  COLORREF c = CLR_INVALID;
  testing_support::WaitUntil([&] {
    c = CentreOf(window);
    return c != CLR_INVALID && pred(c);
  }, timeoutMs);
  return c;
}

int Distance(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) + std::abs(GetBValue(a) - GetBValue(b));
}

class MediaRun : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [section, name] : {std::pair{L"System", L"FirstRun"}, std::pair{L"Update", L"Auto"}}) {
      const std::wstring key = AppRegistryKey() + L"\\" + section;
      RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, L"False", 12);
    }
  }
  PrivateProgramKey key;
};

// A 12 fps movie of 24 frames (2 s) with a stream block in each, black on a
// white stage until its last frame covers the stage with red.
moviebytes::Bytes StreamSoundMovie() {
  using namespace moviebytes;
  Movie m;
  m.rect = Rect(0, 200 * 20, 0, 150 * 20);
  m.rateWhole = 12;
  m.frames = 24;
  m.tags.push_back(BackgroundTag(255, 255, 255));
  m.tags.push_back(Tag(18, Bytes{0x3C, 0x3C, 0x5B, 0x0E}));  // 8-bit mono 44.1 kHz, 3675 samples a block
  // A solid red rectangle over the stage: one fill, a move to (0,0) and four edges.
  BitWriter w;
  const int W = 200 * 20, H = 150 * 20;
  w.Put(1, 4).Put(0, 4);                                     // fill bits, line bits
  w.Put(0, 1).Put(0, 1).Put(0, 1).Put(1, 1).Put(0, 1).Put(1, 1);  // style change: fill 1, move to
  w.Put(1, 5).Put(0, 1).Put(0, 1).Put(1, 1);                 // move bits 1: (0, 0); fill style 1
  auto edge = [&](int dx, int dy) { w.Put(1, 1).Put(1, 1).Put(14, 4).Put(1, 1).Put(static_cast<uint32_t>(dx) & 0xFFFF, 16).Put(static_cast<uint32_t>(dy) & 0xFFFF, 16); };
  edge(W, 0), edge(0, H), edge(-W, 0), edge(0, -H);
  w.Put(0, 6);
  Bytes body{1, 0};
  Append(body, Rect(0, W, 0, H));
  Append(body, Bytes{1, 0x00, 255, 0, 0, 0});
  Append(body, w.Done());
  m.tags.push_back(Tag(2, body, true));
  for (int i = 0; i < 24; ++i) {
    m.tags.push_back(Tag(19, Bytes(3675, static_cast<uint8_t>(i % 2 ? 140 : 116)), true));
    if (i == 23) m.tags.push_back(Tag(26, Bytes{0x06, 1, 0, 1, 0, 0}));  // PlaceObject2: shape 1 at depth 1
    m.tags.push_back(ShowFrame());
  }
  m.tags.push_back(EndTag());
  return m.Plain();
}

}  // namespace

TEST_F(MediaRun, AVideoPlaysAndSeeksThroughExec) {
  ProgramProcess run(L"\"" + MediaData(L"sorenson.flv") + L"\"");
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  HWND movie = FindChildOfClass(main, L"MacromediaFlashPlayerActiveX");
  ASSERT_NE(movie, nullptr);
  // The first picture, then the picture a second later: the pattern's colours turn.
  const COLORREF first = WaitForCentre(movie, [](COLORREF c) { return c != RGB(0, 0, 0); }, 10000);
  const COLORREF later = WaitForCentre(movie, [&](COLORREF c) { return Distance(c, first) > 30; }, 10000);
  EXPECT_GT(Distance(later, first), 30) << std::hex << first << " " << later;

  // Paused and moved to the middle by later starts: the picture of 2 s.
  flash::media::FlvPlayer player;
  ASSERT_TRUE(player.Open(MediaData(L"sorenson.flv")));
  player.ShowAt(2.0);
  const uint32_t argb = player.Pixels()[static_cast<size_t>(player.Height() / 2) * player.Width() + player.Width() / 2];
  const COLORREF middle = RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
  for (const wchar_t* statement : {L"/exec PauseMedia", L"/exec GoToFrame 0.5"}) {
    ProgramProcess second(statement);
    EXPECT_TRUE(second.WaitForExit(10000));
  }
  const COLORREF shown = WaitForCentre(movie, [&](COLORREF c) { return Distance(c, middle) < 40; }, 10000);
  EXPECT_LT(Distance(shown, middle), 40) << std::hex << shown << " " << middle;
  SetWindowPos(main, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(run.Close());
}

TEST_F(MediaRun, AStreamSoundMoviePlaysToItsEndWithoutASoundDevice) {
  testing_support::TempDir dir;
  const std::wstring path = dir.File(L"stream.swf");
  ASSERT_TRUE(testing_support::WriteBytes(path, StreamSoundMovie()));
  ProgramProcess run(L"\"" + path + L"\"");
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  HWND movie = FindChildOfClass(main, L"MacromediaFlashPlayerActiveX");
  ASSERT_NE(movie, nullptr);
  const COLORREF white = WaitForCentre(movie, [](COLORREF c) { return c == RGB(255, 255, 255); }, 15000);
  ASSERT_EQ(white, RGB(255, 255, 255));
  // Two seconds of movie: the missing device does not stall it short of its last frame.
  const COLORREF end = WaitForCentre(movie, [](COLORREF c) { return c == RGB(255, 0, 0); }, 20000);
  EXPECT_EQ(end, RGB(255, 0, 0)) << "the last frame never came";
  SetWindowPos(main, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(run.Close());
}
