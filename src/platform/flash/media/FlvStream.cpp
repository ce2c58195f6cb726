#include "platform/flash/media/FlvStream.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string_view>

#include "base/ByteReader.h"

namespace flash::media {
namespace {

constexpr int kMaxDepth = 16;

std::string_view Key(ByteReader& r) {
  uint32_t n = 0;
  std::span<const uint8_t> bytes;
  if (!r.U16BE(n) || !r.Bytes(n, bytes)) return {};
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// A member of an object: reads (or skips) the value after the key.
using MemberVisitor = std::function<bool(std::string_view key, ByteReader& r, int depth)>;

bool Value(ByteReader& r, int depth, double* number, std::vector<double>* numbers, const MemberVisitor& visit);

bool SkipMember(std::string_view, ByteReader& r, int depth) { return Value(r, depth, nullptr, nullptr, SkipMember); }

bool Members(ByteReader& r, int depth, const MemberVisitor& visit) {
  for (;;) {
    std::string_view key = Key(r);
    uint8_t marker = 0;
    if (key.empty()) return r.U8(marker) && marker == 9;  // the end marker
    if (!visit(key, r, depth + 1)) return false;
  }
}

// Walks one AMF0 value: a number lands in *number, a strict array's numbers
// in *numbers, an object's members go to visit.
bool Value(ByteReader& r, int depth, double* number, std::vector<double>* numbers, const MemberVisitor& visit) {
  uint8_t type = 0;
  uint32_t n = 0;
  if (depth > kMaxDepth || !r.U8(type)) return false;
  switch (type) {
    case 0: {
      double v = 0;
      if (!r.F64BE(v)) return false;
      if (number) *number = v;
      return true;
    }
    case 1: return r.Skip(1);
    case 2: return r.U16BE(n) && r.Skip(n);
    case 12: return r.U32BE(n) && r.Skip(n);
    case 5: case 6: return true;
    case 7: return r.Skip(2);
    case 11: return r.Skip(10);
    case 3: return Members(r, depth, visit);
    case 8: return r.Skip(4) && Members(r, depth, visit);
    case 10: {
      if (!r.U32BE(n)) return false;
      for (uint32_t i = 0; i < n; ++i) {
        double v = NAN;
        if (!Value(r, depth + 1, &v, nullptr, SkipMember)) return false;
        if (numbers) numbers->push_back(v);
      }
      return true;
    }
    default: return false;
  }
}

bool SkipValue(ByteReader& r, int depth) { return Value(r, depth, nullptr, nullptr, SkipMember); }

// The composition offset of an H.264 picture tag: a signed 24-bit number
// after the format byte and the packet type (1: coded units).
int32_t Composition(std::span<const uint8_t> body) {
  ByteReader r(body);
  uint8_t format = 0, packetType = 0;
  uint32_t offset = 0;
  if (!r.U8(format) || (format & 15) != 7 || !r.U8(packetType) || packetType != 1 || !r.U24BE(offset)) return 0;
  return static_cast<int32_t>(offset << 8) >> 8;
}

}  // namespace

void FlvStream::ReadMetadata(std::span<const uint8_t> body, std::vector<double>& times, std::vector<double>& positions) {
  ByteReader r(body);
  if (!SkipValue(r, 0)) return;  // the event name, "onMetaData"
  auto visitTop = [&](std::string_view key, ByteReader& in, int depth) -> bool {
    double v = NAN;
    if (key == "duration" || key == "width" || key == "height") {
      if (!Value(in, depth, &v, nullptr, SkipMember)) return false;
      if (std::isfinite(v) && v > 0 && v < 1e9) {
        if (key == "duration") duration_ = v;
        if (key == "width") width_ = static_cast<uint32_t>(v);
        if (key == "height") height_ = static_cast<uint32_t>(v);
      }
      return true;
    }
    if (key == "keyframes") {
      auto visitKeys = [&](std::string_view k, ByteReader& inner, int d) -> bool {
        std::vector<double>* target = k == "times" ? &times : k == "filepositions" ? &positions : nullptr;
        return Value(inner, d, nullptr, target, SkipMember);
      };
      return Value(in, depth, nullptr, nullptr, visitKeys);
    }
    return SkipValue(in, depth);
  };
  Value(r, 0, nullptr, nullptr, visitTop);
}

bool FlvStream::Open(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  std::span<const uint8_t> sig;
  uint8_t version = 0, flags = 0;
  uint32_t headerSize = 0;
  if (!r.Bytes(3, sig) || sig[0] != 'F' || sig[1] != 'L' || sig[2] != 'V' || !r.U8(version) || !r.U8(flags) ||
      !r.U32BE(headerSize) || !r.Seek(headerSize) || !r.Skip(4))
    return false;
  std::vector<double> times, positions;
  std::map<size_t, size_t> videoAt;  // tag offset -> index in video_
  uint32_t lastTime = 0;
  for (;;) {
    const size_t offset = r.Pos();
    uint8_t type = 0, extended = 0;
    uint32_t size = 0, time = 0;
    std::span<const uint8_t> body;
    if (!r.U8(type) || !r.U24BE(size) || !r.U24BE(time) || !r.U8(extended) || !r.Skip(3) || !r.Bytes(size, body))
      break;
    r.Skip(4);  // the previous tag's size
    time |= static_cast<uint32_t>(extended) << 24;
    lastTime = std::max(lastTime, time);
    switch (type & 0x1F) {
      case 8:
        if (!body.empty()) audio_.push_back({time, body, false});
        break;
      case 9:
        if (!body.empty()) {
          const uint8_t frameType = body[0] >> 4;
          // An H.264 configuration packet is no picture and no key frame to seek to.
          const bool config = (body[0] & 15) == 7 && body.size() > 1 && body[1] == 0;
          videoAt[offset] = video_.size();
          video_.push_back({time, body, frameType == 1 && !config, Composition(body)});
        }
        break;
      case 18:
        if (times.empty()) ReadMetadata(body, times, positions);
        break;
      default: break;
    }
  }
  if (duration_ <= 0) duration_ = lastTime / 1000.0;
  // The metadata's table counts when every entry is a key frame tag of this file.
  if (!times.empty() && times.size() == positions.size()) {
    std::vector<size_t> keys;
    for (double p : positions) {
      auto it = p >= 0 && p < 1e15 ? videoAt.find(static_cast<size_t>(p)) : videoAt.end();
      if (it == videoAt.end() || !video_[it->second].key) {
        keys.clear();
        break;
      }
      keys.push_back(it->second);
    }
    if (!keys.empty() && std::is_sorted(keys.begin(), keys.end())) {
      keys_ = std::move(keys);
      fromMetadata_ = true;
    }
  }
  if (!fromMetadata_)
    for (size_t i = 0; i < video_.size(); ++i)
      if (video_[i].key) keys_.push_back(i);
  return true;
}

size_t FlvStream::KeyFrameAtOrBefore(uint32_t time) const {
  size_t best = 0;
  for (size_t k : keys_)
    if (video_[k].Presented() <= time && (best == 0 || video_[k].Presented() >= video_[best].Presented())) best = k;
  return best;
}

long FlvStream::FrameAt(uint32_t time) const {
  auto it = std::upper_bound(video_.begin(), video_.end(), time, [](uint32_t t, const FlvTag& tag) { return t < tag.time; });
  return static_cast<long>(it - video_.begin()) - 1;
}

}  // namespace flash::media
