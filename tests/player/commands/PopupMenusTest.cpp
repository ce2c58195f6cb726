// The pop-up menus: the item menu's states for every kind of place, which
// menu a right click opens with what, and the item commands against the
// shell (paste, rename, cut and copy, conversion, the screen saver).
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <set>

#include "CommandFakes.h"
#include "player/commands/PopupMenus.h"

using namespace player_test;
using Names = std::set<std::wstring>;

namespace {

// The items shown, and those shown disabled.
std::pair<Names, Names> Shown(const player::ItemMenu& menu) {
  Names visible, disabled;
  for (const auto& item : menu.Items) {
    if (!item.Visible) continue;
    visible.insert(item.Item);
    if (!item.Enabled) disabled.insert(item.Item);
  }
  return {visible, disabled};
}

player::ItemMenuFacts Facts(bool playlist, bool hasItem, bool folder, bool deletable, size_t clipboard = 0,
                            int selected = -1, int last = 2) {
  player::ItemMenuFacts f;
  f.Playlist = playlist, f.HasItem = hasItem, f.IsFolder = folder, f.Deletable = deletable;
  f.ClipboardLength = clipboard, f.Selected = selected, f.Last = last;
  return f;
}

const Names kPlaylistTools{L"mnuItemShow", L"mnuRemoveAll", L"mnuSepPLopt", L"mnuPLadd", L"mnuPLaddFolder"};
const Names kMovieItems{L"mnuMoviePlay",  L"mnuItemShow",  L"mnuMovieSepPlay", L"mnuMovieInfo",
                        L"mnuMovieConvert", L"mnuMovieExtract", L"mnuMovieSaver", L"mnuSepCut"};
const Names kBrowserEdits{L"mnuItemAdd", L"mnuItemCut", L"mnuItemCopy", L"mnuItemSepDelete", L"mnuItemDelete",
                          L"mnuItemRename"};
const Names kFolderItems{L"mnuFolderBrowse", L"mnuMoviePlay",   L"mnuItemShow",
                         L"mnuFolderGenerator", L"mnuSepCut",   L"mnuFolderPaste"};

Names Join(std::initializer_list<Names> sets) {
  Names all;
  for (const Names& s : sets) all.insert(s.begin(), s.end());
  return all;
}

class Popups : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    host.options.CurrentFolder = temp.File(L"");
  }
  // The browse page lists these; the mouse is over item hover (from 1).
  void Browse(std::vector<player::BrowseItem> items, int hover) {
    host.state.Browsed = true;
    host.state.BrowseItems = std::move(items);
    host.state.HoverItem = hover;
  }
  Calls Run(const std::wstring& item) {
    host.calls.clear();
    player::RunMenuCommand(commands, item);
    return host.calls;
  }
  std::wstring Folder(const std::wstring& name) {
    const std::wstring path = temp.File(name);
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
  }

  FakeCommands commands{host};
};

}  // namespace

TEST(ItemMenuRules, EachPlaceShowsItsItemsAndDefault) {
  struct Case {
    const char* place;
    player::ItemMenuFacts facts;
    Names visible, disabled;
    std::wstring defaultItem;
  };
  auto extractorOpen = Facts(false, true, false, true);
  extractorOpen.ExtractorOpen = true;
  const Case cases[] = {
      {"playlist, nothing selected", Facts(true, false, false, false), kPlaylistTools, {}, L""},
      {"empty playlist", Facts(true, false, false, false, 0, -1, -1), kPlaylistTools, {L"mnuRemoveAll"}, L""},
      {"first row", Facts(true, true, false, false, 0, 0, 2),
       Join({kMovieItems, kPlaylistTools, {L"mnuMoveUp", L"mnuMoveDown", L"mnuRemove"}}), {L"mnuMoveUp"},
       L"mnuMoviePlay"},
      {"middle row", Facts(true, true, false, false, 0, 1, 2),
       Join({kMovieItems, kPlaylistTools, {L"mnuMoveUp", L"mnuMoveDown", L"mnuRemove"}}), {}, L"mnuMoviePlay"},
      {"last row", Facts(true, true, false, false, 0, 2, 2),
       Join({kMovieItems, kPlaylistTools, {L"mnuMoveUp", L"mnuMoveDown", L"mnuRemove"}}), {L"mnuMoveDown"},
       L"mnuMoviePlay"},
      {"a folder in the playlist", Facts(true, true, true, false, 0, 0, 0),
       Join({kPlaylistTools, {L"mnuFolderBrowse", L"mnuFolderGenerator", L"mnuSepCut", L"mnuMoveUp",
                              L"mnuMoveDown", L"mnuRemove"}}),
       {L"mnuMoveUp", L"mnuMoveDown"}, L"mnuFolderBrowse"},
      {"a browsed movie", Facts(false, true, false, true), Join({kMovieItems, kBrowserEdits}), {}, L"mnuMoviePlay"},
      {"the extractor open", extractorOpen, Join({kMovieItems, kBrowserEdits}), {L"mnuMovieExtract"},
       L"mnuMoviePlay"},
      {"a browsed folder", Facts(false, true, true, true), Join({kFolderItems, kBrowserEdits}), {L"mnuFolderPaste"},
       L"mnuFolderBrowse"},
      {"the page's background, clipboard empty", Facts(false, true, true, false),
       Join({kFolderItems, kBrowserEdits}), {L"mnuFolderPaste", L"mnuItemDelete", L"mnuItemRename"},
       L"mnuFolderBrowse"},
      {"the page's background, clipboard filled", Facts(false, true, true, false, 12),
       Join({kFolderItems, kBrowserEdits}), {L"mnuItemDelete", L"mnuItemRename"}, L"mnuFolderBrowse"},
      {"a browse item that cannot be read", Facts(false, false, false, false),
       {L"mnuItemShow", L"mnuItemAdd", L"mnuItemCut", L"mnuItemCopy", L"mnuItemSepDelete", L"mnuItemDelete",
        L"mnuItemRename"},
       {L"mnuItemDelete", L"mnuItemRename"}, L""},
  };
  for (const Case& c : cases) {
    const player::ItemMenu menu = player::ItemMenuRules(c.facts);
    EXPECT_EQ(menu.Items.size(), 24u);
    const auto [visible, disabled] = Shown(menu);
    EXPECT_EQ(visible, c.visible) << c.place;
    EXPECT_EQ(disabled, c.disabled) << c.place;
    EXPECT_EQ(menu.DefaultItem, c.defaultItem) << c.place;
    EXPECT_FALSE(menu.ProjectorCaption) << c.place;
  }
  auto projector = Facts(false, true, false, true);
  projector.IsProjector = true;
  EXPECT_TRUE(player::ItemMenuRules(projector).ProjectorCaption);
}

