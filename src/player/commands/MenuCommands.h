// The command layer of the main window: the Click command of every item of
// its menus and of its two pop-up menus, run by item name. Pop-up items,
// hot keys, handy keys, multimedia keys, skin buttons and the movies' FS
// commands all reach a command through its item, so the items that act only
// while enabled refuse the same way whoever asks.
#pragma once
#include <string>

#include "player/commands/CommandHost.h"

namespace player {

// Runs the command of item (index: the element of a menu array, else -1).
// False when the item has no command: a separator, a sub-menu or an unknown name.
bool RunMenuCommand(CommandHost& host, const std::wstring& item, int index = -1);
bool HasMenuCommand(const std::wstring& item);
// The items whose command does nothing while the item is disabled.
bool ChecksEnabled(const std::wstring& item);

// A click on a skin picture element with that Tag (the element's item index
// in the skin); other Tags do nothing.
void PIC_Click(CommandHost& host, const std::wstring& tag);

// Opens a folder in the shell's file window ("explore", then "open" where
// the shell has no explorer); nothing for "".
void ExploreFolder(CommandHost& host, const std::wstring& folder);

// The address of Help > Support && Feedback.
inline constexpr const wchar_t* kSupportMail = L"support@swfzel.example";

}  // namespace player
