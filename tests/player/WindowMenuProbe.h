// Reading a running program's menu from a test: a window hook loads the
// probe library (menuprobe.dll, beside the tests) into the program, which
// writes the items of one top menu into memory the test shares with it
// (another process's menus cannot be read from outside under Wine).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace player_test {

struct MenuLine {
  bool enabled = false, separator = false;
  std::wstring caption;  // as the menu holds it ("&&" for "&", "\t" before a shortcut)
};

// The items of top menu number topMenu of the window's menu bar, as shown
// (hidden items are not in the menu); empty when it could not be read.
std::vector<MenuLine> ReadWindowMenu(HWND window, int topMenu);

// The items between the first and the second separator after the item whose
// caption begins with "after" (the File menu's recent files: after
// "E&xport Playlist...").
std::vector<MenuLine> ItemsAfter(const std::vector<MenuLine>& menu, const std::wstring& after);

}  // namespace player_test
