// One plain TCP connection of a transfer, non-blocking underneath, every wait
// under the transfer's clock. The connection is the transfer's own (never
// shared or kept alive) and is dropped with a reset when the stream goes, so
// a server is never read to the end of a body nobody wants.
#pragma once
#include <string>

#include "base/NetHandles.h"
#include "platform/download/ByteStream.h"

namespace download {

class TcpStream : public ByteStream {
 public:
  explicit TcpStream(const TransferClock& clock) : clock_(clock) {}

  // Finds the host's addresses and connects to the first that answers, all
  // within timeoutMs.
  NetStatus Connect(const std::wstring& host, unsigned short port, DWORD timeoutMs);
  NetStatus Send(const char* data, size_t size, DWORD timeoutMs) override;
  NetStatus Receive(char* buffer, size_t size, size_t& got, DWORD timeoutMs, const wchar_t* doing) override;
  const TransferClock& Clock() const { return clock_; }

 private:
  const TransferClock& clock_;
  ScopedSocket socket_;
};

// WSAStartup for the process, once (never undone: transfers may run until the end).
bool NetworkReady();

}  // namespace download
