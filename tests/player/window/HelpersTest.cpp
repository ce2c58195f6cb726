// The window-free helpers of the main window: geometry formulas, the
// application-command table, emptying the cache by mode, and the bounded
// single-instance hand-over with its posted handling.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "player/commands/AppCommands.h"
#include "player/start/CacheFiles.h"
#include "player/window/Geometry.h"
#include "player/window/PostedCalls.h"
#include "player/start/SingleInstance.h"

using player::Frame;

TEST(Geometry, ZoomSizesTheWindowAroundTheMovie) {
  Frame f;
  f.XOffset = 8, f.YOffset = 46;
  SIZE area = player::ZoomArea(550, 400, 200, SIZE{1, 1});
  SIZE window = player::WindowSizeForArea(area, f);
  EXPECT_EQ(window.cx, 1108);
  EXPECT_EQ(window.cy, 846);
  f.MinWidth = 1200, f.MinHeight = 100;  // a skin minimum larger than that wins
  window = player::WindowSizeForArea(area, f);
  EXPECT_EQ(window.cx, 1200);
  EXPECT_EQ(window.cy, 846);
  f = Frame{};
  f.SkinXOffset = 180;  // the playlist pane keeps the movie at its percentage
  window = player::WindowSizeForArea(player::ZoomArea(550, 400, 50, SIZE{}), f);
  EXPECT_EQ(window.cx, 275 + 180);
  EXPECT_EQ(window.cy, 200);
  area = player::ZoomArea(550, 400, 0, SIZE{321, 123});  // 0: the present area
  EXPECT_EQ(area.cx, 321);
  EXPECT_EQ(area.cy, 123);
  area = player::ZoomArea(5, 3, 50, SIZE{});  // 2.5 and 1.5: halves to even
  EXPECT_EQ(area.cx, 2);
  EXPECT_EQ(area.cy, 2);
  POINT at = player::CenteredOrigin(SIZE{1108, 846}, SIZE{1280, 1024});
  EXPECT_EQ(at.x, 86);
  EXPECT_EQ(at.y, 89);
}

TEST(Geometry, AZoomMakesAFewPassesAtMostAndStopsWhenNothingChanges) {
  struct Case {
    long count;
    int changingPasses;  // the passes that still change the window
    int made;
  } cases[] = {{0, 9, 1}, {-5, 9, 1}, {1, 9, 2}, {1, 1, 2}, {1, 0, 1}, {100000, 9, player::kMaxZoomPasses},
               {100000, 2, 3}, {2147483647, 0, 1}};
  for (const Case& c : cases) {
    int changes = c.changingPasses;
    EXPECT_EQ(player::RunZoomPasses(c.count, [&changes] { return changes-- > 0; }), c.made) << c.count;
  }
}

TEST(Geometry, TheMovieControlIsCroppedToTheMovieOnlyInShowAllWithCropOn) {
  RECT r = player::ControlRectInView(800, 400, 640, 480, 0, true);  // 4:3 in 800 x 400
  EXPECT_EQ(r.right - r.left, 533);
  EXPECT_EQ(r.bottom - r.top, 400);
  EXPECT_EQ(r.left, 133);
  r = player::ControlRectInView(400, 800, 640, 480, 0, true);  // taller than the movie
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 300);
  EXPECT_EQ(r.top, 250);
  for (RECT whole : {player::ControlRectInView(800, 400, 640, 480, 0, false),
                     player::ControlRectInView(800, 400, 640, 480, 2, true),
                     player::ControlRectInView(800, 400, 0, 0, 0, true)}) {
    EXPECT_EQ(whole.left, 0);
    EXPECT_EQ(whole.top, 0);
    EXPECT_EQ(whole.right, 800);
    EXPECT_EQ(whole.bottom, 400);
  }
}

