// AsyncWork: one piece of work on a thread of its own, its end raised on the
// thread that started it (which must run a message loop), so that long work
// (parsing a document, walking it) never holds up a window. Cancel, or
// destroying the AsyncWork, before the end drops the end: nothing is raised
// and the thread finishes on its own. The work shares nothing with the
// starting thread but what its function captures.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "base/MessageWindow.h"

namespace platform {

class AsyncWork {
 public:
  AsyncWork() = default;
  ~AsyncWork();
  AsyncWork(const AsyncWork&) = delete;
  AsyncWork& operator=(const AsyncWork&) = delete;

  // Runs work on a new thread, then done on this one; false while work runs
  // or when no thread (or no window for the end) can be made.
  bool Start(std::function<void()> work, std::function<void()> done);
  void Cancel();
  bool Busy() const { return static_cast<bool>(job_); }

 private:
  struct Job;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Ended(WPARAM serial);

  MessageWindow window_;
  std::shared_ptr<Job> job_;
  std::function<void()> done_;
  WPARAM serial_ = 0;
};

}  // namespace platform
