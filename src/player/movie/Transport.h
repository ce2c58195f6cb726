// The transport: the main window's operations that play, pause, stop and
// seek the movie, set its quality, scale mode, opacity and sound, and walk
// the playlist. A video plays inside the wrapper movie, which takes
// "playing" ("1" or "0") and "seeking" (thousandths of the video). Every
// operation does nothing to a control the window lacks.
#pragma once
#include <string>

#include "player/movie/PlayerHost.h"

namespace player {

// The quality items' Tags by index (3 is the separator).
inline constexpr const wchar_t* kQualityTags[] = {L"High", L"Medium", L"Low", L"-", L"AutoHigh", L"AutoLow"};

void PlayMedia(PlayerHost& host);
void PauseMedia(PlayerHost& host);
void PlayPauseMedia(PlayerHost& host);
// Stops as a pause does, rewound: the heartbeat neither restarts it nor lets a video run on.
void StopMedia(PlayerHost& host);
// Seeks to a fraction of the movie (clamped to 0..1), keeping its play state.
void GoToFrame(PlayerHost& host, double fraction);
// One second forward or back, keeping the play state.
void FFwd(PlayerHost& host);
void Rwd(PlayerHost& host);
// The position as a fraction 0..1; 0 for a movie of fewer than 2 frames or none.
double MoviePercent(PlayerHost& host);
void ToggleTimeMode(PlayerHost& host);

void SetQuality(PlayerHost& host, const std::wstring& quality);
void SetScaleMode(PlayerHost& host, long mode);
void SetRepeatMode(PlayerHost& host, long mode);
void SetFlashAlpha(PlayerHost& host, int percent);
void SetSound(PlayerHost& host, int volume, int pan);
void MuteSound(PlayerHost& host, bool mute);
// The movie's background colour given to the control again (a load completed).
void SWF_OnReadyStateChange(PlayerHost& host, long state);

void PlayNext(PlayerHost& host);
void PlayPrev(PlayerHost& host);
int PlayRandom(PlayerHost& host);
void OpenMovie(PlayerHost& host, const std::wstring& path);

// The media browser one folder up.
void GoLevelUp(PlayerHost& host);
// The address bar's history: the index a step back (-1) or forward (+1)
// leads to from index of count entries, or -1 when there is none.
int HistoryStep(int index, int count, int step);

}  // namespace player
