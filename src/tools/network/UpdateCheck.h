// UpdateCheck: what the update window does without its window. It fetches the
// update feed (the web site's "rss.php") in the background, then parses it and
// walks it against the build to compare with on a thread of its own, so the
// window answers throughout; a feed that was read and walked renews
// "Update\Date" with today's date (a clock the caller may replace).
// The window hears the load's ready states: 1 when it starts, 4 at its end.
#pragma once
#include <functional>
#include <string>

#include "platform/AsyncWork.h"
#include "platform/download/Transfer.h"
#include "services/UpdateFeed.h"

namespace tools {

enum class UpdateOutcome { Loading, Found, NoUpdate, Failed };

class UpdateCheck {
 public:
  // "<web site>rss.php": the language file may name the web site's host.
  static std::wstring FeedAddress();

  // Today as stored in "Update\Date" (month-day-year).
  std::function<std::wstring()> Today;
  // Ready state 1 (loading) and 4 (completed); the handler may destroy the check.
  std::function<void(long readyState)> OnReadyStateChange;
  // The feed's transfer: at most 1 MB, within 60 s.
  download::Options Limits = download::Transfer::FeedOptions();

  // Starts the check against compBuild; false while one runs.
  bool Start(long compBuild, const std::wstring& feedURL = FeedAddress());

  long ReadyState() const { return readyState_; }
  UpdateOutcome Outcome() const { return outcome_; }
  // The walk's result (Found and NoUpdate).
  const UpdateFeedResult& Feed() const { return feed_; }
  // Why the check failed: "HTTP 500", "Timed out ...", "Too large ...",
  // "Not XML: ...", "No rss element ...", a DTD, ...
  const std::wstring& FailureReason() const { return reason_; }

 private:
  void Completed(const download::Result& result);
  void Read(const UpdateFeedReading& reading);
  void End();

  download::Transfer transfer_;
  platform::AsyncWork reader_;
  long compBuild_ = 0;
  long readyState_ = 0;
  UpdateOutcome outcome_ = UpdateOutcome::Loading;
  UpdateFeedResult feed_;
  std::wstring reason_;
};

}  // namespace tools
