// JPEG files written on a helper thread while the caller draws the next
// picture: Add copies the picture in and returns at once (waiting only while
// the queue is full); each file is written beside its target and moved over
// it when complete, as SaveJPG does. The thread starts with the first file
// and ends with Drain, which waits until every file queued is written and
// tells which ones failed and why.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "base/SlimLock.h"

class cDIBSection;

class JpegWriteQueue {
 public:
  // At most depth pictures (and 64 MB of them) wait to be written.
  explicit JpegWriteQueue(size_t depth = 8);
  ~JpegWriteQueue();  // drains
  JpegWriteQueue(const JpegWriteQueue&) = delete;
  JpegWriteQueue& operator=(const JpegWriteQueue&) = delete;

  // Queues the picture for target (quality 0..100). Without a helper thread
  // the file is written at once; false when that failed.
  bool Add(const cDIBSection& picture, const std::wstring& target, long quality);

  struct Failure {
    std::wstring target, reason;
  };
  // Waits until every file queued is written; the ones that failed since the last Drain.
  std::vector<Failure> Drain();

 private:
  struct Job {
    std::vector<uint8_t> bits;
    int width = 0, height = 0, stride = 0;
    std::wstring target;
    long quality = 0;
  };
  void Run();
  // Writes one file; "" when done, else why not.
  static std::wstring Write(const Job& job);

  const size_t depth_;
  SlimMutex m_;
  SlimCondition cv_;
  std::deque<Job> jobs_;
  std::vector<Failure> failures_;
  size_t queuedBytes_ = 0;
  bool ending_ = false;
  std::thread thread_;
};
