// The video wrapper page: reads the page named by "myXML" (SOURCE, WIDTH,
// HEIGHT, TIME in milliseconds) and plays the FLV file it names: pictures at
// their time stamps scaled into the stage keeping their aspect, the sound
// track through the control's mixer (its samples are the clock while it
// plays, else the control's clock), while "playing" is "1" (writing "0" at
// the end); thousandths written to "seeking" move it (to the key frame at or
// before, decoding on to the time), and "myVideo.playheadTime" tells the
// position in seconds.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "platform/flash/pages/FlashPage.h"
#include "platform/flash/media/FlvPlayer.h"

namespace flash {

class VideoPage : public FlashPage {
 public:
  ~VideoPage() override;
  int TotalFrames() const override { return 1000; }
  void Start(PageHost& host) override;
  void VariableWritten(PageHost& host, const std::wstring& path, const std::wstring& value) override;
  void Tick(PageHost& host) override;
  void Paint(HDC dc, const RECT& stage, double) override;

  const std::wstring& Source() const { return source_; }
  double Duration() const { return duration_; }
  double Position() const { return position_; }
  const media::FlvPlayer* Player() const { return player_.get(); }

 private:
  void PublishPosition(PageHost& host);
  void Show(PageHost& host);
  void Playing(PageHost& host, bool playing);

  std::wstring source_;
  long width_ = 0, height_ = 0;
  double duration_ = 0;  // seconds; 0 when unknown (the clock then runs without an end)
  double position_ = 0;
  double lastTick_ = 0;
  bool playing_ = false;
  std::unique_ptr<media::FlvPlayer> player_;
};

// Seconds as text with a "." decimal point and at most three decimals ("12.5").
std::wstring SecondsText(double seconds);

// Draws 32-bit pixels (rows top-down) scaled into rect keeping their aspect,
// centred, the bands beside them black.
void DrawPicture(HDC dc, const RECT& rect, const uint32_t* pixels, int width, int height);

}  // namespace flash
