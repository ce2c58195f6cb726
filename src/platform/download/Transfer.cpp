#include "platform/download/Transfer.h"

#include <exception>
#include <utility>

#include "moviefiles/MovieCache.h"
#include "platform/download/TransferJob.h"
#include "services/WebAddress.h"

namespace download {

static_assert(kMaxTransferBytes == kMaxInflatedMovie, "a transfer may be as large as the largest movie");

namespace {

const wchar_t* kClassName = L"SWFzelTransfer";

DWORD WINAPI WorkerMain(void* param) {
  std::unique_ptr<std::shared_ptr<TransferJob>> held(static_cast<std::shared_ptr<TransferJob>*>(param));
  RunTransfer(**held);
  return 0;
}

template <typename Callback, typename Arg>
void Raise(const Callback& callback, const Arg& arg) {
  if (!callback) return;
  Callback copy = callback;  // the callback may destroy the Transfer that holds it
  try {
    copy(arg);
  } catch (...) {
    // Nothing crosses the window procedure.
  }
}

}  // namespace

Transfer::Transfer() = default;

Transfer::~Transfer() {
  *alive_ = false;
  if (job_) job_->Release();
}

bool Transfer::Fetch(const std::wstring& url, const Options& options) { return Start(false, url, options); }

bool Transfer::DownloadToCache(const std::wstring& url, const Options& options) { return Start(true, url, options); }

bool Transfer::Start(bool toCache, const std::wstring& url, const Options& options) {
  if (job_) return false;
  if (!window_.Create(kClassName, Proc, this)) return false;
  auto job = std::make_shared<TransferJob>();
  job->toCache = toCache;
  job->url = url;
  job->options = options;
  job->Attach(window_.get());
  job_ = job;
  if (!IsWebAddress(url)) {
    Result result;
    result.Error = Failure::Address;
    result.Reason = L"Not an http or https address";
    job->Finish(std::move(result));
    return true;
  }
  auto* param = new std::shared_ptr<TransferJob>(job);
  HANDLE thread = CreateThread(nullptr, 0, WorkerMain, param, 0, nullptr);
  if (!thread) {
    delete param;
    Result result;
    result.Error = Failure::System;
    result.Reason = L"No worker thread";
    job->Finish(std::move(result));
    return true;
  }
  CloseHandle(thread);
  return true;
}

void Transfer::Cancel() {
  if (!job_) return;
  job_->Release();
  job_.reset();
}

// Raises the reports waiting when it is called, one at a time, so that a
// callback that runs a message loop of its own sees the later ones in order;
// stops when a callback cancelled the transfer or destroyed this object.
// Reports that came meanwhile wait for the next turn of the message loop.
void Transfer::Dispatch() {
  const std::shared_ptr<bool> alive = alive_;
  for (size_t turn = job_ ? job_->Waiting() : 0; turn > 0 && *alive && job_; --turn) {
    const std::shared_ptr<TransferJob> job = job_;
    TransferJob::Event event;
    if (!job->Take(event)) return;
    if (auto* progress = std::get_if<Progress>(&event)) {
      Raise(OnProgress, *progress);
    } else {
      job_.reset();
      Raise(OnComplete, std::get<Result>(event));
      return;
    }
  }
  if (*alive && job_ && job_->Waiting() > 0) PostMessageW(window_.get(), kReportsWaiting, 0, 0);
}

LRESULT CALLBACK Transfer::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = MessageWindow::Owner<Transfer>(hwnd);
  if (self && msg == kReportsWaiting) {
    self->Dispatch();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace download
