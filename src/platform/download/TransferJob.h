// What one transfer's worker thread and its Transfer share: the address, the
// kind and limits, the queue of reports for the owner and the cancel flag.
// Byte counts are reported at most every 50 ms, and one still waiting is
// replaced by the next, so a fast transfer never floods its owner's thread.
#pragma once
#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <variant>

#include "base/Clock.h"
#include "platform/download/TransferReports.h"

namespace download {

// The message a worker posts to its owner's window when reports wait.
inline constexpr UINT kReportsWaiting = WM_APP + 0x28;
// The shortest time between two byte-count reports, in seconds.
inline constexpr double kBytesReportSeconds = 0.05;

struct TransferJob {
  using Event = std::variant<Progress, Result>;

  bool toCache = false;
  std::wstring url;
  Options options;
  std::atomic<bool> cancelled{false};

  // The clock of the report pace (tests put their own in its place).
  std::function<double()> Clock = MonotonicSeconds;

  // Worker side: byte counts within kBytesReportSeconds of the last one are
  // dropped; a byte count still waiting is replaced.
  void Report(Progress progress);
  void Finish(Result result);

  // Owner side.
  void Attach(HWND notify);
  bool Take(Event& event);
  size_t Waiting();
  void Release();  // the owner lets go: no more posts, the transfer is cancelled

 private:
  void Post(Event event, bool replaceSameStatus);

  std::mutex mutex_;
  std::deque<Event> events_;
  HWND notify_ = nullptr;
  double lastBytesReport_ = -1;  // the worker's own
};

// The worker: runs the job's transfer to its end and reports it through the job.
void RunTransfer(TransferJob& job);

}  // namespace download
