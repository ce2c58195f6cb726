// What one transfer's worker thread and its Transfer share: the address, the
// kind and limits, the queue of reports for the owner and the cancel flag.
#pragma once
#include <windows.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <variant>

#include "platform/download/Transfer.h"

namespace download {

// The message a worker posts to its owner's window when reports wait.
inline constexpr UINT kReportsWaiting = WM_APP + 0x28;

struct TransferJob {
  using Event = std::variant<Progress, Result>;

  bool toCache = false;
  std::wstring url;
  Options options;
  std::atomic<bool> cancelled{false};

  // Worker side: a report of the same status still waiting is replaced.
  void Report(Progress progress);
  void Finish(Result result);

  // Owner side.
  void Attach(HWND notify);
  bool Take(Event& event);
  void Release();  // the owner lets go: no more posts, the transfer is cancelled

 private:
  void Post(Event event, bool replaceSameStatus);

  std::mutex mutex_;
  std::deque<Event> events_;
  HWND notify_ = nullptr;
};

// The worker: runs the job's transfer to its end and reports it through the job.
void RunTransfer(TransferJob& job);

}  // namespace download
