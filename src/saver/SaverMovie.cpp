#include "saver/SaverMovie.h"

#include "moviefiles/SWFModule.h"
#include "services/RegistryModule.h"
#include "services/ShellMod.h"

namespace saver {

SaverMovie ChooseSaverMovie(const std::wstring& recorded) {
  SaverMovie movie;
  if (recorded.empty()) {
    movie.Why = L"No movie recorded";
    return movie;
  }
  if (!FileExists(recorded)) {
    movie.Why = L"File Not Found";
    return movie;
  }
  SWFInfo info;
  std::wstring error = GetSWFInfo(recorded, info, false);
  if (!error.empty()) {
    movie.Why = error;
    return movie;
  }
  if (info.IsFLV) {
    movie.Why = L"A video is not shown by the screen saver";
    return movie;
  }
  movie.Playable = true;
  movie.Info = std::move(info);
  return movie;
}

std::wstring RecordedSaverMovie() { return GetRegString(kSaverSection, kSaverMovieValue, L""); }

void RecordSaverMovie(const std::wstring& path) { SaveRegString(kSaverSection, kSaverMovieValue, path); }

}  // namespace saver
