// The movie loader: LoadFlash, the one road from a file, a folder or a
// script statement to the movie control; the menu states a loaded movie
// gives; the conversion between movies and projectors; and the hand-over
// of a movie record to the information window.
#pragma once
#include <string>

#include "moviefiles/SWFInfo.h"
#include "player/movie/PlayerHost.h"

namespace player {

// Loads path (a query after its last "?" goes to the control only; double
// quotes are removed from the caller's text too). An empty caption means
// the movie's file title; browserPage is set only for the media browser's
// own page. A failure is logged and shown; a movie that stays in the
// control keeps playing under the heartbeat.
void LoadFlash(PlayerHost& host, std::wstring& path, std::wstring caption, bool browserPage);

// The menu items a loaded movie enables or shows. The pop-up menus read the
// same rules for their items.
struct MovieMenus {
  bool Playback, Convert, Info, ShowExplorer, Extract, Desktop, Thumbnail, ScreenSaver;
  bool PopPlay, PopStop, PopConvert, PopInfo;  // visible
  bool ConvertFromProjector;                   // the convert item's caption names the projector case
};
struct MovieFacts {
  bool internal = false, video = false, browserPage = false, fromProjector = false;
  bool extractorOpen = false, desktopOpen = false, screenSaverFileExists = false;
};
MovieMenus MovieMenuRules(const MovieFacts& facts);
void ApplyMovieMenus(PlayerHost& host, const MovieMenus& menus);

// The scale mode the options save: the one before the browse page took over while it is shown.
long ScaleModeToSave(const PlayerState& state, long controlScaleMode);

// Saves the record's movie as a movie or a projector, as the save dialog
// chooses: a name ending in ".exe" gets a projector, any other a movie.
void ConvertMovie(PlayerHost& host, const SWFInfo& info);
// Shows the movie information window for a record.
void ShowMovieInfo(PlayerHost& host, const SWFInfo& info);

}  // namespace player
