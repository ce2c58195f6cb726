#include "platform/AsyncWork.h"

#include <mutex>
#include <utility>

namespace platform {

namespace {

const wchar_t* kClassName = L"SWFzelAsyncWork";
constexpr UINT kWorkEnded = WM_APP + 0x29;  // wParam: the work's serial

}  // namespace

struct AsyncWork::Job {
  std::function<void()> work;
  WPARAM serial = 0;
  std::mutex mutex;
  HWND notify = nullptr;  // null once the owner let go

  static DWORD WINAPI Main(void* param) {
    std::unique_ptr<std::shared_ptr<Job>> held(static_cast<std::shared_ptr<Job>*>(param));
    Job& job = **held;
    try {
      job.work();
    } catch (...) {
      // Nothing crosses the thread's end; the owner still hears of it.
    }
    job.work = nullptr;  // what it captured goes with this thread
    std::lock_guard<std::mutex> lock(job.mutex);
    if (job.notify) PostMessageW(job.notify, kWorkEnded, job.serial, 0);
    return 0;
  }
};

AsyncWork::~AsyncWork() { Cancel(); }

bool AsyncWork::Start(std::function<void()> work, std::function<void()> done) {
  if (job_) return false;
  if (!window_.Create(kClassName, Proc, this)) return false;
  auto job = std::make_shared<Job>();
  job->work = std::move(work);
  job->serial = ++serial_;
  job->notify = window_.get();
  auto* param = new std::shared_ptr<Job>(job);
  HANDLE thread = CreateThread(nullptr, 0, &Job::Main, param, 0, nullptr);
  if (!thread) {
    delete param;
    return false;
  }
  CloseHandle(thread);
  job_ = std::move(job);
  done_ = std::move(done);
  return true;
}

void AsyncWork::Cancel() {
  if (!job_) return;
  {
    std::lock_guard<std::mutex> lock(job_->mutex);
    job_->notify = nullptr;
  }
  job_.reset();
  done_ = nullptr;
}

void AsyncWork::Ended(WPARAM serial) {
  if (!job_ || job_->serial != serial) return;  // an end that was cancelled
  job_.reset();
  const std::function<void()> done = std::exchange(done_, nullptr);
  try {
    if (done) done();  // it may destroy this object
  } catch (...) {
    // Nothing crosses the window procedure.
  }
}

LRESULT CALLBACK AsyncWork::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = MessageWindow::Owner<AsyncWork>(hwnd);
  if (self && msg == kWorkEnded) {
    self->Ended(wp);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace platform
