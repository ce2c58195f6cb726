// What version 8 movies say about drawing text crisply: the alignment zones
// of a DefineFont3's glyphs (DefineFontAlignZones) and a text's
// anti-aliasing settings (CSMTextSettings). A zone is a glyph's stem or
// band along one axis: where it begins and how far it reaches, in the font's
// em square of 1024 units (1/20 of DefineFont3's glyph units).
#pragma once
#include <cstdint>
#include <vector>

#include "base/ByteReader.h"

namespace flash {

struct GlyphZones {
  bool hasX = false, hasY = false;
  float x = 0, width = 0;   // along x
  float y = 0, height = 0;  // along y, upward from the baseline
};

struct FontZones {
  uint8_t hint = 0;                 // CSMTableHint: 0 thin, 1 medium, 2 thick
  std::vector<GlyphZones> glyphs;   // by glyph index; a font may hold fewer than glyphs
};

struct TextSettings {
  bool advanced = false;  // UseFlashType: the advanced anti-aliasing
  uint8_t gridFit = 0;    // 0 none, 1 whole pixels, 2 sub-pixels
  float thickness = 0;    // -200..200: thicker (darker) text above 0
  float sharpness = 0;    // -400..400: crisper edges above 0
};

// Zone records a font may hold: the most glyphs a font can have.
inline constexpr size_t kMaxZoneRecords = 65536;

// A FLOAT16: sign, 5 exponent bits biased by 16, 10 mantissa bits.
float HalfFloat(uint16_t bits);
// The body of a DefineFontAlignZones tag: its font's id and zones; records
// past the tag's end or past kMaxZoneRecords are not read. False when the
// tag is too short to name a font.
bool ReadFontAlignZones(ByteReader& body, uint16_t& font, FontZones& zones);
// The body of a CSMTextSettings tag: its text's id and settings (thickness
// and sharpness kept to their ranges, a value that is no number as 0).
bool ReadTextSettings(ByteReader& body, uint16_t& text, TextSettings& settings);

}  // namespace flash
