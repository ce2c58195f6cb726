#include "tools/UpdateCheck.h"

#include "base/ErrorLog.h"
#include "player/start/OptionSet.h"
#include "services/RegistryModule.h"
#include "services/Tips.h"
#include "services/XmlDocument.h"

namespace tools {

std::wstring UpdateCheck::FeedAddress() { return GetWebSiteURL() + L"rss.php"; }

bool UpdateCheck::Start(long compBuild, const std::wstring& feedURL) {
  if (transfer_.Busy()) return false;
  compBuild_ = compBuild;
  outcome_ = UpdateOutcome::Loading;
  feed_ = UpdateFeedResult{};
  reason_.clear();
  transfer_.OnComplete = [this](const download::Result& result) { Completed(result); };
  if (!transfer_.Fetch(feedURL)) return false;
  readyState_ = 1;
  if (OnReadyStateChange) OnReadyStateChange(1);
  return true;
}

void UpdateCheck::Completed(const download::Result& result) {
  if (!result.Ok()) {
    outcome_ = UpdateOutcome::Failed;
    reason_ = result.Reason;
  } else {
    XmlDocument doc;
    if (!doc.LoadXML(FeedText(result.Body))) {
      outcome_ = UpdateOutcome::Failed;
      reason_ = doc.ParseError().reason;
      if (reason_.empty()) reason_ = L"Not an XML document";
    } else {
      const std::wstring today = Today ? Today() : player::TodayText();
      SaveRegString(L"Update", L"Date", today);
      player::Options().Update.Date = today;
      feed_ = WalkUpdateFeed(doc, compBuild_, GetWebSiteURL());
      outcome_ = feed_.Found ? UpdateOutcome::Found : UpdateOutcome::NoUpdate;
    }
  }
  WriteLog(L"Update check: " + std::wstring(outcome_ == UpdateOutcome::Found      ? L"update available"
                                            : outcome_ == UpdateOutcome::NoUpdate ? L"no update"
                                                                                  : L"failed, " + reason_));
  readyState_ = 4;
  // Last, through a copy: the handler may destroy this check.
  const auto raise = OnReadyStateChange;
  if (raise) raise(4);
}

}  // namespace tools
