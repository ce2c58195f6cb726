// Movie snapshots: a movie loaded into the hidden snapshot window's control,
// set to a random frame between SampleFrom and SampleTo per cent, painted into
// frmFlashShot.myDib (with the thumbnail generator's watermark when asked),
// and the control stopped or the window unloaded. The steps run against a
// ShotTarget, which the snapshot window implements over its movie control.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "images/cDIBSection.h"
#include "moviefiles/SWFInfo.h"

// The settings a snapshot reads; each caller makes its own (the player from its
// option set, the thumbnail generator from its run's settings).
struct ShotSettings {
  bool HQShots = true;
  uint8_t SampleFrom = 30, SampleTo = 50;  // per cent of the movie, SampleTo >= SampleFrom
  bool ShotDoEvents = false;
  int CacheMode = 0;             // 0 keep the cache, 1 keep thumbnails only, 2 clear all
  bool FixedBackColor = false;   // the thumbnail generator's own background colour applies
  std::wstring BackColor;        // that colour, "RRGGBB"
  bool Watermark = false;        // the generator's watermark
  std::wstring LogoPath;         // its PNG
};

// What a snapshot needs of the hidden window and its control.
class ShotTarget {
 public:
  virtual ~ShotTarget() = default;
  virtual void LoadMovie(long layer, const std::wstring& url) = 0;
  virtual void SetBGColor(const std::wstring& color) = 0;
  virtual long ScaleMode() = 0;
  virtual void SetScaleMode(long mode) = 0;
  virtual void SetQuality(long quality) = 0;
  virtual long FrameNum() = 0;
  virtual long TotalFrames() = 0;
  virtual void GotoFrame(long frame) = 0;
  virtual int Width() = 0;
  virtual int Height() = 0;
  virtual COLORREF BackColor() = 0;
  virtual void PaintInto(HDC dc) = 0;  // WM_PAINT with the DC
  virtual void DoEvents() = 0;
  virtual void UnloadWindow() = 0;
};

// The frame to show: (from + r x (to - from)) / 100 x total, rounded half to even.
long SnapshotFrame(uint8_t sampleFrom, uint8_t sampleTo, double r, long totalFrames);

// The snapshot steps against a target. satellite is accepted and passed on only.
// False when the control could not load the movie (the picture then shows only
// the background) or the bitmap could not be made.
bool TakeMovieSnapshot(ShotTarget& target, cDIBSection& dib, const SWFInfo& info, bool forceUnload, long satellite,
                       const ShotSettings& settings);
// Whether PrepareShot deletes the movie of record afterwards: one taken out of
// a projector into the cache, with CacheMode not 0, that is not the player's
// movie (playingPath).
bool DeletesShotCopy(const SWFInfo& record, int cacheMode, const std::wstring& playingPath);
