// The favourites manager: the working list's edits and buttons, and the
// window: OK hands the list to the main window's favourites (duplicates
// collapse), Cancel leaves them, the menu item waits, a folder too long for
// the list shortened in its middle with the whole path as the tooltip, and
// its picture.
#include <gtest/gtest.h>
#include <windows.h>

#include "FormsTestSupport.h"
#include "PlayerFakes.h"
#include "ToolsTestSupport.h"
#include "platform/forms/Forms.h"
#include "player/window/PlayerWindow.h"
#include "base/TextConv.h"
#include "tools/favorites/frmFavorites.h"
#include "ui/FitText.h"

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

TEST_F(Favorites, AFolderTooLongForTheListIsShortenedInTheMiddleAndItsTooltipHoldsItAll) {
  std::wstring folder = L"C:\\Users\\Public\\Documents\\Flash collection";
  while (folder.size() < 200) folder += L"\\cartoons and games";
  folder += L"\\the last folder\\";
  Give({L"C:\\A\\", folder});
  frmFavorites& w = Open();
  const int room = w.FavList->Width() - 4 - GetSystemMetrics(SM_CXVSCROLL) - 6;
  EXPECT_EQ(w.FavList->List(0), L"C:\\A\\") << "a folder that fits is shown as it is";
  const std::wstring shown = w.FavList->List(1);
  EXPECT_NE(shown.find(L"..."), std::wstring::npos) << WideToUtf8(shown);
  EXPECT_EQ(shown.rfind(L"C:\\Users\\", 0), 0u) << WideToUtf8(shown);
  EXPECT_EQ(shown.substr(shown.size() - 17), L"\\the last folder\\") << WideToUtf8(shown);
  EXPECT_LE(TextSizeIn(*w.FavList, shown).cx, room);
  w.FavList->SetListIndex(1);
  w.FavList_Click();
  EXPECT_EQ(w.FavList->ToolTipText(), folder);
  // The row under the mouse gives its own path.
  RECT row{};
  SendMessageW(w.FavList->hWnd(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  w.FavList_MouseMove(row.left + 4, row.top + 2);
  EXPECT_EQ(w.FavList->ToolTipText(), L"C:\\A\\");
  // OK keeps the whole path.
  w.cbOK_Click();
  EXPECT_EQ(player::Player.FavoriteFolderList(), (Folders{L"C:\\A\\", folder}));
}

TEST_F(Favorites, Picture) {
  Give({L"C:\\Users\\Public\\My Flash\\", L"D:\\Games\\Flash Classics\\", L"E:\\Archive\\Cartoons\\"});
  frmFavorites& w = FavoritesWindow();
  SetCursorPos(0, 0);  // no tooltip over the list
  w.Open(0);
  w.FavList->SetListIndex(1);
  EXPECT_TRUE(forms_test::PumpUntilSettled(w.hWnd()));
  EXPECT_TRUE(tools_test::SavePicture(w.hWnd(), L"favorites.bmp"));
}
