// The movie a run shows: the path recorded as "FileName" of the options'
// section "ScreenSaver", read through GetSWFInfo as the player reads it (a
// compressed movie plays from its file, a projector from the movie taken out
// into the cache). No record, a missing or unreadable file and a video leave
// nothing to play: the run then shows the "nomedia" picture.
#pragma once
#include <string>

#include "moviefiles/SWFInfo.h"

namespace saver {

inline constexpr wchar_t kSaverSection[] = L"ScreenSaver";
inline constexpr wchar_t kSaverMovieValue[] = L"FileName";

struct SaverMovie {
  bool Playable = false;
  SWFInfo Info;        // Info.Path is the file to load when Playable
  std::wstring Why;    // why there is nothing to play, for the log
};

SaverMovie ChooseSaverMovie(const std::wstring& recorded);

// The recorded movie ("" when none).
std::wstring RecordedSaverMovie();
// Records the movie; only the settings window writes it.
void RecordSaverMovie(const std::wstring& path);

}  // namespace saver
