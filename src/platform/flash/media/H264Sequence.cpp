#include "platform/flash/media/H264Sequence.h"

#include <vector>

#include "base/ByteReader.h"
#include "platform/flash/media/BitReader.h"
#include "platform/flash/media/VideoImage.h"

namespace flash::media {
namespace {

constexpr uint8_t kSequenceUnit = 7;
constexpr int kMaxPocCycle = 255;  // the largest reference cycle a valid set declares

// Exp-Golomb codes over the bit reader; a code of more than 31 leading zeros
// (no valid field has one) or one running past the end fails.
class Fields {
 public:
  explicit Fields(std::span<const uint8_t> rbsp) : bits_(rbsp) {}

  bool Ue(uint32_t& v) {
    int zeros = 0;
    while (!bits_.Bit()) {
      if (++zeros > 31 || bits_.Overrun()) return false;
    }
    v = static_cast<uint32_t>((uint64_t{1} << zeros) - 1 + bits_.Read(static_cast<unsigned>(zeros)));
    return !bits_.Overrun();
  }
  // A bounded unsigned code: fails above max.
  bool Ue(uint32_t& v, uint32_t max) { return Ue(v) && v <= max; }
  bool Se(int32_t& v) {
    uint32_t u = 0;
    if (!Ue(u)) return false;
    v = u & 1 ? static_cast<int32_t>((u >> 1) + 1) : -static_cast<int32_t>(u >> 1);
    return true;
  }
  uint32_t U(unsigned n) { return bits_.Read(n); }
  bool Flag() { return bits_.Bit(); }
  bool Good() const { return !bits_.Overrun(); }

 private:
  BitReader bits_;
};

// The unit's payload without its header byte and emulation prevention bytes
// (a 3 after two zero bytes).
bool Payload(std::span<const uint8_t> unit, std::vector<uint8_t>& out) {
  ByteReader r(unit);
  uint8_t header = 0, b = 0;
  if (!r.U8(header) || (header & 0x80) || (header & 0x1F) != kSequenceUnit) return false;
  out.clear();
  out.reserve(r.Remaining());
  int zeros = 0;
  while (r.U8(b)) {
    if (zeros >= 2 && b == 3) {
      zeros = 0;
      continue;
    }
    zeros = b == 0 ? zeros + 1 : 0;
    out.push_back(b);
  }
  return true;
}

bool SkipScalingList(Fields& f, int size) {
  int last = 8, next = 8;
  for (int j = 0; j < size && next != 0; ++j) {
    int32_t delta = 0;
    if (!f.Se(delta) || delta < -128 || delta > 127) return false;
    next = (last + delta + 256) % 256;
    if (next != 0) last = next;
  }
  return true;
}

bool HasChromaFields(uint32_t profile) {
  switch (profile) {
    case 100: case 110: case 122: case 244: case 44: case 83: case 86: case 118: case 128: case 138: case 139:
    case 134: case 135: return true;
    default: return false;
  }
}

}  // namespace

std::optional<H264Geometry> ReadH264Geometry(std::span<const uint8_t> unit) {
  std::vector<uint8_t> rbsp;
  if (!Payload(unit, rbsp)) return std::nullopt;
  Fields f(rbsp);
  const uint32_t profile = f.U(8);
  f.U(16);  // constraint flags, level
  uint32_t id = 0, chroma = 1, depth = 0, n = 0;
  if (!f.Ue(id, 31)) return std::nullopt;
  bool separatePlanes = false;
  if (HasChromaFields(profile)) {
    if (!f.Ue(chroma, 3)) return std::nullopt;
    if (chroma == 3) separatePlanes = f.Flag();
    if (!f.Ue(depth, 6) || !f.Ue(depth, 6)) return std::nullopt;  // luma, chroma bit depths
    f.Flag();  // transform bypass
    if (f.Flag()) {  // scaling matrices
      const int lists = chroma == 3 ? 12 : 8;
      for (int i = 0; i < lists; ++i)
        if (f.Flag() && !SkipScalingList(f, i < 6 ? 16 : 64)) return std::nullopt;
    }
  }
  uint32_t pocType = 0;
  if (!f.Ue(n, 12) || !f.Ue(pocType, 2)) return std::nullopt;  // frame number size, order count type
  if (pocType == 0 && !f.Ue(n, 12)) return std::nullopt;
  if (pocType == 1) {
    int32_t offset = 0;
    f.Flag();
    if (!f.Se(offset) || !f.Se(offset) || !f.Ue(n, kMaxPocCycle)) return std::nullopt;
    for (uint32_t i = 0; i < n; ++i)
      if (!f.Se(offset)) return std::nullopt;
  }
  uint32_t mbWidth = 0, mapHeight = 0;
  if (!f.Ue(n, 32)) return std::nullopt;  // reference frames
  f.Flag();                               // gaps in frame numbers
  constexpr uint32_t kMaxMbs = kMaxVideoSide / 16;
  if (!f.Ue(mbWidth, kMaxMbs - 1) || !f.Ue(mapHeight, kMaxMbs - 1)) return std::nullopt;
  const bool frameMbsOnly = f.Flag();
  if (!frameMbsOnly) f.Flag();  // adaptive frame/field
  f.Flag();                     // direct 8x8 inference
  H264Geometry g;
  g.codedWidth = static_cast<int>(mbWidth + 1) * 16;
  g.codedHeight = static_cast<int>(mapHeight + 1) * 16 * (frameMbsOnly ? 1 : 2);
  g.width = g.codedWidth;
  g.height = g.codedHeight;
  if (g.codedHeight > kMaxVideoSide) return std::nullopt;
  if (f.Flag()) {
    // Crop offsets count in chroma samples (luma samples without chroma), rows in fields' rows.
    const bool noChroma = separatePlanes || chroma == 0;
    const int unitX = noChroma || chroma == 3 ? 1 : 2;
    const int unitY = (noChroma || chroma != 1 ? 1 : 2) * (frameMbsOnly ? 1 : 2);
    uint32_t left = 0, right = 0, top = 0, bottom = 0;
    const uint32_t maxX = static_cast<uint32_t>(g.codedWidth / unitX), maxY = static_cast<uint32_t>(g.codedHeight / unitY);
    if (!f.Ue(left, maxX) || !f.Ue(right, maxX) || !f.Ue(top, maxY) || !f.Ue(bottom, maxY) || left + right >= maxX ||
        top + bottom >= maxY)
      return std::nullopt;
    g.left = static_cast<int>(left) * unitX;
    g.top = static_cast<int>(top) * unitY;
    g.width = g.codedWidth - static_cast<int>(left + right) * unitX;
    g.height = g.codedHeight - static_cast<int>(top + bottom) * unitY;
  }
  if (!f.Good()) return std::nullopt;
  return g;
}

}  // namespace flash::media
