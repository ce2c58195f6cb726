#include "platform/flash/control/FrameTicks.h"

namespace flash {

FrameTicks::FrameTicks(FlashControl& control) : control_(control) {
  control_.SetClock([this] { return now_; });
}

FrameTicks::~FrameTicks() { control_.SetClock({}); }

bool FrameTicks::Load(const std::wstring& path) {
  control_.LoadMovie(0, path);
  ticks_ = control_.FrameNum() < 0 ? 0 : 1;
  return ticks_ == 1;
}

void FrameTicks::Tick() {
  if (ticks_ < 1) return;
  now_ += 1.0 / control_.FrameRate();
  ++ticks_;
  control_.Pump();
}

void FrameTicks::RunTo(long ticks) {
  while (ticks_ >= 1 && ticks_ < ticks) Tick();
}

}  // namespace flash
