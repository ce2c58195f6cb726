#include "player/movie/ThumbnailRun.h"

#include <algorithm>

#include "base/Clock.h"
#include "base/ErrorLog.h"

namespace player {

ThumbnailRun::ThumbnailRun(Clock clock) : clock_(clock ? std::move(clock) : Clock(MonotonicSeconds)) {}

void ThumbnailRun::Start(ThumbnailRunWindow& window, std::vector<MissingThumbnail> jobs,
                         std::unique_ptr<ThumbnailProgress> progress) {
  if (busy_) {
    // Asked while a thumbnail is made (its snapshot lets messages run): the
    // step in progress ends this run and starts that one.
    pending_ = std::make_unique<Pending>(Pending{std::move(jobs), std::move(progress)});
    stopAsked_ = true;
    return;
  }
  if (running_) End(window);
  jobs_ = std::move(jobs);
  done_.assign(jobs_.size(), false);
  cursor_ = 0;
  made_ = 0;
  progress_ = std::move(progress);
  started_ = clock_();
  running_ = !jobs_.empty();
  if (!running_) progress_.reset();
}

int ThumbnailRun::Next(ThumbnailRunWindow& window, bool& inView) {
  int first = 1, last = 0;
  window.VisibleItems(first, last);
  if (first <= last) {
    // The cells in view: a few dozen entries, found by their numbers.
    auto it = std::lower_bound(jobs_.begin(), jobs_.end(), first,
                               [](const MissingThumbnail& j, int item) { return j.Item < item; });
    for (; it != jobs_.end() && it->Item <= last; ++it) {
      const size_t i = static_cast<size_t>(it - jobs_.begin());
      if (!done_[i]) {
        inView = true;
        return static_cast<int>(i);
      }
    }
  }
  while (cursor_ < jobs_.size() && done_[cursor_]) ++cursor_;
  if (cursor_ >= jobs_.size()) return -1;
  inView = false;
  return static_cast<int>(cursor_);
}

bool ThumbnailRun::Step(ThumbnailRunWindow& window) {
  if (!running_) return false;
  // The progress window lets the message loop run while it draws: a tick
  // that comes meanwhile waits for this one.
  if (busy_) return true;
  busy_ = true;
  const double sliceEnd = clock_() + kSliceSeconds;
  bool more = true;
  do {
    bool inView = false;
    const int next = StopPressed() || stopAsked_ ? -1 : Next(window, inView);
    if (next < 0) {
      more = false;
      break;
    }
    const MissingThumbnail job = jobs_[static_cast<size_t>(next)];
    done_[static_cast<size_t>(next)] = true;
    if (progress_) progress_->Step(made_ + 1, Count(), ThumbnailCaption(made_ + 1, Count()), job.Movie);
    if (StopPressed()) {  // Stop pressed while the window drew
      more = false;
      break;
    }
    ++made_;
    if (window.MakeThumbnail(job.Movie, job.ThumbPath, progress_.get())) window.ThumbnailMade(job.ThumbName, inView);
    if (StopPressed() || stopAsked_) more = false;
  } while (more && clock_() < sliceEnd);
  busy_ = false;
  if (!more) End(window);
  if (pending_) {
    std::unique_ptr<Pending> next = std::move(pending_);
    Start(window, std::move(next->jobs), std::move(next->progress));
    return running_;
  }
  return more;
}

void ThumbnailRun::Stop(ThumbnailRunWindow& window) {
  pending_.reset();
  if (busy_)
    stopAsked_ = true;
  else if (running_)
    End(window);
}

void ThumbnailRun::End(ThumbnailRunWindow& window) {
  running_ = false;
  stopAsked_ = false;
  const long ms = static_cast<long>((clock_() - started_) * 1000);
  WriteLog(L"Thumbnail Generation (" + std::to_wstring(made_) + L" of " + std::to_wstring(Count()) + L") in " +
           std::to_wstring(ms) + L" ms");
  progress_.reset();
  jobs_.clear();
  done_.clear();
  window.EndThumbnails();
}

}  // namespace player
