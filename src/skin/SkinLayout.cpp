#include "skin/SkinLayout.h"

#include <algorithm>
#include <cmath>

#include "platform/forms/Forms.h"
#include "skin/SkinHost.h"
#include "skin/SkinItems.h"

namespace {

forms::Control* X(int index) { return SkinControl(index); }

// Layout statements touch only what exists.
template <class F>
void With(int index, F f) {
  if (forms::Control* c = X(index)) f(*c);
}
template <class F>
void With2(int a, int b, F f) {
  forms::Control* ca = X(a);
  forms::Control* cb = X(b);
  if (ca && cb) f(*ca, *cb);
}

void SetVisibleIfChanged(forms::Control& c, bool visible) {
  if (c.Visible() != visible) c.SetVisible(visible);
}

int TipHeightIfShown(SkinHost& host) {
  forms::Control* tip = host.TipPanel();
  return tip && tip->Visible() ? tip->Height() : 0;
}

void SeekFill() {
  With2(5, 6, [](forms::Control& track, forms::Control& fill) {
    const int width = static_cast<int>(std::nearbyint((track.Width() - 2) * SkinWindow->MoviePercent()));
    if (fill.Width() != width) fill.SetWidth(width);
  });
}

}  // namespace

void SlydeArrange() {
  if (!SkinWindow) return;
  SkinHost& host = *SkinWindow;
  forms::Form& form = host.Window();
  const int cw = form.ScaleWidth(), ch = form.ScaleHeight();
  const bool hideUI = host.HideUI();
  const bool playlist = host.PlaylistShown();
  forms::Control* list = host.PlayList();
  const int listWidth = list ? list->Width() : 0;

  int xOffset = 0, yOffset = 0;
  if (!hideUI) {
    xOffset = 34;
    With(2, [&](forms::Control& bar) { yOffset = bar.Height(); });
    if (playlist) xOffset += listWidth;
  }
  host.SetSkinOffsets(xOffset, yOffset);

  // The normal view and the view shown (full screen's, which holds the movie
  // area then) take the window's size.
  for (int view : {1, CurrentView}) With(view, [&](forms::Control& v) { v.Move(v.Left(), v.Top(), cw, ch); });
  forms::PictureBox* movie = host.MovieView();
  if (movie) movie->Move(0, 0, cw - xOffset, ch - (hideUI ? 0 : yOffset));
  const int movieHeight = movie ? movie->Height() : 0;
  if (list) list->Move(cw - listWidth, 0, listWidth, movieHeight - 34 - TipHeightIfShown(host));
  With(2, [&](forms::Control& bar) { bar.Move(0, ch - 52, cw, 52); });
  With(18, [&](forms::Control& side) {
    int left = cw - xOffset - (hideUI && playlist ? listWidth + 34 : 0) - (hideUI && !playlist ? 34 : 0);
    side.Move(left, 0, 34, ch - (hideUI ? 0 : yOffset) - 34);
  });
  With2(18, 20, [](forms::Control& side, forms::Control& foot) { foot.SetTop(side.Height() - foot.Height()); });
  With2(23, 26, [](forms::Control& track, forms::Control& sound) { track.SetTop(sound.Top() - 48); });
  With2(23, 24, [](forms::Control& track, forms::Control& level) {
    level.SetTop(track.Top() + track.Height() - level.Height() - 1);
  });
  With2(18, 21, [](forms::Control& side, forms::Control& open) { open.SetTop(side.Height() - 36); });
  With2(18, 22, [](forms::Control& side, forms::Control& fs) { fs.SetTop(side.Height() - 72); });
  With(4, [&](forms::Control& right) { right.SetLeft(cw - 65); });
  With2(3, 4, [&](forms::Control& left, forms::Control& right) {
    With(5, [&](forms::Control& track) { track.SetWidth(cw - left.Width() - right.Width() + 54); });
  });
  SeekFill();
  if (forms::Control* address = host.AddressBar()) {
    With(4, [&](forms::Control& right) { address->SetWidth(right.Left() - 134); });
    if (hideUI) {
      address->SetTop(-100);
    } else {
      With2(2, 6, [&](forms::Control& bar, forms::Control& fill) { address->SetTop(bar.Top() + fill.Top() - 2); });
    }
  }
  With(15, [&](forms::Control& c) { c.SetLeft(cw - 90); });
  With(17, [&](forms::Control& c) { c.SetLeft(cw - 47); });
  With2(16, 5, [](forms::Control& title, forms::Control& track) { title.SetWidth(track.Width()); });
  With2(27, 18, [&](forms::Control& bar, forms::Control& side) {
    bar.Move(side.Left(), (list ? list->Height() : 0) + TipHeightIfShown(host), bar.Width(), bar.Height());
  });
  if (forms::Control* tip = host.TipPanel()) {
    With(18, [&](forms::Control& side) {
      tip->Move(side.Left() + 34, movieHeight - 34 - tip->Height(), listWidth, tip->Height());
    });
  }
}

