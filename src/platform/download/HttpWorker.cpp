// The worker: one connection per address asked for, redirects followed here
// one at a time so that each new address is checked before it is asked for.
// A cache download writes the body into its cache file as it is read and
// enters the file in the cache only once the whole body came; every failure
// drops the connection at once (the stream's socket is reset, nothing of the
// rest of the body is read) and leaves nothing in the cache.
#include <winsock2.h>
// After winsock2.h:
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/download/CacheWriter.h"
#include "platform/download/HttpMessage.h"
#include "platform/download/TlsStream.h"
#include "platform/download/TransferJob.h"
#include "services/AppIdentity.h"
#include "services/WebAddress.h"

namespace download {

namespace {

constexpr int kMaxRedirects = 10;
constexpr int kMaxInterimAnswers = 10;  // "100 Continue" and the like before the answer
constexpr size_t kBlock = 256 * 1024;
constexpr DWORD kAfterBodyMs = 250;  // bytes past the declared length are looked for this long

Result Failed(Failure failure, std::wstring reason, long status = 0) {
  Result result;
  result.Error = failure;
  result.Reason = std::move(reason);
  result.HttpStatus = status;
  return result;
}

Result Failed(const NetStatus& status) { return Failed(status.failure, status.reason); }

std::wstring Widened(std::string_view bytes) { return std::wstring(bytes.begin(), bytes.end()); }

std::wstring Combine(const std::wstring& base, const std::wstring& relative) {
  wchar_t buffer[INTERNET_MAX_URL_LENGTH];
  DWORD size = INTERNET_MAX_URL_LENGTH;
  if (!InternetCombineUrlW(base.c_str(), relative.c_str(), buffer, &size, ICU_NO_ENCODE)) return relative;
  return std::wstring(buffer, size);
}

struct Address {
  bool secure = false;
  std::wstring host, object;  // object: path and query
  INTERNET_PORT port = 0;
};

bool Crack(const std::wstring& url, Address& out) {
  wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH] = {}, path[INTERNET_MAX_URL_LENGTH] = {},
          extra[INTERNET_MAX_URL_LENGTH] = {};
  URL_COMPONENTSW parts = {sizeof parts};
  parts.lpszHostName = host;
  parts.dwHostNameLength = INTERNET_MAX_HOST_NAME_LENGTH;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = INTERNET_MAX_URL_LENGTH;
  parts.lpszExtraInfo = extra;
  parts.dwExtraInfoLength = INTERNET_MAX_URL_LENGTH;
  if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts)) return false;
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
  out.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  out.host = host;
  if (out.host.size() > 2 && out.host.front() == L'[' && out.host.back() == L']') {
    out.host = out.host.substr(1, out.host.size() - 2);
  }
  // A host goes into the request as it is: nothing that could end a line or a field.
  for (wchar_t c : out.host)
    if (c <= L' ' || c == 0x7F || std::wstring_view(L"/\\?#@\"<>").find(c) != std::wstring_view::npos) return false;
  out.port = parts.nPort;
  out.object = std::wstring(path) + extra;
  const size_t fragment = out.object.find(L'#');
  if (fragment != std::wstring::npos) out.object.erase(fragment);
  if (out.object.empty()) out.object = L"/";
  return !out.host.empty();
}

// One address's connection: TCP, with the secure channel over it for https.
class Connection {
 public:
  explicit Connection(const TransferClock& clock) : tcp_(clock) {}
  NetStatus Open(const Address& address, const Options& options) {
    NetStatus status = tcp_.Connect(address.host, address.port, tcp_.Clock().Remaining(options.ConnectTimeoutMs));
    if (!status.Ok() || !address.secure) return status;
    tls_.emplace(tcp_);
    return tls_->Handshake(address.host, tcp_.Clock().Remaining(options.ConnectTimeoutMs));
  }
  ByteStream& Stream() { return tls_ ? static_cast<ByteStream&>(*tls_) : tcp_; }

 private:
  TcpStream tcp_;
  std::optional<TlsStream> tls_;
};

