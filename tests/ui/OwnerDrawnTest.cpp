#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "DrawTestSupport.h"
#include "PlainWindow.h"
#include "TestSupport.h"
#include "base/ErrorLog.h"
#include "platform/forms/Forms.h"
#include "services/Services.h"
#include "ui/DrawingModule.h"
#include "ui/OwnerDrawn.h"

using draw_test::Surface;

namespace {

// Empties the owner-drawn menus' caches and puts the main window back after a test.
struct OwnerDrawnState {
  draw_test::PictureFolders pictures;
  draw_test::StyleScope flat{0};
  HWND mainForm = MainForm;
  OwnerDrawnState() { InitMenuCaptionCache(); }
  ~OwnerDrawnState() {
    InitMenuCaptionCache();
    MainForm = mainForm;
  }
};

// A popup item drawn on a w x h surface.
DRAWITEMSTRUCT Item(HDC dc, UINT id, UINT state, int w, int h, ULONG_PTR data = 0, HMENU menu = nullptr) {
  DRAWITEMSTRUCT d{};
  d.CtlType = ODT_MENU;
  d.itemID = id;
  d.itemState = state;
  d.hDC = dc;
  d.rcItem = {0, 0, w, h};
  d.itemData = data;
  d.hwndItem = reinterpret_cast<HWND>(menu);
  return d;
}

// Columns holding pixels of the colour in the rectangle: first and last, -1 when none.
std::pair<int, int> InkColumns(const Surface& s, const RECT& r, COLORREF ink) {
  int first = -1, last = -1;
  for (int x = r.left; x < r.right; ++x)
    for (int y = r.top; y < r.bottom; ++y)
      if (s.Pixel(x, y) == ink) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

int CountPixels(const Surface& s, const RECT& r, COLORREF colour) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += s.Pixel(x, y) == colour;
  return n;
}

// The same 16 x 16 block in two surfaces.
bool SameBlock(const Surface& a, int ax, int ay, const Surface& b, int bx, int by) {
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (a.Pixel(ax + x, ay + y) != b.Pixel(bx + x, by + y)) return false;
  return true;
}

class MenuForm : public forms::Form {
 public:
  MenuForm() : Form(L"frmMenus", Design()) {}
  int fileClicks = 0, aboutClicks = 0;

 private:
  static forms::FormArgs Design() {
    forms::FormArgs d;
    d.ClientWidth = 300;
    d.ClientHeight = 100;
    return d;
  }
  void CreateControls() override {
    forms::MenuArgs file, open, next, about;
    file.Name = L"mnuFile", file.Caption = L"&File";
    open.Name = L"mnuOpen", open.Caption = L"&Open";
    next.Name = L"mnuNext", next.Caption = L"|Next column";
    about.Name = L"mnuAbout", about.Caption = L"&About";
    file.Items = {open, next};
    AddMenus({file, about});
    FindMenu(L"mnuOpen")->OnClick = [this] { ++fileClicks; };
    FindMenu(L"mnuAbout")->OnClick = [this] { ++aboutClicks; };
  }
};

}  // namespace

