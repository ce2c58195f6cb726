// DownloaderControl: the downloader window's transfer, without a window. It
// fetches one address into the Internet cache through the asynchronous
// download and keeps the cache file and MIME type reported, which hold their
// values while Complete runs and are empty after it. Also the window's two
// rules: which address may be started, and the status line of a report.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/download/Transfer.h"

namespace tools {

// Longer than 9 characters and beginning with "http://" in any case.
bool DownloadAddressAccepted(const std::wstring& text);
// "Connecting... :: <text>" and the like; another code as its number.
std::wstring DownloadStatusLine(long status, const std::wstring& text);
// A report's line: the stage's line, and while downloading the rate
// ("Downloading... :: <address> (1.50 MB/s)").
std::wstring DownloadStatusLine(const download::Progress& report);
// The bar's fill for a report: received over declared, never above 1; 0
// without a declared length.
double DownloadFraction(const download::Progress& report);

class DownloaderControl {
 public:
  DownloaderControl() = default;
  ~DownloaderControl() { *alive_ = false; }  // a transfer still running is dropped
  DownloaderControl(const DownloaderControl&) = delete;
  DownloaderControl& operator=(const DownloaderControl&) = delete;

  std::wstring CacheFile;  // the file in the Internet cache (it exists), once known
  std::wstring MimeType;   // as the server gave it
  download::Options Limits;

  // Raised on every report, after CacheFile and MimeType took what it carries.
  std::function<void(const download::Progress&)> Progress;
  // Raised at every end but Cancel's. A failed transfer reports no cache file.
  // The handler may destroy the control.
  std::function<void(const download::Result&)> Complete;

  // Starts fetching url; false while a transfer runs.
  bool Download(const std::wstring& url);
  // Ends the running transfer; nothing more is raised.
  void Cancel();
  bool Busy() const { return transfer_.Busy(); }

 private:
  void Ended(const download::Result& result);

  download::Transfer transfer_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tools
