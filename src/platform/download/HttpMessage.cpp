#include "platform/download/HttpMessage.h"

#include <algorithm>
#include <cstdint>

#include "base/TextConv.h"

namespace download {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool IsTokenChar(char c) {
  if (c >= 'a' && c <= 'z') return true;
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= '0' && c <= '9') return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

// Bytes outside printable ASCII, blanks and quotes are sent %-escaped.
std::string EscapedObject(const std::wstring& object) {
  const std::string bytes = WideToUtf8(object);
  std::string out;
  out.reserve(bytes.size());
  const char* hex = "0123456789ABCDEF";
  for (unsigned char c : bytes) {
    if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>') {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out.empty() || out[0] != '/' ? "/" + out : out;
}

// A decimal length; saturates at the largest 64-bit value; false for anything else.
bool ParseDecimal(std::string_view text, uint64_t& value) {
  if (text.empty()) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    value = value > (UINT64_MAX - digit) / 10 ? UINT64_MAX : value * 10 + digit;
  }
  return true;
}

}  // namespace

std::string RequestText(const std::wstring& host, unsigned short port, bool secure, const std::wstring& object,
                        const std::wstring& userAgent) {
  std::string hostField = WideToUtf8(host);
  if (hostField.find(':') != std::string::npos) hostField = "[" + hostField + "]";  // an IPv6 address
  if (port != (secure ? 443 : 80)) hostField += ":" + std::to_string(port);
  return "GET " + EscapedObject(object) + " HTTP/1.1\r\nHost: " + hostField +
         "\r\nUser-Agent: " + WideToUtf8(userAgent) +
         "\r\nAccept: */*\r\nAccept-Encoding: identity\r\nCache-Control: no-cache\r\nPragma: no-cache\r\n"
         "Connection: close\r\n\r\n";
}

std::string ResponseHead::Field(std::string_view name) const {
  for (const auto& [n, v] : fields)
    if (EqualNoCaseAscii(n, name)) return v;
  return "";
}

size_t ResponseHead::Count(std::string_view name) const {
  return static_cast<size_t>(
      std::count_if(fields.begin(), fields.end(), [&](const auto& f) { return EqualNoCaseAscii(f.first, name); }));
}

