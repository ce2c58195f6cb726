#include "LoopbackServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cstdio>

namespace testing_support {

namespace {

const char* ReasonOf(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 404:
      return "Not Found";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

bool SendAll(SOCKET s, const char* data, size_t size) {
  while (size > 0) {
    int sent = send(s, data, static_cast<int>(std::min<size_t>(size, 1 << 20)), 0);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

// Waits ms milliseconds; false when the server is stopping or the client went
// away (its side of the connection became readable: closed, or reset).
bool Pause(SOCKET s, HANDLE stop, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (true) {
    if (WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) return false;
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return true;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval slice = {0, static_cast<long>(std::min<ULONGLONG>(end - now, 50)) * 1000};
    if (select(0, &readable, nullptr, nullptr, &slice) != 0) return false;
  }
}

void SetTimeouts(SOCKET s, DWORD ms) {
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
  setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
}

sockaddr_in Loopback(unsigned short port) {
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

}  // namespace

HttpAnswer HttpAnswer::Ok(std::string body, std::string type) {
  HttpAnswer answer;
  answer.headers.emplace_back("Content-Type", std::move(type));
  answer.body = std::make_shared<std::string>(std::move(body));
  return answer;
}

HttpAnswer HttpAnswer::Status(int status) {
  HttpAnswer answer = Ok("status " + std::to_string(status));
  answer.status = status;
  return answer;
}

HttpAnswer HttpAnswer::Redirect(std::string location, int status) {
  HttpAnswer answer = Status(status);
  answer.headers.emplace_back("Location", std::move(location));
  return answer;
}

HttpAnswer HttpAnswer::Generated(uint64_t bytes, bool chunked) {
  HttpAnswer answer = Ok("", "application/octet-stream");
  answer.generatedBytes = bytes;
  answer.chunked = chunked;
  return answer;
}

HttpAnswer HttpAnswer::Trickle(std::string body, DWORD pauseMs) {
  HttpAnswer answer = Ok(std::move(body), "text/xml");
  answer.chunkSize = 1;
  answer.chunkPauseMs = pauseMs;
  return answer;
}

LoopbackServer::LoopbackServer() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = Loopback(0);
  int size = sizeof address;
  if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 16) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    return;
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Run(); });
}

LoopbackServer::~LoopbackServer() {
  Stop();
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  CloseHandle(stop_);
  WSACleanup();
}

void LoopbackServer::Stop() {
  SetEvent(stop_);
  if (thread_.joinable()) thread_.join();
  if (listener_ != INVALID_SOCKET) {
    closesocket(listener_);
    listener_ = INVALID_SOCKET;
  }
}

std::wstring LoopbackServer::Url(const std::string& path) const {
  return L"http://127.0.0.1:" + std::to_wstring(port_) + std::wstring(path.begin(), path.end());
}

void LoopbackServer::Serve(const std::string& path, HttpAnswer answer) {
  Serve(path, std::vector<HttpAnswer>{std::move(answer)});
}

void LoopbackServer::Serve(const std::string& path, std::vector<HttpAnswer> answers) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_[path] = std::move(answers);
  asked_[path] = 0;
}

std::vector<SeenRequest> LoopbackServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

bool LoopbackServer::WaitForAnswers(size_t count, DWORD timeoutMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return ended_ >= count; });
}

void LoopbackServer::Run() {
  // The listener is polled rather than waited on through an event: under Wine
  // an accept event can stay unsignalled for a connection that arrived while
  // the previous one was being answered, and the server then stalled.
  while (WaitForSingleObject(stop_, 0) != WAIT_OBJECT_0) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener_, &readable);
    timeval slice = {0, 20000};
    if (select(0, &readable, nullptr, nullptr, &slice) <= 0) continue;
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    SetTimeouts(client, 10000);
    Answer(client);
    shutdown(client, SD_SEND);
    closesocket(client);
  }
}

