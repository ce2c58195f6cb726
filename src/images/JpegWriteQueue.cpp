#include "images/JpegWriteQueue.h"

#include <windows.h>

#include <system_error>
#include <utility>

#include "images/IntelJPEGLibrary.h"
#include "images/cDIBSection.h"

namespace {

// Large pictures wait in fewer numbers: a picture beyond this waits alone.
constexpr size_t kMaxQueuedBytes = 64u << 20;

}  // namespace

JpegWriteQueue::JpegWriteQueue(size_t depth) : depth_(depth < 1 ? 1 : depth) {}

JpegWriteQueue::~JpegWriteQueue() { Drain(); }

bool JpegWriteQueue::Add(const cDIBSection& picture, const std::wstring& target, long quality) {
  GdiFlush();
  Job job;
  job.width = static_cast<int>(picture.Width());
  job.height = static_cast<int>(picture.Height());
  job.stride = static_cast<int>(picture.BytesPerScanLine());
  job.target = target;
  job.quality = quality;
  const uint8_t* bits = picture.DIBSectionBitsPtr();
  if (bits && job.width > 0 && job.height > 0 && job.stride >= 3 * job.width)
    job.bits.assign(bits, bits + static_cast<size_t>(job.stride) * static_cast<size_t>(job.height));
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      // No helper thread to be had: the file is written at once.
      const std::wstring reason = Write(job);
      std::lock_guard<SlimMutex> lock(m_);
      if (!reason.empty()) failures_.push_back({job.target, reason});
      return reason.empty();
    }
  }
  const size_t bytes = job.bits.size();
  std::unique_lock<SlimMutex> lock(m_);
  cv_.wait(lock, [&] { return jobs_.empty() || (jobs_.size() < depth_ && queuedBytes_ + bytes <= kMaxQueuedBytes); });
  queuedBytes_ += bytes;
  jobs_.push_back(std::move(job));
  cv_.notify_all();
  return true;
}

std::vector<JpegWriteQueue::Failure> JpegWriteQueue::Drain() {
  if (thread_.joinable()) {
    {
      std::lock_guard<SlimMutex> lock(m_);
      ending_ = true;
    }
    cv_.notify_all();
    thread_.join();  // the thread writes every file queued before it ends
    ending_ = false;
  }
  std::lock_guard<SlimMutex> lock(m_);
  return std::exchange(failures_, {});
}

void JpegWriteQueue::Run() {
  std::unique_lock<SlimMutex> lock(m_);
  for (;;) {
    cv_.wait(lock, [this] { return !jobs_.empty() || ending_; });
    if (jobs_.empty()) return;
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    queuedBytes_ -= job.bits.size();
    cv_.notify_all();  // room for the next picture
    lock.unlock();
    const std::wstring reason = Write(job);
    lock.lock();
    if (!reason.empty()) failures_.push_back({job.target, reason});
  }
}

std::wstring JpegWriteQueue::Write(const Job& job) {
  if (job.bits.empty()) return L"No picture to save";
  std::wstring reason;
  if (WriteJpegFile(JpegPixels{job.bits.data(), job.width, job.height, job.stride}, job.target, job.quality, reason))
    return L"";
  return reason.empty() ? L"Failed to save to JPG" : reason;
}
