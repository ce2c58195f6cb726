// The program's start: a second start hands its command line to the running
// instance and ends; the first sets up the services, the language and the
// movie control, loads the main window, runs the command line (or shows the
// media browser), shows the window and runs the message loop.
#pragma once
#include <functional>
#include <string>

namespace player {

// The smallest movie control version the player works with.
inline constexpr int kRequiredFlashVersion = 23;

// Runs the whole program on the command line's tail; returns the exit code
// (1 when the start-up failed).
int RunMain(const std::wstring& commandLine);

// How the start-up ended: the program runs (the message loop comes next), it
// ended as asked (handed over, the first-run set-up left, control missing, a
// quit in the command line's statement), or it failed: no window could be
// made, which it says in a message box, on the standard error and in the log.
enum class StartOutcome { Running, Ended, Failed };

// Everything up to (not including) the message loop.
StartOutcome StartUp(const std::wstring& commandLine);

// The first-run set-up: shown at every start until it has completed once.
// The dialog is a seam (none: the set-up counts as completed) that answers
// false when the user leaves the program from it; the start-up then stops
// with nothing written. False from CheckFirstRun means that.
bool CheckFirstRun();
std::function<bool()>& FirstRunDialog();

}  // namespace player
