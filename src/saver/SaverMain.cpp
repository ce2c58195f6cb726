// Program entry of SWF.zel.scr: the command line's tail goes to the screen saver.
#include <windows.h>

#include "saver/SaverCommandLine.h"
#include "saver/SaverProgram.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return saver::RunScreenSaver(saver::SaverArgumentsOf(GetCommandLineW()));
}
