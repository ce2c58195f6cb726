// The HTTP/1.1 wire format of one transfer, without any network: the request
// the worker sends, the answer's head (status line and header fields, bounded
// in size and count), how its body is framed (a declared length, chunks, or
// until the connection ends) and the decoder of a chunked body.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace download {

inline constexpr size_t kMaxHeadBytes = 64 * 1024;  // status line and every header field
inline constexpr size_t kMaxHeaderFields = 200;

// "GET <object> HTTP/1.1" with Host (the port when it is not the scheme's own),
// no keep-alive, no cache and no compression asked for.
std::string RequestText(const std::wstring& host, unsigned short port, bool secure, const std::wstring& object,
                        const std::wstring& userAgent);

struct ResponseHead {
  long status = 0;
  std::vector<std::pair<std::string, std::string>> fields;  // names as sent, values trimmed
  // The value of the first field of that name (case ignored); "" when missing.
  std::string Field(std::string_view name) const;
  size_t Count(std::string_view name) const;
};

enum class HeadState { NeedMore, Complete, Bad };

// Reads an answer's head from the start of data: Complete with head and the
// bytes it took (the body follows them); NeedMore while the blank line that
// ends it has not come (Bad once more than kMaxHeadBytes came without it);
// Bad with a reason for anything that is not an HTTP/1.x answer head.
HeadState ParseResponseHead(std::string_view data, ResponseHead& head, size_t& used, std::wstring& reason);

struct BodyFraming {
  enum Kind { Empty, Length, Chunked, UntilClose, Bad } kind = UntilClose;
  uint64_t length = 0;  // Length: the declared length
  std::wstring reason;  // Bad: why
};

// How the body of an answer to a GET is delimited: chunks when the last
// transfer coding is "chunked", else a Content-Length (every one the same
// decimal number), else the end of the connection; 1xx, 204 and 304 carry none.
BodyFraming FramingOf(const ResponseHead& head);

// Decodes a chunked body as it arrives: chunk sizes, extensions and trailer
// fields are checked and dropped, the data is handed on as it comes.
class ChunkedDecoder {
 public:
  enum class State { More, End, Bad };
  // Decodes input, calling data for each run of body bytes (a false return
  // stops at once and leaves the state as it was); returns the state after
  // input: More (more input wanted), End (the last chunk and its trailer came;
  // used tells how much of input they took) or Bad.
  State Feed(std::string_view input, const std::function<bool(const char*, size_t)>& data, size_t& used);
  const std::wstring& Reason() const { return reason_; }

 private:
  State Fail(const wchar_t* reason);

  enum class Step { Size, Extension, SizeLineEnd, Data, DataEnd, DataEndLf, Trailer, TrailerLf, Done };
  Step step_ = Step::Size;
  uint64_t remaining_ = 0;  // of the chunk being read
  size_t digits_ = 0;       // of the size being read
  size_t lineBytes_ = 0;    // of the size line or trailer line being read
  size_t trailerBytes_ = 0;
  bool lineEmpty_ = true;  // the trailer line being read has nothing yet
  std::wstring reason_;
};

}  // namespace download