TEST(Geometry, KeepingTheAspectChangesTheSideTheDraggedBorderDoesNotOwn) {
  Frame f;
  f.XOffset = 10, f.YOffset = 50;
  RECT r{100, 100, 100 + 10 + 400, 100 + 50 + 100};
  ASSERT_TRUE(player::KeepAspectWhileSizing(r, WMSZ_RIGHT, 400, 300, f));
  EXPECT_EQ(r.bottom, 100 + 300 + 50);  // the right border changes the height
  r = RECT{100, 100, 100 + 10 + 400, 100 + 50 + 600};
  ASSERT_TRUE(player::KeepAspectWhileSizing(r, WMSZ_TOP, 400, 300, f));
  EXPECT_EQ(r.right, 100 + 800 + 10);  // the top border changes the width
  r = RECT{0, 0, 10 + 200, 500};
  ASSERT_TRUE(player::KeepAspectWhileSizing(r, WMSZ_TOPLEFT, 400, 300, f));
  EXPECT_EQ(r.top, 500 - 150 - 50);
  EXPECT_FALSE(player::KeepAspectWhileSizing(r, WMSZ_RIGHT, 0, 300, f));
}

TEST(Geometry, ASavedWindowIsBroughtBackOntoTheWorkArea) {
  const RECT work{0, 0, 1280, 1000};
  struct Case {
    RECT saved, expected;
  } cases[] = {
      {{100, 100, 600, 500}, {100, 100, 600, 500}},
      {{-32000, -32000, -31840, -31972}, {0, 0, 160, 28}},  // saved while minimised, off-screen
      {{1200, 900, 1700, 1300}, {780, 600, 1280, 1000}},
      {{-50, 10, 3000, 2000}, {0, 0, 1280, 1000}},
  };
  for (const Case& c : cases) {
    RECT r = player::ClampToWorkArea(c.saved, work);
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.right, c.expected.right);
    EXPECT_EQ(r.bottom, c.expected.bottom);
  }
}

TEST(AppCommands, EveryHandledCodeRunsItsCommandAndOthersGoToTheSystem) {
  const std::pair<long, const wchar_t*> table[] = {
      {1, L"mnuBrowseBack"}, {2, L"mnuBrowseForward"}, {3, L"mnuBrowse"},     {5, L"mnuBrowse"},
      {6, L"mnuFavManage"},  {7, L""},                 {8, L"mnuMute"},       {9, L"mnuVolumeDown"},
      {10, L"mnuVolumeUp"},  {11, L"mnuPlayNext"},     {12, L"mnuPlayPrev"},  {13, L"mnuStop"},
      {14, L"mnuPlay"},      {16, L"mnuBrowsePick"},   {27, L"mnuHelpMe"},    {30, L"mnuOpen"},
      {32, L"mnuConvert"},   {36, L"mnuItemCopy"},     {37, L"mnuItemCut"},   {38, L"mnuFolderPaste"}};
  std::set<long> handled;
  for (const auto& [code, item] : table) {
    std::wstring clicked = L"?";
    bool home = false;
    EXPECT_TRUE(player::DispatchAppCommand(
        code, [&](const std::wstring& name) { clicked = name; }, [&] { home = true; }))
        << code;
    if (*item) {
      EXPECT_EQ(clicked, item) << code;
    } else {
      EXPECT_TRUE(home) << code;
    }
    handled.insert(code);
  }
  for (long code = 0; code <= 60; ++code) {
    if (handled.count(code)) continue;
    bool acted = false;
    EXPECT_FALSE(player::DispatchAppCommand(
        code, [&](const std::wstring&) { acted = true; }, [&] { acted = true; }))
        << code;
    EXPECT_FALSE(acted) << code;
  }
}

TEST(CacheFiles, EachModeDeletesItsFilesOnly) {
  const std::vector<std::wstring> names = {L"C@#a.swf", L"b.exe", L"c.swf.tmp", L"d.swf.jpg", L"e.txt"};
  struct Case {
    long mode;
    std::set<std::wstring> left;
  } cases[] = {
      {1, {L"d.swf.jpg", L"e.txt"}},
      {2, {}},
      {3, {L"C@#a.swf", L"b.exe", L"c.swf.tmp", L"e.txt"}},
      {0, {L"C@#a.swf", L"b.exe", L"c.swf.tmp", L"d.swf.jpg", L"e.txt"}},
      {7, {L"C@#a.swf", L"b.exe", L"c.swf.tmp", L"d.swf.jpg", L"e.txt"}},
  };
  for (const Case& c : cases) {
    testing_support::TempDir cache;
    for (const auto& n : names) ASSERT_TRUE(testing_support::WriteText(cache.File(n), "x"));
    CreateDirectoryW(cache.File(L"sub").c_str(), nullptr);
    player::ClearCacheFiles(cache.Path(), c.mode);
    std::set<std::wstring> left;
    for (const auto& n : names)
      if (GetFileAttributesW(cache.File(n).c_str()) != INVALID_FILE_ATTRIBUTES) left.insert(n);
    EXPECT_EQ(left, c.left) << c.mode;
    EXPECT_NE(GetFileAttributesW(cache.File(L"sub").c_str()), INVALID_FILE_ATTRIBUTES) << "folders stay";
  }
  testing_support::TempDir empty;
  EXPECT_EQ(player::ClearCacheFiles(empty.Path(), 1), 0);  // nothing to match is no error
}

