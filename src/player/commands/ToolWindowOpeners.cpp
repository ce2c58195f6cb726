#include "player/commands/ToolWindowOpeners.h"

#include "player/movie/Thumbnails.h"

namespace player {

std::map<std::wstring, ToolWindowOpener>& ToolWindows() {
  static std::map<std::wstring, ToolWindowOpener> windows;
  return windows;
}

bool OpenToolWindow(const std::wstring& name, int mode) {
  auto it = ToolWindows().find(name);
  if (it == ToolWindows().end() || !it->second) return false;
  it->second(mode);
  return true;
}

std::map<std::wstring, MovieToolWindowOpener>& MovieToolWindows() {
  static std::map<std::wstring, MovieToolWindowOpener> windows;
  return windows;
}

bool OpenMovieToolWindow(const std::wstring& name, const SWFInfo& movie, int mode) {
  auto it = MovieToolWindows().find(name);
  if (it == MovieToolWindows().end() || !it->second) return false;
  it->second(movie, mode);
  return true;
}

std::function<void(const GeneratorSettings&)>& GeneratorRunner() {
  static std::function<void(const GeneratorSettings&)> runner;
  return runner;
}

ThumbnailProgressOpener& ThumbnailProgressWindow() {
  static ThumbnailProgressOpener opener;
  return opener;
}

}  // namespace player
