// A small pool of painting threads owned by a renderer: Run hands out tasks
// 0..count-1 to the pool's workers and the calling thread, and returns when
// all are done. Each call of work gets the task and the index of the thread
// running it (0 the caller, 1..Threads()-1 the workers), so a task can use
// that thread's own scratch state. Work must not throw.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace flash {

class PaintPool {
 public:
  // threads: the threads painting in all, the caller included (1: no workers).
  explicit PaintPool(int threads);
  ~PaintPool();
  PaintPool(const PaintPool&) = delete;
  PaintPool& operator=(const PaintPool&) = delete;

  // The threads the machine's cores give, at most kMaxThreads.
  static int MachineThreads();
  static constexpr int kMaxThreads = 8;

  int Threads() const { return static_cast<int>(workers_.size()) + 1; }
  void Run(int count, const std::function<void(int task, int thread)>& work);

 private:
  void Worker(int index);
  // Takes and runs tasks until none is left.
  void Drain(int thread);

  std::mutex lock_;
  std::condition_variable wake_, done_;
  const std::function<void(int, int)>* work_ = nullptr;
  int count_ = 0, next_ = 0, finished_ = 0;
  uint64_t round_ = 0;
  bool stop_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace flash
