// A lock and a condition to wait on, from the system's slim primitives
// (SRWLOCK, CONDITION_VARIABLE): taking the lock, waiting and waking need no
// kernel object, where this toolchain's std::mutex and
// std::condition_variable wait on semaphores (a system call for every wake).
// SlimMutex serves std::lock_guard and std::unique_lock; SlimCondition waits
// with a std::unique_lock<SlimMutex> held, as std::condition_variable does.
#pragma once
#include <windows.h>

#include <mutex>

class SlimMutex {
 public:
  SlimMutex() = default;
  SlimMutex(const SlimMutex&) = delete;
  SlimMutex& operator=(const SlimMutex&) = delete;
  void lock() { AcquireSRWLockExclusive(&lock_); }
  bool try_lock() { return TryAcquireSRWLockExclusive(&lock_) != 0; }
  void unlock() { ReleaseSRWLockExclusive(&lock_); }
  SRWLOCK* native() { return &lock_; }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

class SlimCondition {
 public:
  SlimCondition() = default;
  SlimCondition(const SlimCondition&) = delete;
  SlimCondition& operator=(const SlimCondition&) = delete;
  // Waits until ready() holds; the lock is held whenever ready() is asked.
  template <class Ready>
  void wait(std::unique_lock<SlimMutex>& held, Ready ready) {
    while (!ready()) SleepConditionVariableSRW(&cond_, held.mutex()->native(), INFINITE, 0);
  }
  void notify_one() { WakeConditionVariable(&cond_); }
  void notify_all() { WakeAllConditionVariable(&cond_); }

 private:
  CONDITION_VARIABLE cond_ = CONDITION_VARIABLE_INIT;
};
