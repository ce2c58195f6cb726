#include "platform/download/TcpStream.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <memory>

namespace download {

namespace {

constexpr int kMaxAddresses = 8;  // tried in turn, within the one connect time

struct AddressListFree {
  void operator()(ADDRINFOW* list) const { FreeAddrInfoW(list); }
};

NetStatus LostConnection(int error) {
  return NetFailure(Failure::Connect, L"The connection was lost (error " + std::to_wstring(error) + L")");
}

}  // namespace

bool NetworkReady() {
  static const bool ready = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

NetStatus TcpStream::Connect(const std::wstring& host, unsigned short port, DWORD timeoutMs) {
  if (!NetworkReady()) return NetFailure(Failure::System, L"No network");
  ADDRINFOW hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  ADDRINFOW* found = nullptr;
  if (GetAddrInfoW(host.c_str(), std::to_wstring(port).c_str(), &hints, &found) != 0 || !found) {
    return NetFailure(Failure::Connect, L"Could not find the server " + host);
  }
  std::unique_ptr<ADDRINFOW, AddressListFree> list(found);
  NetStatus status = clock_.Check();
  if (!status.Ok()) return status;
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  int tried = 0, lastError = 0;
  for (const ADDRINFOW* a = list.get(); a && tried < kMaxAddresses; a = a->ai_next, ++tried) {
    ScopedSocket s(socket(a->ai_family, a->ai_socktype, a->ai_protocol));
    if (!s) continue;
    u_long nonBlocking = 1;
    ioctlsocket(s.get(), FIONBIO, &nonBlocking);
    if (connect(s.get(), a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0) {
      const int error = WSAGetLastError();
      if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS) {
        lastError = error;
        continue;
      }
      const ULONGLONG now = GetTickCount64();
      const DWORD left = now >= end ? 0 : static_cast<DWORD>(end - now);
      status = clock_.Wait(s.get(), true, left, L"connecting");
      if (!status.Ok()) {
        if (status.failure == Failure::TimedOut && left == timeoutMs) {
          status.reason = L"Timed out connecting to " + host + L" (" + SecondsText(timeoutMs) + L")";
        }
        return status;
      }
      int soError = 0, size = sizeof soError;
      getsockopt(s.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &size);
      if (soError != 0) {
        lastError = soError;
        continue;
      }
    }
    socket_ = std::move(s);
    return {};
  }
  return NetFailure(
      Failure::Connect,
      L"Could not connect to " + host + L":" + std::to_wstring(port) +
          (lastError == WSAECONNREFUSED ? L" (refused)" : L" (error " + std::to_wstring(lastError) + L")"));
}

NetStatus TcpStream::Send(const char* data, size_t size, DWORD timeoutMs) {
  while (size > 0) {
    NetStatus status = clock_.Check();
    if (!status.Ok()) return status;
    const int sent = send(socket_.get(), data, static_cast<int>(std::min<size_t>(size, 1 << 20)), 0);
    if (sent > 0) {
      data += sent;
      size -= static_cast<size_t>(sent);
      continue;
    }
    const int error = WSAGetLastError();
    if (sent == 0 || error != WSAEWOULDBLOCK) return LostConnection(error);
    status = clock_.Wait(socket_.get(), true, timeoutMs, L"sending the request");
    if (!status.Ok()) return status;
  }
  return {};
}

NetStatus TcpStream::Receive(char* buffer, size_t size, size_t& got, DWORD timeoutMs, const wchar_t* doing) {
  got = 0;
  while (true) {
    NetStatus status = clock_.Check();
    if (!status.Ok()) return status;
    const int n = recv(socket_.get(), buffer, static_cast<int>(std::min<size_t>(size, 1 << 30)), 0);
    if (n >= 0) {
      got = static_cast<size_t>(n);
      return {};
    }
    const int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK) return LostConnection(error);
    status = clock_.Wait(socket_.get(), false, timeoutMs, doing);
    if (!status.Ok()) return status;
  }
}

}  // namespace download
