// The download's reading of what a server sends, which comes from anywhere:
// answer heads (bounded, malformed ones refused), how a body is framed, and
// chunked bodies decoded the same whatever pieces they arrive in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/download/HttpMessage.h"

using download::BodyFraming;
using download::ChunkedDecoder;
using download::HeadState;
using download::ResponseHead;

namespace {

TEST(HttpMessage, TheRequestAsksForOneAnswerOnAConnectionOfItsOwn) {
  const std::string request = download::RequestText(L"example.org", 8080, false, L"/a b/\u00e9.swf?x=1", L"Agent 1");
  EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /a%20b/%C3%A9.swf?x=1 HTTP/1.1");
  EXPECT_NE(request.find("\r\nHost: example.org:8080\r\n"), std::string::npos);
  EXPECT_NE(request.find("\r\nConnection: close\r\n"), std::string::npos);
  EXPECT_NE(request.find("\r\nAccept-Encoding: identity\r\n"), std::string::npos);
  EXPECT_EQ(request.substr(request.size() - 4), "\r\n\r\n");
  // The scheme's own port is not named; an IPv6 host is bracketed.
  EXPECT_NE(download::RequestText(L"example.org", 443, true, L"/", L"A").find("Host: example.org\r\n"),
            std::string::npos);
  EXPECT_NE(download::RequestText(L"::1", 8080, false, L"/", L"A").find("Host: [::1]:8080\r\n"), std::string::npos);
}

TEST(HttpMessage, AnswerHeadsAreReadOrRefused) {
  const std::string many = [] {
    std::string text = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i <= 200; ++i) text += "X-" + std::to_string(i) + ": 1\r\n";
    return text + "\r\n";
  }();
  const struct Case {
    const char* name;
    std::string data;
    HeadState state;
    long status;
  } cases[] = {
      {"plain", "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 3\r\n\r\nabc", HeadState::Complete, 200},
      {"bare line feeds", "HTTP/1.0 404 Not Found\nA: b\n\nrest", HeadState::Complete, 404},
      {"no reason phrase", "HTTP/1.1 204\r\n\r\n", HeadState::Complete, 204},
      {"not yet ended", "HTTP/1.1 200 OK\r\nContent-Len", HeadState::NeedMore, 0},
      {"not HTTP", "SSH-2.0-OpenSSH\r\n\r\n", HeadState::Bad, 0},
      {"HTTP/2 status line", "HTTP/2 200\r\n\r\n", HeadState::Bad, 0},
      {"a letter in the status", "HTTP/1.1 2x0 OK\r\n\r\n", HeadState::Bad, 0},
      {"a field without a colon", "HTTP/1.1 200 OK\r\nNo colon\r\n\r\n", HeadState::Bad, 0},
      {"a blank in a field name", "HTTP/1.1 200 OK\r\nContent Length: 1\r\n\r\n", HeadState::Bad, 0},
      {"too many fields", many, HeadState::Bad, 0},
      {"a head without end", "HTTP/1.1 200 OK\r\nX: " + std::string(70000, 'x'), HeadState::Bad, 0},
      {"a line without end", "HTTP/1.1 200 OK\r\n" + std::string(70000, 'x') + "\r\n\r\n", HeadState::Bad, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResponseHead head;
    size_t used = 0;
    std::wstring reason;
    EXPECT_EQ(download::ParseResponseHead(c.data, head, used, reason), c.state);
    if (c.state == HeadState::Complete) {
      EXPECT_EQ(head.status, c.status);
    }
    if (c.state == HeadState::Bad) {
      EXPECT_FALSE(reason.empty());
    }
  }
  ResponseHead head;
  size_t used = 0;
  std::wstring reason;
  const std::string folded = "HTTP/1.1 301 Moved\r\nlocation:  /new\r\nX-Long: one\r\n two\r\n\r\nBODY";
  ASSERT_EQ(download::ParseResponseHead(folded, head, used, reason), HeadState::Complete);
  EXPECT_EQ(folded.substr(used), "BODY");
  EXPECT_EQ(head.Field("Location"), "/new");
  EXPECT_EQ(head.Field("x-long"), "one two");
  EXPECT_EQ(head.Field("Missing"), "");
}

TEST(HttpMessage, TheBodysFramingFollowsTheHead) {
  const struct Case {
    long status;
    std::vector<std::pair<std::string, std::string>> fields;
    BodyFraming::Kind kind;
    uint64_t length;
  } cases[] = {
      {200, {{"Content-Length", "42"}}, BodyFraming::Length, 42},
      {200, {{"Content-Length", "42, 42"}, {"content-length", "42"}}, BodyFraming::Length, 42},
      {200, {{"Content-Length", "42"}, {"Content-Length", "43"}}, BodyFraming::Bad, 0},
      {200, {{"Content-Length", "-1"}}, BodyFraming::Bad, 0},
      {200, {{"Content-Length", "99999999999999999999999"}}, BodyFraming::Length, UINT64_MAX},
      {200, {{"Transfer-Encoding", "chunked"}, {"Content-Length", "5"}}, BodyFraming::Chunked, 0},
      {200, {{"Transfer-Encoding", "gzip, Chunked"}}, BodyFraming::Chunked, 0},
      {200, {{"Transfer-Encoding", "chunked"}, {"Transfer-Encoding", "gzip"}}, BodyFraming::UntilClose, 0},
      {200, {}, BodyFraming::UntilClose, 0},
      {204, {{"Content-Length", "5"}}, BodyFraming::Empty, 0},
      {304, {}, BodyFraming::Empty, 0},
  };
  for (const Case& c : cases) {
    ResponseHead head;
    head.status = c.status;
    head.fields = c.fields;
    const BodyFraming framing = download::FramingOf(head);
    EXPECT_EQ(framing.kind, c.kind) << c.status << " " << (c.fields.empty() ? "" : c.fields[0].second);
    if (c.kind == BodyFraming::Length) {
      EXPECT_EQ(framing.length, c.length);
    }
  }
}

// Decodes input fed in pieces of the given size; the body, and the state and
// bytes used after the last piece fed.
struct Decoded {
  std::string body;
  ChunkedDecoder::State state = ChunkedDecoder::State::More;
  size_t usedOfLast = 0;
};

Decoded Decode(const std::string& input, size_t piece) {
  ChunkedDecoder decoder;
  Decoded out;
  for (size_t at = 0; at < input.size() && out.state == ChunkedDecoder::State::More; at += piece) {
    const std::string part = input.substr(at, piece);
    out.state = decoder.Feed(
        part,
        [&](const char* data, size_t size) {
          out.body.append(data, size);
          return true;
        },
        out.usedOfLast);
  }
  return out;
}

TEST(HttpMessage, ChunkedBodiesDecodeTheSameInAnyPieces) {
  const std::string encoded =
      "5;name=value\r\nhello\r\n1A\r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\nTrailer: yes\r\n\r\nAFTER";
  for (size_t piece : {1u, 2u, 3u, 7u, 1000u}) {
    SCOPED_TRACE(piece);
    const Decoded d = Decode(encoded, piece);
    EXPECT_EQ(d.state, ChunkedDecoder::State::End);
    EXPECT_EQ(d.body, "helloabcdefghijklmnopqrstuvwxyz");
  }
  EXPECT_EQ(Decode(encoded, 1000).usedOfLast, encoded.size() - 5) << "what follows the body is not taken";
  EXPECT_EQ(Decode("3\nabc\n0\n\n", 1).state, ChunkedDecoder::State::End) << "bare line feeds";
  EXPECT_EQ(Decode("5\r\nhel", 1).state, ChunkedDecoder::State::More);

  const struct Bad {
    const char* name;
    std::string input;
  } bad[] = {
      {"no size", "\r\nhello\r\n0\r\n\r\n"},
      {"not hexadecimal", "zz\r\nhello\r\n"},
      {"a chunk longer than its size", "3\r\nhello\r\n0\r\n\r\n"},
      {"a size beyond 64 bits", "1" + std::string(20, '0') + "\r\n"},
      {"a size line without end", "5;" + std::string(5000, 'x')},
      {"a trailer without end", "0\r\n" + std::string(70000, 'x')},
  };
  for (const Bad& b : bad) {
    ChunkedDecoder decoder;
    size_t used = 0;
    std::string body;
    const auto state = decoder.Feed(
        b.input,
        [&](const char* data, size_t size) {
          body.append(data, size);
          return true;
        },
        used);
    EXPECT_EQ(state, ChunkedDecoder::State::Bad) << b.name;
    EXPECT_FALSE(decoder.Reason().empty()) << b.name;
  }
}

}  // namespace
