// Recent files and favourite folders without the main window: the lists'
// rules, their registry layout, and the main window's own menu arrays as the
// lists show them.
#include <gtest/gtest.h>
#include <windows.h>

#include "ProgramProcess.h"
#include "TestSupport.h"
#include "platform/forms/Forms.h"
#include "player/lists/FavoriteFolders.h"
#include "player/commands/PlayerMenus.h"
#include "player/lists/RecentFiles.h"
#include "services/RegistryModule.h"
#include "services/Services.h"

using Names = std::vector<std::wstring>;

namespace {

// The recent files over options of their own, the shell's notices recorded,
// files in a temporary folder and the registry key private.
struct RecentRig {
  player_test::PrivateProgramKey key;
  testing_support::TempDir dir;
  player::OptionSet options;
  Names told;
  player::RecentFiles recent{options, [this](const std::wstring& p) { told.push_back(p); }};
  std::wstring savedHistory = LastPlayedFile;

  RecentRig() { LastPlayedFile = dir.File(L"Last Played.swfzel"); }
  ~RecentRig() { LastPlayedFile = savedHistory; }
  std::wstring File(const std::wstring& name) const {
    testing_support::WriteText(dir.File(name), "FWS");
    return dir.File(name);
  }
  Names Slots() const {
    Names slots;
    for (int i = 0; i < 5; ++i) slots.push_back(GetRegString(L"Recent", std::to_wstring(i), L"?"));
    return slots;
  }
};

// A window with the main window's menus.
class MenuWindow : public forms::Form {
 public:
  MenuWindow() : Form(L"frmLists", {}) {}
  forms::ControlArray<forms::Menu>& Items(const wchar_t* name) { return Array<forms::Menu>(name); }

 private:
  void CreateControls() override { AddMenus(player::PlayerMenuDesign()); }
};

std::wstring AsItIs(const std::wstring& path, long) { return path; }

}  // namespace

TEST(RecentFiles, FiveNewestFirstAFileFoundAgainInOtherCaseMovesUpAndTheHistoryFileNever) {
  RecentRig rig;
  rig.options.CurrentFolder = L"C:\\before\\";
  rig.recent.Add(LastPlayedFile);
  EXPECT_TRUE(rig.recent.Files().empty());
  EXPECT_EQ(rig.options.CurrentFolder, L"C:\\before\\");
  for (const wchar_t* name : {L"1.swf", L"2.swf", L"3.swf", L"4.swf", L"5.swf", L"6.swf"}) rig.recent.Add(rig.File(name));
  rig.recent.Add(rig.dir.Path() + L"4.SWF");
  EXPECT_EQ(rig.recent.Files(), (Names{rig.dir.Path() + L"4.SWF", rig.dir.File(L"6.swf"), rig.dir.File(L"5.swf"),
                                       rig.dir.File(L"3.swf"), rig.dir.File(L"2.swf")}));
  EXPECT_EQ(rig.told.size(), 6u) << "a file moved up is not told again";
  EXPECT_EQ(rig.options.CurrentFolder, rig.dir.Path()) << "the browser follows the newest file";
}

TEST(RecentFiles, MissingFilesAreLeftOutOnLoadAndOnSaveAndWithTheHistoryOffNothingIsKept) {
  RecentRig rig;
  SaveRegString(L"Recent", L"0", rig.File(L"new.swf"));
  SaveRegString(L"Recent", L"1", rig.dir.File(L"gone.swf"));
  SaveRegString(L"Recent", L"3", rig.File(L"old.swf"));
  rig.recent.Load();
  EXPECT_EQ(rig.recent.Files(), (Names{rig.dir.File(L"new.swf"), rig.dir.File(L"old.swf")}));
  DeleteFileW(rig.dir.File(L"new.swf").c_str());
  rig.recent.Save();
  EXPECT_EQ(rig.Slots(), (Names{rig.dir.File(L"old.swf"), L"", L"", L"", L""}));
  EXPECT_TRUE(rig.told.empty()) << "loading tells the shell nothing";

  rig.options.KeepHistory = false;
  rig.recent.Load();
  rig.recent.Add(rig.File(L"private.swf"));
  rig.recent.Save();
  EXPECT_TRUE(rig.recent.Files().empty());
  EXPECT_TRUE(rig.told.empty());
  EXPECT_EQ(rig.Slots(), Names(5, L""));
}

