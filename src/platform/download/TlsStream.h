// The secure channel (TLS through the system's Schannel package) over a
// transfer's TCP connection: the handshake within its time, the server's
// certificate checked against the trusted roots and the host name, then the
// data encrypted and decrypted record by record.
#pragma once
#include <string>

#include "base/NetHandles.h"
#include "platform/download/TcpStream.h"

namespace download {

class TlsStream : public ByteStream {
 public:
  explicit TlsStream(TcpStream& tcp) : tcp_(tcp) {}

  // The whole handshake, certificate check included, within timeoutMs.
  NetStatus Handshake(const std::wstring& host, DWORD timeoutMs);
  NetStatus Send(const char* data, size_t size, DWORD timeoutMs) override;
  NetStatus Receive(char* buffer, size_t size, size_t& got, DWORD timeoutMs, const wchar_t* doing) override;

 private:
  // Runs the handshake's exchanges from the bytes in incoming_ until the
  // channel is up (also for a renegotiation the server asks for mid-stream).
  NetStatus Exchange(const std::wstring& host, DWORD timeoutMs, bool first);
  NetStatus CheckCertificate(const std::wstring& host);
  NetStatus ReceiveRaw(DWORD timeoutMs, const wchar_t* doing, bool& ended);

  TcpStream& tcp_;
  std::wstring host_;
  ScopedCredentials credentials_;
  ScopedSecurityContext context_;
  SecPkgContext_StreamSizes sizes_ = {};
  std::string incoming_;  // received, not yet decrypted
  std::string plain_;     // decrypted, not yet handed out
  size_t plainAt_ = 0;
  bool ended_ = false;
};

}  // namespace download
