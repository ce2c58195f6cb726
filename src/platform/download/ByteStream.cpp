#include "platform/download/ByteStream.h"

#include <algorithm>
#include <utility>

namespace download {

namespace {
constexpr DWORD kCancelPollMs = 50;
}

NetStatus NetFailure(Failure failure, std::wstring reason) { return {failure, std::move(reason)}; }

std::wstring SecondsText(DWORD ms) {
  if (ms % 1000 == 0) return std::to_wstring(ms / 1000) + L" s";
  const std::wstring tenths = std::to_wstring((ms + 50) / 100);
  return (tenths.size() == 1 ? L"0" : tenths.substr(0, tenths.size() - 1)) + L"." + tenths.substr(tenths.size() - 1) +
         L" s";
}

TransferClock::TransferClock(const std::atomic<bool>& cancelled, DWORD overallMs)
    : cancelled_(cancelled), overallMs_(overallMs), deadline_(overallMs ? GetTickCount64() + overallMs : 0) {}

NetStatus TransferClock::Check() const {
  if (cancelled_) return NetFailure(Failure::Cancelled, L"Cancelled");
  if (deadline_ && GetTickCount64() >= deadline_) {
    return NetFailure(Failure::TimedOut, L"Timed out: the transfer took longer than " + SecondsText(overallMs_));
  }
  return {};
}

DWORD TransferClock::Remaining(DWORD phaseMs) const {
  if (!deadline_) return phaseMs;
  const ULONGLONG now = GetTickCount64();
  return now >= deadline_ ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(phaseMs, deadline_ - now));
}

NetStatus TransferClock::Wait(SOCKET s, bool write, DWORD timeoutMs, const wchar_t* doing) const {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (true) {
    NetStatus status = Check();
    if (!status.Ok()) return status;
    const ULONGLONG now = GetTickCount64();
    if (now >= end)
      return NetFailure(Failure::TimedOut, L"Timed out " + std::wstring(doing) + L" (" + SecondsText(timeoutMs) + L")");
    ULONGLONG slice = std::min<ULONGLONG>(end - now, kCancelPollMs);
    if (deadline_) slice = std::min<ULONGLONG>(slice, deadline_ > now ? deadline_ - now : 0);
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval wait = {0, static_cast<long>(slice) * 1000};
    const int n = select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &wait);
    if (n != 0) return {};  // ready, failed or in error: the next call on the socket tells which
  }
}

}  // namespace download
