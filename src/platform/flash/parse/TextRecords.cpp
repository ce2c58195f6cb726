#include "platform/flash/parse/TextRecords.h"

#include <algorithm>

#include "base/TextConv.h"
#include "moviefiles/BitStream.h"
#include "platform/flash/parse/ShapeRecords.h"

namespace flash {
namespace {

bool ReadRect(ByteReader& r, RECT& rect) {
  int32_t xmin, xmax, ymin, ymax;
  if (!ReadRectRecord(r, xmin, xmax, ymin, ymax)) return false;
  rect = RECT{xmin, ymin, xmax, ymax};
  return true;
}

bool ReadCString(ByteReader& r, uint8_t version, std::wstring& out) {
  std::span<const uint8_t> rest = r.Rest();
  auto end = std::find(rest.begin(), rest.end(), uint8_t{0});
  if (end == rest.end()) return false;
  std::string raw(rest.begin(), end);
  out = version >= 6 ? Utf8ToWide(raw) : std::wstring(raw.begin(), raw.end());
  return r.Skip(raw.size() + 1);
}

}  // namespace

Font ReadFont(const Character& ch) {
  Font font;
  ByteReader r(ch.body);
  if (ch.tagCode == SwfTag::DefineFont) {
    uint32_t first = 0;
    if (!r.U16LE(first)) return font;
    const size_t n = std::min<size_t>(first / 2, ch.body.size() / 2);
    std::vector<uint32_t> offsets{first};
    for (size_t i = 1; i < n; ++i) {
      uint32_t o = 0;
      if (!r.U16LE(o)) break;
      offsets.push_back(o);
    }
    for (size_t i = 0; i < offsets.size(); ++i) {
      const size_t from = std::min<size_t>(offsets[i], ch.body.size());
      const size_t to = i + 1 < offsets.size() ? std::clamp<size_t>(offsets[i + 1], from, ch.body.size()) : ch.body.size();
      font.glyphs.push_back(ch.body.subspan(from, to - from));
    }
    return font;
  }
  if (ch.tagCode != SwfTag::DefineFont2 && ch.tagCode != SwfTag::DefineFont3) return font;
  if (ch.tagCode == SwfTag::DefineFont3) font.emSize = 20480;
  uint8_t flags = 0, language = 0, nameLength = 0;
  uint32_t count = 0;
  std::span<const uint8_t> name;
  if (!r.U8(flags) || !r.U8(language) || !r.U8(nameLength) || !r.Bytes(nameLength, name) || !r.U16LE(count))
    return font;
  font.name.assign(name.begin(), name.end());
  while (!font.name.empty() && font.name.back() == 0) font.name.pop_back();
  font.bold = flags & 0x01, font.italic = flags & 0x02;
  const bool wideOffsets = flags & 0x08, wideCodes = flags & 0x04, hasLayout = flags & 0x80;
  const size_t tableStart = r.Pos();
  std::vector<uint32_t> offsets;
  for (uint32_t i = 0; i <= count; ++i) {  // the last entry is the code table's offset
    uint32_t o = 0;
    if (!(wideOffsets ? r.U32LE(o) : r.U16LE(o))) return font;
    offsets.push_back(o);
  }
  const std::span<const uint8_t> table = ch.body.subspan(tableStart);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t from = std::min<size_t>(offsets[i], table.size());
    const size_t to = std::clamp<size_t>(offsets[i + 1], from, table.size());
    font.glyphs.push_back(table.subspan(from, to - from));
  }
  ByteReader codes(table);
  if (!codes.Seek(std::min<size_t>(offsets[count], table.size()))) return font;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t c = 0;
    uint8_t narrow = 0;
    if (wideCodes ? !codes.U16LE(c) : !codes.U8(narrow)) return font;
    font.codes.push_back(static_cast<uint16_t>(wideCodes ? c : narrow));
  }
  uint32_t ascent = 0, descent = 0, leading = 0;
  if (!hasLayout || !codes.U16LE(ascent) || !codes.U16LE(descent) || !codes.U16LE(leading)) return font;
  font.ascent = static_cast<int16_t>(ascent), font.descent = static_cast<int16_t>(descent);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t a = 0;
    if (!codes.U16LE(a)) break;
    font.advances.push_back(static_cast<int16_t>(a));
  }
  return font;
}

namespace {

bool HasOutlines(const Character* ch) {
  return ch && (ch->tagCode == SwfTag::DefineFont2 || ch->tagCode == SwfTag::DefineFont3) && !ReadFont(*ch).glyphs.empty();
}

}  // namespace

uint16_t FindEmbeddedFont(const MovieDefinition& movie, const std::wstring& name, bool bold, bool italic, int frame) {
  if (name.empty()) return 0;
  if (const uint16_t id = movie.Exported(name); id && HasOutlines(movie.Find(id, frame))) return id;
  uint16_t named = 0;
  for (const auto& [id, definitions] : movie.dictionary) {
    const Character* ch = movie.Find(id, frame);
    if (!ch || (ch->tagCode != SwfTag::DefineFont2 && ch->tagCode != SwfTag::DefineFont3)) continue;
    const Font font = ReadFont(*ch);
    if (font.name != name || font.glyphs.empty()) continue;
    if (font.bold == bold && font.italic == italic) return id;
    if (!named) named = id;
  }
  return named;
}