TEST(OwnerDrawnMenus, MenuBarItemsRenumberedFrom666StillRaiseClickAndKeepTheirSubmenus) {
  OwnerDrawnState state;
  MenuTexts texts;
  MenuForm f;
  ASSERT_TRUE(f.Load());
  MakeMenuBarOwnerDrawn(texts, f);
  HMENU bar = GetMenu(f.hWnd());
  EXPECT_EQ(GetMenuItemID(bar, 1), 667u);
  EXPECT_EQ(LastMenuBarId(f.hWnd()), 667);
  EXPECT_NE(GetSubMenu(bar, 0), nullptr);
  EXPECT_EQ(texts.Captions[MenuCaptionKey(666, f.hWnd())], L"&File");
  EXPECT_TRUE(f.DispatchMenuCommand(667));
  SendMessageW(f.hWnd(), WM_COMMAND, MAKEWPARAM(667, 0), 0);
  EXPECT_EQ(f.aboutClicks, 2);
  MENUITEMINFOW mii{sizeof(mii)};
  mii.fMask = MIIM_FTYPE | MIIM_DATA;
  GetMenuItemInfoW(bar, 1, TRUE, &mii);
  EXPECT_TRUE(mii.fType & MFT_OWNERDRAW);
  EXPECT_EQ(mii.dwItemData, MenuBarItemData);

  // A popup's "|" caption starts a new column and is kept without the "|".
  HMENU popup = GetSubMenu(bar, 0);
  MakePopupOwnerDrawn(texts, popup, f.hWnd(), 0);
  GetMenuItemInfoW(popup, 1, TRUE, &mii);
  EXPECT_TRUE(mii.fType & MFT_MENUBREAK);
  EXPECT_EQ(texts.Captions[MenuCaptionKey(GetMenuItemID(popup, 1), f.hWnd())], L"Next column");
  MakePopupOwnerDrawn(texts, popup, f.hWnd(), 0);  // opened again: the captions stay
  EXPECT_EQ(texts.Captions[MenuCaptionKey(GetMenuItemID(popup, 0), f.hWnd())], L"&Open");
  // A caption changed while owner-drawn, and the captions renewed: the form's texts return.
  f.FindMenu(L"mnuOpen")->SetCaption(L"&Open Movie");
  InitMenuCaptionCache();
  texts = MenuTexts{};
  MakeMenuBarOwnerDrawn(texts, f);
  MakePopupOwnerDrawn(texts, popup, f.hWnd(), 0);
  EXPECT_EQ(texts.Captions[MenuCaptionKey(GetMenuItemID(popup, 0), f.hWnd())], L"&Open Movie");
  EXPECT_EQ(texts.Captions[MenuCaptionKey(666, f.hWnd())], L"&File");
  EXPECT_TRUE(f.DispatchMenuCommand(GetMenuItemID(popup, 0)));
  EXPECT_EQ(f.fileClicks, 1);
  f.Unload();
}

TEST(OwnerDrawnMenus, MeasuredWidthsWithAndWithoutAnAccelerator) {
  OwnerDrawnState state;
  MenuTexts texts;
  PlainWindow w;
  texts.Captions[MenuCaptionKey(1, w.h)] = L"Open\tCtrl+O";
  texts.Captions[MenuCaptionKey(2, w.h)] = L"Open...";
  texts.Captions[MenuCaptionKey(3, w.h)] = L"Ab";
  texts.Captions[MenuCaptionKey(4, w.h)] = L"&View";
  texts.Separators.insert(MenuCaptionKey(5, w.h));
  auto width = [&](const wchar_t* text) {
    ScopedWindowDC dc(w.h);
    ScopedFont font(CreateMenuFont(dc.get(), false));
    ScopedSelect select(dc.get(), font.get());
    SIZE s{};
    GetTextExtentPoint32W(dc.get(), text, lstrlenW(text), &s);
    return s;
  };
  struct Case {
    UINT id;
    ULONG_PTR data;
    long cx;
  } cases[] = {
      {1, 0, width(L"Open Ctrl+O").cx + 26},  // caption, a gap, the accelerator
      {2, 0, width(L"Open...").cx + 56},
      {3, 0, width(L"Ab").cx + 26},
      {4, MenuBarItemData, width(L"&View").cx + 6},
      {9, 0, 26},  // no caption
  };
  for (const Case& c : cases) {
    SIZE size{};
    MeasureMenuItem(texts, w.h, c.id, c.data, size, false);
    EXPECT_EQ(size.cx, c.cx) << c.id;
    EXPECT_EQ(size.cy, width(L"Ab").cy + 6) << c.id;
  }
  SIZE separator{};
  MeasureMenuItem(texts, w.h, 5, 0, separator, false);
  EXPECT_EQ(separator.cy, static_cast<LONG>(MenuSeparatorHeight));
}

// Two windows' menu texts are their own: one's captions, separators and icons
// never show in the other's items.
TEST(OwnerDrawnMenus, TwoWindowsTextsAreIndependent) {
  OwnerDrawnState state;
  MenuForm f;
  ASSERT_TRUE(f.Load());
  MenuTexts first, second;
  MakeMenuBarOwnerDrawn(first, f);
  MakePopupOwnerDrawn(first, GetSubMenu(GetMenu(f.hWnd()), 0), f.hWnd(), 0);
  EXPECT_EQ(first.Captions[MenuCaptionKey(666, f.hWnd())], L"&File");
  EXPECT_TRUE(second.Captions.empty());

  PlainWindow w;
  second.Captions[MenuCaptionKey(1, w.h)] = L"A much longer caption";
  second.Separators.insert(MenuCaptionKey(2, w.h));
  second.Icons[L"A much longer caption"] = L"check";
  first.Captions[MenuCaptionKey(1, w.h)] = L"Ab";
  SIZE shortRow{}, longRow{}, separator{}, plainRow{};
  MeasureMenuItem(first, w.h, 1, 0, shortRow, false);
  MeasureMenuItem(second, w.h, 1, 0, longRow, false);
  MeasureMenuItem(second, w.h, 2, 0, separator, false);
  MeasureMenuItem(first, w.h, 2, 0, plainRow, false);
  EXPECT_LT(shortRow.cx, longRow.cx);
  EXPECT_EQ(separator.cy, static_cast<LONG>(MenuSeparatorHeight));
  EXPECT_EQ(plainRow.cy, shortRow.cy);
  EXPECT_TRUE(first.Icons.empty());
  f.Unload();
}

