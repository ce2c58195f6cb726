// The information, extractor and favourites windows opened from the running
// program's menus with the keys a user presses, over a playing movie.
#include <gtest/gtest.h>
#include <windows.h>

#include "ProgramProcess.h"
#include "TestSupport.h"
#include "ToolMovies.h"

using namespace player_test;

TEST(InfoToolsProcess, GetInfoTheExtractorAndTheFavouritesManagerOpenFromTheirKeys) {
  PrivateProgramKey key;
  testing_support::TempDir temp;
  const std::wstring movie = temp.File(L"a.swf");  // 550x400, 12 fps, 780 frames
  ASSERT_TRUE(testing_support::WriteBytes(movie, tools_test::MovingBoxMovie(780).Plain()));
  ProgramProcess p(L"\"" + movie + L"\"");
  HWND main = p.WaitForMainWindow();
  ASSERT_NE(main, nullptr);

  ASSERT_TRUE(PressKeys(main, {{VK_CONTROL, 'I'}}));
  HWND info = p.WaitForWindow(L"Info");
  ASSERT_NE(info, nullptr);
  EXPECT_NE(FindChildWithText(info, L"550x400, 12 fps"), nullptr);
  EXPECT_NE(FindChildWithText(info, L"1:05 (780)"), nullptr);
  ASSERT_TRUE(PressKeys(info, {{VK_ESCAPE}}));
  ASSERT_TRUE(WaitForCaption(main, Caption(main)));  // the main window answers again

  const struct {
    std::initializer_list<std::vector<WORD>> keys;
    const wchar_t* caption;
  } windows[] = {{{{VK_MENU, 'T'}, {'E'}}, L"Resource Extractor"}, {{{VK_MENU, 'B'}, {'A'}, {'M'}}, L"Favorite Folders"}};
  for (const auto& w : windows) {
    HWND shown = nullptr;
    for (int attempt = 0; attempt < 3 && !shown; ++attempt) {
      ASSERT_TRUE(PressKeys(main, w.keys));
      shown = p.WaitForWindow(w.caption, 5000);
    }
    ASSERT_NE(shown, nullptr) << w.caption;
    ASSERT_TRUE(PressKeys(shown, {{VK_ESCAPE}}));
  }
}
