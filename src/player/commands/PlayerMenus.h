// The main window's menu tree as designed: six top menus with their items,
// captions, shortcuts, design states and Tags, the menu lists' element 0,
// and the two pop-up menus "PopUp" (the movie's) and "PupItem" (an item of
// the playlist or the browse page) as hidden top menus.
#pragma once
#include <vector>

#include "platform/forms/Menu.h"

namespace player {

std::vector<forms::MenuArgs> PlayerMenuDesign();

}  // namespace player
