// The asynchronous download: one transfer at a time per Transfer object, run
// on a worker thread of its own over a connection of its own (plain or
// secure), never shared and never kept alive. Fetch reads a small document
// into memory; DownloadToCache writes the file into the Internet cache
// (nothing else is written, and nothing fetched is opened or run).
// Reports come back as events on the thread that started the transfer (which
// must run a message loop): OnProgress for every stage, numbered as the
// system numbers its binding stages, the bytes at most 20 times a second,
// then exactly one OnComplete, unless Cancel or the destructor came first,
// after which nothing more is raised.
// Only absolute http and https addresses are fetched, redirects included (each
// new address is checked before it is asked for). A status outside 2xx, a body
// longer than the limit (declared or received), a body that differs from its
// declared length either way, a server silent past a phase's time, a transfer
// past its overall deadline all end as failures; the connection is then
// dropped at once, not read to its end.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/MessageWindow.h"

namespace download {

// Status codes of the reports: those the system uses for its binding stages.
enum Status : long {
  kFindingResource = 1,
  kConnecting = 2,     // text: the host
  kRedirecting = 3,    // text: the new address
  kBeginDownload = 4,  // text: the address
  kDownloading = 5,    // text: the address
  kEndDownload = 6,    // text: the address
  kSendingRequest = 11,
  kMimeType = 13,   // text: the MIME type
  kCacheFile = 14,  // text: the cache file being written
};

struct Progress {
  long Status = 0;     // one of the codes above, or another the system reports
  std::wstring Text;   // the status text
  uint64_t Bytes = 0;  // bytes received so far
  uint64_t Total = 0;  // the declared length; 0 when the server gave none
  uint64_t BytesPerSecond = 0;  // kDownloading: the rate over the last second or two
};

enum class Failure {
  None,
  Address,    // not an http or https address
  Connect,    // no connection, or it was lost or refused its secure channel
  Http,       // a status outside 2xx
  BadAnswer,  // not a well-formed HTTP answer
  Redirect,   // to a non-web address, or too many
  TooLarge,   // over the limit, declared or received
  Truncated,  // the body ended short of its declared length
  Overrun,    // the body went on past its declared length
  TimedOut,
  Cancelled,
  System
};

struct Result {
  Failure Error = Failure::None;
  std::wstring Reason;     // "" on success; "HTTP 404", "Too large", "Timed out ...", ... otherwise
  long HttpStatus = 0;     // the final answer's status, when one came
  std::wstring MimeType;   // as the server gave it
  std::wstring CacheFile;  // DownloadToCache that succeeded: the file in the Internet cache (it exists)
  std::string Body;        // Fetch that succeeded: the bytes
  uint64_t Bytes = 0;      // bytes received
  bool Ok() const { return Error == Failure::None; }
};

// The largest transfer: the largest movie the program plays (kMaxInflatedMovie).
inline constexpr uint64_t kMaxTransferBytes = 512ull << 20;
// The largest document Fetch reads by default (the update feed).
inline constexpr uint64_t kMaxFeedBytes = 1u << 20;

// The longest a feed may take from start to end.
inline constexpr DWORD kFeedDeadlineMs = 60000;

struct Options {
  uint64_t MaxBytes = kMaxTransferBytes;  // by the declared length and by the bytes received
  DWORD ConnectTimeoutMs = 30000;         // to connect, and again for the secure handshake
  DWORD ReceiveTimeoutMs = 30000;         // the longest silence while sending or receiving
  DWORD DeadlineMs = 0;                   // the whole transfer, redirects included; 0: no limit
};

struct TransferJob;

class Transfer {
 public:
  Transfer();
  ~Transfer();  // cancels a running transfer; never waits for it
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  std::function<void(const Progress&)> OnProgress;
  std::function<void(const Result&)> OnComplete;

  // Start a transfer; false (and nothing raised) while one is running, or when
  // no window for the reports can be made. A bad address is reported through
  // OnComplete like every other end.
  bool Fetch(const std::wstring& url, const Options& options = FeedOptions());
  bool DownloadToCache(const std::wstring& url, const Options& options = Options());
  // Ends the running transfer at once: nothing more is raised. The worker
  // drops the connection within a moment and ends; the cache keeps nothing of it.
  void Cancel();
  bool Busy() const { return static_cast<bool>(job_); }

  static Options FeedOptions() {
    Options options;
    options.MaxBytes = kMaxFeedBytes;
    options.DeadlineMs = kFeedDeadlineMs;
    return options;
  }

 private:
  bool Start(bool toCache, const std::wstring& url, const Options& options);
  void Dispatch();
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  MessageWindow window_;
  std::shared_ptr<TransferJob> job_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace download
