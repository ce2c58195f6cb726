// The item menu's commands, on the path the menu was opened for
// (PopupPath): play, information, conversion, extraction, cut, copy,
// paste, delete and rename. The shell's file operations go through the host.
#pragma once
#include "player/commands/CommandHost.h"

namespace player {

// The playlist's row plays; a browse item becomes a one-entry playlist.
void PlayPopupItem(CommandHost& host);
void ShowPopupItemInfo(CommandHost& host);
// Reads the movie first; one that cannot be read is not offered for saving.
void ConvertPopupItem(CommandHost& host);
void ExtractPopupItem(CommandHost& host);
// Browser only: the path becomes the clipboard's ("path" and two NUL characters).
void CutOrCopyPopupItem(CommandHost& host, bool cut);
// Browser only: the clipboard's files into exactly the folder of the menu.
void PasteIntoPopupItem(CommandHost& host);
void DeletePopupItem(CommandHost& host);
// Asks for a new name: its folder part is dropped and the extension kept;
// a name that is no file name, or that an existing file or folder has, is refused.
void RenamePopupItem(CommandHost& host);

}  // namespace player
