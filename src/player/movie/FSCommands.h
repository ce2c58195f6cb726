// Movies talking to the player: the movie control's FSCommand and OnGetURL
// events. Any movie may ask for full screen, to open an address and to
// quit, obeyed only while the "FSCommand" option is on; opening anything
// but a web or mail address asks the user first, and once the movie has
// read a file of this machine every address is asked about (a movie may
// read local files or reach the network, not both unasked). Addresses are
// judged with the blanks and control characters around them taken off;
// script addresses are never opened. The program's own words (the browse
// page's, the log and message words) act only for the program's own pages.
#pragma once
#include <string>

#include "player/movie/PlayerHost.h"

namespace player {

void SWF_FSCommand(PlayerHost& host, const std::wstring& command, const std::wstring& args);

// A movie's get-URL to an address other than "FSCommand:": opened as EXEC
// opens, while the "FSCommand" option is on; "javascript:" and "vbscript:" never.
void SWF_OnGetURL(PlayerHost& host, const std::wstring& url, const std::wstring& target);

// The address with the blanks and control characters at either end taken off.
std::wstring TrimAddress(const std::wstring& text);
// True for "javascript:" and "vbscript:" addresses (any case).
bool IsScriptAddress(const std::wstring& address);

// True for an address EXEC opens without asking: http, https or mailto,
// with no blank, quote or control character in it.
bool IsWebAddress(const std::wstring& target);

}  // namespace player
