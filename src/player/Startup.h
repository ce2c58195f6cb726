// The program's start: a second start hands its command line to the running
// instance and ends; the first sets up the services, the language and the
// movie control, loads and shows the main window, then reads the remembered
// playlist and runs the command line (or shows the media browser), and runs
// the message loop.
#pragma once
#include <functional>
#include <string>

namespace player {

// The smallest movie control version the player works with.
inline constexpr int kRequiredFlashVersion = 23;

// Runs the whole program on the command line's tail; returns the exit code.
int RunMain(const std::wstring& commandLine);

// Everything up to (not including) the message loop; false when the program
// ended during start-up (handed over, control missing, a quit in the command
// line's statement).
bool StartUp(const std::wstring& commandLine);

// The first-run set-up: shown at every start until it has completed once.
// The dialog is a seam (none: the set-up counts as completed) that answers
// false when the user leaves the program from it; the start-up then stops
// with nothing written. False from CheckFirstRun means that.
bool CheckFirstRun();
std::function<bool()>& FirstRunDialog();

}  // namespace player
