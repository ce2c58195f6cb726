// The information, extractor and favourites windows opened from the running
// program's menus with the keys a user presses, over a playing movie; a real
// extraction through the program's own message boxes.
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

namespace {

// The program's message box over the extractor (it bears the extractor's
// caption) once it shows a button of that text.
HWND MessageWithButton(const ProgramProcess& p, const std::wstring& button) {
  HWND w = nullptr;
  testing_support::WaitUntil([&] {
    w = p.WaitForWindow(L"Resource Extractor", 0);
    return w && FindChildWithText(w, button);
  });
  return w && FindChildWithText(w, button) ? w : nullptr;
}

}  // namespace

TEST(InfoToolsProcess, TheExtractorMakesAMissingFolderAndSumsUpInItsMessageBoxes) {
  PrivateProgramKey key;
  testing_support::TempDir temp;
  const std::wstring movie = temp.File(L"a.swf"), out = temp.File(L"out");
  ASSERT_TRUE(testing_support::WriteBytes(movie, tools_test::ResourceMovie({3, 7}, {12}).Plain()));
  ProgramProcess p(L"\"" + movie + L"\"");
  HWND main = p.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(PressKeys(main, {{VK_MENU, 'T'}, {'E'}}));
  HWND extractor = p.WaitForWindow(L"Resource Extractor");
  ASSERT_NE(extractor, nullptr);
  HWND dest = FindChildOfClass(extractor, L"Edit");
  ASSERT_NE(dest, nullptr);
  SendMessageW(dest, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(out.c_str()));
  ASSERT_TRUE(PressKeys(extractor, {{VK_RETURN}}));  // Extract

  HWND ask = MessageWithButton(p, L"Create Folder");
  ASSERT_NE(ask, nullptr);
  PostMessageW(FindChildWithText(ask, L"Create Folder"), BM_CLICK, 0, 0);
  HWND done = MessageWithButton(p, L"Show Files");
  ASSERT_NE(done, nullptr);
  PostMessageW(FindChildWithText(done, L"Close"), BM_CLICK, 0, 0);
  for (const wchar_t* file : {L"\\a.swf.3.jpg", L"\\a.swf.7.jpg", L"\\a.swf.12.mp3"})
    EXPECT_NE(GetFileAttributesW((out + file).c_str()), INVALID_FILE_ATTRIBUTES) << file;
}
