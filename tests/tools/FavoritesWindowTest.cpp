// The favourites manager: the working list's edits and buttons, and the
// window: OK hands the list to the main window's favourites (duplicates
// collapse), Cancel leaves them, the menu item waits, and its picture.
#include <gtest/gtest.h>
#include <windows.h>

#include "FormsTestSupport.h"
#include "PlayerFakes.h"
#include "ToolsTestSupport.h"
#include "platform/forms/Forms.h"
#include "player/PlayerWindow.h"
#include "tools/frmFavorites.h"

using namespace tools;

namespace {

using Folders = std::vector<std::wstring>;
const Folders kThree = {L"C:\\A\\", L"C:\\B\\", L"C:\\C\\"};

}  // namespace

TEST(FavoritesList, EditsKeepTheSelectionAndTheButtonsFollowIt) {
  struct Case {
    const char* what;
    Folders start;
    int selected;
    std::function<void(FavoritesList&)> edit;
    Folders after;
    int selectedAfter;
    FavoriteButtons buttons;
  };
  const Case cases[] = {
      {"empty", {}, -1, [](FavoritesList&) {}, {}, -1, {false, false, false}},
      {"remove the last", kThree, 2, [](FavoritesList& l) { l.Remove(2); }, {L"C:\\A\\", L"C:\\B\\"}, -1,
       {false, false, false}},
      {"first up", kThree, 0, [](FavoritesList& l) { l.Move(0, -1); }, kThree, 0, {true, false, true}},
      {"last down", kThree, 2, [](FavoritesList& l) { l.Move(2, 1); }, kThree, 2, {true, true, false}},
      {"down", kThree, 0, [](FavoritesList& l) { l.Move(0, 1); }, {L"C:\\B\\", L"C:\\A\\", L"C:\\C\\"}, 1,
       {true, true, true}},
      {"add without a selection", kThree, -1, [](FavoritesList& l) { l.Add(L"D:\\New"); },
       {L"D:\\New\\", L"C:\\A\\", L"C:\\B\\", L"C:\\C\\"}, 0, {true, false, true}},
      {"add after the selection", kThree, 1, [](FavoritesList& l) { l.Add(L"D:\\New\\"); },
       {L"C:\\A\\", L"C:\\B\\", L"D:\\New\\", L"C:\\C\\"}, 2, {true, true, true}},
  };
  for (const Case& c : cases) {
    FavoritesList list(c.start);
    list.Select(c.selected);
    c.edit(list);
    EXPECT_EQ(list.Items(), c.after) << c.what;
    EXPECT_EQ(list.Selected(), c.selectedAfter) << c.what;
    EXPECT_EQ(list.Buttons(), c.buttons) << c.what;
  }
}

namespace {

class Favorites : public ::testing::Test {
 protected:
  void SetUp() override {
    kept_ = player::Player.FavoriteFolderList();
    Give(kThree);
    host.Menu(L"mnuFavorites").enabled = true;
    FavoritesWindow().SetHost(&host);
  }
  void TearDown() override {
    FavoritesWindow().Close();
    FavoritesWindow().SetHost(nullptr);
    Give(kept_);
  }
  static void Give(const Folders& folders) {
    player::Player.LoadFavorites(false);
    for (const std::wstring& f : folders) player::Player.AddFavorite(f);
  }
  frmFavorites& Open() {
    FavoritesWindow().Load();
    return FavoritesWindow();
  }

  tools_test::ProgramState state;
  player_test::FakeHost host;

 private:
  Folders kept_;
};

}  // namespace

TEST_F(Favorites, OkAppliesTheListCancelLeavesTheMenu) {
  frmFavorites& w = Open();
  EXPECT_FALSE(host.Menu(L"mnuFavorites").enabled) << "disabled while open";
  EXPECT_EQ(w.FavList->ListCount(), 3);
  w.FavList->SetListIndex(2);
  EXPECT_TRUE(w.FindControl(L"cbUp")->Enabled());
  EXPECT_EQ(w.FavList->ToolTipText(), L"C:\\C\\");
  w.cbMinus_Click();
  w.cbCancel_Click();
  EXPECT_TRUE(host.Menu(L"mnuFavorites").enabled);
  EXPECT_EQ(player::Player.FavoriteFolderList(), kThree);

  // Two spellings of one folder become one favourite.
  Open();
  w.FavList->SetListIndex(2);
  w.AddFavItem(L"c:\\a");
  w.cbOK_Click();
  EXPECT_EQ(player::Player.FavoriteFolderList(), kThree);

  Open();
  for (int i = 0; i < 3; ++i) w.RemoveFavItem(0);
  w.cbOK_Click();
  EXPECT_TRUE(player::Player.FavoriteFolderList().empty());
}

TEST_F(Favorites, Picture) {
  Give({L"C:\\Users\\Public\\My Flash\\", L"D:\\Games\\Flash Classics\\", L"E:\\Archive\\Cartoons\\"});
  frmFavorites& w = FavoritesWindow();
  SetCursorPos(0, 0);  // no tooltip over the list
  w.Open(0);
  w.FavList->SetListIndex(1);
  forms_test::PumpFor(300);
  EXPECT_TRUE(tools_test::SavePicture(w.hWnd(), L"favorites.bmp"));
}