TEST_F(Popups, TheMovieMenuMirrorsTheQualityAndPlayAndHasNoDefault) {
  host.control.quality = L"Low";
  host.Menu(L"mnuPlay").caption = L"Pause";
  host.Menu(L"mnuConvert").caption = L"Convert EXE to SWF";
  host.state.PopupPath = L"C:\\old.swf";
  host.state.Browsed = true;  // the movie area around the page, not the page itself
  player::ShowPopUp(commands, false, false);
  EXPECT_EQ(host.calls, (Calls{L"ShowMenu PopUp default="}));
  EXPECT_TRUE(host.Checked(L"mnuPopLQ", -1));
  EXPECT_FALSE(host.Checked(L"mnuPopHQ", -1));
  EXPECT_EQ(host.MenuCaption(L"mnuPopPlay"), L"Pause");
  EXPECT_EQ(host.MenuCaption(L"mnuPopConvert"), L"Convert EXE to SWF");
  EXPECT_EQ(host.state.PopupPath, L"");
  host.control.quality = L"High";
  player::ShowPopUp(commands, false, false);
  EXPECT_TRUE(host.Checked(L"mnuPopHQ", -1));
  EXPECT_FALSE(host.Checked(L"mnuPopLQ", -1));
}

TEST_F(Popups, TheItemMenuKnowsItsPlaceAndPath) {
  // The playlist with nothing selected.
  host.playlist = {L"C:\\a.swf", L"C:\\b.swf"};
  player::ShowPopUp(commands, true, false);
  EXPECT_EQ(host.calls.back(), L"ShowMenu PupItem default=");
  EXPECT_EQ(host.state.PopupPath, L"");
  EXPECT_TRUE(host.state.PopupMode);
  commands.selected = 1;
  player::ShowPopUp(commands, true, false);
  EXPECT_EQ(host.calls.back(), L"ShowMenu PupItem default=mnuMoviePlay");
  EXPECT_EQ(host.state.PopupPath, L"C:\\b.swf");
  EXPECT_FALSE(host.Enabled(L"mnuMoveDown"));

  // The browse page: the item under the mouse, its kind; the background; the drive list.
  const std::wstring sub = Folder(L"sub");
  Browse({{L"m", L"C:\\m.swf", 1}, {L"sub", sub, player::kBrowseFolderKind}}, 2);
  player::ShowPopUp(commands, false, true);
  EXPECT_EQ(host.state.PopupItem, 2);
  EXPECT_EQ(host.state.PopupPath, sub);
  EXPECT_EQ(host.calls.back(), L"ShowMenu PupItem default=mnuFolderBrowse");
  EXPECT_TRUE(host.Enabled(L"mnuItemDelete"));
  host.state.HoverItem = 0;
  player::ShowPopUp(commands, false, true);
  EXPECT_EQ(host.state.PopupPath, host.options.CurrentFolder);
  EXPECT_FALSE(host.Enabled(L"mnuItemRename"));
  host.options.CurrentFolder = L":\\";
  Browse({{L"C:", L"C:\\", player::kBrowseFolderKind}}, 1);
  player::ShowPopUp(commands, false, true);
  EXPECT_EQ(host.state.PopupPath, L"C:\\");
  EXPECT_FALSE(host.Enabled(L"mnuItemDelete"));
  EXPECT_FALSE(host.Enabled(L"mnuItemRename"));
  host.state.HoverItem = 7;  // gone from the listing
  player::ShowPopUp(commands, false, true);
  EXPECT_EQ(host.state.PopupPath, L"");
  EXPECT_EQ(host.calls.back(), L"ShowMenu PupItem default=");
}

