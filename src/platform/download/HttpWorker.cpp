// The worker: WinINet on the worker thread. Redirects are followed here one at
// a time so that each new address is checked before it is asked for. A cache
// download has WinINet write the body into the Internet cache as it is read;
// a failed one takes its entry and file out of the cache again.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "platform/download/TransferJob.h"
#include "services/AppIdentity.h"
#include "services/WebAddress.h"

namespace download {

namespace {

struct InternetFree {
  void operator()(HINTERNET h) const { InternetCloseHandle(h); }
};
using ScopedInternet = UniqueHandle<HINTERNET, InternetFree>;

constexpr int kMaxRedirects = 10;
constexpr DWORD kBlock = 256 * 1024;
constexpr ULONGLONG kStreamingMs = 50;  // a whole block this fast: the data is streaming

Result Failed(Failure failure, std::wstring reason, long status = 0) {
  Result result;
  result.Error = failure;
  result.Reason = std::move(reason);
  result.HttpStatus = status;
  return result;
}

Result NetworkFailure(DWORD error) {
  if (error == ERROR_INTERNET_OPERATION_CANCELLED) return Failed(Failure::Cancelled, L"Cancelled");
  if (error == ERROR_INTERNET_TIMEOUT || error == WSAETIMEDOUT) return Failed(Failure::TimedOut, L"Timed out");
  return Failed(Failure::Connect, L"Could not connect (error " + std::to_wstring(error) + L")");
}

std::wstring QueryText(HINTERNET request, DWORD what) {
  wchar_t buffer[2048];
  DWORD size = sizeof buffer;
  if (!HttpQueryInfoW(request, what, buffer, &size, nullptr)) return L"";
  return std::wstring(buffer, size / sizeof(wchar_t));
}

// A declared length: decimal digits only (more than fit count as the most
// that fit); -1 when missing or not a number.
int64_t ParseLength(const std::wstring& text) {
  if (text.empty()) return -1;
  int64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return -1;
    value = value > (INT64_MAX - 9) / 10 ? INT64_MAX : value * 10 + (c - L'0');
  }
  return value;
}

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
  out.port = parts.nPort;
  out.object = std::wstring(path) + extra;
  const size_t fragment = out.object.find(L'#');
  if (fragment != std::wstring::npos) out.object.erase(fragment);
  if (out.object.empty()) out.object = L"/";
  return !out.host.empty();
}

void SetTimeouts(HINTERNET handle, const Options& options) {
  DWORD connect = options.ConnectTimeoutMs, receive = options.ReceiveTimeoutMs;
  InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &connect, sizeof connect);
  InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

std::wstring CacheFileOf(HINTERNET request) {
  wchar_t name[MAX_PATH + 1] = {};
  DWORD size = sizeof name - sizeof(wchar_t);
  if (!InternetQueryOptionW(request, INTERNET_OPTION_DATAFILE_NAME, name, &size)) return L"";
  return name;
}

// Reads the body of an answered request (declared: its length or -1); kept in
// memory for a fetch, only counted for a cache download (WinINet keeps it).
Result ReadBody(TransferJob& job, HINTERNET request, const std::wstring& url, int64_t declared) {
  const uint64_t limit = job.options.MaxBytes;
  const uint64_t total = declared > 0 ? static_cast<uint64_t>(declared) : 0;
  Result result;
  uint64_t received = 0;
  // Room for what the server declared, within the caller's limit.
  if (!job.toCache && declared > 0) result.Body.reserve(static_cast<size_t>(std::min<uint64_t>(declared, limit)));
  std::string buffer(kBlock, '\0');
  bool streaming = false;  // the last block came whole and at once
  while (true) {
    if (job.cancelled) break;
    DWORD want = kBlock;
    if (!streaming) {
      // Waits for the next data without giving up the stream; what arrived is
      // read at once, a whole block when the server is sending fast.
      DWORD available = 0;
      if (!InternetQueryDataAvailable(request, &available, 0, 0)) return NetworkFailure(GetLastError());
      if (available == 0) break;
      if (available < 8192) want = available;
    }
    const uint64_t room = limit - received + 1;  // one byte over the limit is enough to tell
    if (want > room) want = static_cast<DWORD>(room);
    const ULONGLONG started = GetTickCount64();
    DWORD got = 0;
    if (!InternetReadFile(request, buffer.data(), want, &got)) return NetworkFailure(GetLastError());
    if (got == 0) break;
    streaming = got == kBlock && GetTickCount64() - started <= kStreamingMs;
    received += got;
    if (received > limit) return Failed(Failure::TooLarge, L"Too large");
    if (!job.toCache) result.Body.append(buffer.data(), got);
    job.Report({kDownloading, url, received, total});
  }
  if (job.cancelled) return Failed(Failure::Cancelled, L"Cancelled");
  result.Bytes = received;
  if (declared >= 0 && result.Bytes < static_cast<uint64_t>(declared)) {
    return Failed(Failure::Truncated, L"Connection closed after " + std::to_wstring(result.Bytes) + L" of " +
                                          std::to_wstring(declared) + L" bytes");
  }
  if (job.toCache) {
    result.CacheFile = CacheFileOf(request);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (result.CacheFile.empty() || !GetFileAttributesExW(result.CacheFile.c_str(), GetFileExInfoStandard, &data)) {
      return Failed(Failure::System, L"The Internet cache kept no file");
    }
  }
  job.Report({kEndDownload, url, result.Bytes, total});
  return result;
}

