#include "tools/common/ToolWindows.h"

#include "player/start/Startup.h"
#include "player/commands/ToolWindowOpeners.h"
#include "tools/pages/frmAbout.h"
#include "tools/desktop/frmDesktop.h"
#include "tools/settings/frmFirstRun.h"
#include "tools/pages/frmIntro.h"
#include "tools/thumbnails/frmGenerator.h"
#include "tools/settings/frmOptions.h"
#include "tools/network/frmDownload.h"
#include "tools/thumbnails/frmShot.h"
#include "tools/network/frmUpdate.h"
#include "tools/movieinfo/frmInfo.h"
#include "tools/movieinfo/frmDecompiler.h"
#include "tools/favorites/frmFavorites.h"

namespace tools {

void AttachToolWindows() {
  player::ToolWindows()[L"frmOptions"] = [](int mode) { OptionsWindow().Open(mode); };
  player::ToolWindows()[L"frmUpdate"] = [](int mode) { UpdateWindow().Open(mode); };
  player::ToolWindows()[L"frmDownload"] = [](int mode) { DownloadWindow().Open(mode); };
  player::ToolWindows()[L"frmGenerator"] = [](int mode) { GeneratorWindow().Open(mode); };
  player::GeneratorRunner() = [](const player::GeneratorSettings& settings) { GeneratorWindow().Generate(settings); };
  player::FirstRunDialog() = [] { return FirstRunWindow().Run(); };
  player::MovieToolWindows()[L"frmInfo"] = [](const SWFInfo& movie, int mode) { InfoWindow().OpenFor(movie, mode); };
  player::MovieToolWindows()[L"frmDecompiler"] = [](const SWFInfo& movie, int mode) {
    ExtractorWindow().OpenFor(movie, mode);
  };
  player::ToolWindows()[L"frmFavorites"] = [](int mode) { FavoritesWindow().Open(mode); };
  player::MovieToolWindows()[L"frmDesktop"] = [](const SWFInfo& movie, int mode) {
    DesktopWindow().OpenFor(movie, mode);
  };
  player::ToolWindows()[L"frmIntro"] = [](int mode) { IntroWindow().Open(mode); };
  player::ToolWindows()[L"frmAbout"] = [](int mode) { AboutWindow().Open(mode); };
  player::ThumbnailProgressWindow() = [](int count) { return OpenShotProgress(count); };
}

}  // namespace tools
