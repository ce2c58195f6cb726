// A small HTTP server of the tests on 127.0.0.1 (an ephemeral port, its own
// thread) that answers each path with a scripted answer: status, headers,
// body, a pause between pieces, a connection closed early, a redirect, a
// declared length that differs from the body either way, a body made as it is
// sent (up to endless, plain or chunked), and a different answer for each
// request of a path. It keeps a record of the requests it saw and of how much
// of each body went out. One connection at a time; every answer closes its
// connection. SilentServer accepts connections and never answers (a TLS port
// whose handshake never comes). No dependency on the test framework (the
// benchmarks use it too).
#pragma once
#include <winsock2.h>
// After winsock2.h:
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testing_support {

struct HttpAnswer {
  static constexpr uint64_t kEndless = UINT64_MAX;

  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;  // besides Content-Length and Connection
  std::shared_ptr<const std::string> body = std::make_shared<std::string>();
  // A body of this many pattern bytes made as it is sent, in place of body
  // (kEndless: until the client goes), through a small send buffer.
  uint64_t generatedBytes = 0;
  // Content-Length sent: the body's size by default; a declared length may differ
  // either way; negative: no Content-Length at all.
  int64_t declaredLength = -2;
  bool chunked = false;          // sent with the chunked coding (no Content-Length), a chunk per piece
  size_t chunkSize = 0;          // body sent in pieces of this size (0: at once; 64 KB for a made body)
  DWORD chunkPauseMs = 0;        // pause before every piece after the first
  size_t closeAfter = SIZE_MAX;  // the connection is closed after this many body bytes

  static HttpAnswer Ok(std::string body, std::string type = "text/plain");
  static HttpAnswer Status(int status);
  static HttpAnswer Redirect(std::string location, int status = 302);
  // bytes made as they are sent (kEndless: without end), declared or chunked.
  static HttpAnswer Generated(uint64_t bytes, bool chunked = false);
  // body one byte at a time, pauseMs apart.
  static HttpAnswer Trickle(std::string body, DWORD pauseMs = 1000);
};

struct SeenRequest {
  std::string method, path;
  std::string headers;         // the header lines as received
  bool answeredFully = false;  // the whole answer went out before the connection ended
  uint64_t bodyBytesSent = 0;  // of the body, handed to the connection before it ended
};

class LoopbackServer {
 public:
  LoopbackServer();  // listening at once
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  bool Listening() const { return port_ != 0; }
  unsigned short Port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by path (which starts with "/").
  std::wstring Url(const std::string& path) const;
  // The answer for a path (query included); a path without one gets 404.
  void Serve(const std::string& path, HttpAnswer answer);
  // One answer per request of the path in turn; the last one stays.
  void Serve(const std::string& path, std::vector<HttpAnswer> answers);
  std::vector<SeenRequest> Requests() const;
  // Waits until count requests were answered (or ended early); false after timeoutMs.
  bool WaitForAnswers(size_t count, DWORD timeoutMs) const;
  // Stops listening and ends the thread; later connections are refused.
  void Stop();

 private:
  void Run();
  void Answer(SOCKET client);

  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  HANDLE stop_ = nullptr;    // manual-reset: the server stops
  std::thread thread_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::map<std::string, std::vector<HttpAnswer>> answers_;
  std::map<std::string, size_t> asked_;  // requests per path so far
  std::vector<SeenRequest> requests_;
  size_t ended_ = 0;
};

// A port of 127.0.0.1 that accepts every connection and never sends or reads
// a byte until it is stopped (then it closes them).
class SilentServer {
 public:
  SilentServer();
  ~SilentServer();
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;

  unsigned short Port() const { return port_; }
  size_t Accepted() const;
  void Stop();

 private:
  void Run();

  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  HANDLE stop_ = nullptr;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<SOCKET> clients_;
};

// A port of 127.0.0.1 on which nothing listens (connections are refused).
unsigned short RefusingPort();

}  // namespace testing_support
