#include "platform/flash/media/AudioOutput.h"

#include <mmsystem.h>

#include <array>
#include <vector>

#include "base/Handles.h"

namespace flash::media {
namespace {

constexpr int kBuffers = 4;  // 4 x 25 ms queued: about 100 ms of latency

class WaveOutSink : public AudioSink {
 public:
  ~WaveOutSink() override {
    if (!device_) return;
    waveOutReset(device_);
    for (auto& h : headers_)
      if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device_, &h, sizeof h);
    waveOutClose(device_);
  }

  bool Open() {
    if (waveOutGetNumDevs() == 0) return false;
    done_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    cancel_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done_ || !cancel_) return false;
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.nSamplesPerSec = kOutputRate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 4;
    f.nAvgBytesPerSec = kOutputRate * 4;
    if (waveOutOpen(&device_, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(done_.get()), 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
      device_ = nullptr;
      return false;
    }
    for (int i = 0; i < kBuffers; ++i) {
      buffers_[i].assign(kBlockFrames * 2, 0);
      headers_[i] = WAVEHDR{};
      headers_[i].lpData = reinterpret_cast<LPSTR>(buffers_[i].data());
      headers_[i].dwBufferLength = static_cast<DWORD>(kBlockFrames * 4);
      if (waveOutPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
      headers_[i].dwFlags |= WHDR_DONE;  // free to fill
    }
    return true;
  }

  bool Write(std::span<const int16_t> block) override {
    WAVEHDR& h = headers_[next_];
    // Wait for the oldest buffer to come back (at most a few blocks' time).
    for (int tries = 0; !(h.dwFlags & WHDR_DONE); ++tries) {
      HANDLE events[2] = {done_.get(), cancel_.get()};
      const DWORD r = WaitForMultipleObjects(2, events, FALSE, 200);
      if (r == WAIT_OBJECT_0 + 1 || tries > 25) return false;  // cancelled, or the device stalled for 5 s
    }
    const size_t n = std::min(block.size(), buffers_[next_].size());
    std::copy(block.begin(), block.begin() + static_cast<ptrdiff_t>(n), buffers_[next_].begin());
    h.dwBufferLength = static_cast<DWORD>(n * 2);
    h.dwFlags &= ~WHDR_DONE;
    if (waveOutWrite(device_, &h, sizeof h) != MMSYSERR_NOERROR) return false;
    next_ = (next_ + 1) % kBuffers;
    return true;
  }

  size_t Latency() const override {
    size_t queued = 0;
    for (const auto& h : headers_)
      if (!(h.dwFlags & WHDR_DONE)) queued += h.dwBufferLength / 4;
    return queued;
  }

  void Cancel() override { SetEvent(cancel_.get()); }

 private:
  HWAVEOUT device_ = nullptr;
  ScopedHandle done_, cancel_;
  std::array<std::vector<int16_t>, kBuffers> buffers_;
  std::array<WAVEHDR, kBuffers> headers_{};
  int next_ = 0;
};

}  // namespace

std::unique_ptr<AudioSink> OpenWaveOut() {
  auto sink = std::make_unique<WaveOutSink>();
  if (!sink->Open()) return nullptr;
  return sink;
}

AudioOutput::AudioOutput(std::shared_ptr<Mixer> mixer, std::unique_ptr<AudioSink> sink)
    : mixer_(std::move(mixer)), sink_(std::move(sink)) {
  worker_ = std::thread([this] { Run(); });
}

AudioOutput::~AudioOutput() {
  stop_ = true;
  sink_->Cancel();
  if (worker_.joinable()) worker_.join();
}

void AudioOutput::Run() {
  std::vector<int16_t> block(kBlockFrames * 2);
  while (!stop_) {
    mixer_->Render(block);
    if (!sink_->Write(block)) {
      failed_ = !stop_;
      return;
    }
  }
}

}  // namespace flash::media
