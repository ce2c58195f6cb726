// Menus: built from a definition, visibility taking items out of the native
// menu and back in place, menu arrays, and command dispatch that survives
// renumbered command IDs.
#include <gtest/gtest.h>

#include "FormsTestSupport.h"
#include "platform/forms/Forms.h"

using namespace forms;

namespace {

MenuArgs Item(const wchar_t* name, const wchar_t* caption, std::vector<MenuArgs> items = {}, int index = -1) {
  MenuArgs m;
  m.Name = name;
  m.Caption = caption;
  m.Items = std::move(items);
  m.Index = index;
  return m;
}

std::vector<std::wstring> Captions(HMENU menu) {
  std::vector<std::wstring> out;
  int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW mii{sizeof(mii)};
    mii.fMask = MIIM_STRING | MIIM_FTYPE;
    mii.dwTypeData = text;
    mii.cch = 127;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii);
    out.push_back((mii.fType & MFT_SEPARATOR) ? L"-" : text);
  }
  return out;
}

class MenuForm : public Form {
 public:
  MenuForm() : Form(L"frmMenus") {}

 protected:
  void CreateControls() override {
    AddMenus({Item(L"mnuFile", L"&File",
                   {Item(L"mnuOpen", L"&Open...\tCtrl+O"), Item(L"mnuSep1", L"-"), Item(L"mnuExit", L"E&xit")}),
              Item(L"mnuView", L"&View",
                   {Item(L"mnuTopMost", L"Always on &Top"), Item(L"mnuLang", L"&Language",
                                                                 {Item(L"mnuLangList", L"[ No Languages ]", {}, 0)}),
                    Item(L"mnuSepLang", L"-")}),
              Item(L"mnuPopup", L"Popup", {Item(L"mnuCopy", L"&Copy")})});
    FindMenu(L"mnuPopup")->SetVisible(false);  // shown only as a pop-up
  }
};

}  // namespace

