// Program entry: the command line's tail, verbatim, goes to the start-up.
#include <windows.h>

#include "player/CommandLine.h"
#include "player/Startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return player::RunMain(player::CommandLineTail(GetCommandLineW()));
}
