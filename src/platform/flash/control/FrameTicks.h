// Plays a movie in a control on a clock of its own, one frame time a tick,
// so a picture or a report after a number of frames does not depend on the
// machine's clock (the probe's snapshots, the tests). Tick 1 is the first
// frame as loading leaves it, its actions run; each later tick moves the
// clock one frame time on and runs what that makes due: the timelines, their
// actions, clip events and intervals. Nothing else moves the clock.
#pragma once
#include <string>

#include "platform/flash/control/FlashControl.h"

namespace flash {

class FrameTicks {
 public:
  // The control runs on this clock from now on, until this goes.
  explicit FrameTicks(FlashControl& control);
  ~FrameTicks();
  FrameTicks(const FrameTicks&) = delete;
  FrameTicks& operator=(const FrameTicks&) = delete;

  // Loads a movie (tick 1); false when it is no movie.
  bool Load(const std::wstring& path);
  // One frame time on.
  void Tick();
  // Ticks on until ticks have been counted since the load (none when past).
  void RunTo(long ticks);
  long Ticks() const { return ticks_; }
  double Now() const { return now_; }

 private:
  FlashControl& control_;
  double now_ = 0;
  long ticks_ = 0;
};

}  // namespace flash
