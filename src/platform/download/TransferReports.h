// What a transfer reports and the limits it runs under: the stages of its
// progress (numbered as the system numbers its binding stages), how it
// ended, and the byte, time and deadline limits a caller sets.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace download {

// Status codes of the reports: those the system uses for its binding stages.
enum Status : long {
  kFindingResource = 1,
  kConnecting = 2,     // text: the host
  kRedirecting = 3,    // text: the new address
  kBeginDownload = 4,  // text: the address
  kDownloading = 5,    // text: the address
  kEndDownload = 6,    // text: the address
  kSendingRequest = 11,
  kMimeType = 13,   // text: the MIME type
  kCacheFile = 14,  // text: the cache file being written
};

struct Progress {
  long Status = 0;     // one of the codes above, or another the system reports
  std::wstring Text;   // the status text
  uint64_t Bytes = 0;  // bytes received so far
  uint64_t Total = 0;  // the declared length; 0 when the server gave none
  uint64_t BytesPerSecond = 0;  // kDownloading: the rate over the last second or two
};

enum class Failure {
  None,
  Address,    // not an http or https address
  Connect,    // no connection, or it was lost or refused its secure channel
  Http,       // a status outside 2xx
  BadAnswer,  // not a well-formed HTTP answer
  Redirect,   // to a non-web address, or too many
  TooLarge,   // over the limit, declared or received
  Truncated,  // the body ended short of its declared length
  Overrun,    // the body went on past its declared length
  TimedOut,
  Cancelled,
  System
};

struct Result {
  Failure Error = Failure::None;
  std::wstring Reason;     // "" on success; "HTTP 404", "Too large", "Timed out ...", ... otherwise
  long HttpStatus = 0;     // the final answer's status, when one came
  std::wstring MimeType;   // as the server gave it
  std::wstring CacheFile;  // DownloadToCache that succeeded: the file in the Internet cache (it exists)
  std::string Body;        // Fetch that succeeded: the bytes
  uint64_t Bytes = 0;      // bytes received
  bool Ok() const { return Error == Failure::None; }
};

// The largest transfer: the largest movie the program plays (kMaxInflatedMovie).
inline constexpr uint64_t kMaxTransferBytes = 512ull << 20;
// The largest document Fetch reads by default (the update feed).
inline constexpr uint64_t kMaxFeedBytes = 1u << 20;

// The longest a feed may take from start to end.
inline constexpr DWORD kFeedDeadlineMs = 60000;

struct Options {
  uint64_t MaxBytes = kMaxTransferBytes;  // by the declared length and by the bytes received
  DWORD ConnectTimeoutMs = 30000;         // to connect, and again for the secure handshake
  DWORD ReceiveTimeoutMs = 30000;         // the longest silence while sending or receiving
  DWORD DeadlineMs = 0;                   // the whole transfer, redirects included; 0: no limit
};

}  // namespace download