// The answer's head, after any interim answers; rest: the body's first bytes.
Result ReadHead(ByteStream& stream, const Options& options, ResponseHead& head, std::string& headText,
                std::string& rest) {
  std::string raw;
  std::string block(16 * 1024, '\0');
  for (int interim = 0; interim <= kMaxInterimAnswers; ++interim) {
    size_t used = 0;
    std::wstring reason;
    HeadState state;
    while ((state = ParseResponseHead(raw, head, used, reason)) == HeadState::NeedMore) {
      size_t got = 0;
      NetStatus status =
          stream.Receive(block.data(), block.size(), got, options.ReceiveTimeoutMs, L"waiting for the answer");
      if (!status.Ok()) return Failed(status);
      if (got == 0) {
        return Failed(Failure::Connect, raw.empty() ? L"The server closed the connection without an answer"
                                                    : L"The server closed the connection inside the answer's head");
      }
      raw.append(block.data(), got);
    }
    if (state == HeadState::Bad) return Failed(Failure::BadAnswer, reason);
    if (head.status >= 100 && head.status < 200 && head.status != 101) {
      raw.erase(0, used);
      continue;
    }
    headText = raw.substr(0, used);
    rest = raw.substr(used);
    return {};
  }
  return Failed(Failure::BadAnswer, L"More than " + std::to_wstring(kMaxInterimAnswers) + L" interim answers");
}

// The rate over the last one to two seconds.
class RateMeter {
 public:
  explicit RateMeter(ULONGLONG now) : older_{now, 0}, newer_{now, 0} {}
  uint64_t Rate(ULONGLONG now, uint64_t bytes) {
    if (now - newer_.tick >= 1000) {
      older_ = newer_;
      newer_ = {now, bytes};
    }
    const ULONGLONG span = now - older_.tick;
    return span == 0 ? 0 : (bytes - older_.bytes) * 1000 / span;
  }

 private:
  struct Sample {
    ULONGLONG tick;
    uint64_t bytes;
  } older_, newer_;
};

// The body of an answered request: checked against the limit and the declared
// length as it arrives, kept in memory for a fetch, written to the cache file
// for a cache download.
class BodyReader {
 public:
  BodyReader(TransferJob& job, const std::wstring& url, const BodyFraming& framing, CacheWriter* cache)
      : job_(job), url_(url), framing_(framing), cache_(cache), rate_(GetTickCount64()) {
    total_ = framing.kind == BodyFraming::Length ? framing.length : 0;
    if (!cache_ && total_ > 0) result_.Body.reserve(static_cast<size_t>(std::min(total_, job.options.MaxBytes)));
  }

  Result Read(ByteStream& stream, const std::string& first) {
    if (framing_.kind == BodyFraming::Empty) return Finish();
    ChunkedDecoder chunks;
    std::string block(kBlock, '\0');
    std::string_view input = first;
    while (true) {
      if (framing_.kind == BodyFraming::Chunked) {
        size_t used = 0;
        const ChunkedDecoder::State state = chunks.Feed(
            input, [this](const char* data, size_t size) { return Take(data, size); }, used);
        if (!failure_.Ok()) return Failed(failure_);
        if (state == ChunkedDecoder::State::Bad) return Failed(Failure::BadAnswer, chunks.Reason());
        if (state == ChunkedDecoder::State::End) return Finish();
      } else if (!input.empty() && !Take(input.data(), input.size())) {
        return Failed(failure_);
      }
      if (framing_.kind == BodyFraming::Length && received_ == total_) return Finish(&stream);
      size_t got = 0;
      NetStatus status =
          stream.Receive(block.data(), block.size(), got, job_.options.ReceiveTimeoutMs, L"waiting for data");
      if (!status.Ok()) return Failed(status);
      if (got == 0) {
        if (framing_.kind == BodyFraming::UntilClose) return Finish();
        if (framing_.kind == BodyFraming::Chunked) {
          return Failed(Failure::Truncated,
                        L"Connection closed inside the chunked body after " + std::to_wstring(received_) + L" bytes");
        }
        return Failed(Failure::Truncated, L"Connection closed after " + std::to_wstring(received_) + L" of " +
                                              std::to_wstring(total_) + L" bytes");
      }
      input = std::string_view(block.data(), got);
    }
  }

 private:
  // Takes the next body bytes; false (with the failure) past the limit or the declared length.
  bool Take(const char* data, size_t size) {
    received_ += size;
    if (received_ > job_.options.MaxBytes) {
      failure_ =
          NetFailure(Failure::TooLarge, L"Too large: more than " + std::to_wstring(job_.options.MaxBytes) + L" bytes");
      return false;
    }
    if (framing_.kind == BodyFraming::Length && received_ > total_) {
      failure_ =
          NetFailure(Failure::Overrun, L"Longer than its declared length of " + std::to_wstring(total_) + L" bytes");
      return false;
    }
    if (cache_) {
      if (!cache_->Write(data, size)) {
        failure_ = NetFailure(Failure::System, L"The cache file could not be written");
        return false;
      }
    } else {
      result_.Body.append(data, size);
    }
    const ULONGLONG now = GetTickCount64();
    Progress progress{kDownloading, url_, received_, total_};
    progress.BytesPerSecond = rate_.Rate(now, received_);
    job_.Report(std::move(progress));
    return true;
  }

