#include "tools/ToolWindows.h"

#include "player/Startup.h"
#include "player/ToolWindows.h"
#include "tools/frmFirstRun.h"
#include "tools/frmGenerator.h"
#include "tools/frmOptions.h"

namespace tools {

void AttachToolWindows() {
  player::ToolWindows()[L"frmOptions"] = [](int mode) { OptionsWindow().Open(mode); };
  player::ToolWindows()[L"frmGenerator"] = [](int mode) { GeneratorWindow().Open(mode); };
  player::GeneratorRunner() = [] { GeneratorWindow().Generate(); };
  player::FirstRunDialog() = [] { return FirstRunWindow().Run(); };
}

}  // namespace tools
