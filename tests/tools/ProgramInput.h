// Input to a running program's windows as a user gives it (SendInput), for
// the tests that drive SWF.zel.exe: keys, typed text and mouse clicks.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace player_test {

// Input as a user gives it, through SendInput: the window (of any process) is
// brought to the front first; false when it would not come to the front or
// the input was refused. A chord's keys go down in order and up in reverse
// ({VK_MENU, 'T'} is Alt+T); the chords follow each other.
bool PressKeys(HWND window, std::initializer_list<std::vector<WORD>> chords);
// Types text into the window's focused control (as Unicode key strokes).
bool TypeText(HWND window, const std::wstring& text);
// A left click at a point of the window's client area.
bool ClickAt(HWND window, POINT client);

}  // namespace player_test

