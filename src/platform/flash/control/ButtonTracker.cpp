#include "platform/flash/control/ButtonTracker.h"

namespace flash {

std::vector<ButtonTransition> ButtonTracker::Move(const Under& under, bool held) {
  std::vector<ButtonTransition> out;
  if (!held && (pressed_ || heldElsewhere_)) out = Cancel();  // the release happened where it was not seen
  if (heldElsewhere_) return out;  // a press that began on no button leaves buttons alone until its release
  if (pressed_) {
    const bool inside = under == current_;
    if (inside == over_) return out;
    over_ = inside;
    out.push_back(Make(inside ? kOutDownToOverDown : kOverDownToOutDown));
    return out;
  }
  if (under == current_) return out;
  if (current_) {
    over_ = false;
    out.push_back(Make(kOverUpToIdle));
  }
  current_ = under;
  over_ = current_.has_value();
  if (current_) out.push_back(Make(kIdleToOverUp));
  return out;
}

std::vector<ButtonTransition> ButtonTracker::Press(const Under& under) {
  std::vector<ButtonTransition> out = Cancel();  // an earlier press whose release was lost
  for (auto& t : Move(under, false)) out.push_back(std::move(t));
  if (!current_) {
    heldElsewhere_ = true;
    return out;
  }
  pressed_ = true;
  out.push_back(Make(kOverUpToOverDown));
  return out;
}

std::vector<ButtonTransition> ButtonTracker::Release(const Under& under) {
  std::vector<ButtonTransition> out;
  heldElsewhere_ = false;
  if (pressed_) {
    out = Move(under, true);
    pressed_ = false;
    if (over_) {
      out.push_back(Make(kOverDownToOverUp));
      return out;
    }
    out.push_back(Make(kOutDownToIdle));
    current_.reset();
  }
  for (auto& t : Move(under, false)) out.push_back(std::move(t));
  return out;
}

std::vector<ButtonTransition> ButtonTracker::Leave() { return Move(std::nullopt, pressed_ || heldElsewhere_); }

std::vector<ButtonTransition> ButtonTracker::Cancel() {
  std::vector<ButtonTransition> out;
  heldElsewhere_ = false;
  if (!pressed_) return out;
  pressed_ = over_ = false;
  out.push_back(Make(0));
  current_.reset();
  return out;
}

void ButtonTracker::Reset() {
  current_.reset();
  pressed_ = over_ = heldElsewhere_ = false;
}

}  // namespace flash
