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
#include "platform/download/TransferReports.h"

namespace download {

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
