// A movie flooding the player with full-screen requests, as a real process:
// the window goes on answering, never changes for requests that cancel out
// within a frame, and the movie's own quit at its end still ends the program.
#include <gtest/gtest.h>
#include <windows.h>

#include "ProgramProcess.h"
#include "TestSupport.h"
#include "platform/flash/FlashTestSupport.h"

using namespace player_test;
using flashtest::ActGetUrl;
using flashtest::DoAction;
using moviebytes::Bytes;

namespace {

// frames frames at 100 a second; each asks for full screen and back ten
// times, and the last asks to quit.
Bytes FloodingMovie(int frames) {
  std::vector<Bytes> flood;
  for (int i = 0; i < 10; ++i) {
    flood.push_back(ActGetUrl("FSCommand:FULLSCREEN", "true"));
    flood.push_back(ActGetUrl("FSCommand:FULLSCREEN", "false"));
  }
  const Bytes each = DoAction(flood);
  moviebytes::Movie m;
  m.rateWhole = 100;
  m.frames = static_cast<uint16_t>(frames);
  m.rect = moviebytes::Rect(0, 320 * 20, 0, 240 * 20);
  m.tags.push_back(moviebytes::BackgroundTag(0x33, 0x66, 0x99));
  for (int i = 0; i < frames; ++i) {
    m.tags.push_back(i + 1 < frames ? each : DoAction({ActGetUrl("FSCommand:QUIT", "")}));
    m.tags.push_back(moviebytes::ShowFrame());
  }
  m.tags.push_back(moviebytes::EndTag());
  return m.Plain();
}

TEST(FullScreenFlood, TheWindowAnswersThroughoutAndNeverChanges) {
  PrivateProgramKey key;
  testing_support::TempDir temp;
  const std::wstring movie = temp.File(L"flood.swf");
  ASSERT_TRUE(testing_support::WriteBytes(movie, FloodingMovie(1000)));
  ProgramProcess run(L"\"" + movie + L"\"");
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  RECT normal{};
  GetWindowRect(main, &normal);
  // Until the movie's last frame quits: every probe is answered (a hung
  // window leaves it unanswered; a few such settle it), and the window keeps
  // its place and size.
  int probes = 0, unanswered = 0, changed = 0;
  while (!run.WaitForExit(100) && probes < 600 && unanswered < 3) {
    ++probes;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) {
      if (!IsWindow(main)) break;  // the quit came
      ++unanswered;
    }
    RECT now{};
    if (GetWindowRect(main, &now) && (IsZoomed(main) || !EqualRect(&now, &normal))) ++changed;
  }
  EXPECT_TRUE(run.WaitForExit(30000)) << "the movie's quit ends the program";
  EXPECT_EQ(unanswered, 0) << "of " << probes << " probes";
  EXPECT_EQ(changed, 0) << "of " << probes << " probes";
}

}  // namespace
