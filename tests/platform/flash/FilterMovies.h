// Builders of version 8 surface effects for the tests: the filter records of
// a FILTERLIST (fields as the file format lays them out), PlaceObject3 with a
// filter list, blend mode and bitmap caching, DefineButton2 records that
// carry them, and a movie of every filter and blend mode for the robustness
// run.
#pragma once
#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "RenderMovies.h"

namespace filtertest {

using rendertest::Bytes;
using rendertest::Color;
using rendertest::U16;
using rendertest::U32;
using moviebytes::operator+;

inline Bytes Fixed(double v) { return U32(static_cast<uint32_t>(static_cast<int32_t>(std::lround(v * 65536)))); }
inline Bytes Fixed8(double v) { return U16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 256)))); }
inline Bytes Float(float v) { return U32(std::bit_cast<uint32_t>(v)); }
inline Bytes Rgba(Color c) { return Bytes{c.r, c.g, c.b, c.a}; }
inline double Radians(double degrees) { return degrees * 3.14159265358979323846 / 180; }

// The flag byte of the shadow-like filters: inner, knockout, composite source, passes (5 bits).
inline uint8_t ShadowFlags(bool inner, bool knockout, bool hideObject, int passes) {
  return static_cast<uint8_t>((inner ? 0x80 : 0) | (knockout ? 0x40 : 0) | (hideObject ? 0 : 0x20) | (passes & 0x1F));
}
// The bevels' and gradients' flag byte: inner, knockout, composite source, on top, passes (4 bits).
enum class Placement { Inner, Outer, Full };
inline uint8_t BevelFlags(Placement p, bool knockout, int passes) {
  return static_cast<uint8_t>((p != Placement::Outer ? 0x80 : 0) | (knockout ? 0x40 : 0) | 0x20 |
                              (p == Placement::Full ? 0x10 : 0) | (passes & 0x0F));
}

inline Bytes DropShadow(Color c, double blurX, double blurY, double degrees, double distance, double strength = 1,
                        bool inner = false, bool knockout = false, bool hideObject = false, int passes = 1) {
  return Bytes{0} + Rgba(c) + Fixed(blurX) + Fixed(blurY) + Fixed(Radians(degrees)) + Fixed(distance) + Fixed8(strength) +
         Bytes{ShadowFlags(inner, knockout, hideObject, passes)};
}
inline Bytes Blur(double blurX, double blurY, int passes = 1) {
  return Bytes{1} + Fixed(blurX) + Fixed(blurY) + Bytes{static_cast<uint8_t>(passes << 3)};
}
inline Bytes Glow(Color c, double blurX, double blurY, double strength = 1, bool inner = false, bool knockout = false,
                  int passes = 1) {
  return Bytes{2} + Rgba(c) + Fixed(blurX) + Fixed(blurY) + Fixed8(strength) +
         Bytes{ShadowFlags(inner, knockout, false, passes)};
}
inline Bytes Bevel(Color shadow, Color highlight, double blur, double degrees, double distance,
                   Placement p = Placement::Inner, bool knockout = false, double strength = 1, int passes = 1) {
  return Bytes{3} + Rgba(shadow) + Rgba(highlight) + Fixed(blur) + Fixed(blur) + Fixed(Radians(degrees)) + Fixed(distance) +
         Fixed8(strength) + Bytes{BevelFlags(p, knockout, passes)};
}
// Gradient glow (kind 4) or gradient bevel (kind 7).
inline Bytes GradientFilter(uint8_t kind, const std::vector<std::pair<uint8_t, Color>>& stops, double blur, double degrees,
                            double distance, Placement p, bool knockout = false, double strength = 1, int passes = 1) {
  Bytes b{kind, static_cast<uint8_t>(stops.size())};
  for (const auto& [ratio, c] : stops) moviebytes::Append(b, Rgba(c));
  for (const auto& [ratio, c] : stops) b.push_back(ratio);
  return b + Fixed(blur) + Fixed(blur) + Fixed(Radians(degrees)) + Fixed(distance) + Fixed8(strength) +
         Bytes{BevelFlags(p, knockout, passes)};
}
inline Bytes Convolution(int x, int y, const std::vector<float>& matrix, float divisor, float bias, Color outside,
                         bool clamp, bool preserveAlpha) {
  Bytes b = Bytes{5, static_cast<uint8_t>(x), static_cast<uint8_t>(y)} + Float(divisor) + Float(bias);
  for (float v : matrix) moviebytes::Append(b, Float(v));
  return b + Rgba(outside) + Bytes{static_cast<uint8_t>((clamp ? 2 : 0) | (preserveAlpha ? 1 : 0))};
}
inline Bytes ColorMatrix(const std::vector<float>& m) {
  Bytes b{6};
  for (float v : m) moviebytes::Append(b, Float(v));
  return b;
}
inline Bytes FilterList(const std::vector<Bytes>& filters) {
  Bytes b{static_cast<uint8_t>(filters.size())};
  for (const Bytes& f : filters) moviebytes::Append(b, f);
  return b;
}

// PlaceObject3 of a new character: a filter list (the records, or none when
// empty), a blend mode byte (-1 none), bitmap caching (-1 none), a name.
inline Bytes Place3(uint16_t depth, uint16_t id, const Bytes& matrix, const std::vector<Bytes>& filters, int blend = -1,
                    int cache = -1, const std::string& name = "", bool move = false) {
  const uint8_t flags = static_cast<uint8_t>((move ? 0x01 : 0) | (id ? 0x02 : 0) | (matrix.empty() ? 0 : 0x04) |
                                             (name.empty() ? 0 : 0x20));
  const uint8_t flags2 = static_cast<uint8_t>((filters.empty() ? 0 : 0x01) | (blend >= 0 ? 0x02 : 0) | (cache >= 0 ? 0x04 : 0));
  Bytes body = Bytes{flags, flags2} + U16(depth);
  if (id) body = body + U16(id);
  body = body + matrix;
  if (!name.empty()) body = body + moviebytes::Text(name) + Bytes{0};
  if (!filters.empty()) body = body + FilterList(filters);
  if (blend >= 0) body.push_back(static_cast<uint8_t>(blend));
  if (cache >= 0) body.push_back(static_cast<uint8_t>(cache));
  return moviebytes::Tag(70, body, true);
}

// A DefineButton2 character record at the origin with filters and a blend mode.
inline Bytes EffectButtonRecord(uint8_t states, uint16_t character, uint16_t depth, const std::vector<Bytes>& filters,
                                int blend = -1) {
  const uint8_t flags = static_cast<uint8_t>(states | (filters.empty() ? 0 : 0x10) | (blend >= 0 ? 0x20 : 0));
  Bytes b = Bytes{flags} + U16(character) + U16(depth) + rendertest::Translate(0, 0) +
            rendertest::Cxform(256, 256, 256, 256, 0, 0, 0, 0);
  if (!filters.empty()) b = b + FilterList(filters);
  if (blend >= 0) b.push_back(static_cast<uint8_t>(blend));
  return b;
}

// Every filter (with extreme parameters too) and every blend mode on a
// 100 x 100 stage: squares of shape 1, one of them a sprite, and a button
// whose records carry effects; the last placements are larger than a layer
// may be.
Bytes EffectsMovie();

}  // namespace filtertest
