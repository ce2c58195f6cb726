// What one transfer's connection waits under, and the stream it reads and
// writes. Every wait is bounded three ways: by the time its phase allows, by
// the transfer's overall deadline, and by the cancel flag, looked at every
// 50 ms, so a transfer ends within a moment of being cancelled whatever the
// server does.
#pragma once
#include <winsock2.h>
// After winsock2.h:
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <string>

#include "platform/download/TransferReports.h"

namespace download {

struct NetStatus {
  Failure failure = Failure::None;
  std::wstring reason;
  bool Ok() const { return failure == Failure::None; }
};

NetStatus NetFailure(Failure failure, std::wstring reason);
// "30 s", "1.5 s".
std::wstring SecondsText(DWORD ms);

class TransferClock {
 public:
  // overallMs 0: no overall deadline.
  TransferClock(const std::atomic<bool>& cancelled, DWORD overallMs);

  // Waits until the socket can be read (or written, or a connect ended), for
  // at most timeoutMs; "Timed out <doing>" when that time passed, "Timed out"
  // naming the overall limit when that came first, "Cancelled" when cancelled.
  NetStatus Wait(SOCKET s, bool write, DWORD timeoutMs, const wchar_t* doing) const;
  // The cancel flag and the overall deadline, without waiting.
  NetStatus Check() const;
  bool Cancelled() const { return cancelled_.load(); }
  // Milliseconds until the overall deadline (or until the phase time given, if sooner).
  DWORD Remaining(DWORD phaseMs) const;

 private:
  const std::atomic<bool>& cancelled_;
  DWORD overallMs_;
  ULONGLONG deadline_;  // GetTickCount64; 0: none
};

// A connection's bytes after it was set up (plain, or through the secure channel).
class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Sends all of data; timeoutMs bounds each wait for the connection to take more.
  virtual NetStatus Send(const char* data, size_t size, DWORD timeoutMs) = 0;
  // Receives what is there (at most size bytes), waiting up to timeoutMs of
  // silence for it; got 0 when the server ended the connection. doing names
  // the wait in a time-out's reason ("waiting for the answer").
  virtual NetStatus Receive(char* buffer, size_t size, size_t& got, DWORD timeoutMs, const wchar_t* doing) = 0;
};

}  // namespace download