void LoopbackServer::Answer(SOCKET client) {
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
    int got = recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    head.append(buffer, static_cast<size_t>(got));
  }
  SeenRequest seen;
  size_t lineEnd = head.find("\r\n");
  std::string line = head.substr(0, lineEnd);
  size_t space1 = line.find(' '), space2 = line.rfind(' ');
  if (space1 != std::string::npos && space2 > space1) {
    seen.method = line.substr(0, space1);
    seen.path = line.substr(space1 + 1, space2 - space1 - 1);
  }
  if (lineEnd != std::string::npos) seen.headers = head.substr(lineEnd + 2);

  HttpAnswer answer = HttpAnswer::Status(404);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = answers_.find(seen.path);
    if (found != answers_.end() && !found->second.empty()) {
      size_t& asked = asked_[seen.path];
      answer = found->second[std::min(asked, found->second.size() - 1)];
      ++asked;
    }
  }
  const bool made = answer.generatedBytes > 0;
  const uint64_t size = made ? answer.generatedBytes : answer.body->size();
  if (made) {
    // A small send buffer: what went out is close to what the client read.
    int buffer = 64 * 1024;
    setsockopt(client, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&buffer), sizeof buffer);
  }
  std::string out = "HTTP/1.1 " + std::to_string(answer.status) + " " + ReasonOf(answer.status) + "\r\n";
  for (const auto& [name, value] : answer.headers) out += name + ": " + value + "\r\n";
  if (answer.chunked) {
    out += "Transfer-Encoding: chunked\r\n";
  } else {
    int64_t length = answer.declaredLength;
    if (length == -2) length = size == HttpAnswer::kEndless ? -1 : static_cast<int64_t>(size);
    if (length >= 0) out += "Content-Length: " + std::to_string(length) + "\r\n";
  }
  out += "Connection: close\r\n\r\n";

  bool ok = !seen.method.empty() && SendAll(client, out.data(), out.size());
  if (ok && seen.method != "HEAD") {
    const uint64_t total = std::min<uint64_t>(size, answer.closeAfter);
    const size_t piece = answer.chunkSize ? answer.chunkSize
                         : made           ? 64 * 1024
                                          : static_cast<size_t>(std::max<uint64_t>(total, 1));
    std::string pattern;
    if (made) {
      pattern.resize(piece);
      for (size_t i = 0; i < piece; ++i) pattern[i] = static_cast<char>('a' + i % 26);
    }
    for (uint64_t at = 0; ok && at < total;) {
      if (at > 0 && answer.chunkPauseMs) ok = Pause(client, stop_, answer.chunkPauseMs);
      if (made && WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) ok = false;
      const size_t n = static_cast<size_t>(std::min<uint64_t>(piece, total - at));
      const char* data = made ? pattern.data() : answer.body->data() + at;
      if (answer.chunked) {
        char line[32];
        const int length = std::snprintf(line, sizeof line, "%zx\r\n", n);
        ok = ok && SendAll(client, line, static_cast<size_t>(length)) && SendAll(client, data, n) &&
             SendAll(client, "\r\n", 2);
      } else {
        ok = ok && SendAll(client, data, n);
      }
      if (ok) {
        at += n;
        seen.bodyBytesSent = at;
      }
    }
    if (ok && answer.chunked && total == size) ok = SendAll(client, "0\r\n\r\n", 5);
    ok = ok && total == size;
  }
  seen.answeredFully = ok;
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.push_back(std::move(seen));
  ++ended_;
  changed_.notify_all();
}

SilentServer::SilentServer() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = Loopback(0);
  int size = sizeof address;
  if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 16) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    return;
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Run(); });
}

SilentServer::~SilentServer() {
  Stop();
  CloseHandle(stop_);
  WSACleanup();
}

size_t SilentServer::Accepted() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return clients_.size();
}

void SilentServer::Stop() {
  SetEvent(stop_);
  if (thread_.joinable()) thread_.join();
  if (listener_ != INVALID_SOCKET) closesocket(listener_);
  listener_ = INVALID_SOCKET;
  std::lock_guard<std::mutex> lock(mutex_);
  for (SOCKET client : clients_) closesocket(client);
  clients_.clear();
}

void SilentServer::Run() {
  while (WaitForSingleObject(stop_, 0) != WAIT_OBJECT_0) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener_, &readable);
    timeval slice = {0, 20000};
    if (select(0, &readable, nullptr, nullptr, &slice) <= 0) continue;
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    clients_.push_back(client);
  }
}

unsigned short RefusingPort() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = Loopback(0);
  int size = sizeof address;
  unsigned short port = 0;
  if (s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  if (s != INVALID_SOCKET) closesocket(s);
  WSACleanup();
  return port;
}

}  // namespace testing_support
