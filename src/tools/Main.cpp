// Program entry: the tool windows are plugged into the player, then the
// command line's tail, verbatim, goes to the start-up.
#include <windows.h>

#include "player/start/CommandLine.h"
#include "player/start/Startup.h"
#include "tools/common/ToolWindows.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  tools::AttachToolWindows();
  return player::RunMain(player::CommandLineTail(GetCommandLineW()));
}
