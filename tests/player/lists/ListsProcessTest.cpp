// The playlist, the remembered history and the recent files in the real
// program: a folder on the command line (and the pane's picture), the next
// start without arguments, a playlist file with a bad entry, playlists that
// name themselves or hold too many entries, six movies handed over by second
// starts (the File menu read inside the running program, and its picture),
// and a favourite folder too long for the screen shortened in the Favorite
// Folders menu (and its picture).
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>

#include "FormsTestSupport.h"
#include "ProgramProcess.h"
#include "TestSupport.h"
#include "base/Handles.h"
#include "base/TextConv.h"
#include "player/commands/MenuList.h"
#include "player/lists/PlaylistFile.h"
#include "services/AppIdentity.h"
#include "services/RegistryModule.h"
#include "services/ShellMod.h"

using namespace player_test;
using Names = std::vector<std::wstring>;

namespace {

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

std::wstring HistoryPath() { return GetSpecialFolder(CSIDL_APPDATA) + L"SWF.zel\\Last Played.swfzel"; }

// The remembered playlist is the user data folder's: kept aside during a test.
class HistoryAside {
 public:
  HistoryAside() : had_(GetFileAttributesW(HistoryPath().c_str()) != INVALID_FILE_ATTRIBUTES) {
    if (had_) saved_ = testing_support::ReadBytes(HistoryPath());
    DeleteFileW(HistoryPath().c_str());
  }
  ~HistoryAside() {
    DeleteFileW(HistoryPath().c_str());
    if (had_) testing_support::WriteBytes(HistoryPath(), saved_);
  }

 private:
  bool had_;
  std::vector<uint8_t> saved_;
};

using testing_support::WaitUntil;

HWND PlaylistBox(HWND main) { return FindChildOfClass(main, L"ListBox"); }

LRESULT Rows(HWND main) {
  HWND box = PlaylistBox(main);
  DWORD_PTR count = 0;
  if (!box || !SendMessageTimeoutW(box, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 3000, &count)) return -1;
  return static_cast<LRESULT>(count);
}

// The File menu's recent items (enabled, caption): those between the
// separator after Export Playlist and the next one.
std::vector<std::pair<bool, std::wstring>> RecentItems(HWND window) {
  std::vector<std::pair<bool, std::wstring>> items;
  int separators = -1;
  for (const std::wstring& line : ProbeMenu(window, 0)) {
    if (line.size() < 4) continue;
    if (line.find(L"E&xport Playlist") != std::wstring::npos) separators = 0;
    if (separators >= 0 && line[2] == L'1') ++separators;
    else if (separators == 1) items.emplace_back(line[0] == L'1', line.substr(4));
  }
  return items;
}

class ListsRun : public ::testing::Test {
 protected:
  void SetUp() override {
    // No first-run set-up and no update check while testing.
    SaveRegString(L"System", L"FirstRun", L"False");
    SaveRegString(L"Update", L"Auto", L"False");
  }
  // A copy of the sample movie under the test's folder (folders on the way made).
  std::wstring Movie(const std::wstring& name) const {
    for (size_t slash = name.find(L'\\'); slash != std::wstring::npos; slash = name.find(L'\\', slash + 1))
      CreateDirectoryW(dir.File(name.substr(0, slash)).c_str(), nullptr);
    const std::wstring sample = testing_support::ProgramDir() + L"Media\\Flash\\sample.swf";
    EXPECT_TRUE(CopyFileW(sample.c_str(), dir.File(name).c_str(), FALSE));
    return dir.File(name);
  }

  PrivateProgramKey key;
  HistoryAside history;
  testing_support::TempDir dir;
};

}  // namespace

TEST_F(ListsRun, AFolderFillsThePlaylistInOrderItsPictureAndTheNextStartShowsItUnplayed) {
  Names expected;
  for (const wchar_t* name : {L"01 Intro.swf", L"02 Menu.swf", L"03 Tom & Jerry.swf", L"04 Clock.swf",
                              L"05 Game.swf", L"06 Banner.swf", L"07 Weather.swf", L"08 Quiz.swf", L"09 Map.swf",
                              L"10 Piano.swf", L"11 Credits.swf", L"sub\\12 Outro.swf"})
    expected.push_back(Movie(std::wstring(L"media\\") + name));
  testing_support::WriteText(dir.File(L"media\\notes.txt"), "not a movie");
  SetFileAttributesW(Movie(L"media\\hidden.swf").c_str(), FILE_ATTRIBUTE_HIDDEN);
  {
    ProgramProcess run(Quoted(dir.File(L"media")));
    HWND main = run.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitForCaption(main, L"SWF.zel - 01 Intro.swf"));
    ASSERT_EQ(Rows(main), 12);
    // The pane tall enough for every row: the first plays, two others selected.
    RECT r{};
    GetWindowRect(main, &r);
    SetWindowPos(main, HWND_TOPMOST, r.left, 0, r.right - r.left, 560, SWP_NOACTIVATE);
    HWND box = PlaylistBox(main);
    SendMessageW(box, LB_SETSEL, FALSE, -1);
    SendMessageW(box, LB_SETSEL, TRUE, 2);
    SendMessageW(box, LB_SETSEL, TRUE, 5);
    EXPECT_TRUE(Answers(main));  // laid out anew at its new size
    EXPECT_TRUE(forms_test::SaveWindowShot(main, testing_support::ProgramDir() + L"playlist.bmp"));
    SetWindowPos(main, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(run.Close());
  }
  EXPECT_EQ(player::ReadPlaylistFile(HistoryPath(), app::kVersionRevision).Entries, expected);
  EXPECT_EQ(GetRegString(L"Recent", L"0", L""), expected[0]);

  ProgramProcess again(L"");
  HWND main = again.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Rows(main) == 12; }));
  // A play the rows had asked for would come before a mark posted after them.
  EXPECT_TRUE(PostedBeforeHandled(PlaylistBox(main)));
  EXPECT_EQ(Caption(main), L"SWF.zel - Browse Media") << "the remembered rows are shown, not played";
  EXPECT_TRUE(again.Close());
}