void SlydeTogglePlaylist() {
  if (!SkinWindow) return;
  SkinHost& host = *SkinWindow;
  With(23, [&](forms::Control& c) { c.SetVisible(!host.Muted()); });
  With(24, [&](forms::Control& c) { c.SetVisible(!host.Muted()); });
  With(25, [&](forms::Control& c) { c.SetVisible(!host.Muted()); });
  With(26, [&](forms::Control& c) { c.SetVisible(host.Muted()); });
  With(5, [](forms::Control& c) { c.SetLeft(175); });
  With(16, [](forms::Control& c) { c.SetLeft(180); });
  With(6, [](forms::Control& c) { c.SetLeft(176); });
  if (forms::Control* address = host.AddressBar()) {
    With(14, [&](forms::Control& c) { address->SetLeft(c.Left() + 4); });
  }
  With(32, [](forms::Control& c) { c.SetVisible(false); });
  With(33, [](forms::Control& c) { c.SetVisible(false); });
}

void SlydeResizeForPlaylist() {
  if (!SkinWindow) return;
  SkinHost& host = *SkinWindow;
  forms::Form& form = host.Window();
  forms::Control* list = host.PlayList();
  if (form.WindowState() != forms::vbNormal || host.HideUI() || !list) return;
  int change = host.PlaylistShown() ? list->Width() : -list->Width();
  form.Move(form.Left(), form.Top(), form.Width() + change, form.Height());
}

void SlydeUpdateState() {
  if (!SkinWindow) return;
  SkinHost& host = *SkinWindow;
  SeekFill();
  With2(7, 8, [&](forms::Control& play, forms::Control& pause) {
    if (host.Browsed()) {
      // The browse page's "up" button shares the place of play and pause.
      SetVisibleIfChanged(play, false);
      SetVisibleIfChanged(pause, false);
      return;
    }
    bool playing = host.Playing();
    if (pause.Visible() != playing || play.Visible() == playing) {
      pause.SetVisible(playing);
      play.SetVisible(!pause.Visible());
    }
  });
  With2(23, 24, [&](forms::Control& track, forms::Control& level) {
    const int height = static_cast<int>(std::nearbyint((track.Height() - 2) * host.Volume() / 100.0));
    const int top = track.Top() + track.Height() - height - 1;
    if (level.Height() != height || level.Top() != top) level.Move(level.Left(), top, level.Width(), height);
  });
  With2(25, 26, [&](forms::Control& mute, forms::Control& sound) {
    bool muted = host.Muted();
    if (sound.Visible() != muted) {
      sound.SetVisible(muted);
      mute.SetVisible(!sound.Visible());
      With(23, [&](forms::Control& c) { c.SetVisible(mute.Visible()); });
      With(24, [&](forms::Control& c) { c.SetVisible(mute.Visible()); });
    }
  });
  auto caption = [](int index, const std::wstring& text) {
    With(index, [&](forms::Control& c) {
      if (c.Caption() != text) c.SetCaption(text);
    });
  };
  caption(14, host.TimeInfoCur());
  caption(15, host.TimeMode() ? host.TimeInfoTot() : host.TimeInfoRem());
  caption(16, host.MediaTitle());
}

void SlydeShowFSControls() {
  if (!SkinWindow) return;
  With(2, [](forms::Control& bar) {
    bar.SetVisible(true);
    bar.ZOrder(forms::vbBringToFront);
  });
  if (forms::Control* address = SkinWindow->AddressBar()) {
    With2(2, 6, [&](forms::Control& bar, forms::Control& fill) { address->SetTop(bar.Top() + fill.Top() - 2); });
  }
  SkinWindow->BringOwnControlsToFront();
}

void SlydeHideFSControls() {
  if (!SkinWindow) return;
  With(2, [](forms::Control& bar) { bar.SetVisible(false); });
  if (forms::Control* address = SkinWindow->AddressBar()) address->SetTop(SkinWindow->Window().ScaleHeight());
  SkinWindow->BringOwnControlsToFront();
}

void SlydeShowFSPlaylist() {
  if (!SkinWindow) return;
  With(18, [](forms::Control& c) { c.SetVisible(true); });
  With(27, [](forms::Control& c) { c.SetVisible(true); });
  if (forms::Control* tip = SkinWindow->TipPanel()) tip->SetVisible(true);
  With(18, [](forms::Control& c) { c.ZOrder(forms::vbBringToFront); });
  With(27, [](forms::Control& c) { c.ZOrder(forms::vbBringToFront); });
  SkinWindow->BringOwnControlsToFront();
}

void SlydeHideFSPlaylist() {
  if (!SkinWindow) return;
  With(18, [](forms::Control& c) { c.SetVisible(false); });
  With(27, [](forms::Control& c) { c.SetVisible(false); });
  if (forms::Control* tip = SkinWindow->TipPanel()) tip->SetVisible(false);
  SkinWindow->BringOwnControlsToFront();
}

void SlydeShowButtons() {
  if (!SkinWindow) return;
  SkinHost& host = *SkinWindow;
  for (int i : {11, 10, 9}) With(i, [&](forms::Control& c) { c.SetVisible(host.Browsed()); });
  for (int i : {7, 8, 12, 13}) With(i, [&](forms::Control& c) { c.SetVisible(!host.Browsed()); });
}

double SlydeSeekFraction(int x) {
  forms::Control* track = X(5);
  if (!track || track->Width() <= 0) return 0;
  return std::clamp(static_cast<double>(x) / track->Width(), 0.0, 1.0);
}

int SlydeVolumeAt(int y) {
  forms::Control* track = X(23);
  if (!track || track->Height() <= 2) return 0;
  double volume = 100 - 100.0 * y / (track->Height() - 2);
  return static_cast<int>(std::clamp(std::nearbyint(volume), 0.0, 100.0));
}
