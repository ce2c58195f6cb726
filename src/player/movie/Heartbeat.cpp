#include "player/movie/Heartbeat.h"

#include <algorithm>
#include <cmath>

#include "moviefiles/SWFModule.h"
#include "player/movie/PlayerNumbers.h"
#include "player/movie/Transport.h"
#include "services/Languages.h"

namespace player {

bool ComposeReadOut(long timeMode, long position, long frameCount, double frameRate, const std::wstring& timeWord,
                    const std::wstring& frameWord, ReadOut& out) {
  if (timeMode < 0 || timeMode > 3) return false;
  position = std::max(position, 0L);
  frameCount = std::max(frameCount, 0L);
  const long left = std::max(frameCount - position, 0L);
  const float rate = std::isfinite(frameRate) ? static_cast<float>(frameRate) : 0.0f;
  if (timeMode < 2) {
    out.Cur = FramesToTime(position, rate);
    out.Rem = L"-" + FramesToTime(std::max(left - 1, 0L), rate);
    out.Tot = FramesToTime(frameCount, rate);
  } else {
    out.Cur = std::to_wstring(position + 1L);
    out.Rem = L"-" + std::to_wstring(left);
    out.Tot = std::to_wstring(frameCount);
  }
  const bool remaining = timeMode == 1 || timeMode == 3;
  out.Info = (timeMode < 2 ? timeWord : frameWord) + L": " + (remaining ? out.Rem : out.Cur) + L" / " + out.Tot;
  return true;
}

namespace {

// The position in frames; a video's wrapper timeline is moved in step and
// its play state taken from the wrapper's "playing".
long ReadPosition(MovieControl& c, const SWFInfo& info) {
  if (!info.IsFLV) return c.FrameNum();
  const double rate = std::isfinite(info.FrameRate) ? info.FrameRate : 0.0;
  const std::optional<double> seconds = DotNumber(c.GetVariable(L"myVideo.playheadTime"));
  const long position = seconds ? RoundHalfEven(*seconds * rate) : 0;
  const long total = c.TotalFrames();
  if (info.FrameCount > 0 && total > 0) {
    const double share = static_cast<double>(position) / info.FrameCount;
    c.GotoFrame(std::clamp<long>(RoundHalfEven(share * (total - 1)), 0, total - 1));
  }
  c.SetPlaying(c.GetVariable(L"playing") == L"1");
  return position;
}

// At the end of a movie of the playlist: true when the tick ends here.
bool EndOfMovie(PlayerHost& host, MovieControl& c) {
  const long total = c.TotalFrames();
  const int last = host.PlaylistLast();
  if (total <= 0 || c.FrameNum() + 1 != total || last < 0 || host.State().InternalMovie) return false;
  // A round of failed loads ends the walk until a movie loads again.
  const bool mayWalk = host.State().FailedLoads <= last;
  switch (host.Opts().RepeatMode) {
    case 0:
      if (!mayWalk || !host.Checked(L"mnuNonStop") || host.PlaylistCurrent() >= last) return false;
      PlayNext(host);
      return true;
    case 1:
      if (total < 2) return false;
      if (host.State().CurrentSWFInfo.IsFLV) {
        // The wrapper's own timeline follows the video; the video itself starts over.
        c.SetVariable(L"seeking", L"0");
        c.SetVariable(L"playing", L"1");
      } else {
        c.Rewind();
        c.Play();
      }
      return true;
    case 2:
      if (!mayWalk) return false;
      PlayNext(host);
      return true;
    default:
      return false;
  }
}

void FollowPlayState(PlayerHost& host, MovieControl* c) {
  const bool playing = c && c->Playing();
  if (!playing && c && host.Checked(L"mnuNonStop")) c->Play();
  const std::wstring caption =
      playing ? LangText(L"Player/mnuPause", L"Pause") : LangText(L"Player/mnuPlay", L"Play");
  if (host.MenuCaption(L"mnuPlay") != caption) host.SetMenuCaption(L"mnuPlay", caption);
}

void FollowQuality(PlayerHost& host, MovieControl* c) {
  const std::wstring quality = c ? c->Quality2() : std::wstring();
  for (int i = 0; i < static_cast<int>(std::size(kQualityTags)); ++i) {
    if (std::wstring(kQualityTags[i]) == L"-") continue;
    const bool on = quality == kQualityTags[i];
    if (host.Checked(L"mnuQLvl", i) != on) host.SetChecked(L"mnuQLvl", on, i);
  }
}

}  // namespace

void tmrUpdate_Timer(PlayerHost& host) {
  PlayerState& s = host.State();
  MovieControl* c = host.Control();
  const long position = c ? ReadPosition(*c, s.CurrentSWFInfo) : 0;
  ++host.Opts().PlayTicks;

  ReadOut r;
  if (ComposeReadOut(s.TimeMode, position, s.CurrentSWFInfo.FrameCount, s.CurrentSWFInfo.FrameRate,
                     LangText(L"Player/strTime", L"Time"), LangText(L"Player/strFrame", L"Frame"), r)) {
    s.TimeInfo = r.Info;
    s.TimeInfoCur = r.Cur;
    s.TimeInfoRem = r.Rem;
    s.TimeInfoTot = r.Tot;
  }
  if (c && EndOfMovie(host, *c)) return;
  FollowPlayState(host, c);
  FollowQuality(host, c);
  host.UpdateSkinState();
}

}  // namespace player