TEST(Menus, AreBuiltFromADefinition) {
  MenuForm f;
  ASSERT_TRUE(f.Load());
  ASSERT_EQ(GetMenu(f.hWnd()), f.MenuBar());
  EXPECT_EQ(Captions(f.MenuBar()), (std::vector<std::wstring>{L"&File", L"&View"}));
  Menu* file = f.FindMenu(L"mnuFile");
  EXPECT_EQ(Captions(file->SubMenu()), (std::vector<std::wstring>{L"&Open...\tCtrl+O", L"-", L"E&xit"}));
  EXPECT_TRUE(f.FindMenu(L"mnuSep1")->IsSeparator());
  EXPECT_EQ(f.FindMenu(L"mnuExit")->Parent(), file);
  EXPECT_NE(f.FindMenu(L"mnuPopup")->SubMenu(), nullptr);  // hidden, its items are still there

  Menu* top = f.FindMenu(L"mnuTopMost");
  top->SetChecked(true);
  EXPECT_TRUE(GetMenuState(top->OwnerMenu(), 0, MF_BYPOSITION) & MF_CHECKED);
  top->SetEnabled(false);
  EXPECT_TRUE(GetMenuState(top->OwnerMenu(), 0, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(top->OwnerMenu(), 0, MF_BYPOSITION) & MF_CHECKED);
  top->SetCaption(L"On &Top");
  EXPECT_EQ(Captions(top->OwnerMenu())[0], L"On &Top");
  f.Unload();
}

TEST(Menus, AnInvisibleItemLeavesTheNativeMenuAndReturnsInPlace) {
  MenuForm f;
  ASSERT_TRUE(f.Load());
  HMENU fileMenu = f.FindMenu(L"mnuFile")->SubMenu();
  Menu* sep = f.FindMenu(L"mnuSep1");
  sep->SetVisible(false);
  EXPECT_EQ(Captions(fileMenu), (std::vector<std::wstring>{L"&Open...\tCtrl+O", L"E&xit"}));
  EXPECT_EQ(sep->Position(), -1);
  f.FindMenu(L"mnuOpen")->SetVisible(false);
  EXPECT_EQ(Captions(fileMenu), (std::vector<std::wstring>{L"E&xit"}));
  sep->SetVisible(true);
  f.FindMenu(L"mnuOpen")->SetVisible(true);
  EXPECT_EQ(Captions(fileMenu), (std::vector<std::wstring>{L"&Open...\tCtrl+O", L"-", L"E&xit"}));

  // A hidden top-level menu leaves the bar; with no item left the bar goes.
  f.FindMenu(L"mnuFile")->SetVisible(false);
  EXPECT_EQ(Captions(f.MenuBar()), (std::vector<std::wstring>{L"&View"}));
  f.FindMenu(L"mnuView")->SetVisible(false);
  EXPECT_EQ(GetMenu(f.hWnd()), nullptr);
  f.FindMenu(L"mnuFile")->SetVisible(true);
  EXPECT_EQ(GetMenu(f.hWnd()), f.MenuBar());
  EXPECT_EQ(Captions(f.MenuBar()), (std::vector<std::wstring>{L"&File"}));
  f.Unload();
}

TEST(Menus, MenuArraysLoadAfterTheirLastElement) {
  MenuForm f;
  ASSERT_TRUE(f.Load());
  auto& langs = f.Array<Menu>(L"mnuLangList");
  Menu* lang = f.FindMenu(L"mnuLang");
  std::vector<int> clicked;
  langs.OnClick([&](int index) { clicked.push_back(index); });
  langs[0].SetCaption(L"English - English");
  for (int i = 1; i <= 2; ++i) {
    Menu& m = langs.Load(i);
    EXPECT_FALSE(m.Visible());  // loaded elements start hidden
    m.SetCaption(i == 1 ? L"Deutsch - German" : L"Polski - Polish");
    m.SetVisible(true);
  }
  EXPECT_EQ(Captions(lang->SubMenu()),
            (std::vector<std::wstring>{L"English - English", L"Deutsch - German", L"Polski - Polish"}));
  SendMessageW(f.hWnd(), WM_COMMAND, langs[2].CommandId(), 0);
  SendMessageW(f.hWnd(), WM_COMMAND, langs[0].CommandId(), 0);
  EXPECT_EQ(clicked, (std::vector<int>{2, 0}));
  EXPECT_TRUE(langs.Unload(1));
  EXPECT_EQ(Captions(lang->SubMenu()), (std::vector<std::wstring>{L"English - English", L"Polski - Polish"}));
  f.Unload();
}

TEST(Menus, DispatchSurvivesRenumberedCommandIds) {
  MenuForm f;
  ASSERT_TRUE(f.Load());
  int opens = 0, exits = 0, copies = 0;
  f.FindMenu(L"mnuOpen")->OnClick = [&] { ++opens; };
  f.FindMenu(L"mnuExit")->OnClick = [&] { ++exits; };
  f.FindMenu(L"mnuCopy")->OnClick = [&] { ++copies; };

  SendMessageW(f.hWnd(), WM_COMMAND, f.FindMenu(L"mnuExit")->CommandId(), 0);
  EXPECT_EQ(exits, 1);
  // Items of a hidden top-level menu (used as a pop-up) are found too.
  SendMessageW(f.hWnd(), WM_COMMAND, f.FindMenu(L"mnuCopy")->CommandId(), 0);
  EXPECT_EQ(copies, 1);

  // Someone renumbers the native items (as owner drawing does with the bar).
  HMENU fileMenu = f.FindMenu(L"mnuFile")->SubMenu();
  MENUITEMINFOW mii{sizeof(mii)};
  mii.fMask = MIIM_ID;
  mii.wID = 5000;
  SetMenuItemInfoW(fileMenu, 0, TRUE, &mii);
  mii.wID = 5001;
  SetMenuItemInfoW(fileMenu, 2, TRUE, &mii);
  for (int i = 0; i < GetMenuItemCount(f.MenuBar()); ++i) {
    UINT state = GetMenuState(f.MenuBar(), i, MF_BYPOSITION) & 0xFF;
    HMENU sub = GetSubMenu(f.MenuBar(), i);
    ModifyMenuW(f.MenuBar(), i, MF_BYPOSITION | MF_OWNERDRAW | MF_POPUP | state, reinterpret_cast<UINT_PTR>(sub),
                reinterpret_cast<LPCWSTR>(2));
  }
  SendMessageW(f.hWnd(), WM_COMMAND, 5000, 0);
  SendMessageW(f.hWnd(), WM_COMMAND, 5001, 0);
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(exits, 2);
  // Hiding and showing an item still finds the right one afterwards.
  f.FindMenu(L"mnuOpen")->SetVisible(false);
  SendMessageW(f.hWnd(), WM_COMMAND, 5001, 0);
  EXPECT_EQ(exits, 3);
  // Selection by position (menus that notify by position).
  SendMessageW(f.hWnd(), WM_MENUCOMMAND, 0, reinterpret_cast<LPARAM>(fileMenu));
  EXPECT_EQ(exits, 3);  // position 0 is now the separator
  SendMessageW(f.hWnd(), WM_MENUCOMMAND, 1, reinterpret_cast<LPARAM>(fileMenu));
  EXPECT_EQ(exits, 4);
  EXPECT_FALSE(f.DispatchMenuCommand(4242));
  f.Unload();
}

TEST(Menus, PopupMenuRunsTheChosenItemBeforeReturning) {
  MenuForm f;
  f.Show();
  int copies = 0;
  f.FindMenu(L"mnuCopy")->OnClick = [&] { ++copies; };
  // While the pop-up is open, a timer chooses its first item from the keyboard.
  TimerArgs ta;
  ta.Name = L"tmrChoose";
  ta.Interval = 50;
  Timer& t = f.Add<Timer>(ta);
  t.OnTimer = [&] {
    t.SetEnabled(false);
    PostMessageW(f.hWnd(), WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(f.hWnd(), WM_KEYDOWN, VK_RETURN, 0);
  };
  RECT r;
  GetWindowRect(f.hWnd(), &r);
  f.PopupMenu(*f.FindMenu(L"mnuPopup"), r.left + 20, r.top + 40);
  EXPECT_EQ(copies, 1);
  f.Unload();
}

TEST(Menus, AFormReloadedAfterItsWindowWasDestroyedGetsFreshMenus) {
  MenuForm f;
  ASSERT_TRUE(f.Load());
  f.FindMenu(L"mnuView")->SetVisible(false);
  DestroyWindow(f.hWnd());  // from outside, no Unload
  EXPECT_FALSE(f.IsLoaded());
  EXPECT_EQ(f.MenuBar(), nullptr);
  ASSERT_TRUE(f.Load());
  ASSERT_NE(f.MenuBar(), nullptr);
  EXPECT_EQ(GetMenu(f.hWnd()), f.MenuBar());
  EXPECT_EQ(Captions(f.MenuBar()), (std::vector<std::wstring>{L"&File", L"&View"}));
  int exits = 0;
  f.FindMenu(L"mnuExit")->OnClick = [&] { ++exits; };
  SendMessageW(f.hWnd(), WM_COMMAND, f.FindMenu(L"mnuExit")->CommandId(), 0);
  EXPECT_EQ(exits, 1);
  f.Unload();
  EXPECT_EQ(f.MenuBar(), nullptr);
}
