// The screen saver's command line, as the system passes it: "/s" runs full
// screen, "/p <window>" draws a preview inside that window, "/c" or
// "/c:<window>" shows the settings owned by that window. The switch may be
// written "-" or "/", in any case, its window number after a blank or a colon.
// A "/p" whose number names no window (none, 0, negative, too long) is still a
// preview, which ends at once; no argument, or anything else, shows the settings.
#pragma once
#include <windows.h>

#include <string>

namespace saver {

enum class SaverMode { FullScreen, Preview, Settings };

struct SaverCommand {
  SaverMode Mode = SaverMode::Settings;
  HWND Window = nullptr;  // the preview's parent or the settings' owner (none when not given or unusable)
  bool operator==(const SaverCommand&) const = default;
};

SaverCommand ParseSaverCommandLine(const std::wstring& arguments);

// What follows the program's own path in a full command line (GetCommandLineW).
std::wstring SaverArgumentsOf(const std::wstring& commandLine);

}  // namespace saver
