// The video wrapper page: reads the page named by "myXML" (SOURCE, WIDTH,
// HEIGHT, TIME in milliseconds), runs a playback clock over the video's
// duration while "playing" is "1" (writing "0" at the end), moves it to the
// thousandths written to "seeking", and publishes "myVideo.playheadTime" in
// seconds. No decoding yet: the stage is black.
#pragma once
#include "platform/flash/FlashPage.h"

namespace flash {

class VideoPage : public FlashPage {
 public:
  int TotalFrames() const override { return 1000; }
  void Start(PageHost& host) override;
  void VariableWritten(PageHost& host, const std::wstring& path, const std::wstring& value) override;
  void Tick(PageHost& host) override;
  void Paint(HDC dc, const RECT& stage, double) override;

  const std::wstring& Source() const { return source_; }
  double Duration() const { return duration_; }
  double Position() const { return position_; }

 private:
  void PublishPosition(PageHost& host);

  std::wstring source_;
  long width_ = 0, height_ = 0;
  double duration_ = 0;  // seconds; 0 when unknown (the clock then runs without an end)
  double position_ = 0;
  double lastTick_ = 0;
};

// Seconds as text with a "." decimal point and at most three decimals ("12.5").
std::wstring SecondsText(double seconds);

}  // namespace flash