  // A body of its declared length: whatever the server sends after it shortly
  // makes it too long; its end, silence or a reset are all fine.
  Result Finish(ByteStream* stream = nullptr) {
    if (stream) {
      char extra[1];
      size_t got = 0;
      NetStatus status = stream->Receive(extra, sizeof extra, got, kAfterBodyMs, L"after the body");
      if (status.failure == Failure::Cancelled) return Failed(status);
      if (status.Ok() && got > 0) {
        return Failed(Failure::Overrun, L"Longer than its declared length of " + std::to_wstring(total_) + L" bytes");
      }
    }
    result_.Bytes = received_;
    return std::move(result_);
  }

  TransferJob& job_;
  const std::wstring& url_;
  const BodyFraming& framing_;
  CacheWriter* cache_;
  Result result_;
  RateMeter rate_;
  uint64_t total_ = 0, received_ = 0;
  NetStatus failure_;
};

Result Perform(TransferJob& job, CacheWriter& cache) {
  const TransferClock clock(job.cancelled, job.options.DeadlineMs);
  std::wstring url = job.url;
  for (int hop = 0; hop <= kMaxRedirects; ++hop) {
    Address address;
    if (!Crack(url, address)) return Failed(Failure::Address, L"Not an http or https address");
    job.Report({kConnecting, address.host, 0, 0});
    Connection connection(clock);
    NetStatus status = connection.Open(address, job.options);
    if (!status.Ok()) return Failed(status);
    job.Report({kSendingRequest, L"", 0, 0});
    const std::string request =
        RequestText(address.host, address.port, address.secure, address.object, app::kVersionText);
    status = connection.Stream().Send(request.data(), request.size(), clock.Remaining(job.options.ReceiveTimeoutMs));
    if (!status.Ok()) return Failed(status);

    ResponseHead head;
    std::string headText, rest;
    Result answer = ReadHead(connection.Stream(), job.options, head, headText, rest);
    if (!answer.Ok()) return answer;
    const long code = head.status;
    const std::string location = head.Field("Location");
    if (code >= 300 && code < 400 && !location.empty()) {
      url = Combine(url, Widened(location));
      job.Report({kRedirecting, url, 0, 0});
      if (!IsWebAddress(url)) return Failed(Failure::Redirect, L"Redirected to a non-web address: " + url, code);
      continue;
    }
    if (code < 200 || code >= 300) return Failed(Failure::Http, L"HTTP " + std::to_wstring(code), code);
    const BodyFraming framing = FramingOf(head);
    if (framing.kind == BodyFraming::Bad) return Failed(Failure::BadAnswer, framing.reason, code);
    if (framing.kind == BodyFraming::Length && framing.length > job.options.MaxBytes) {
      return Failed(Failure::TooLarge, L"Too large (" + std::to_wstring(framing.length) + L" bytes)", code);
    }
    const std::wstring mime = Widened(head.Field("Content-Type"));
    if (!mime.empty()) job.Report({kMimeType, mime, 0, 0});
    const uint64_t total = framing.kind == BodyFraming::Length ? framing.length : 0;
    job.Report({kBeginDownload, url, 0, total});
    if (job.toCache) {
      if (!cache.Begin(url, total)) return Failed(Failure::System, L"The Internet cache gave no file", code);
      job.Report({kCacheFile, cache.File(), 0, total});
    }
    Result result = BodyReader(job, url, framing, job.toCache ? &cache : nullptr).Read(connection.Stream(), rest);
    result.HttpStatus = code;
    if (!result.Ok()) return result;
    result.MimeType = mime;
    if (job.toCache) {
      if (!cache.Commit(Widened(headText)) || GetFileAttributesW(cache.File().c_str()) == INVALID_FILE_ATTRIBUTES) {
        return Failed(Failure::System, L"The Internet cache kept no file", code);
      }
      result.CacheFile = cache.File();
    }
    job.Report({kEndDownload, url, result.Bytes, total});
    return result;
  }
  return Failed(Failure::Redirect, L"Too many redirects");
}

}  // namespace

void RunTransfer(TransferJob& job) {
  Result result;
  {
    CacheWriter cache;  // a file not committed is gone when this scope ends
    result = Perform(job, cache);
  }
  if (job.cancelled) result = Failed(Failure::Cancelled, L"Cancelled");
  job.Finish(std::move(result));
}

}  // namespace download
