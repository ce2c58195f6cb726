// The multimedia and browser keys (WM_APPCOMMAND codes) the main window acts
// on, each by the menu command it stands for.
#pragma once
#include <functional>
#include <string>

namespace player {

// The menu item whose Click a command code runs, or nullptr for a code the
// window leaves to the system. Code 7 (browser home) is "" : it browses the
// movie folder rather than clicking an item.
const wchar_t* AppCommandMenu(long command);

// Runs the command through click (a menu item's name) or home (code 7);
// returns whether the code was handled.
bool DispatchAppCommand(long command, const std::function<void(const std::wstring&)>& click,
                        const std::function<void()>& home);

}  // namespace player
