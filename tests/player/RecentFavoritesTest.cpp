// Recent files and favourite folders without the main window: the list's
// rules, the registry layout, and the menu arrays of the window's own menu
// design as the lists show them.
#include <gtest/gtest.h>
#include <windows.h>

#include "ProgramProcess.h"
#include "TestSupport.h"
#include "platform/forms/Forms.h"
#include "player/FavoriteFolders.h"
#include "player/PlayerMenus.h"
#include "player/RecentFiles.h"
#include "services/RegistryModule.h"
#include "services/Services.h"

using Names = std::vector<std::wstring>;

namespace {

// The recent files over an option set of their own, files in a temporary
// folder, the shell's notices recorded, and a private registry key.
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
  MenuWindow() : Form(L"frmLists", Design()) {}
  forms::ControlArray<forms::Menu>& Items(const wchar_t* name) { return Array<forms::Menu>(name); }

 private:
  static forms::FormArgs Design() {
    forms::FormArgs d;
    d.ClientWidth = 200;
    d.ClientHeight = 100;
    return d;
  }
  void CreateControls() override { AddMenus(player::PlayerMenuDesign()); }
};

// Caption, Tag and enabled state of each element, in index order.
struct Shown {
  std::wstring caption, tag;
  bool enabled, visible;
  bool operator==(const Shown&) const = default;
};
std::vector<Shown> ShownItems(forms::ControlArray<forms::Menu>& items) {
  std::vector<Shown> shown;
  for (forms::Menu* m : items.Elements()) shown.push_back({m->Caption(), m->Tag(), m->Enabled(), m->Visible()});
  return shown;
}

std::wstring Unchanged(const std::wstring& path, long) { return path; }

}  // namespace

TEST(RecentFiles, FiveAtMostNewestFirstAndAFileFoundAgainInOtherCaseMovesUp) {
  RecentRig rig;
  for (const wchar_t* name : {L"1.swf", L"2.swf", L"3.swf", L"4.swf", L"5.swf", L"6.swf"})
    rig.recent.Add(rig.File(name));
  EXPECT_EQ(rig.recent.Files(), (Names{rig.dir.File(L"6.swf"), rig.dir.File(L"5.swf"), rig.dir.File(L"4.swf"),
                                       rig.dir.File(L"3.swf"), rig.dir.File(L"2.swf")}));
  const std::wstring upper = rig.dir.Path() + L"4.SWF";
  rig.recent.Add(upper);
  EXPECT_EQ(rig.recent.Files().front(), upper);
  EXPECT_EQ(rig.recent.Files().size(), 5u);
  EXPECT_EQ(rig.recent.Find(rig.dir.File(L"4.swf")), 0);
  EXPECT_EQ(rig.told.size(), 6u) << "a file moved up is not told again";
}

TEST(RecentFiles, TheHistoryFileIsNeverRecordedAndTheBrowserFollowsTheNewestFile) {
  RecentRig rig;
  rig.options.CurrentFolder = L"C:\\before\\";
  rig.recent.Add(LastPlayedFile);
  EXPECT_TRUE(rig.recent.Files().empty());
  EXPECT_EQ(rig.options.CurrentFolder, L"C:\\before\\");
  CreateDirectoryW(rig.dir.File(L"sub").c_str(), nullptr);
  rig.recent.Add(rig.File(L"sub\\m.swf"));
  EXPECT_EQ(rig.options.CurrentFolder, rig.dir.File(L"sub\\"));
}

TEST(RecentFiles, MissingFilesAreLeftOutOnLoadAndOnSave) {
  RecentRig rig;
  SaveRegString(L"Recent", L"0", rig.File(L"new.swf"));
  SaveRegString(L"Recent", L"1", rig.dir.File(L"gone.swf"));
  SaveRegString(L"Recent", L"2", L"");
  SaveRegString(L"Recent", L"3", rig.File(L"old.swf"));
  rig.recent.Load();
  EXPECT_EQ(rig.recent.Files(), (Names{rig.dir.File(L"new.swf"), rig.dir.File(L"old.swf")}));
  EXPECT_TRUE(rig.told.empty()) << "loading tells the shell nothing";
  DeleteFileW(rig.dir.File(L"new.swf").c_str());
  rig.recent.Save();
  EXPECT_EQ(rig.Slots(), (Names{rig.dir.File(L"old.swf"), L"", L"", L"", L""}));
}

