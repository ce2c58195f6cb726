// The global hot keys (what is registered, what each id clicks) and the
// handy keys in every state of the menus, the browse page and Handy Keys.
#include <gtest/gtest.h>

#include "CommandFakes.h"
#include "player/commands/HotKeys.h"

using namespace player_test;

TEST(HotKeys, EighteenCombinationsAreRegisteredInIdOrderAndAllTwentyFiveGiven) {
  std::vector<std::tuple<int, UINT, UINT>> added;
  player::RegisterHotKeys([&](int id, UINT modifiers, UINT key) { added.emplace_back(id, modifiers, key); });
  const std::vector<std::tuple<int, UINT, UINT>> expected = {
      {0, MOD_CONTROL, 'O'},  {1, MOD_CONTROL, 'I'},  {2, MOD_CONTROL, 'Q'},  {3, MOD_CONTROL, 'F'},
      {4, MOD_ALT, VK_RETURN}, {6, MOD_CONTROL, 'T'}, {7, MOD_CONTROL, 'H'},  {8, MOD_CONTROL, 'L'},
      {10, MOD_CONTROL, 'P'}, {11, MOD_CONTROL, 'S'}, {12, MOD_CONTROL, 'N'}, {13, MOD_CONTROL, 'B'},
      {14, MOD_CONTROL, 'U'}, {15, MOD_CONTROL, 'J'}, {16, MOD_CONTROL, 'M'}, {19, MOD_ALT, VK_RIGHT},
      {20, MOD_ALT, VK_LEFT}, {24, MOD_CONTROL, 'K'}};
  EXPECT_EQ(added, expected);
  std::vector<int> removed;
  player::UnregisterHotKeys([&](int id) { removed.push_back(id); });
  EXPECT_EQ(removed.size(), 25u);

  // The editing combinations the window answers itself (forms shift: 1 Shift, 2 Ctrl, 4 Alt).
  const std::tuple<UINT, int, int> editing[] = {{'Z', 2, 9},         {VK_RIGHT, 2, 17},  {VK_LEFT, 2, 18},
                                                {VK_INSERT, 2, 21},  {VK_INSERT, 1, 22}, {VK_DELETE, 1, 23},
                                                {VK_LEFT, 4, -1},    {VK_DELETE, 0, -1}, {'Z', 3, -1}};
  for (const auto& [key, shift, id] : editing) EXPECT_EQ(player::EditingHotKeyId(key, shift), id) << key;
}

TEST(HotKeys, EachIdClicksItsItemWithAndWithoutTheBrowsePage) {
  struct Row {
    long id;
    const wchar_t *movie, *page;
    int index = -1;
  };
  const Row rows[] = {{0, L"mnuOpen", L"mnuOpen"},         {1, L"mnuInfo", L"mnuInfo"},
                      {2, L"mnuExit", L"mnuExit"},         {3, L"mnuFullScreen", L"mnuFullScreen"},
                      {4, L"mnuFullScreen", L"mnuFullScreen"}, {5, L"mnuMenuBar", L"mnuMenuBar"},
                      {6, L"mnuTopMost", L"mnuTopMost"},   {7, L"mnuQLvl", L"mnuQLvl", 0},
                      {8, L"mnuQLvl", L"mnuQLvl", 2},      {9, L"mnuZoom100", L"mnuZoom100"},
                      {10, L"mnuPlay", L"mnuPlay"},        {11, L"mnuStop", L"mnuStop"},
                      {12, L"mnuFFwd", L"mnuFFwd"},        {13, L"mnuRwd", L"mnuRwd"},
                      {14, L"mnuVolumeUp", L"mnuVolumeUp"}, {15, L"mnuVolumeDown", L"mnuVolumeDown"},
                      {16, L"mnuMute", L"mnuMute"},        {17, L"mnuPlayNext", L"mnuBrowseForward"},
                      {18, L"mnuPlayPrev", L"mnuBrowseBack"}, {19, nullptr, L"mnuBrowseForward"},
                      {20, nullptr, L"mnuBrowseBack"},     {21, L"mnuPicture", L"mnuPicture"},
                      {22, L"mnuThumbnail", L"mnuThumbnail"}, {23, L"mnuClearCache", L"mnuClearCache"},
                      {24, L"mnuHandyKeys", L"mnuHandyKeys"}, {25, nullptr, nullptr},
                      {-1, nullptr, nullptr},              {99, nullptr, nullptr}};
  for (const Row& r : rows) {
    for (bool browsed : {false, true}) {
      FakeHost host;
      FakeCommands commands(host);
      host.state.Browsed = browsed;
      player::HotKeyAction(commands, r.id);
      const wchar_t* item = browsed ? r.page : r.movie;
      const std::wstring click = item ? L"Click " + std::wstring(item) + (r.index >= 0 ? L" " + std::to_wstring(r.index) : L"") : L"";
      EXPECT_EQ(host.calls.empty() ? L"" : host.calls.front(), click) << r.id << (browsed ? " page" : " movie");
    }
  }
}

