// Owner drawing of the main window's menus (menu bar and every popup) and of its
// playlist list box, in the program's visual style, font and icons. The window's
// CFormEvents hook hands the messages over (see InstallOwnerDrawHooks): popups
// become owner-drawn as they open, items are measured and drawn here with the
// MenuTexts their window keeps. Each item or row is drawn off-screen and copied
// to the screen in one step; pictures and sizes drawn once are kept for all.
#pragma once
#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct OwnerDrawHandlers;
namespace forms {
class Form;
}

// What the owner-drawn menus of a window show, kept by that window.
struct MenuTexts {
  // Captions of owner-drawn items by MenuCaptionKey; text after a Tab is the
  // accelerator shown on the right.
  std::map<std::wstring, std::wstring> Captions;
  // Separators among the owner-drawn items, by the same key.
  std::set<std::wstring> Separators;
  // Icon names by caption (without accelerator): pictures of the menus folder
  // without ".png"; "check" and "radio" draw the item's check state.
  std::map<std::wstring, std::wstring> Icons;
};
constexpr UINT FirstMenuBarId = 666;
// Command ID of the last item of the window's owner-drawn menu bar (menu-bar
// items are numbered from 666); FirstMenuBarId - 1 without a bar.
long LastMenuBarId(HWND window);
// Item data that marks a menu-bar item.
constexpr ULONG_PTR MenuBarItemData = 2;
// Height of an owner-drawn separator.
constexpr UINT MenuSeparatorHeight = 8;

std::wstring MenuCaptionKey(UINT id, HWND window);
// Empties the menus' pictures read, the items drawn and the sizes measured so far.
void InitMenuCaptionCache();
// Every item of the form's menu bar becomes owner-drawn, numbered 666 onwards
// (the form finds its items by position, so their Click still arrives). The
// captions of a form's items are read from the form, also when already owner-drawn.
void MakeMenuBarOwnerDrawn(MenuTexts& texts, forms::Form& form);
// All items of a popup (position < 1) or only the one at position. A caption
// starting with "|" starts a new column and loses the "|". Items of a form's
// menus take the caption and shortcut the form's item has now.
void MakePopupOwnerDrawn(MenuTexts& texts, HMENU menu, HWND window, int position);
// Width and height of a menu item's row.
void MeasureMenuItem(const MenuTexts& texts, HWND window, UINT itemID, ULONG_PTR itemData, SIZE& size, bool bold);
// The menu font (the interface font at the menu's metrics); the caller deletes it.
HFONT CreateMenuFont(HDC dc, bool bold);
// appInactive: the program is not the active one (the menu bar's captions grey).
void DrawMenuItem(const MenuTexts& texts, HWND window, const DRAWITEMSTRUCT& item, bool appInactive = false);
// A playlist row of the paths given, the playing one (-1: none) marked; an
// itemID outside them (-1 for the focus on an empty box) paints only the
// background and the focus rectangle.
void DrawPlaylistItem(const DRAWITEMSTRUCT& item, const std::vector<std::wstring>& paths, long playing);
// Routes the menus' owner-draw messages of a hooked window (its hook's
// handlers) here, with texts (which must outlive the handlers); a list box
// draws its rows through its own window's handler.
void InstallOwnerDrawHooks(OwnerDrawHandlers& handlers, MenuTexts& texts);

// The playlist list box: a borderless owner-drawn child of parent with rows of
// variable (24-pixel) height and no strings of its own, as many as the
// playlist's entries; SyncPlaylistBox brings it to a new number of them.
HWND CreatePlaylistBox(HWND parent, const RECT& bounds, int id, long rows);
void SyncPlaylistBox(HWND list, long rows);
