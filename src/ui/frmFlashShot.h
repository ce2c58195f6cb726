// The hidden snapshot window: a form never shown, loaded on first use, whose
// movie control fills its client area (120 x 90 pixels as designed). myDib
// holds the last picture and outlives the window's unloading.
#pragma once
#include <memory>
#include <string>

#include "images/cDIBSection.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/forms/Form.h"
#include "ui/MovieSnapshot.h"

// Into frmFlashShot.myDib through the hidden window.
bool TakeMovieSnapshot(const SWFInfo& info, bool forceUnload, const ShotSettings& settings, long satellite = 0);
// Reads the movie's header into a record of its own and takes its snapshot;
// "| no |" only stops the hidden control. A movie taken out of a projector
// into the cache is deleted afterwards by CacheMode, unless it is the
// player's (playingPath).
void PrepareShot(const std::wstring& movieFileName, const std::wstring& playingPath, bool forceUnload,
                 const ShotSettings& settings, long satellite = 0);
// The major version of the movie control, 0 when it can't be read.
uint8_t GetFlashPlayerVersion();

class FlashShotForm : public forms::Form, public ShotTarget {
 public:
  FlashShotForm();
  ~FlashShotForm() override;

  // The movie control, loading the window when needed.
  flash::FlashControl& SWF();

  cDIBSection myDib;      // the last picture taken
  HWND hShotSWF = nullptr;  // the control's own window

  // ShotTarget.
  void LoadMovie(long layer, const std::wstring& url) override { SWF().LoadMovie(layer, url); }
  void SetBGColor(const std::wstring& color) override { SWF().SetBGColor(color); }
  long ScaleMode() override { return SWF().ScaleMode(); }
  void SetScaleMode(long mode) override { SWF().SetScaleMode(mode); }
  void SetQuality(long quality) override { SWF().SetQuality(quality); }
  long FrameNum() override { return SWF().FrameNum(); }
  long TotalFrames() override { return SWF().TotalFrames(); }
  void GotoFrame(long frame) override { SWF().GotoFrame(frame); }
  int Width() override { return SWF().Width(); }
  int Height() override { return SWF().Height(); }
  COLORREF BackColor() override { return SWF().BackgroundColor(); }
  void PaintInto(HDC dc) override;
  void DoEvents() override;
  void UnloadWindow() override { Unload(); }

 protected:
  void CreateControls() override;

 private:
  std::unique_ptr<flash::FlashControl> swf_;
};

extern FlashShotForm frmFlashShot;