HeadState ParseResponseHead(std::string_view data, ResponseHead& head, size_t& used, std::wstring& reason) {
  head = ResponseHead{};
  size_t at = 0;
  bool first = true;
  while (true) {
    const size_t end = data.find('\n', at);
    if (end == std::string_view::npos || end >= kMaxHeadBytes) {
      if (std::min(data.size(), end) < kMaxHeadBytes) return HeadState::NeedMore;
      reason = L"The answer's head is longer than 64 KB";
      return HeadState::Bad;
    }
    std::string_view line = data.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    at = end + 1;
    if (first) {
      // "HTTP/1.x 200 OK"
      first = false;
      if (line.size() < 12 || line.substr(0, 7) != "HTTP/1." || line[8] != ' ' || line[7] < '0' || line[7] > '9') {
        reason = L"Not an HTTP answer";
        return HeadState::Bad;
      }
      const std::string_view code = line.substr(9, 3);
      if (!std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
          (line.size() > 12 && line[12] != ' ')) {
        reason = L"Not an HTTP answer";
        return HeadState::Bad;
      }
      head.status = (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
      continue;
    }
    if (line.empty()) {
      used = at;
      return HeadState::Complete;
    }
    if (line.front() == ' ' || line.front() == '\t') {  // a folded continuation of the field before
      if (head.fields.empty()) {
        reason = L"A malformed header field";
        return HeadState::Bad;
      }
      head.fields.back().second += " " + std::string(Trim(line));
      continue;
    }
    const size_t colon = line.find(':');
    if (colon == 0 || colon == std::string_view::npos ||
        !std::all_of(line.begin(), line.begin() + colon, IsTokenChar)) {
      reason = L"A malformed header field";
      return HeadState::Bad;
    }
    if (head.fields.size() == kMaxHeaderFields) {
      reason = L"More than " + std::to_wstring(kMaxHeaderFields) + L" header fields";
      return HeadState::Bad;
    }
    head.fields.emplace_back(std::string(line.substr(0, colon)), std::string(Trim(line.substr(colon + 1))));
  }
}

BodyFraming FramingOf(const ResponseHead& head) {
  BodyFraming framing;
  if (head.status < 200 || head.status == 204 || head.status == 304) {
    framing.kind = BodyFraming::Empty;
    return framing;
  }
  if (head.Count("Transfer-Encoding") > 0) {
    // The codings of every field in order; chunked must be the last to frame the body.
    std::string codings;
    for (const auto& [n, v] : head.fields)
      if (EqualNoCaseAscii(n, "Transfer-Encoding")) codings += "," + v;
    const size_t comma = codings.rfind(',');
    framing.kind = EqualNoCaseAscii(Trim(std::string_view(codings).substr(comma + 1)), "chunked") ? BodyFraming::Chunked
                                                                                            : BodyFraming::UntilClose;
    return framing;
  }
  bool seen = false;
  for (const auto& [n, v] : head.fields) {
    if (!EqualNoCaseAscii(n, "Content-Length")) continue;
    std::string_view rest = v;
    while (true) {  // "10, 10" lists the same length twice
      const size_t comma = rest.find(',');
      uint64_t value = 0;
      if (!ParseDecimal(Trim(rest.substr(0, comma)), value) || (seen && value != framing.length)) {
        framing.kind = BodyFraming::Bad;
        framing.reason = L"A malformed or contradictory Content-Length";
        return framing;
      }
      framing.kind = BodyFraming::Length;
      framing.length = value;
      seen = true;
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
  }
  return framing;
}

ChunkedDecoder::State ChunkedDecoder::Fail(const wchar_t* reason) {
  reason_ = reason;
  return State::Bad;
}

ChunkedDecoder::State ChunkedDecoder::Feed(std::string_view input, const std::function<bool(const char*, size_t)>& data,
                                           size_t& used) {
  constexpr size_t kMaxLine = 4096, kMaxTrailer = 64 * 1024;
  size_t at = 0;
  while (at < input.size()) {
    if (step_ == Step::Done) break;
    if (step_ == Step::Data) {
      const size_t take = static_cast<size_t>(std::min<uint64_t>(remaining_, input.size() - at));
      if (!data(input.data() + at, take)) {
        used = at;
        return State::More;
      }
      at += take;
      remaining_ -= take;
      if (remaining_ == 0) step_ = Step::DataEnd;
      continue;
    }
    const char c = input[at++];
    switch (step_) {
      case Step::Size: {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit >= 0) {
          if (remaining_ >= (1ull << 56) || ++lineBytes_ > kMaxLine) return Fail(L"A chunk size too large");
          remaining_ = remaining_ * 16 + static_cast<uint64_t>(digit);
          digits_ = 1;
          break;
        }
        if (digits_ == 0) return Fail(L"A chunk without a size");
        if (c == ';' || c == ' ' || c == '\t') {
          step_ = Step::Extension;
        } else if (c == '\r') {
          step_ = Step::SizeLineEnd;
        } else if (c == '\n') {
          at -= 1;
          step_ = Step::SizeLineEnd;
        } else {
          return Fail(L"A malformed chunk size");
        }
        break;
      }
      case Step::Extension:
        if (++lineBytes_ > kMaxLine) return Fail(L"A chunk size line longer than 4 KB");
        if (c == '\r') step_ = Step::SizeLineEnd;
        if (c == '\n') {
          at -= 1;
          step_ = Step::SizeLineEnd;
        }
        break;
      case Step::SizeLineEnd:
        if (c != '\n') return Fail(L"A malformed chunk size line");
        digits_ = 0;
        lineBytes_ = 0;
        step_ = remaining_ == 0 ? Step::Trailer : Step::Data;
        lineEmpty_ = true;
        break;
      case Step::DataEnd:
        if (c == '\r') {
          step_ = Step::DataEndLf;
        } else if (c == '\n') {
          step_ = Step::Size;
        } else {
          return Fail(L"A chunk longer than its size");
        }
        break;
      case Step::DataEndLf:
        if (c != '\n') return Fail(L"A chunk longer than its size");
        step_ = Step::Size;
        break;
      case Step::Trailer:
        if (++trailerBytes_ > kMaxTrailer) return Fail(L"A trailer longer than 64 KB");
        if (c == '\r') {
          step_ = Step::TrailerLf;
        } else if (c == '\n') {
          if (lineEmpty_) step_ = Step::Done;
          lineEmpty_ = true;
        } else {
          lineEmpty_ = false;
        }
        break;
      case Step::TrailerLf:
        if (c != '\n') return Fail(L"A malformed trailer");
        if (lineEmpty_) {
          step_ = Step::Done;
        } else {
          lineEmpty_ = true;
          step_ = Step::Trailer;
        }
        break;
      case Step::Data:
      case Step::Done: break;
    }
  }
  used = at;
  return step_ == Step::Done ? State::End : State::More;
}

}  // namespace download