namespace {

// A window on another thread that never answers while blocked.
struct HungWindow {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND hwnd = nullptr;
  HANDLE thread = nullptr;
  HungWindow() {
    thread = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
          auto* self = static_cast<HungWindow*>(p);
          self->hwnd = CreateWindowExW(0, L"STATIC", L"SWF.zel - hung", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                       nullptr);
          SetEvent(self->ready);
          WaitForSingleObject(self->release, INFINITE);  // busy: no messages handled
          DestroyWindow(self->hwnd);
          return 0;
        },
        this, 0, nullptr);
    WaitForSingleObject(ready, 5000);
  }
  ~HungWindow() {
    SetEvent(release);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    CloseHandle(ready);
    CloseHandle(release);
  }
};

}  // namespace

TEST(HandOver, ABusyReceiverDoesNotHangTheSender) {
  HungWindow busy;
  ASSERT_NE(busy.hwnd, nullptr);
  EXPECT_FALSE(player::SendHandOver(busy.hwnd, L"a.swf", 300));
  EXPECT_FALSE(player::SendHandOver(nullptr, L"a.swf", 300));
}

TEST(PostedCalls, RunFromTheLoopInOrderAfterTheCurrentMessage) {
  std::vector<int> ran;
  player::PostCall([&] { ran.push_back(1); });
  player::PostCall([&] { throw std::runtime_error("one call fails"); });
  player::PostCall([&] { ran.push_back(2); });
  EXPECT_TRUE(ran.empty()) << "nothing runs inside the caller";
  EXPECT_EQ(player::PendingPostedCalls(), 3u);
  MSG msg;
  for (int i = 0; i < 100 && player::PendingPostedCalls() > 0; ++i) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (player::PendingPostedCalls() > 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

TEST(Uninstall, RemovesWhatTheProgramWroteAndNothingElse) {
  testing_support::TempDir root, outside;
  const std::wstring data = root.File(L"SWF.zel\\"), skin = data + L"Skin\\", cache = root.File(L"Cache\\");
  auto exists = [](const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; };
  auto build = [&] {
    for (const std::wstring& folder : {data, skin, skin + L"up\\", cache}) CreateDirectoryW(folder.c_str(), nullptr);
    for (const std::wstring& file : {data + L"browse.xml", data + L"log.html", skin + L"up\\a.bmp", cache + L"m.tmp",
                                     cache + L"m.jpg", outside.File(L"keep.txt")})
      testing_support::WriteBytes(file, {1, 2, 3});
  };
  const player::ProgramData written{cache, data, skin, {data + L"browse.xml", data + L"log.html"}};
  build();
  player::RemoveProgramData(written);
  EXPECT_FALSE(exists(cache));
  EXPECT_FALSE(exists(skin));
  EXPECT_FALSE(exists(data));

  // A link in the skin folder to a folder elsewhere is never followed. (Wine
  // cannot remove a link of the host's file system, so it may stay behind.)
  build();
  const std::wstring link = skin + L"elsewhere";
  if (testing_support::MakeDirectoryLink(link, outside.Path())) {
    player::RemoveProgramData(written);
    EXPECT_TRUE(exists(outside.File(L"keep.txt")));
    EXPECT_FALSE(exists(skin + L"up"));
    testing_support::RemoveDirectoryLink(link);
    RemoveDirectoryW(skin.c_str());
  }

  // A file of the user's own in the data folder keeps the folder.
  CreateDirectoryW(data.c_str(), nullptr);
  testing_support::WriteBytes(data + L"mine.txt", {1});
  player::RemoveProgramData({L"", data, L"", {}});
  EXPECT_TRUE(exists(data + L"mine.txt"));
}
