// The main window's two pop-up menus: the movie's ("PopUp") and the item
// menu ("PupItem") of a playlist row, a browse item or the browse page's
// background. ShowPopUp chooses one for the place right-clicked, sets its
// items' states and captions, remembers the path the item commands act on
// (PopupPath) and opens it at the mouse.
#pragma once
#include <string>
#include <vector>

#include "player/commands/CommandHost.h"

namespace player {

// What the item menu's states depend on.
struct ItemMenuFacts {
  bool Playlist = false;   // the playlist's menu, not the browse page's
  bool HasItem = false;    // a row or a browse item (or the page's folder)
  bool IsFolder = false;
  bool Deletable = false;  // a browse item outside the drive list
  size_t ClipboardLength = 0;
  int Selected = -1, Last = -1;  // the playlist's selected row and last row
  bool ExtractorOpen = false;
  bool IsProjector = false;
};
struct ItemMenuState {
  std::wstring Item;
  bool Visible = true, Enabled = true;
};
struct ItemMenu {
  std::vector<ItemMenuState> Items;  // every item of the menu, in its order
  std::wstring DefaultItem;          // drawn bold; "" for none
  bool ProjectorCaption = false;     // Convert reads "Convert EXE to SWF"
};
ItemMenu ItemMenuRules(const ItemMenuFacts& facts);

// overPlayList: the playlist box was clicked; rootSWF: the movie's own
// window was (on the browse page: an item, or the page's background when
// no item is under the mouse).
void ShowPopUp(CommandHost& host, bool overPlayList, bool rootSWF);

}  // namespace player
