// Fonts and texts as the renderer reads them: the glyph shapes, code table
// and advances of DefineFont, DefineFont2 and DefineFont3 (em square of 1024
// units, 20480 for DefineFont3); the text matrix and glyph runs of DefineText
// and DefineText2; and the fields of DefineEditText that show its initial
// text. Reading stops at the first field that runs out; what was read stays.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/flash/render/PixelCanvas.h"
#include "platform/flash/parse/MovieDefinition.h"

namespace flash {

struct Font {
  double emSize = 1024;
  std::vector<std::span<const uint8_t>> glyphs;  // each glyph's SHAPE bytes
  std::vector<uint16_t> codes;                   // character code of each glyph
  std::vector<int16_t> advances;                 // in em units, when the font has a layout
  double ascent = 0, descent = 0;                // em units, when the font has a layout
  std::wstring name;
  bool bold = false, italic = false;
};

struct PlacedGlyph {
  uint32_t index = 0;
  double x = 0;  // text twips, on the run's baseline
};

struct GlyphRun {
  uint16_t font = 0;
  Rgba color;
  double y = 0, height = 0;  // baseline and em height, twips
  std::vector<PlacedGlyph> glyphs;
};

struct TextData {
  Xform matrix;
  std::vector<GlyphRun> runs;
};

struct EditTextData {
  RECT bounds{};
  bool hasFont = false, html = false, useOutlines = false, wordWrap = false, multiline = false, password = false;
  uint16_t font = 0, height = 240;
  Rgba color{0, 0, 0, 255};
  uint8_t align = 0;  // 0 left, 1 right, 2 centre, 3 justify
  uint16_t leftMargin = 0, rightMargin = 0;
  int16_t leading = 0;
  std::wstring text;
  // What scripts see of the field.
  std::wstring variable, source;  // source: the initial text as written (HTML included)
  bool readOnly = false, noSelect = false, border = false, autoSize = false;
  uint16_t maxLength = 0;
};

// Bounds against text made to exhaust memory or time.
inline constexpr size_t kMaxGlyphsPerText = 1u << 16;
inline constexpr double kFarTwips = 1.0e7;

Font ReadFont(const Character& character);
TextData ReadText(const Character& character);
EditTextData ReadEditText(const Character& character, uint8_t version);
// The font with glyph outlines (DefineFont2 or DefineFont3) that a text
// format's font name means at a main-timeline frame: the one exported under
// that name, else the one of that name (of the same style when several
// are); 0 for none.
uint16_t FindEmbeddedFont(const MovieDefinition& movie, const std::wstring& name, bool bold, bool italic, int frame);
// The bounds in twips a DefineText, DefineText2 or DefineEditText begins with.
bool ReadTextBounds(const Character& character, RECT& bounds);

// The text an HTML field shows: tags dropped, the common entities decoded,
// <br> and </p> as line breaks.
std::wstring PlainFromHtml(const std::wstring& html);

}  // namespace flash