TEST_F(Popups, AProjectorsConvertCaptionFollowsTheGenericProjectorsOption) {
  const std::wstring exe = WriteProjector(L"game.exe", Frames(3).Plain());
  Browse({{L"game", exe, 2}}, 1);
  for (bool generic : {false, true}) {
    GenericProjectors = generic;
    player::ShowPopUp(commands, false, true);
    EXPECT_EQ(host.MenuCaption(L"mnuMovieConvert"), generic ? L"Convert to EXE" : L"Convert EXE to SWF");
  }
}

TEST_F(Popups, ItemCommandsAgainstTheShell) {
  host.state.Browsed = true;
  const std::wstring dest = Folder(L"dest"), old = WriteMovie(L"old.swf");
  Folder(L"taken");

  // Cut and copy put the path and two NULs on the clipboard, in the browser only.
  host.state.PopupPath = old;
  Run(L"mnuItemCopy");
  EXPECT_EQ(host.state.ClipboardFiles, old + std::wstring(2, L'\0'));
  EXPECT_FALSE(host.state.ClipboardCut);
  Run(L"mnuItemCut");
  EXPECT_TRUE(host.state.ClipboardCut);

  // Paste into exactly the menu's folder, once.
  host.state.PopupPath = dest;
  EXPECT_EQ(Run(L"mnuFolderPaste"), (Calls{L"ShellMove " + old + L"; -> " + dest, L"BrowseMedia"}));
  EXPECT_EQ(host.state.ClipboardFiles, L"");
  EXPECT_TRUE(Run(L"mnuFolderPaste").empty());

  // Rename: the answer's folder is dropped and the extension kept; taken or bad names are refused.
  host.state.PopupPath = old;
  commands.answer = L"sub\\new";
  EXPECT_EQ(Run(L"mnuItemRename"), (Calls{L"AskNewName old", L"ShellRename " + old + L" -> " + temp.File(L"new.swf"),
                                         L"BrowseMedia"}));
  host.state.PopupPath = dest;
  for (const wchar_t* refused : {L"taken", L"..", L"a:b", L"x?", L"", L"dest"}) {
    commands.answer = refused;
    const Calls calls = Run(L"mnuItemRename");
    EXPECT_EQ(calls, (Calls{L"AskNewName dest"})) << refused;
  }
  commands.answer = L"Dest";  // only the letter case changes
  EXPECT_EQ(Run(L"mnuItemRename").size(), 3u);
  EXPECT_TRUE(PathIsDirectoryW(dest.c_str()));

  // Delete asks the shell; a refusal leaves the listing.
  commands.shellWorks = false;
  EXPECT_EQ(Run(L"mnuItemDelete"), (Calls{L"ShellDelete " + dest}));
  host.state.Browsed = false;
  host.state.ClipboardFiles = old + std::wstring(2, L'\0');
  EXPECT_TRUE(Run(L"mnuFolderPaste").empty());
  EXPECT_TRUE(Run(L"mnuItemCopy").empty());
}

TEST_F(Popups, ConvertAndTheScreenSaverGetTheFileTheUserNamed) {
  host.state.PopupPath = Write(L"broken.swf", moviebytes::Text("neither a movie nor a projector"));
  const Calls refused = Run(L"mnuMovieConvert");
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].rfind(L"Message SWF.zel: This movie cannot be converted", 0), 0u) << refused[0];
  host.state.PopupPath = WriteMovie(L"fine.swf");
  EXPECT_EQ(Run(L"mnuMovieConvert"), (Calls{L"ConvertMovie " + host.state.PopupPath}));

  // A projector plays from its movie's copy in the cache; the screen saver gets the projector.
  const std::wstring exe = WriteProjector(L"show.exe", Frames(3).Plain());
  ASSERT_EQ(GetSWFInfo(exe, host.state.CurrentSWFInfo, false), L"");
  ASSERT_NE(host.state.CurrentSWFInfo.Path, exe);
  EXPECT_EQ(Run(L"mnuScreenSaver"), (Calls{L"SetAsSS " + exe}));
  host.state.PopupPath = exe;
  EXPECT_EQ(Run(L"mnuMovieSaver"), (Calls{L"SetAsSS " + exe}));

  // Show in Explorer: "explore", then "open" where the shell has no explorer.
  commands.exploreWorks = false;
  EXPECT_EQ(Run(L"mnuItemShow"), (Calls{L"Shell explore " + temp.File(L""), L"Shell open " + temp.File(L"")}));
}