TEST(RecentFiles, WithTheHistoryOffNothingIsRecordedToldOrSaved) {
  RecentRig rig;
  rig.recent.Add(rig.File(L"kept.swf"));
  rig.options.KeepHistory = false;
  rig.recent.Load();
  rig.recent.Add(rig.File(L"private.swf"));
  EXPECT_TRUE(rig.recent.Files().empty());
  EXPECT_EQ(rig.told, Names{rig.dir.File(L"kept.swf")});
  rig.recent.Save();
  EXPECT_EQ(rig.Slots(), Names(5, L""));
  const player::MenuListState menu = rig.recent.Menu(Unchanged, L"No Recent Files");
  EXPECT_FALSE(menu.SeparatorVisible || menu.PlaceholderVisible);
  EXPECT_TRUE(menu.Items.empty());
}

TEST(RecentFiles, LoadingAgainKeepsTheFilesOpenedSinceAndTheMenuKeepsNoStaleItem) {
  RecentRig rig;
  MenuWindow window;
  ASSERT_TRUE(window.Load());
  auto& items = window.Items(L"mnuMRU");
  auto show = [&] {
    player::ShowMenuList(window, L"mnuMRU", L"mnuSepRecent", rig.recent.Menu(Unchanged, L"No Recent Files"));
  };
  show();
  EXPECT_EQ(ShownItems(items), (std::vector<Shown>{{L"No Recent Files", L"", false, true}}));

  for (int i = 0; i < 3; ++i) SaveRegString(L"Recent", std::to_wstring(i), rig.File(std::to_wstring(i) + L".swf"));
  rig.recent.Load();
  const std::wstring opened = rig.File(L"Tom & Jerry.swf");
  rig.recent.Add(opened);
  rig.recent.Load();  // the history stayed on: the registry's older copy is not read again
  show();
  ASSERT_EQ(items.Count(), 4);
  EXPECT_EQ(items[0].Caption(), rig.dir.Path() + L"Tom && Jerry.swf");
  EXPECT_EQ(items[0].Tag(), opened);
  for (forms::Menu* m : items.Elements()) EXPECT_TRUE(m->Enabled() && m->Visible()) << m->Index();
  EXPECT_TRUE(window.FindMenu(L"mnuSepRecent")->Visible());

  rig.options.KeepHistory = false;
  rig.recent.Load();
  show();
  EXPECT_EQ(items.Count(), 1) << "no item of the longer list stays";
  EXPECT_FALSE(items[0].Visible() || window.FindMenu(L"mnuSepRecent")->Visible());
  window.Unload();
}

TEST(FavoriteFolders, KeptOnceWhateverTheCaseOrTrailingBackslash) {
  player::FavoriteFolders favorites;
  favorites.Add(L"C:\\Movies");
  favorites.Add(L"c:\\movies\\");
  favorites.Add(L"C:\\MOVIES");
  favorites.Add(L"D:\\Other\\");
  favorites.Add(L"");
  EXPECT_EQ(favorites.Folders(), (Names{L"C:\\Movies\\", L"D:\\Other\\"}));
  EXPECT_EQ(favorites.Find(L"d:\\other"), 1);
  EXPECT_EQ(favorites.Find(L"E:\\"), -1);
}

TEST(FavoriteFolders, RegistryRoundTripWithNoneEmptyAndLingeringValues) {
  player_test::PrivateProgramKey key;
  player::FavoriteFolders favorites;
  favorites.Add(L"C:\\A & B");
  favorites.Add(L"C:\\Missing");
  favorites.Save();
  EXPECT_EQ(GetRegString(L"Favorites", L"", L""), L"1");
  player::FavoriteFolders read;
  read.Load(true);
  EXPECT_EQ(read.Folders(), (Names{L"C:\\A & B\\", L"C:\\Missing\\"})) << "missing folders stay";

  SaveRegString(L"Favorites", L"2", L"C:\\Lingering\\");
  SaveRegString(L"Favorites", L"0", L"");  // an empty value
  read.Load(true);
  EXPECT_EQ(read.Folders(), Names{L"C:\\Missing\\"});

  player::FavoriteFolders none;
  none.Save();
  EXPECT_EQ(GetRegString(L"Favorites", L"", L""), L"-1");
  read.Load(true);
  EXPECT_TRUE(read.Folders().empty());
  favorites.Load(false);
  EXPECT_TRUE(favorites.Folders().empty());

  MenuWindow window;
  ASSERT_TRUE(window.Load());
  read.Add(L"C:\\A & B");
  player::ShowMenuList(window, L"mnuFavList", L"", read.Menu(Unchanged, L"[ No Favorite Folders ]"));
  EXPECT_EQ(ShownItems(window.Items(L"mnuFavList")),
            (std::vector<Shown>{{L"C:\\A && B\\", L"C:\\A & B\\", true, true}}));
  player::ShowMenuList(window, L"mnuFavList", L"", none.Menu(Unchanged, L"[ No Favorite Folders ]"));
  EXPECT_FALSE(window.Items(L"mnuFavList")[0].Visible());
  window.Unload();
}
