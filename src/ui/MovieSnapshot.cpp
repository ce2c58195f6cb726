#include "ui/MovieSnapshot.h"
#include "base/TextConv.h"

#include <cmath>
#include <random>

#include "base/ErrorLog.h"
#include "base/Handles.h"
#include "images/cPNG.h"
#include "platform/flash/control/FlashControl.h"
#include "services/Services.h"


namespace {

// One engine for the program, seeded once.
double NextRandom() {
  static std::mt19937 engine{std::random_device{}()};
  return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
}

// The "nomedia" picture centred on the control's background.
void PaintNoMedia(ShotTarget& target, cDIBSection& dib) {
  const int w = target.Width(), h = target.Height();
  if (!dib.Create(w, h)) return;
  RECT all{0, 0, w, h};
  ScopedBrush back(CreateSolidBrush(target.BackColor()));
  FillRect(dib.hdc(), &all, back.get());
  cPNG picture;
  if (picture.LoadPNGFile(ImagesFolder + L"nomedia.png") == 0)
    picture.DrawToDC(dib.hdc(), (w - picture.Width()) / 2, (h - picture.Height()) / 2, false);
}


}  // namespace

long SnapshotFrame(uint8_t sampleFrom, uint8_t sampleTo, double r, long totalFrames) {
  const double frame = (sampleFrom / 100.0 + r * ((sampleTo - sampleFrom) / 100.0)) * totalFrames;
  return static_cast<long>(std::nearbyint(frame));  // the default rounding mode: halves to even
}

bool TakeMovieSnapshot(ShotTarget& target, cDIBSection& dib, const SWFInfo& info, bool forceUnload, long satellite,
                       const ShotSettings& settings) {
  (void)satellite;
  if (info.Path.empty()) {
    PaintNoMedia(target, dib);
    target.LoadMovie(0, flash::kNoMovie);
    if (forceUnload) target.UnloadWindow();
    return false;
  }
  target.LoadMovie(0, info.Path);
  if (!settings.FixedBackColor)
    target.SetBGColor(info.BackColor);
  else if (!settings.BackColor.empty())
    target.SetBGColor(settings.BackColor);
  if (target.ScaleMode() != 1) target.SetScaleMode(1);
  if (settings.ShotDoEvents) target.DoEvents();
  target.SetQuality(settings.HQShots ? 1 : 0);
  const bool loaded = target.FrameNum() != -1;
  if (loaded)
    target.GotoFrame(SnapshotFrame(settings.SampleFrom, settings.SampleTo, NextRandom(), target.TotalFrames()));
  const int w = target.Width(), h = target.Height();
  const bool made = dib.Create(w, h);
  if (made) {
    target.PaintInto(dib.hdc());
    if (settings.Watermark) {
      cPNG logo;
      if (logo.LoadPNGFile(settings.LogoPath) == 0) logo.DrawToDC(dib.hdc(), w - logo.Width(), h - logo.Height(), false);
    }
  }
  if (forceUnload)
    target.UnloadWindow();
  else
    target.LoadMovie(0, flash::kNoMovie);
  return loaded && made;
}

bool DeletesShotCopy(const SWFInfo& record, int cacheMode, const std::wstring& playingPath) {
  // The player's own movie (the same extracted file) is never deleted under it.
  return record.PathChanged && cacheMode != 0 && !record.Path.empty() &&
         !EqualNoCase(record.Path, playingPath);
}
