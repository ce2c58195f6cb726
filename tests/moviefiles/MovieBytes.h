// Byte builders for the movie tests: SWF tags and movies (plain or
// compressed), FLV tags with AMF0 metadata, and projectors.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace moviebytes {

using Bytes = std::vector<uint8_t>;

inline void Append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }
inline Bytes operator+(Bytes a, const Bytes& b) {
  Append(a, b);
  return a;
}
inline void PutLE(Bytes& b, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutBE(Bytes& b, uint64_t v, int n) {
  for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline Bytes Filled(size_t n, uint8_t v) { return Bytes(n, v); }

// A tag with a short header, or a long one when asked or needed.
inline Bytes Tag(uint32_t code, const Bytes& body, bool longHeader = false) {
  Bytes b;
  if (body.size() < 63 && !longHeader) {
    PutLE(b, code << 6 | static_cast<uint32_t>(body.size()), 2);
  } else {
    PutLE(b, code << 6 | 63, 2);
    PutLE(b, static_cast<uint32_t>(body.size()), 4);
  }
  Append(b, body);
  return b;
}
inline Bytes BackgroundTag(uint8_t r, uint8_t g, uint8_t b) { return Tag(9, {r, g, b}); }
inline Bytes ShowFrame() { return Tag(1, {}); }
inline Bytes EndTag() { return Tag(0, {}); }
inline Bytes MetadataTag(const std::string& title, const std::string& description) {
  std::string xml =
      "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
      "xmlns:dc=\"http://purl.org/dc/1.1\"><dc:title>" +
      title + "</dc:title><dc:description>" + description + "</dc:description></rdf:Description></rdf:RDF>";
  return Tag(77, Text(xml), true);
}

// Packs fields most significant bit first; the last byte is padded with zeros.
struct BitWriter {
  Bytes out;
  uint64_t acc = 0;
  int have = 0;
  BitWriter& Put(uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) {
      acc = acc << 1 | ((v >> i) & 1);
      if (++have == 8) out.push_back(static_cast<uint8_t>(acc)), acc = 0, have = 0;
    }
    return *this;
  }
  Bytes Done() { return have ? Put(0, 8 - have).out : out; }
};

// The frame rectangle: Nbits chosen to hold every field as a signed number.
inline Bytes Rect(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax, int nbits = -1) {
  if (nbits < 0) {
    nbits = 1;
    for (int32_t v : {xmin, xmax, ymin, ymax})
      while (nbits < 31 && (v >= (1 << (nbits - 1)) || v < -(1 << (nbits - 1)))) ++nbits;
  }
  BitWriter w;
  w.Put(static_cast<uint32_t>(nbits), 5);
  for (int32_t v : {xmin, xmax, ymin, ymax}) w.Put(static_cast<uint32_t>(v), nbits);
  return w.Done();
}

// DefineShape: a solid box of one colour from (0, 0) to (width, height) in twips.
inline Bytes BoxShape(uint16_t id, int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b) {
  BitWriter w;
  w.Put(1, 4).Put(0, 4);                                          // fill bits, line bits
  w.Put(0, 1).Put(0, 1).Put(0, 1).Put(1, 1).Put(0, 1).Put(1, 1);  // style change: fill 1, move to
  w.Put(1, 5).Put(0, 1).Put(0, 1).Put(1, 1);                      // (0, 0); fill style 1
  auto edge = [&](int32_t dx, int32_t dy) {  // a general line with 16-bit deltas
    w.Put(1, 1).Put(1, 1).Put(14, 4).Put(1, 1).Put(static_cast<uint32_t>(dx) & 0xFFFF, 16).Put(
        static_cast<uint32_t>(dy) & 0xFFFF, 16);
  };
  edge(width, 0), edge(0, height), edge(-width, 0), edge(0, -height);
  w.Put(0, 6);
  Bytes body{static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8)};
  Append(body, Rect(0, width, 0, height));
  Append(body, Bytes{1, 0x00, r, g, b, 0});  // one solid fill, no line styles
  Append(body, w.Done());
  return Tag(2, body, true);
}

struct Movie {
  uint8_t version = 10;
  Bytes rect = Rect(0, 550 * 20, 0, 400 * 20);
  uint8_t rateFraction = 0, rateWhole = 24;
  uint16_t frames = 120;
  std::vector<Bytes> tags;

  Bytes Body() const {
    Bytes b = rect + Bytes{rateFraction, rateWhole};
    PutLE(b, frames, 2);
    for (const Bytes& t : tags) Append(b, t);
    return b;
  }
  Bytes Plain() const { return WithHeader("FWS", Body(), 0); }
  Bytes Compressed() const {
    Bytes body = Body();
    uLongf n = compressBound(body.size());
    Bytes z(n);
    compress2(z.data(), &n, body.data(), body.size(), 6);
    z.resize(n);
    return WithHeader("CWS", z, body.size());
  }
  Bytes WithHeader(const char* sig, const Bytes& payload, size_t bodyLength) const {
    Bytes b = Text(sig);
    b.push_back(version);
    PutLE(b, static_cast<uint32_t>(8 + (bodyLength ? bodyLength : payload.size())), 4);
    Append(b, payload);
    return b;
  }
};

// FLV: header, then tags each followed by their previous-tag-size.
inline Bytes FlvHeader() { return {'F', 'L', 'V', 1, 5, 0, 0, 0, 9, 0, 0, 0, 0}; }  // audio and video, 9 bytes
inline Bytes FlvTag(uint8_t type, const Bytes& data, uint32_t time) {
  Bytes b{type};
  PutBE(b, data.size(), 3);
  PutBE(b, time & 0xFFFFFF, 3);
  PutBE(b, 0, 4);  // extended time, stream id
  Append(b, data);
  PutBE(b, data.size() + 11, 4);
  return b;
}
inline Bytes AmfKey(const std::string& key) {
  Bytes b;
  PutBE(b, key.size(), 2);
  Append(b, Text(key));
  return b;
}
inline Bytes AmfNumber(double v) {
  Bytes b{0};
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  PutBE(b, bits, 8);
  return b;
}
inline Bytes AmfString(const std::string& s) { return Bytes{2} + AmfKey(s); }
// "onMetaData" with an ECMA array of the given entries (key, encoded value).
inline Bytes MetaData(const std::vector<std::pair<std::string, Bytes>>& entries) {
  Bytes b = AmfString("onMetaData");
  b.push_back(8);
  PutBE(b, entries.size(), 4);
  for (const auto& [k, v] : entries) Append(b, AmfKey(k)), Append(b, v);
  Append(b, {0, 0, 9});
  return b;
}

inline Bytes Projector(const Bytes& stub, const Bytes& movie) {
  Bytes b = stub + movie + Bytes{0x56, 0x34, 0x12, 0xFA};
  PutLE(b, static_cast<uint32_t>(movie.size()), 4);
  return b;
}

}  // namespace moviebytes
