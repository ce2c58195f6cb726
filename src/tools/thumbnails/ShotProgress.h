// The state of the thumbnail progress window, without a window: the run's
// count (the bar shows only for more than one movie), the bar's fraction
// and caption, the file in hand, and Stop, which acts once and is disabled
// from then on.
#pragma once
#include <string>

namespace tools {

class ShotProgress {
 public:
  explicit ShotProgress(int count) : count_(count) {}

  bool BarVisible() const { return count_ > 1; }
  void Step(int index, int count, const std::wstring& caption, const std::wstring& path);
  float Fraction() const { return fraction_; }
  const std::wstring& Caption() const { return caption_; }
  const std::wstring& Status() const { return status_; }

  // Stop: true the first time (the run is to end after the movie in hand).
  bool Stop();
  bool StopEnabled() const { return stopEnabled_; }

 private:
  int count_ = 0;
  float fraction_ = 0;
  std::wstring caption_, status_;
  bool stopEnabled_ = true;
};

}  // namespace tools
