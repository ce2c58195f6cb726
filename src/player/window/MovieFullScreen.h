// A movie's full-screen requests (its FULLSCREEN command). A request for the
// state the window is in does nothing. The others wait for the end of the
// movie's current frame (the events it raised, answered together) and only
// the last of them is carried out: however often a movie asks, the window
// changes at most once a frame and stays free to answer.
#pragma once
#include "player/movie/PlayerHost.h"

namespace player {

void AskFullScreen(PlayerHost& host, bool on);

}  // namespace player