TEST_F(ListsRun, APlaylistFileGivesItsRealEntriesOnlyAndJoinsTheRecentFiles) {
  const std::wstring tom = Movie(L"Tom & Jerry.swf"), relative = Movie(L"rel\\m.swf");
  std::string tomXml;
  for (wchar_t c : tom) tomXml += c == L'&' ? std::string("&amp;") : std::string(1, static_cast<char>(c));
  const std::wstring list = dir.File(L"list.swfzel");
  // A statement first: played, it would end the program.
  testing_support::WriteText(list, "<?xml version=\"1.0\"?><PLAYLIST build=\"680\"><FILE>/exec Quit</FILE><FILE>" +
                                       tomXml + "</FILE><FILE>rel\\m.swf</FILE></PLAYLIST>");
  ProgramProcess run(Quoted(list));
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(WaitForCaption(main, L"SWF.zel - Tom & Jerry.swf"));
  EXPECT_EQ(Rows(main), 2);
  EXPECT_TRUE(run.Close());
  EXPECT_EQ(GetRegString(L"Recent", L"0", L""), tom);
  EXPECT_EQ(GetRegString(L"Recent", L"1", L""), list);
  EXPECT_EQ(player::ReadPlaylistFile(HistoryPath(), app::kVersionRevision).Entries, (Names{tom, relative}));
}

// A playlist naming itself thirty times, opened at three starts: each start
// shows its window, and the remembered list does not grow.
TEST_F(ListsRun, APlaylistNamingItselfNeitherGrowsTheHistoryNorHoldsTheWindowBack) {
  const std::wstring movie = Movie(L"a.swf");
  std::string text = "<?xml version=\"1.0\"?><PLAYLIST build=\"680\"><FILE>a.swf</FILE>";
  for (int i = 0; i < 30; ++i) text += "<FILE>self.swfzel</FILE>";
  const std::wstring list = dir.File(L"self.swfzel");
  testing_support::WriteText(list, text + "</PLAYLIST>");
  // The remembered list holding the playlist itself, as a start that kept
  // its entries would have left it.
  Names remembered{movie};
  remembered.insert(remembered.end(), 30, list);
  CreateDirectoryW(GetFolderPart(HistoryPath()).c_str(), nullptr);
  ASSERT_TRUE(player::WritePlaylistFile(HistoryPath(), remembered, -1));
  // The playlist double-clicked, then two plain starts from the remembered list.
  for (int start = 1; start <= 3; ++start) {
    SCOPED_TRACE(start);
    ProgramProcess run(start == 1 ? Quoted(list) : L"");
    HWND main = run.WaitForMainWindow(5000);
    ASSERT_NE(main, nullptr) << "no window within 5 s";
    EXPECT_TRUE(WaitForCaption(main, start == 1 ? L"SWF.zel - a.swf" : L"SWF.zel - Browse Media"));
    EXPECT_TRUE(run.Close());
    EXPECT_LT(player::ReadPlaylistFile(HistoryPath(), app::kVersionRevision).Entries.size(), 100u);
  }
}

// A playlist of 100,000 entries: the window shows, and one add takes its first 10,000.
TEST_F(ListsRun, AHugePlaylistShowsTheWindowAndItsFirstTenThousandRows) {
  Movie(L"m0.swf");
  std::string text = "<?xml version=\"1.0\"?><PLAYLIST build=\"680\">";
  for (int i = 0; i < 100000; ++i) text += "<FILE>m" + std::to_string(i) + ".swf</FILE>";
  const std::wstring list = dir.File(L"huge.swfzel");
  testing_support::WriteText(list, text + "</PLAYLIST>");
  ProgramProcess run(Quoted(list));
  HWND main = run.WaitForMainWindow(10000);
  ASSERT_NE(main, nullptr) << "no window within 10 s";
  EXPECT_TRUE(WaitForCaption(main, L"SWF.zel - m0.swf"));
  EXPECT_EQ(Rows(main), 10000);
  EXPECT_TRUE(run.Close());
}

