#include "tools/network/DownloaderControl.h"

#include <algorithm>
#include <cwctype>

#include "services/ShellMod.h"

namespace tools {

bool DownloadAddressAccepted(const std::wstring& text) {
  return text.size() > 9 && StrEqualNoCase(text.substr(0, 7), L"http://");
}

std::wstring DownloadStatusLine(long status, const std::wstring& text) {
  std::wstring stage;
  switch (status) {
    case download::kFindingResource: stage = L"Finding Resource..."; break;
    case download::kConnecting: stage = L"Connecting..."; break;
    case download::kRedirecting: stage = L"Redirecting..."; break;
    case download::kBeginDownload:
    case download::kDownloading: stage = L"Downloading..."; break;
    case download::kSendingRequest: stage = L"Sending Request..."; break;
    default: stage = std::to_wstring(status); break;
  }
  return stage + L" :: " + text;
}

std::wstring DownloadStatusLine(const download::Progress& report) {
  std::wstring line = DownloadStatusLine(report.Status, report.Text);
  if (report.Status == download::kDownloading && report.BytesPerSecond > 0) {
    line += L" (" + FormatByteSize(static_cast<int64_t>(report.BytesPerSecond)) + L"/s)";
  }
  return line;
}

double DownloadFraction(const download::Progress& report) {
  if (report.Total == 0) return 0;
  return std::min(1.0, static_cast<double>(report.Bytes) / static_cast<double>(report.Total));
}

bool DownloaderControl::Download(const std::wstring& url) {
  if (transfer_.Busy()) return false;
  CacheFile.clear();
  MimeType.clear();
  transfer_.OnProgress = [this](const download::Progress& p) {
    if (p.Status == download::kMimeType) MimeType = p.Text;
    if (p.Status == download::kCacheFile) CacheFile = p.Text;
    if (Progress) Progress(p);
  };
  transfer_.OnComplete = [this](const download::Result& r) { Ended(r); };
  return transfer_.DownloadToCache(url, Limits);
}

void DownloaderControl::Cancel() {
  transfer_.Cancel();
  CacheFile.clear();
  MimeType.clear();
}

void DownloaderControl::Ended(const download::Result& result) {
  // The file the system's call returned, not the name it gave on the way;
  // a failed transfer leaves nothing in the cache to report.
  CacheFile = result.Ok() && FileExists(result.CacheFile) ? result.CacheFile : std::wstring();
  if (!result.MimeType.empty()) MimeType = result.MimeType;
  const std::shared_ptr<bool> alive = alive_;
  const auto raise = Complete;
  if (raise) raise(result);
  if (!*alive) return;
  CacheFile.clear();
  MimeType.clear();
}

}  // namespace tools
