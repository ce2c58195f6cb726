#include "platform/flash/parse/FontHints.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace flash {
namespace {

float Clamped(uint32_t bits, float limit) {
  float f = 0;
  std::memcpy(&f, &bits, sizeof f);
  return std::isfinite(f) ? std::clamp(f, -limit, limit) : 0.0f;
}

}  // namespace

float HalfFloat(uint16_t bits) {
  const int exponent = (bits >> 10) & 0x1F;
  const int mantissa = bits & 0x3FF;
  const float sign = (bits & 0x8000) ? -1.0f : 1.0f;
  if (exponent == 0) return sign * std::ldexp(static_cast<float>(mantissa), -16 - 9);
  return sign * std::ldexp(1.0f + mantissa / 1024.0f, exponent - 16);
}

bool ReadFontAlignZones(ByteReader& r, uint16_t& font, FontZones& zones) {
  uint32_t id = 0;
  uint8_t flags = 0;
  if (!r.U16LE(id) || !r.U8(flags)) return false;
  font = static_cast<uint16_t>(id);
  zones.hint = static_cast<uint8_t>(flags >> 6);
  while (!r.AtEnd() && zones.glyphs.size() < kMaxZoneRecords) {
    uint8_t count = 0;
    if (!r.U8(count)) break;
    float values[4] = {};
    bool whole = true;
    for (int i = 0; i < count && whole; ++i) {
      uint32_t coordinate = 0, range = 0;
      whole = r.U16LE(coordinate) && r.U16LE(range);
      if (whole && i < 2) {
        values[i * 2] = HalfFloat(static_cast<uint16_t>(coordinate));
        values[i * 2 + 1] = HalfFloat(static_cast<uint16_t>(range));
      }
    }
    uint8_t mask = 0;
    if (!whole || !r.U8(mask)) break;
    GlyphZones g;
    g.hasX = (mask & 0x01) && count >= 1, g.hasY = (mask & 0x02) && count >= 2;
    g.x = values[0], g.width = values[1], g.y = values[2], g.height = values[3];
    zones.glyphs.push_back(g);
  }
  return true;
}

bool ReadTextSettings(ByteReader& r, uint16_t& text, TextSettings& s) {
  uint32_t id = 0, thickness = 0, sharpness = 0;
  uint8_t flags = 0;
  if (!r.U16LE(id) || !r.U8(flags) || !r.U32LE(thickness) || !r.U32LE(sharpness)) return false;
  text = static_cast<uint16_t>(id);
  s.advanced = (flags >> 6) == 1;
  s.gridFit = std::min<uint8_t>((flags >> 3) & 0x07, 2);
  s.thickness = Clamped(thickness, 200);
  s.sharpness = Clamped(sharpness, 400);
  return true;
}

}  // namespace flash
