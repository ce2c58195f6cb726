#include "player/window/SkinMouse.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "platform/forms/FormTypes.h"
#include "player/movie/PlayerNumbers.h"

namespace player {
namespace {

constexpr int kBar = 2, kSeekTrack = 5, kSeekFill = 6, kTimeCurrent = 14, kTimeOther = 15, kSide = 18,
              kVolumeTrack = 23, kVolumeLevel = 24;
constexpr int kLabelType = 3, kViewType = 0;
constexpr int kUp = 1, kOver = 2, kDown = 3, kDisabled = 4;

// The item index a Tag holds (its leading digits); 0 for none.
int IndexOf(const std::wstring& tag) {
  size_t i = 0;
  while (i < tag.size() && std::iswspace(tag[i])) ++i;
  long index = 0;
  bool any = false;
  for (; i < tag.size() && tag[i] >= L'0' && tag[i] <= L'9' && index < 1000000; ++i, any = true)
    index = index * 10 + (tag[i] - L'0');
  return any ? static_cast<int>(index) : 0;
}

bool Left(int buttons) { return (buttons & forms::vbLeftButton) != 0; }

// The seek and volume rules; a bar without room (a missing item, a size of
// the border alone) leaves the step out.
void SeekFromFill(SkinMouseHost& host, int x) {
  auto track = host.Element(kSeekTrack);
  if (!track || track->Width - 2 == 0) return;
  host.GoToFrame(static_cast<double>(x) / (track->Width - 2));
}

void SeekFromTrack(SkinMouseHost& host, int x) {
  auto track = host.Element(kSeekTrack);
  if (!track || track->Width == 0) return;
  host.GoToFrame(static_cast<double>(x) / track->Width);
}

void VolumeFromLevel(SkinMouseHost& host, int y) {
  auto level = host.Element(kVolumeLevel);
  auto track = host.Element(kVolumeTrack);
  if (!level || !track || track->Height - 2 == 0) return;
  const double volume = (level->Height - y) * 100.0 / (track->Height - 2);
  host.SetSound(static_cast<int>(std::clamp<long>(RoundHalfEven(volume), -32768, 32767)), 0);
}

void VolumeFromTrack(SkinMouseHost& host, int y) {
  auto track = host.Element(kVolumeTrack);
  if (!track || track->Height - 2 == 0) return;
  const double volume = 100 - 100.0 * y / (track->Height - 2);
  host.SetSound(static_cast<int>(std::clamp<long>(RoundHalfEven(volume), -32768, 32767)), 0);
}

void Picture(SkinMouseHost& host, int index, const SkinElement& e, int state) {
  if (e.HasDown) host.SetState(index, state);
}

// The window drags from the bars, from images that are no slider and from
// labels other than the time labels.
bool Drags(SkinKind kind, int index) {
  switch (kind) {
    case SkinKind::Picture:
      return index == kBar || index == kSide;
    case SkinKind::Image:
      return index != kSeekTrack && index != kSeekFill && index != kVolumeTrack && index != kVolumeLevel;
    case SkinKind::Label:
      return index != kTimeCurrent && index != kTimeOther;
  }
  return false;
}

}  // namespace

void SkinMouseDown(SkinMouseHost& host, SkinKind kind, const std::wstring& tag, int button, int x, int y) {
  const int index = IndexOf(tag);
  const auto e = host.Element(index);
  if (!e) return;
  if (button == forms::vbRightButton) {
    host.ShowPopUp(false, false);
    return;
  }
  if (button != forms::vbLeftButton) return;
  if (kind != SkinKind::Label) Picture(host, index, *e, kDown);
  if (index == kSeekFill) SeekFromFill(host, x);
  if (index == kVolumeLevel) VolumeFromLevel(host, y);
}

void SkinMouseMove(SkinMouseHost& host, SkinKind kind, const std::wstring& tag, int buttons, int x, int y) {
  const int index = IndexOf(tag);
  if (!Left(buttons) || !host.Element(index)) return;
  switch (index) {
    case kSeekFill:
      return SeekFromFill(host, x);
    case kVolumeLevel:
      return VolumeFromLevel(host, y);
    case kSeekTrack:
      return SeekFromTrack(host, x);
    case kVolumeTrack:
      return VolumeFromTrack(host, y);
  }
  if (Drags(kind, index)) host.MoveWindow();
}

void SkinMouseUp(SkinMouseHost& host, SkinKind kind, const std::wstring& tag, int button, int x, int y) {
  const int index = IndexOf(tag);
  const auto e = host.Element(index);
  if (!e || button != forms::vbLeftButton || kind == SkinKind::Label) return;
  Picture(host, index, *e, kUp);
  if (index == kSeekTrack) SeekFromTrack(host, x);
  if (index == kVolumeTrack) VolumeFromTrack(host, y);
}

void SkinDblClick(SkinMouseHost& host, SkinKind kind, const std::wstring& tag) {
  // The second press of a double click arrives as the double click.
  const int index = IndexOf(tag);
  const auto e = host.Element(index);
  if (e && kind != SkinKind::Label) Picture(host, index, *e, kDown);
}

void SkinClick(SkinMouseHost& host, SkinKind kind, const std::wstring& tag) {
  const int index = IndexOf(tag);
  if (kind == SkinKind::Label && (index == kTimeCurrent || index == kTimeOther) && host.Element(index))
    host.ToggleTimeMode();
}

void SkinHover(SkinMouseHost& host, SkinKind kind, const std::wstring& tag, bool entering) {
  if (kind != SkinKind::Picture || tag.empty()) return;
  const int index = IndexOf(tag);
  const auto e = host.Element(index);
  if (e && e->HasOver) host.SetState(index, entering ? kOver : kUp);
}

void SkinActivateApp(SkinMouseHost& host, bool active) {
  const int view = host.CurrentView();
  for (int index = 1; index <= host.ElementCount(); ++index) {
    const auto e = host.Element(index);
    if (!e || e->View != view) continue;
    if (e->Type != kLabelType && e->Type != kViewType) host.SetEnabled(index, active);
    if (e->HasDisabled) host.SetState(index, active ? kUp : kDisabled);
  }
}

}  // namespace player
