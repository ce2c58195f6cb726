// The single-instance hand-over: a second start finds the running main window
// by the handle saved in the registry and its caption, and sends it its
// command line with WM_COPYDATA (dwData 0, UTF-16 without terminator).
#pragma once
#include <windows.h>

#include <string>

namespace player {

// How long a second start waits for the running instance to take the text.
inline constexpr UINT kHandOverTimeoutMs = 4000;

// The running instance's main window (the saved "hWnd" whose caption begins
// with the program title and " - "), or null.
HWND FindRunningInstance();

// Sends the text to target. Gives up when the target is hung or does not
// answer within timeoutMs, so a second start never hangs; true when the
// target took the message.
bool SendHandOver(HWND target, const std::wstring& text, UINT timeoutMs = kHandOverTimeoutMs);

}  // namespace player
