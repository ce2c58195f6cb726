// The screen saver program: sets up the services it shares with the player
// (folders, cache, COM; the language only for the settings), then runs the
// mode its command line asks for. Nothing escapes as an exception and no
// system error box is shown.
#pragma once
#include <string>

namespace saver {

// Runs the whole program on the arguments after its path; returns the exit code.
int RunScreenSaver(const std::wstring& arguments);

}  // namespace saver
