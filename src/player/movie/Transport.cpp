#include "player/movie/Transport.h"

#include <algorithm>
#include <cmath>

#include "base/ErrorLog.h"
#include "moviefiles/SWFInfo.h"
#include "player/movie/PlayerNumbers.h"

namespace player {
namespace {

bool HasColor(const std::wstring& color) { return !color.empty() && color[0] != L'\0'; }

}  // namespace

void PlayMedia(PlayerHost& host) {
  MovieControl* c = host.Control();
  if (!c) return;
  c->SetVariable(L"playing", L"1");
  c->Play();
}

void PauseMedia(PlayerHost& host) {
  if (MovieControl* c = host.Control()) {
    c->SetVariable(L"playing", L"0");
    c->Stop();
  }
  host.SetChecked(L"mnuNonStop", false);
}

void PlayPauseMedia(PlayerHost& host) {
  MovieControl* c = host.Control();
  if (c && c->Playing())
    PauseMedia(host);
  else
    PlayMedia(host);
}

void StopMedia(PlayerHost& host) {
  PauseMedia(host);
  MovieControl* c = host.Control();
  if (!c) return;
  if (host.State().CurrentSWFInfo.IsFLV) c->SetVariable(L"seeking", L"0");
  c->Rewind();
}

void GoToFrame(PlayerHost& host, double fraction) {
  MovieControl* c = host.Control();
  if (!c) return;
  const double f = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
  const bool wasPlaying = c->Playing();
  if (host.State().CurrentSWFInfo.IsFLV)
    c->SetVariable(L"seeking", std::to_wstring(static_cast<int>(std::floor(f * 1000))));
  const long total = c->TotalFrames();
  c->GotoFrame(std::clamp<long>(RoundHalfEven(f * total), 0, std::max(total - 1, 0L)));
  if (wasPlaying)
    c->Play();
  else
    c->Stop();
}

namespace {

void StepSeconds(PlayerHost& host, int direction) {
  MovieControl* c = host.Control();
  if (!c) return;
  const bool wasPlaying = c->Playing();
  const float movieRate = host.State().CurrentSWFInfo.FrameRate;
  const double rate = std::isfinite(movieRate) ? movieRate : 0.0;
  const long target = RoundHalfEven(static_cast<double>(c->CurrentFrame()) + direction * rate);
  c->GotoFrame(std::max(target, 0L));
  c->SetPlaying(wasPlaying);
}

}  // namespace

void FFwd(PlayerHost& host) { StepSeconds(host, 1); }
void Rwd(PlayerHost& host) { StepSeconds(host, -1); }

double MoviePercent(PlayerHost& host) {
  MovieControl* c = host.Control();
  if (!c) return 0;
  const long total = c->TotalFrames();
  if (total < 2) return 0;
  return std::clamp(static_cast<double>(c->CurrentFrame()) / (total - 1), 0.0, 1.0);
}

void ToggleTimeMode(PlayerHost& host) {
  long& mode = host.State().TimeMode;
  mode = mode >= 3 || mode < 0 ? 0 : mode + 1;
}

void SetQuality(PlayerHost& host, const std::wstring& quality) {
  // The heartbeat checks the item the control took.
  for (int i = 0; i < static_cast<int>(std::size(kQualityTags)); ++i) host.SetChecked(L"mnuQLvl", false, i);
  if (MovieControl* c = host.Control()) c->SetQuality2(quality);
  host.Opts().Quality = quality;
}

void SetScaleMode(PlayerHost& host, long mode) {
  MovieControl* c = host.Control();
  if (c) c->SetScaleMode(mode);
  const long actual = c ? c->ScaleMode() : mode;
  for (int i = 0; i <= 3; ++i) host.SetChecked(L"mnuSMode", i == actual, i);
  host.Opts().ScaleMode = actual;
  host.View_Resize();
}

void SetRepeatMode(PlayerHost& host, long mode) {
  host.Opts().RepeatMode = mode;
  for (int i = 0; i <= 2; ++i) host.SetChecked(L"mnuRepeatMode", i == mode, i);
}

void SetFlashAlpha(PlayerHost& host, int percent) {
  if (MovieControl* c = host.Control()) c->SetVariable(L"_alpha", std::to_wstring(percent));
  host.SetChecked(L"mnuOpFull", percent == 100);
  host.SetChecked(L"mnuOpSign", percent == 75);
  host.SetChecked(L"mnuOpMed", percent == 50);
  host.SetChecked(L"mnuOpSlite", percent == 25);
  host.State().curFlashAlpha = percent;
}

void SetSound(PlayerHost& host, int volume, int pan) {
  PlayerState& s = host.State();
  s.Volume = std::clamp(volume, 0, 100);
  s.StereoPan = std::clamp(pan, -100, 100);
  MovieControl* c = host.Control();
  if (!c) return;
  c->SetVolume(s.Muted ? 0 : s.Volume);
  c->SetPan(s.StereoPan);
  if (HasColor(s.CurrentSWFInfo.BackColor)) c->SetBGColor(s.CurrentSWFInfo.BackColor);
}

void MuteSound(PlayerHost& host, bool mute) {
  PlayerState& s = host.State();
  host.SetChecked(L"mnuMute", mute);
  host.SetChecked(L"mnuPopMute", mute);
  if (mute) {
    // Muting twice keeps the volume of before the first.
    if (!s.Muted) s.LastVolume = s.Volume;
    s.Volume = 0;
  } else {
    s.Volume = s.LastVolume;
  }
  s.Muted = mute;
  SetSound(host, s.Volume, 0);
}

void SWF_OnReadyStateChange(PlayerHost& host, long state) {
  MovieControl* c = host.Control();
  const std::wstring& color = host.State().CurrentSWFInfo.BackColor;
  if (state == 4 && c && HasColor(color)) c->SetBGColor(color);
}

int PlayRandom(PlayerHost& host) {
  const int last = host.PlaylistLast(), current = host.PlaylistCurrent();
  if (last < 1) return current;
  int index = current;
  // A source that keeps giving the same index ends in the next entry.
  for (int draw = 0; draw < 64 && index == current; ++draw) {
    double r = host.Random();
    if (!(r >= 0 && r < 1)) r = 0;
    index = static_cast<int>(std::clamp<long>(RoundHalfEven(last * r), 0, last));
    WriteLog(std::to_wstring(index));
  }
  if (index == current) index = current >= last ? 0 : current + 1;
  return index;
}

void PlayNext(PlayerHost& host) {
  const int last = host.PlaylistLast();
  if (last < 0) return;
  int index = host.Checked(L"mnuShuffle") ? PlayRandom(host) : host.PlaylistCurrent() + 1;
  if (index > last || index < 0) index = 0;
  host.PlaylistPlayItem(index);
}

void PlayPrev(PlayerHost& host) {
  const int last = host.PlaylistLast();
  // One entry would bring the remembered playlist back; that comes with the playlist file.
  if (last < 1) return;
  int index = host.Checked(L"mnuShuffle") ? PlayRandom(host) : host.PlaylistCurrent() - 1;
  if (index < 0 || index > last) index = last;
  host.PlaylistPlayItem(index);
}

void OpenMovie(PlayerHost& host, const std::wstring& path) {
  host.PlaylistClear();
  host.PlaylistAdd(path, 0);
  host.PlaylistPlayItem(0);
}

void GoLevelUp(PlayerHost& host) { host.BrowseFolder(host.Opts().CurrentFolder + L"..", false); }

int HistoryStep(int index, int count, int step) {
  const int to = index + step;
  if (index < 0 || index >= count || to < 0 || to >= count) return -1;
  return to;
}

}  // namespace player