bool ReadTextBounds(const Character& ch, RECT& bounds) {
  if (ch.tagCode != SwfTag::DefineText && ch.tagCode != SwfTag::DefineText2 && ch.tagCode != SwfTag::DefineEditText)
    return false;
  ByteReader r(ch.body);
  return ReadRect(r, bounds);
}

TextData ReadText(const Character& ch) {
  TextData text;
  ByteReader r(ch.body);
  Matrix m;
  uint8_t glyphBits = 0, advanceBits = 0;
  if (!SkipRectRecord(r) || !ReadMatrix(r, m) || !r.U8(glyphBits) || !r.U8(advanceBits)) return text;
  text.matrix = Xform::From(m);
  const bool alpha = ch.tagCode == SwfTag::DefineText2;
  GlyphRun state;
  double x = 0;
  size_t glyphs = 0;
  for (;;) {
    uint8_t flags = 0;
    if (!r.U8(flags) || flags == 0) break;
    uint32_t v = 0;
    if ((flags & 0x08) && !r.U16LE(v)) break;
    if (flags & 0x08) state.font = static_cast<uint16_t>(v);
    if ((flags & 0x04) && !ReadRgb(r, alpha, state.color)) break;
    if ((flags & 0x01) && !r.U16LE(v)) break;
    if (flags & 0x01) x = static_cast<int16_t>(v);
    if ((flags & 0x02) && !r.U16LE(v)) break;
    if (flags & 0x02) state.y = static_cast<int16_t>(v);
    if ((flags & 0x08) && !r.U16LE(v)) break;
    if (flags & 0x08) state.height = v;
    uint8_t count = 0;
    if (!r.U8(count)) break;
    BitStream bits(r.Rest());
    GlyphRun run = state;
    run.glyphs.clear();
    bool cut = false;
    for (int i = 0; i < count; ++i) {
      uint32_t index = 0;
      int32_t advance = 0;
      if (!bits.ReadBits(glyphBits, index) || !bits.ReadSignedBits(advanceBits, advance)) {
        cut = true;
        break;
      }
      if (++glyphs <= kMaxGlyphsPerText && x > -kFarTwips && x < kFarTwips) run.glyphs.push_back(PlacedGlyph{index, x});
      x += advance;
    }
    text.runs.push_back(std::move(run));
    if (cut || !r.Skip((bits.BitPos() + 7) / 8)) break;
  }
  return text;
}

EditTextData ReadEditText(const Character& ch, uint8_t version) {
  EditTextData e;
  ByteReader r(ch.body);
  uint8_t f1 = 0, f2 = 0;
  if (!ReadRect(r, e.bounds) || !r.U8(f1) || !r.U8(f2)) return e;
  e.wordWrap = f1 & 0x40, e.multiline = f1 & 0x20, e.password = f1 & 0x10;
  e.html = f2 & 0x02, e.useOutlines = f2 & 0x01;
  e.readOnly = f1 & 0x08, e.noSelect = f2 & 0x10, e.border = f2 & 0x08, e.autoSize = f2 & 0x40;
  uint32_t v = 0;
  if (f1 & 0x01) {
    if (!r.U16LE(v)) return e;
    e.hasFont = true, e.font = static_cast<uint16_t>(v);
  }
  std::wstring skip;
  if ((f2 & 0x80) && !ReadCString(r, version, skip)) return e;
  if ((f1 & 0x01) && !r.U16LE(v)) return e;
  if (f1 & 0x01) e.height = static_cast<uint16_t>(v);
  if ((f1 & 0x04) && !ReadRgb(r, true, e.color)) return e;
  if ((f1 & 0x02) && !r.U16LE(v)) return e;
  if (f1 & 0x02) e.maxLength = static_cast<uint16_t>(v);
  if (f2 & 0x20) {
    uint32_t left = 0, right = 0, indent = 0, leading = 0;
    if (!r.U8(e.align) || !r.U16LE(left) || !r.U16LE(right) || !r.U16LE(indent) || !r.U16LE(leading)) return e;
    e.leftMargin = static_cast<uint16_t>(left), e.rightMargin = static_cast<uint16_t>(right);
    e.leading = static_cast<int16_t>(leading);
  }
  if (!ReadCString(r, version, e.variable)) return e;
  if ((f1 & 0x80) && ReadCString(r, version, e.source)) e.text = e.html ? PlainFromHtml(e.source) : e.source;
  return e;
}

std::wstring PlainFromHtml(const std::wstring& html) {
  std::wstring out;
  for (size_t i = 0; i < html.size(); ++i) {
    if (html[i] == L'<') {
      const size_t end = html.find(L'>', i);
      if (end == std::wstring::npos) break;
      const std::wstring tag = LowerInvariant(html.substr(i + 1, end - i - 1));
      if (tag == L"br" || tag == L"br/" || tag == L"/p") out += L'\r';
      i = end;
    } else if (html[i] == L'&') {
      const size_t n = ReadXmlReference(html, i, out, XmlReferences::kNamed);
      if (n == 0) out += L'&';
      else i += n - 1;
    } else {
      out += html[i];
    }
  }
  while (!out.empty() && out.back() == L'\r') out.pop_back();
  return out;
}

}  // namespace flash