TEST(OwnerDrawnMenus, TextPlacesBoldDefaultAndEmbossedDisabledItems) {
  OwnerDrawnState state;
  MenuTexts texts;
  PlainWindow w;
  texts.Captions[MenuCaptionKey(10, w.h)] = L"Open\tCtrl+O";
  texts.Captions[MenuCaptionKey(11, w.h)] = L"Settings";
  const int W = 160, H = 22;
  const COLORREF ink = GetSysColor(COLOR_MENUTEXT);
  Surface s(W, H);
  DrawMenuItem(texts, w.h, Item(s.Dc(), 10, 0, W, H));
  auto [first, last] = InkColumns(s, {0, 0, W, H}, ink);
  EXPECT_GE(first, 26);
  EXPECT_LE(first, 28);
  EXPECT_LE(last, W - 11);
  EXPECT_GE(last, W - 14);

  Surface normal(W, H), bold(W, H), disabled(W, H);
  DrawMenuItem(texts, w.h, Item(normal.Dc(), 11, 0, W, H));
  DrawMenuItem(texts, w.h, Item(bold.Dc(), 11, ODS_DEFAULT, W, H));
  DrawMenuItem(texts, w.h, Item(disabled.Dc(), 11, ODS_DISABLED, W, H));
  const RECT text{22, 0, W, H};
  EXPECT_GT(CountPixels(bold, text, ink), CountPixels(normal, text, ink));
  EXPECT_EQ(CountPixels(disabled, text, ink), 0);
  EXPECT_GT(CountPixels(disabled, text, GetSysColor(COLOR_3DSHADOW)), 0);  // the embossed shadow

  // The menu's own default item is bold whatever the drawing state says.
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_OWNERDRAW, 11, nullptr);
  SetMenuDefaultItem(menu, 11, FALSE);
  Surface byMenu(W, H);
  DrawMenuItem(texts, w.h, Item(byMenu.Dc(), 11, 0, W, H, 0, menu));
  EXPECT_EQ(CountPixels(byMenu, text, ink), CountPixels(bold, text, ink));
  DestroyMenu(menu);
}

TEST(Unthemed, MenuCheckMarkIsThePictureWithTheDigit) {
  if (!draw_test::ThemeRun(false)) GTEST_SKIP() << "only in the unthemed child process";
  OwnerDrawnState state;
  MenuTexts texts;
  PlainWindow w;
  MainForm = w.h;
  texts.Captions[MenuCaptionKey(12, w.h)] = L"Loop";
  texts.Icons[L"Loop"] = L"check";
  const int W = 120, H = 20;
  Surface item(W, H), expected(W, H, GetSysColor(COLOR_MENU));
  DrawStyledGradient(expected.Dc(), {0, 0, 20, H}, BlendColors(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNSHADOW), 192),
                     false);
  ASSERT_TRUE(DrawPNG(MenusFolder + L"check1", expected.Dc(), 2, 2, false));
  DrawMenuItem(texts, w.h, Item(item.Dc(), 12, ODS_CHECKED, W, H));
  EXPECT_TRUE(SameBlock(item, 2, 2, expected, 2, 2));
}

TEST(Themed, MenuCheckMarkIsTheStylesAndLeavesTheMainWindowAlone) {
  if (!draw_test::ThemeRun(true)) GTEST_SKIP() << "only in the themed child process";
  OwnerDrawnState state;
  MenuTexts texts;
  PlainWindow main;
  MainForm = main.h;
  texts.Captions[MenuCaptionKey(12, main.h)] = L"Loop";
  texts.Icons[L"Loop"] = L"check";
  const int W = 120, H = 20;
  Surface item(W, H), picture(W, H, GetSysColor(COLOR_MENU));
  DrawPNG(MenusFolder + L"check1", picture.Dc(), 2, 2, false);
  main.seen.clear();
  DrawMenuItem(texts, main.h, Item(item.Dc(), 12, ODS_CHECKED, W, H));
  EXPECT_FALSE(SameBlock(item, 2, 2, picture, 2, 2));
  EXPECT_FALSE(main.Saw(WM_ERASEBKGND) || main.Saw(WM_PRINTCLIENT));
}

