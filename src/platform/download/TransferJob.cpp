#include "platform/download/TransferJob.h"

#include <utility>

namespace download {

void TransferJob::Post(Event event, bool replaceSameStatus) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!notify_) return;
  if (replaceSameStatus && !events_.empty()) {
    auto* last = std::get_if<Progress>(&events_.back());
    if (last && last->Status == std::get<Progress>(event).Status) {
      *last = std::get<Progress>(std::move(event));
      return;
    }
  }
  const bool wasEmpty = events_.empty();
  events_.push_back(std::move(event));
  if (wasEmpty) PostMessageW(notify_, kReportsWaiting, 0, 0);
}

void TransferJob::Report(Progress progress) {
  if (progress.Status != kDownloading) return Post(std::move(progress), false);
  const double now = Clock();
  if (lastBytesReport_ >= 0 && now - lastBytesReport_ < kBytesReportSeconds) return;
  lastBytesReport_ = now;
  Post(std::move(progress), true);
}

void TransferJob::Finish(Result result) { Post(std::move(result), false); }

void TransferJob::Attach(HWND notify) {
  std::lock_guard<std::mutex> lock(mutex_);
  notify_ = notify;
}

bool TransferJob::Take(Event& event) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (events_.empty()) return false;
  event = std::move(events_.front());
  events_.pop_front();
  return true;
}

size_t TransferJob::Waiting() {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_.size();
}

void TransferJob::Release() {
  cancelled = true;
  std::lock_guard<std::mutex> lock(mutex_);
  notify_ = nullptr;
  events_.clear();
}

}  // namespace download
