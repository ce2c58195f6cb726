// The main window's small operations around the tools: the update check
// (at most once a week when automatic), installing a movie as the screen
// saver, and handing work to the thumbnail generator.
#pragma once
#include <optional>
#include <string>

#include "player/PlayerHost.h"

namespace player {

// Days since 1 January 1970 of a Gregorian date.
long DaysFromCivil(const CivilDate& date);
// A date stored as "month-day-year" ("3-7-2024"); nothing when it is not one.
std::optional<CivilDate> ParseMonthDayYear(const std::wstring& text);

// The update check: by the user always; automatic only when the last check
// is a week or more away (or its date unreadable).
void WebUpdate(PlayerHost& host, bool automatic);

// Records the movie for the screen-saver program and makes that program the
// system's screen saver. Nothing changes when the program's file is missing
// or has no short path.
void SetAsSS(PlayerHost& host, const std::wstring& movie);

// Sets the thumbnail generator's size, source, quality and overwrite
// settings, then runs it.
void Generate(PlayerHost& host, long width, long height, const std::wstring& source, long quality, bool overwrite);

}  // namespace player
