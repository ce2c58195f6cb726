#include "platform/flash/render/PaintPool.h"

#include <algorithm>

namespace flash {

PaintPool::PaintPool(int threads) {
  for (int i = 1; i < std::clamp(threads, 1, kMaxThreads); ++i) workers_.emplace_back([this, i] { Worker(i); });
}

PaintPool::~PaintPool() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
}

int PaintPool::MachineThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int>(n), 1, kMaxThreads);
}

void PaintPool::Drain(int thread) {
  std::unique_lock<std::mutex> hold(lock_);
  while (next_ < count_) {
    const int task = next_++;
    const auto* work = work_;
    hold.unlock();
    (*work)(task, thread);
    hold.lock();
    if (++finished_ == count_) done_.notify_all();
  }
}

void PaintPool::Worker(int index) {
  uint64_t seen = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> hold(lock_);
      wake_.wait(hold, [&] { return stop_ || round_ != seen; });
      if (stop_) return;
      seen = round_;
    }
    Drain(index);
  }
}

void PaintPool::Run(int count, const std::function<void(int task, int thread)>& work) {
  if (count <= 0) return;
  if (workers_.empty() || count == 1) {
    for (int i = 0; i < count; ++i) work(i, 0);
    return;
  }
  {
    std::lock_guard<std::mutex> hold(lock_);
    work_ = &work;
    count_ = count, next_ = 0, finished_ = 0;
    ++round_;
  }
  wake_.notify_all();
  Drain(0);
  std::unique_lock<std::mutex> hold(lock_);
  done_.wait(hold, [&] { return finished_ == count_; });
  work_ = nullptr;
  count_ = 0;
}

}  // namespace flash