TEST(HotKeys, HandyKeysInEveryStateOfTheMenusThePageAndTheOption) {
  using player::HandyKind;
  // Which test answers a key: 1 while the menus are hidden, 2 on the browse
  // page, 3 with Handy Keys on and no page.
  struct Key {
    long key;
    int test;
    HandyKind kind;
    const wchar_t* item;
  };
  const Key keys[] = {{VK_F1, 1, HandyKind::Click, L"mnuHelpMe"},   {VK_F2, 1, HandyKind::Click, L"mnuMenuBar"},
                      {VK_F3, 1, HandyKind::Click, L"mnuBrowse"},   {VK_F6, 1, HandyKind::Click, L"mnuPlaylist"},
                      {VK_F8, 1, HandyKind::Click, L"mnuHideUI"},   {VK_BACK, 2, HandyKind::LevelUp, nullptr},
                      {VK_ESCAPE, 3, HandyKind::LeaveFullScreen, nullptr},
                      {VK_SPACE, 3, HandyKind::Click, L"mnuPlay"},  {VK_LEFT, 3, HandyKind::Click, L"mnuRwd"},
                      {VK_UP, 3, HandyKind::Click, L"mnuVolumeUp"}, {VK_RIGHT, 3, HandyKind::Click, L"mnuFFwd"},
                      {VK_DOWN, 3, HandyKind::Click, L"mnuVolumeDown"}, {VK_F4, 0, HandyKind::None, nullptr},
                      {VK_F5, 0, HandyKind::None, nullptr},         {VK_F7, 0, HandyKind::None, nullptr},
                      {'A', 0, HandyKind::None, nullptr},          {VK_RETURN, 0, HandyKind::None, nullptr}};
  for (int state = 0; state < 8; ++state) {
    const bool hidden = state & 1, browsed = state & 2, handy = state & 4;
    for (const Key& k : keys) {
      const bool answers = (k.test == 1 && hidden) || (k.test == 2 && browsed) || (k.test == 3 && handy && !browsed);
      const player::HandyCommand c = player::HandyCommandFor(k.key, hidden, browsed, handy);
      EXPECT_EQ(c.Kind, answers ? k.kind : HandyKind::None) << k.key << " state " << state;
      if (answers && k.item) {
        EXPECT_STREQ(c.Item, k.item) << k.key;
      }
    }
  }

  // Through the window's state: Esc leaves full screen while the menus are hidden too.
  FakeHost host;
  FakeCommands commands(host);
  host.SetChecked(L"mnuHandyKeys", true, -1);
  host.SetChecked(L"mnuMenuBar", true, -1);
  player::HandyAction(commands, true, VK_ESCAPE);
  player::HandyAction(commands, true, VK_F2);
  host.state.Browsed = true;
  host.options.CurrentFolder = L"C:\\Movies\\";
  player::HandyAction(commands, false, VK_BACK);
  player::HandyAction(commands, false, VK_SPACE);
  EXPECT_EQ(host.calls, (Calls{L"FullScreen False", L"Click mnuMenuBar", L"MenuVisible False",
                              L"BrowseFolder C:\\Movies\\.."}));
}