namespace {

DRAWITEMSTRUCT Row(HDC dc, UINT id, UINT state, int w) {
  DRAWITEMSTRUCT d{};
  d.CtlType = ODT_LISTBOX;
  d.itemID = id;
  d.itemState = state;
  d.hDC = dc;
  d.rcItem = {0, 0, w, 24};
  return d;
}

}  // namespace

TEST(PlaylistRows, StripedWithThePlayingPictureAMissingFilesNoIconAndNoRowForMinusOne) {
  OwnerDrawnState state;
  testing_support::TempDir dir;
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);  // in the test prefix: a program with an icon of its own
  const std::wstring here = std::wstring(system) + L"\\notepad.exe", gone = dir.File(L"gone.swf");
  const std::vector<std::wstring> rows = {here, gone, here};
  const long playing = 2;
  const int W = 200;
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  Surface even(W, 24, RGB(1, 2, 3)), odd(W, 24, RGB(1, 2, 3)), current(W, 24), none(W, 24, RGB(1, 2, 3));
  DrawPlaylistItem(Row(even.Dc(), 0, 0, W), rows, playing);
  DrawPlaylistItem(Row(odd.Dc(), 1, 0, W), rows, playing);
  EXPECT_EQ(even.Pixel(W - 2, 1), window);
  EXPECT_EQ(odd.Pixel(W - 2, 1), BlendColors(GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_3DHIGHLIGHT), 64));
  EXPECT_TRUE(even.AnyOtherThan({2, 4, 18, 20}, window));  // the file's icon
  EXPECT_FALSE(odd.AnyOtherThan({2, 4, 18, 20}, odd.Pixel(W - 2, 1)));  // a missing file: none
  EXPECT_EQ(rows[1], gone);

  DrawPlaylistItem(Row(current.Dc(), 2, 0, W), rows, playing);
  Surface play(W, 24, window);
  ASSERT_TRUE(DrawPNG(MenusFolder + L"play", play.Dc(), 2, 4, false));
  EXPECT_TRUE(SameBlock(current, 2, 4, play, 2, 4));

  // The focus on an empty list, and a row the list no longer has.
  for (UINT id : {static_cast<UINT>(-1), 3u}) {
    DrawPlaylistItem(Row(none.Dc(), id, ODS_FOCUS, W), rows, playing);
    EXPECT_EQ(none.Pixel(W / 2, 12), window) << static_cast<int>(id);
    EXPECT_TRUE(none.AnyOtherThan({0, 0, W, 1}, window));  // the focus rectangle
  }
}

TEST(PlaylistRows, TheBoxIsBorderlessOwnerDrawnAndCountsThePlaylist) {
  OwnerDrawnState state;
  PlainWindow w;
  HWND list = CreatePlaylistBox(w.h, {0, 0, 200, 100}, 7, 3);
  ASSERT_NE(list, nullptr);
  const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
  EXPECT_TRUE(style & LBS_OWNERDRAWVARIABLE);
  EXPECT_TRUE(style & LBS_NOINTEGRALHEIGHT);
  EXPECT_FALSE(style & (WS_BORDER | LBS_HASSTRINGS));
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
  SyncPlaylistBox(list, 2);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
  DestroyWindow(list);
}

TEST(PlaylistRows, AFileNameIsDrawnAsItStandsWithItsAmpersand) {
  OwnerDrawnState state;
  const int W = 240;
  const COLORREF window = GetSysColor(COLOR_WINDOW), ink = GetSysColor(COLOR_MENUTEXT);
  Surface plain(W, 24, window), amp(W, 24, window);
  DrawPlaylistItem(Row(plain.Dc(), 0, 0, W), {L"C:\\AB.swf"}, -1);
  DrawPlaylistItem(Row(amp.Dc(), 0, 0, W), {L"C:\\A&B.swf"}, -1);
  const auto a = InkColumns(plain, {22, 0, W, 24}, ink), b = InkColumns(amp, {22, 0, W, 24}, ink);
  ASSERT_GE(a.first, 0);
  // As a caption "A&B" would draw "AB" with B underlined: as wide as "AB".
  EXPECT_GT(b.second - b.first, a.second - a.first + 3);
}
