#include "tools/network/UpdateCheck.h"

#include <memory>
#include <string>

#include "base/ErrorLog.h"
#include "base/Handles.h"
#include "player/start/OptionSet.h"
#include "services/RegistryModule.h"
#include "services/Tips.h"

namespace tools {

std::wstring UpdateCheck::FeedAddress() { return GetWebSiteURL() + L"rss.php"; }

bool UpdateCheck::Start(long compBuild, const std::wstring& feedURL) {
  if (transfer_.Busy() || reader_.Busy()) return false;
  compBuild_ = compBuild;
  outcome_ = UpdateOutcome::Loading;
  feed_ = UpdateFeedResult{};
  reason_.clear();
  transfer_.OnComplete = [this](const download::Result& result) { Completed(result); };
  if (!transfer_.Fetch(feedURL, Limits)) return false;
  readyState_ = 1;
  if (OnReadyStateChange) OnReadyStateChange(1);
  return true;
}

void UpdateCheck::Completed(const download::Result& result) {
  if (!result.Ok()) {
    outcome_ = UpdateOutcome::Failed;
    reason_ = result.Reason;
    return End();
  }
  // Parsed and walked on a thread of its own; only the bytes go there, the result comes back.
  auto reading = std::make_shared<UpdateFeedReading>();
  auto body = std::make_shared<const std::string>(result.Body);
  const long build = compBuild_;
  const std::wstring base = GetWebSiteURL();
  const bool started = reader_.Start(
      [reading, body, build, base] {
        ScopedComApartment com;
        if (com.Ready()) *reading = ReadUpdateFeed(*body, build, base);
      },
      [this, reading] { Read(*reading); });
  if (!started) {
    outcome_ = UpdateOutcome::Failed;
    reason_ = L"The feed could not be read (no thread)";
    End();
  }
}

void UpdateCheck::Read(const UpdateFeedReading& reading) {
  if (!reading.Read) {
    outcome_ = UpdateOutcome::Failed;
    reason_ = reading.Reason.empty() ? L"The feed could not be read" : reading.Reason;
    return End();
  }
  const std::wstring today = Today ? Today() : player::TodayText();
  SaveRegString(L"Update", L"Date", today);
  player::Options().Update.Date = today;
  feed_ = reading.Feed;
  if (feed_.DetailsLeftOut > 0) {
    WriteLog(L"Update check: the details end at " + std::to_wstring(kMaxUpdateDetails) + L" characters; " +
             std::to_wstring(feed_.DetailsLeftOut) + L" more newer items are left out");
  }
  outcome_ = feed_.Found ? UpdateOutcome::Found : UpdateOutcome::NoUpdate;
  End();
}

void UpdateCheck::End() {
  WriteLog(L"Update check: " + std::wstring(outcome_ == UpdateOutcome::Found      ? L"update available"
                                            : outcome_ == UpdateOutcome::NoUpdate ? L"no update"
                                                                                  : L"failed, " + reason_));
  readyState_ = 4;
  // Last, through a copy: the handler may destroy this check.
  const auto raise = OnReadyStateChange;
  if (raise) raise(4);
}

}  // namespace tools
