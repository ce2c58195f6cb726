// The tool windows plugged into the player: the main window opens them by
// name, and the start-up shows the first-run set-up.
#pragma once

namespace tools {

// Registers every tool window with the player; the program's entry calls it
// before the start-up.
void AttachToolWindows();

}  // namespace tools
