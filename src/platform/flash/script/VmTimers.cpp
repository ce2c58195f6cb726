// The interpreter's timers (setInterval, setTimeout and calls put off until
// the running scripts are done), the keyboard as the host tells it, and
// broadcasting to listeners.
#include "platform/flash/script/Vm.h"

#include <algorithm>
#include <cmath>

#include "platform/flash/script/Convert.h"
#include "platform/flash/script/VmFrame.h"

namespace flash::script {
namespace {

constexpr size_t kMaxTimers = 4096;

}  // namespace

void Vm::RunTimers() {
  if (timers_.empty()) return;
  const double now = (host_.Seconds() - startSeconds_) * 1000;
  std::vector<int> due;
  for (const Timer& t : timers_)
    if (t.due <= now) due.push_back(t.id);
  for (int id : due) {
    auto it = std::find_if(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
    if (it == timers_.end()) continue;  // cleared by an earlier one
    Timer t = *it;
    if (t.once) {
      timers_.erase(it);
    } else {
      it->due = std::max(it->due + std::max(it->intervalMs, 1.0), now);
    }
    firing_.push_back(t);  // kept alive while it runs
    if (t.method) {
      Outer([&] { CallMethod(t.object, t.method, t.args); });
    } else {
      Call(t.fn, Value::Undefined(), t.args);
    }
    firing_.pop_back();
  }
}

int Vm::AddTimer(Timer t) {
  if (timers_.size() >= kMaxTimers) return 0;
  t.id = nextTimer_++;
  t.due = (host_.Seconds() - startSeconds_) * 1000 + std::max(t.intervalMs, 0.0);
  timers_.push_back(std::move(t));
  return timers_.back().id;
}

void Vm::ClearTimer(int id) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; }),
                timers_.end());
}

// ---- Input and listeners ------------------------------------------------------------------

void Vm::SetKey(int code, int ascii, bool down) {
  if (code >= 0 && code < 256) keysDown_[code] = down;
  lastKey_ = code;
  if (down) lastAscii_ = ascii;
}

Object* Vm::GlobalObject(const wchar_t* name) { return Get(Value::Obj(global_), Intern(name)).ObjectOrNull(); }

void Vm::Broadcast(Object* broadcaster, const wchar_t* method, std::span<const Value> args) {
  if (!broadcaster) return;
  Object* list = Get(Value::Obj(broadcaster), Intern(L"_listeners")).ObjectOrNull();
  if (!list || list->Class() != ObjClass::Array) return;
  const std::vector<Value> listeners = static_cast<Array*>(list)->items;
  String* name = Intern(method);
  ++gcBlocked_;  // the copy above is not seen by the collector
  for (const Value& l : listeners) Outer([&] { CallMethod(l, name, args); });
  --gcBlocked_;
}

void Vm::Later(const Value& obj, String* method, std::vector<Value> args) {
  Timer t;
  t.object = obj;
  t.method = method;
  t.args = std::move(args);
  t.once = true;
  AddTimer(std::move(t));
}

}  // namespace flash::script