TEST_F(ListsRun, SixMoviesHandedOverLeaveTheLastFiveInTheFileMenuAndItsPicture) {
  const Names names{L"m1.swf", L"m2.swf", L"m3.swf", L"Tom & Jerry.swf", L"m5.swf", L"m6.swf"};
  ProgramProcess first(Quoted(Movie(names[0])));
  HWND main = first.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForCaption(main, L"SWF.zel - " + names[0]));
  for (size_t i = 1; i < names.size(); ++i) {
    ProgramProcess next(Quoted(Movie(names[i])));
    EXPECT_TRUE(next.WaitForExit(10000));
    ASSERT_TRUE(WaitForCaption(main, L"SWF.zel - " + names[i]));
  }
  const auto recent = RecentItems(main);
  ASSERT_EQ(recent.size(), 5u);
  for (size_t i = 0; i < recent.size(); ++i) {
    const std::wstring shown = player::MenuCaptionOf(names[names.size() - 1 - i]);  // newest first, "&&"
    EXPECT_TRUE(recent[i].first) << i;
    EXPECT_EQ(recent[i].second.substr(recent[i].second.size() - std::min(shown.size(), recent[i].second.size())), shown);
  }

  // The File menu opened on them, with the window, for the record.
  SetForegroundWindow(main);
  PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, 0);
  PostMessageW(main, WM_KEYDOWN, VK_DOWN, 0);
  HWND popup = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (popup = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(popup); }));
  EXPECT_TRUE(WaitUntil([&] { return MenuWindowDrawn(popup); }));
  RECT window{}, menu{}, both{};
  GetWindowRect(main, &window);
  GetWindowRect(popup, &menu);
  UnionRect(&both, &window, &menu);
  EXPECT_TRUE(forms_test::SaveScreenArea(both, testing_support::ProgramDir() + L"menu-recent.bmp"));
  PostMessageW(main, WM_CANCELMODE, 0, 0);
  PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(first.Close());
}

TEST_F(ListsRun, AFavouriteFolderTooLongForTheScreenIsShortenedInItsMenu) {
  std::wstring folder = L"C:\\Users\\Public\\Documents\\Flash collection";
  while (folder.size() < 180) folder += L"\\cartoons and games of the years";
  // Its own name alone is wider than the menu's room.
  folder += L"\\the folder whose own name is longer than any menu of the program should ever be wide\\";
  ASSERT_GE(folder.size(), 208u);
  SaveRegString(L"Favorites", L"", L"0");
  SaveRegString(L"Favorites", L"0", folder);
  ProgramProcess run(Quoted(Movie(L"m.swf")));
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForCaption(main, L"SWF.zel - m.swf"));
  SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  const DWORD pid = run.Id();
  auto popups = [pid] {
    std::vector<HWND> shown;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr;) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == pid && IsWindowVisible(w)) shown.push_back(w);
    }
    return shown;
  };
  // Browser (the fourth menu), its eighth item: Favorite Folders, opened.
  SetForegroundWindow(main);
  PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, 0);
  for (WPARAM k : {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN,
                   VK_RIGHT})
    PostMessageW(main, WM_KEYDOWN, k, 0);
  ASSERT_TRUE(WaitUntil([&] { return popups().size() == 2; }));
  std::wstring shown;
  for (const std::wstring& line : ProbeMenu(main, kOpenPopup))
    if (line.find(L"ever be wide\\") != std::wstring::npos) shown = line.substr(8);
  // Its start, "...", its end: shortened in the middle.
  EXPECT_EQ(shown.rfind(L"C:\\Users", 0), 0u) << WideToUtf8(shown);
  EXPECT_NE(shown.find(L"..."), std::wstring::npos) << WideToUtf8(shown);
  EXPECT_LT(shown.size(), 80u) << WideToUtf8(shown);
  const int screen = GetSystemMetrics(SM_CXSCREEN);
  RECT area{};
  GetWindowRect(main, &area);
  for (HWND popup : popups()) {
    RECT r{};
    GetWindowRect(popup, &r);
    EXPECT_LT(r.right - r.left, screen / 2);
    EXPECT_LE(r.right, screen);
    UnionRect(&area, &area, &r);
  }
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<HWND> open = popups();
    return !open.empty() && MenuWindowDrawn(open.front());
  }));
  EXPECT_TRUE(forms_test::SaveScreenArea(area, testing_support::ProgramDir() + L"favorites-long.bmp"));
  PostMessageW(main, WM_CANCELMODE, 0, 0);
  for (int i = 0; i < 3; ++i) PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([&] { return popups().empty(); }));
  EXPECT_TRUE(run.Close());
}
