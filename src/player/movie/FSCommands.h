// Movies talking to the player: the movie control's FSCommand and OnGetURL
// events. Any movie may ask for full screen, to open an address and to
// quit, obeyed only while the "FSCommand" option is on; opening anything
// but a web or mail address asks the user first. The program's own words
// (the browse page's, the log and message words) act only for the
// program's own pages.
#pragma once
#include <string>

#include "player/movie/PlayerHost.h"

namespace player {

void SWF_FSCommand(PlayerHost& host, const std::wstring& command, const std::wstring& args);

// A movie's get-URL to an address other than "FSCommand:": opened as EXEC
// opens, while the "FSCommand" option is on; "javascript:" never.
void SWF_OnGetURL(PlayerHost& host, const std::wstring& url, const std::wstring& target);

// True for an address EXEC opens without asking: http, https or mailto,
// with no blank, quote or control character in it.
bool IsWebAddress(const std::wstring& target);

}  // namespace player
