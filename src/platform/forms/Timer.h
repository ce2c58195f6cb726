// Timer: raises Timer every Interval milliseconds while Enabled and the
// interval is not 0. It ticks through its form's window.
#pragma once
#include "platform/forms/Control.h"

namespace forms {

struct TimerArgs : ControlArgs {
  UINT Interval = 0;
};

class Timer : public Control {
 public:
  using Args = TimerArgs;
  Timer(Form& form, const Args& args);
  ~Timer() override;

  UINT Interval() const { return interval_; }
  void SetInterval(UINT ms);
  void SetEnabled(bool enabled) override;
  bool Running() const { return running_; }
  // The timer ID on the form's window (unique per timer).
  UINT_PTR TimerId() const { return reinterpret_cast<UINT_PTR>(this); }

  std::function<void()> OnTimer;

  Args CurrentArgs() const;
  Control& LoadClone(int index) const override;
  void Tick();  // raises OnTimer (the form calls it on WM_TIMER)
  void Restart();  // after the form's window was (re)created

 protected:
  void Create() override { Restart(); }

 private:
  UINT interval_;
  bool running_ = false;
};

}  // namespace forms
