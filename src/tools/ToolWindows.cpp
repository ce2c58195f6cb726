#include "tools/ToolWindows.h"

#include "player/Startup.h"
#include "player/ToolWindows.h"
#include "tools/frmFirstRun.h"
#include "tools/frmOptions.h"
#include "tools/frmShot.h"

namespace tools {

void AttachToolWindows() {
  player::ToolWindows()[L"frmOptions"] = [](int mode) { OptionsWindow().Open(mode); };
  player::FirstRunDialog() = [] { return FirstRunWindow().Run(); };
  player::ThumbnailProgressWindow() = [](int count) { return OpenShotProgress(count); };
}

}  // namespace tools
