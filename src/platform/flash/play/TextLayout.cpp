#include "platform/flash/play/TextLayout.h"

#include <algorithm>
#include <limits>
#include <map>

namespace flash {
namespace {

constexpr size_t kMaxLines = 10000;

// A character on the line being set: its glyph (when the font has one) and room.
struct Item {
  bool drawn = false;
  uint32_t index = 0;
  double x = 0, advance = 0;
  bool blank = false;
};

void Finish(GlyphLayout& out, std::vector<Item>& items) {
  LaidLine line;
  for (const Item& i : items) {
    if (i.drawn) line.glyphs.push_back(PlacedGlyph{i.index, i.x});
    if (!i.blank) line.width = i.x + i.advance;
  }
  out.width = std::max(out.width, line.width);
  out.lines.push_back(std::move(line));
  items.clear();
}

}  // namespace

bool DrawsGlyphs(const Font& font, const EditTextData& field) {
  return field.useOutlines && !font.glyphs.empty() && !font.codes.empty();
}

GlyphLayout LayOutGlyphs(const Font& f, const EditTextData& e) {
  GlyphLayout out;
  const double em = f.emSize > 0 ? f.emSize : 1024;
  out.scale = e.height / em;
  const bool metrics = f.ascent > 0 || f.descent > 0;
  out.ascent = metrics ? f.ascent * out.scale : e.height * 0.8;
  const double descent = metrics ? f.descent * out.scale : e.height * 0.35;
  out.lineHeight = out.ascent + descent + e.leading;
  const double room = e.wordWrap ? std::max(0.0, double(e.bounds.right - e.bounds.left) - 80.0 - e.leftMargin - e.rightMargin)
                                 : std::numeric_limits<double>::infinity();
  std::map<uint16_t, uint32_t> glyphOf;
  for (uint32_t i = 0; i < f.codes.size() && i < f.glyphs.size(); ++i) glyphOf.emplace(f.codes[i], i);

  std::vector<Item> items;
  double x = 0;
  for (size_t i = 0; i < e.text.size() && out.lines.size() < kMaxLines; ++i) {
    const wchar_t c = e.text[i];
    if (c == L'\r' || c == L'\n') {
      if (c == L'\r' && i + 1 < e.text.size() && e.text[i + 1] == L'\n') ++i;
      Finish(out, items);
      x = 0;
      continue;
    }
    Item item;
    const auto g = glyphOf.find(static_cast<uint16_t>(e.password ? L'*' : c));
    if (g != glyphOf.end()) {
      item.drawn = true, item.index = g->second;
      item.advance = (g->second < f.advances.size() ? f.advances[g->second] : em * 0.6) * out.scale;
    } else {
      item.advance = em * 0.5 * out.scale;
    }
    item.blank = c == L' ' || c == L'\t';
    if (!item.blank && x + item.advance > room && !items.empty()) {
      // Back to the blank before this word; a word longer than the line breaks where it is.
      size_t cut = items.size();
      while (cut > 0 && !items[cut - 1].blank) --cut;
      std::vector<Item> rest;
      if (cut > 0) rest.assign(items.begin() + static_cast<ptrdiff_t>(cut), items.end()), items.resize(cut);
      Finish(out, items);
      x = 0;
      for (Item& r : rest) {
        r.x = x;
        x += r.advance;
        items.push_back(r);
      }
    }
    item.x = x;
    x += item.advance;
    items.push_back(item);
  }
  if (out.lines.size() < kMaxLines) Finish(out, items);
  const size_t n = out.lines.size();
  out.height = n * (out.lineHeight - e.leading) + (n - 1) * double(e.leading);
  return out;
}

}  // namespace flash