TEST(RecentFiles, TheMenuShowsEnabledItemsOrThePlaceholderAndKeepsNoStaleItem) {
  RecentRig rig;
  MenuWindow window;
  ASSERT_TRUE(window.Load());
  auto& items = window.Items(L"mnuMRU");
  forms::Menu* separator = window.FindMenu(L"mnuSepRecent");
  auto show = [&] {
    player::ShowMenuList(window, L"mnuMRU", L"mnuSepRecent", rig.recent.Menu(AsItIs, L"No Recent Files"));
  };
  show();
  ASSERT_EQ(items.Count(), 1);
  EXPECT_EQ(items[0].Caption(), L"No Recent Files");
  EXPECT_TRUE(items[0].Visible() && !items[0].Enabled());

  for (int i = 0; i < 3; ++i) SaveRegString(L"Recent", std::to_wstring(i), rig.File(std::to_wstring(i) + L".swf"));
  rig.recent.Load();
  const std::wstring opened = rig.File(L"Tom & Jerry.swf");
  rig.recent.Add(opened);
  rig.recent.Load();  // the history stays on: the files opened since stay
  show();
  ASSERT_EQ(items.Count(), 4);
  EXPECT_EQ(items[0].Caption(), rig.dir.Path() + L"Tom && Jerry.swf");
  EXPECT_EQ(items[0].Tag(), opened);
  for (forms::Menu* m : items.Elements()) EXPECT_TRUE(m->Enabled() && m->Visible()) << m->Index();
  EXPECT_TRUE(separator->Visible());

  rig.options.KeepHistory = false;
  rig.recent.Load();
  show();
  EXPECT_EQ(items.Count(), 1) << "no element of the longer list stays";
  EXPECT_FALSE(items[0].Visible() || separator->Visible());
  window.Unload();
}

TEST(FavoriteFolders, KeptOnceWhateverTheCaseOrBackslashAndTheRegistryRoundTrip) {
  player_test::PrivateProgramKey key;
  player::FavoriteFolders favorites;
  for (const wchar_t* folder : {L"C:\\A & B", L"c:\\a & b\\", L"C:\\Missing\\", L""}) favorites.Add(folder);
  EXPECT_EQ(favorites.Folders(), (Names{L"C:\\A & B\\", L"C:\\Missing\\"}));
  EXPECT_EQ(favorites.Find(L"c:\\missing"), 1);
  favorites.Save();
  EXPECT_EQ(GetRegString(L"Favorites", L"", L""), L"1");
  player::FavoriteFolders read;
  read.Load(true);
  EXPECT_EQ(read.Folders(), favorites.Folders()) << "missing folders stay";

  SaveRegString(L"Favorites", L"2", L"C:\\Lingering\\");
  SaveRegString(L"Favorites", L"0", L"");
  read.Load(true);
  EXPECT_EQ(read.Folders(), Names{L"C:\\Missing\\"}) << "empty and lingering values are not favourites";
  player::FavoriteFolders().Save();
  EXPECT_EQ(GetRegString(L"Favorites", L"", L""), L"-1");
  read.Load(true);
  EXPECT_TRUE(read.Folders().empty());

  MenuWindow window;
  ASSERT_TRUE(window.Load());
  player::ShowMenuList(window, L"mnuFavList", L"", favorites.Menu(AsItIs, L"[ No Favorite Folders ]"));
  auto& items = window.Items(L"mnuFavList");
  ASSERT_EQ(items.Count(), 2);
  EXPECT_EQ(items[0].Caption(), L"C:\\A && B\\");
  EXPECT_TRUE(items[0].Enabled() && items[1].Visible());
  favorites.Load(false);
  player::ShowMenuList(window, L"mnuFavList", L"", favorites.Menu(AsItIs, L"[ No Favorite Folders ]"));
  EXPECT_FALSE(items[0].Visible());
  window.Unload();
}
