// The main window's small operations around the tools: the update check
// (at most once a week when automatic), installing a movie as the screen
// saver, and handing work to the thumbnail generator.
#pragma once
#include <functional>
#include <optional>
#include <string>

#include "player/movie/PlayerHost.h"

namespace player {

// Days since 1 January 1970 of a Gregorian date.
long DaysFromCivil(const CivilDate& date);
// A date stored as "month-day-year" ("3-7-2024"); nothing when it is not one.
std::optional<CivilDate> ParseMonthDayYear(const std::wstring& text);

// The update check: by the user always; automatic only when the last check
// is a week or more away (or its date unreadable).
void WebUpdate(PlayerHost& host, bool automatic);

// The short (8.3) form of a path as the system gives it; "" when it gives none.
std::wstring SystemShortPath(const std::wstring& path);

// Records the movie for the screen-saver program and makes that program the
// system's screen saver, by its short path when the system gives one (8.3
// names are off on many volumes), else by its path as it is. Nothing changes
// when the program's file is missing.
void SetAsSS(PlayerHost& host, const std::wstring& movie,
             const std::function<std::wstring(const std::wstring&)>& shortPath = SystemShortPath);

// Runs the thumbnail generator over its settings with this size, source,
// quality and overwrite. The settings become the generator's only when the
// run is taken: a run going on refuses it and nothing changes.
void Generate(PlayerHost& host, long width, long height, const std::wstring& source, long quality, bool overwrite);

}  // namespace player
