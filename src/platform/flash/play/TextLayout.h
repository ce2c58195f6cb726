// A field's text set in an embedded font: each character's glyph from the
// font's code table, placed by the font's advances at the field's size;
// lines broken at line ends and, in a word-wrapped field, before a word that
// would cross the right margin; and the extent of the whole, which autoSize
// fits and textWidth and textHeight report. The renderer draws from it and
// scripts measure with it, so both agree.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/flash/parse/TextRecords.h"

namespace flash {

struct LaidLine {
  std::vector<PlacedGlyph> glyphs;  // x: twips from the line's start
  double width = 0;                 // twips, trailing blanks left out
};

struct GlyphLayout {
  double scale = 0;       // twips per em unit
  double ascent = 0;      // twips from a line's top to its baseline
  double lineHeight = 0;  // twips from one baseline to the next (leading included)
  std::vector<LaidLine> lines;
  double width = 0, height = 0;  // the text's extent in twips
};

// True when a field draws the font's glyphs: it asks for outlines and the
// font has glyphs and codes.
bool DrawsGlyphs(const Font& font, const EditTextData& field);

GlyphLayout LayOutGlyphs(const Font& font, const EditTextData& field);

}  // namespace flash
