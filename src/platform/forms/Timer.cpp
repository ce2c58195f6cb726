#include "platform/forms/Timer.h"

#include "platform/forms/Form.h"

namespace forms {

Timer::Timer(Form& form, const Args& args) : Control(form, ControlKind::Timer, args), interval_(args.Interval) {
  form_.Enlist(this);
}

Timer::~Timer() {
  form_.Delist(this);
  if (running_ && form_.hWnd()) KillTimer(form_.hWnd(), TimerId());
}

void Timer::SetInterval(UINT ms) {
  interval_ = ms;
  Restart();
}

void Timer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Restart();
}

void Timer::Restart() {
  HWND hwnd = form_.hWnd();
  if (running_ && hwnd) KillTimer(hwnd, TimerId());
  running_ = false;
  if (enabled_ && interval_ > 0 && hwnd) running_ = SetTimer(hwnd, TimerId(), interval_, nullptr) != 0;
}

void Timer::Tick() {
  if (running_) Raise(L"Timer", OnTimer);
}

Timer::Args Timer::CurrentArgs() const {
  Args a;
  static_cast<ControlArgs&>(a) = BaseArgs();
  a.Interval = interval_;
  return a;
}

Control& Timer::LoadClone(int index) const {
  Args a = CurrentArgs();
  a.Index = index;
  a.Enabled = false;  // a new timer element waits to be started
  return form_.Add<Timer>(a);
}

}  // namespace forms
