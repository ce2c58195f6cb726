// The tool windows the main window opens by name ("frmOptions", ...). The
// tool windows sit above the player, so the program's entry registers how
// to open each one here; a window not registered is logged as not available.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "moviefiles/SWFInfo.h"

namespace player {

struct GeneratorSettings;

// Opens a tool window: 0 modeless, 1 modal, -1 loaded without showing.
using ToolWindowOpener = std::function<void(int mode)>;

std::map<std::wstring, ToolWindowOpener>& ToolWindows();

// Opens the window registered under name; false when there is none.
bool OpenToolWindow(const std::wstring& name, int mode);

// Opens a tool window over a movie of its own, which it keeps until it closes.
using MovieToolWindowOpener = std::function<void(const SWFInfo& movie, int mode)>;
std::map<std::wstring, MovieToolWindowOpener>& MovieToolWindows();
bool OpenMovieToolWindow(const std::wstring& name, const SWFInfo& movie, int mode);

// The thumbnail generator's run over the settings given (the script's
// Generate); empty until the generator is registered.
std::function<void(const GeneratorSettings&)>& GeneratorRunner();

class ThumbnailProgress;
// The thumbnail progress window for a run of count movies (none registered: runs show nothing).
using ThumbnailProgressOpener = std::function<std::unique_ptr<ThumbnailProgress>(int count)>;
ThumbnailProgressOpener& ThumbnailProgressWindow();

}  // namespace player