// What WinINet may have put into the cache for one request: its address and file.
struct CacheEntry {
  std::wstring url, file;
};

Result Perform(TransferJob& job, std::vector<CacheEntry>& entries) {
  ScopedInternet session(InternetOpenW(app::kVersionText, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return NetworkFailure(GetLastError());
  SetTimeouts(session.get(), job.options);
  std::wstring url = job.url;
  for (int hop = 0; hop <= kMaxRedirects; ++hop) {
    Address address;
    if (!Crack(url, address)) return Failed(Failure::Address, L"Not an http or https address");
    job.Report({kConnecting, address.host, 0, 0});
    ScopedInternet connection(InternetConnectW(session.get(), address.host.c_str(), address.port, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return NetworkFailure(GetLastError());
    const DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | (address.secure ? INTERNET_FLAG_SECURE : 0) |
                        (job.toCache ? INTERNET_FLAG_NEED_FILE : INTERNET_FLAG_NO_CACHE_WRITE);
    ScopedInternet request(
        HttpOpenRequestW(connection.get(), L"GET", address.object.c_str(), nullptr, nullptr, nullptr, flags, 0));
    if (!request) return NetworkFailure(GetLastError());
    SetTimeouts(request.get(), job.options);
    job.Report({kSendingRequest, L"", 0, 0});
    if (job.cancelled) break;
    if (!HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) return NetworkFailure(GetLastError());
    if (job.toCache) entries.push_back({url, CacheFileOf(request.get())});
    if (job.cancelled) break;

    DWORD status = 0, size = sizeof status;
    HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    const std::wstring location = QueryText(request.get(), HTTP_QUERY_LOCATION);
    if (status >= 300 && status < 400 && !location.empty()) {
      url = Combine(url, location);
      job.Report({kRedirecting, url, 0, 0});
      if (!IsWebAddress(url)) return Failed(Failure::Redirect, L"Redirected to a non-web address: " + url, status);
      continue;
    }
    if (status < 200 || status >= 300) return Failed(Failure::Http, L"HTTP " + std::to_wstring(status), status);
    const int64_t declared = ParseLength(QueryText(request.get(), HTTP_QUERY_CONTENT_LENGTH));
    if (declared > 0 && static_cast<uint64_t>(declared) > job.options.MaxBytes) {
      return Failed(Failure::TooLarge, L"Too large (" + std::to_wstring(declared) + L" bytes)", status);
    }
    const std::wstring mime = QueryText(request.get(), HTTP_QUERY_CONTENT_TYPE);
    if (!mime.empty()) job.Report({kMimeType, mime, 0, 0});
    const uint64_t total = declared > 0 ? static_cast<uint64_t>(declared) : 0;
    job.Report({kBeginDownload, url, 0, total});
    if (job.toCache && !entries.back().file.empty()) job.Report({kCacheFile, entries.back().file, 0, total});
    Result result = ReadBody(job, request.get(), url, declared);
    if (job.toCache && entries.back().file.empty()) entries.back().file = CacheFileOf(request.get());
    result.HttpStatus = static_cast<long>(status);
    if (result.Ok()) result.MimeType = mime;
    return result;
  }
  if (job.cancelled) return Failed(Failure::Cancelled, L"Cancelled");
  return Failed(Failure::Redirect, L"Too many redirects");
}

}  // namespace

void RunTransfer(TransferJob& job) {
  std::vector<CacheEntry> entries;
  Result result = Perform(job, entries);
  // The handles are closed by now: what WinINet kept of redirects and of a
  // failed download leaves the cache again.
  if (result.Ok() && !entries.empty()) entries.pop_back();
  for (const CacheEntry& entry : entries) {
    DeleteUrlCacheEntryW(entry.url.c_str());
    if (!entry.file.empty()) DeleteFileW(entry.file.c_str());
  }
  job.Finish(std::move(result));
}

}  // namespace download
