// The playback heartbeat (tmrUpdate_Timer, every 300 ms): reads the
// position (a video's from its wrapper's "myVideo.playheadTime"), counts
// the tick, publishes the time read-out, acts at the end of a movie by the
// repeat mode, keeps the Play/Pause caption and the quality marks in step
// with the control, and refreshes the skin's live parts.
#pragma once
#include <string>

#include "player/movie/PlayerHost.h"

namespace player {

struct ReadOut {
  std::wstring Info, Cur, Rem, Tot;
};

// The read-out for a position (0-based frame) of frameCount frames at
// frameRate in timeMode; words are the labels of modes 0-1 and 2-3. A mode
// outside 0..3 gives nothing.
bool ComposeReadOut(long timeMode, long position, long frameCount, double frameRate, const std::wstring& timeWord,
                    const std::wstring& frameWord, ReadOut& out);

// One tick of the heartbeat.
void tmrUpdate_Timer(PlayerHost& host);

}  // namespace player
