// The pointer's dealings with a movie's buttons: which button it is over,
// which one is held down, and for each pointer event the transitions it
// makes (the condition that runs a button's actions and the state the button
// is then drawn in). Until the release only the pressed button follows the
// pointer: it shows down while the pointer is over it and up while it is not;
// a press that began on no button leaves every button alone until released.
#pragma once
#include <optional>
#include <vector>

#include "platform/flash/control/HitTester.h"

namespace flash {

struct ButtonTransition {
  ButtonPath button;
  uint16_t condition = 0;  // a ButtonCondition; 0 runs nothing
  uint8_t state = kButtonUp;
};

class ButtonTracker {
 public:
  using Under = std::optional<ButtonPath>;  // the button under the pointer, if any

  // held: the primary mouse button is down (as the move message says).
  std::vector<ButtonTransition> Move(const Under& under, bool held);
  std::vector<ButtonTransition> Press(const Under& under);
  std::vector<ButtonTransition> Release(const Under& under);
  // The pointer left the control (a pressed button shows up until the release).
  std::vector<ButtonTransition> Leave();
  // A press ends without a release (the capture was taken away): nothing runs.
  std::vector<ButtonTransition> Cancel();
  // Forgets everything (the movie changed or the button is gone).
  void Reset();

  // The button the pointer is over or holds down.
  const Under& Current() const { return current_; }
  bool Pressed() const { return pressed_; }
  // The state the current button is drawn in.
  uint8_t State() const { return !over_ ? kButtonUp : pressed_ ? kButtonDown : kButtonOver; }

 private:
  ButtonTransition Make(uint16_t condition) const { return ButtonTransition{*current_, condition, State()}; }

  Under current_;
  bool pressed_ = false;
  bool over_ = false;  // the pointer is over current_
  bool heldElsewhere_ = false;
};

}  // namespace flash
