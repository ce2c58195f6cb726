// The two kinds of run: full screen (one at a time, kept by a named mutex)
// and the preview inside another program's window. Both show the recorded
// movie, never write the registry, open no link, start no program and show no
// message box; they return once their window is gone.
#pragma once
#include <windows.h>

namespace saver {

// The mutex that keeps a second full-screen run from starting.
inline constexpr wchar_t kFullScreenMutex[] = L"Local\\SWF.zel Screen Saver";

// False when another full-screen run is on (nothing is shown then).
bool RunFullScreen();
// False when parent is no window (nothing is shown then).
bool RunPreview(HWND parent);

}  // namespace saver
