// The user's movie folder ("My Flash"): marked as a system folder so the
// shell reads its "Desktop.ini", which gives it the program's icon and a
// tip. The file's text is written with CR LF lines, in the ANSI code page
// when every character has a form there, else as UTF-16 with a byte-order mark.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace player {

// The four lines of the folder's "Desktop.ini" (CR LF after each).
std::wstring MyFlashDesktopIni();
// The bytes a "Desktop.ini" of that text is written as.
std::vector<uint8_t> DesktopIniBytes(const std::wstring& text);

// Marks the folder (ending in "\") and writes its "Desktop.ini" anew,
// read-only and hidden. Each step that fails is skipped; false when the
// file could not be written (an old one is then kept).
bool MakeMyFlashFolder(const std::wstring& folder);

}  // namespace player
