#include "tools/ToolWindows.h"

#include "player/Startup.h"
#include "player/ToolWindows.h"
#include "tools/frmFirstRun.h"
#include "tools/frmOptions.h"
#include "tools/frmDownload.h"
#include "tools/frmShot.h"
#include "tools/frmUpdate.h"

namespace tools {

void AttachToolWindows() {
  player::ToolWindows()[L"frmOptions"] = [](int mode) { OptionsWindow().Open(mode); };
  player::ToolWindows()[L"frmUpdate"] = [](int mode) { UpdateWindow().Open(mode); };
  player::ToolWindows()[L"frmDownload"] = [](int mode) { DownloadWindow().Open(mode); };
  player::FirstRunDialog() = [] { return FirstRunWindow().Run(); };
  player::ThumbnailProgressWindow() = [](int count) { return OpenShotProgress(count); };
}

}  // namespace tools
