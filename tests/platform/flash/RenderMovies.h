// Builders of hand-made movies for the rendering tests and the benchmark:
// shapes (styles, edges, curves), gradients, bitmaps, fonts, texts, morph
// shapes, buttons and placements; and a painter that renders a movie through
// the real control into 32-bit pixels that can be read back.
#pragma once
#include <windows.h>
#include <zlib.h>

#include <cmath>
#include <string>
#include <vector>

#include "FlashTestSupport.h"

namespace flash {
class FlashControl;
}

namespace rendertest {

using moviebytes::Bytes;
using moviebytes::operator+;
using moviebytes::BitWriter;

using flashtest::U16;
inline Bytes U32(uint32_t v) {
  Bytes b;
  moviebytes::PutLE(b, v, 4);
  return b;
}

// A matrix: scale, rotate/skew (b, c) and translation in twips.
inline Bytes Mat(double a, double b, double c, double d, int32_t tx, int32_t ty) {
  BitWriter w;
  const bool scale = a != 1 || d != 1, rotate = b != 0 || c != 0;
  auto fixed = [](double v) { return static_cast<uint32_t>(static_cast<int32_t>(std::lround(v * 65536))); };
  w.Put(scale, 1);
  if (scale) w.Put(31, 5).Put(fixed(a), 31).Put(fixed(d), 31);
  w.Put(rotate, 1);
  if (rotate) w.Put(31, 5).Put(fixed(b), 31).Put(fixed(c), 31);
  w.Put(24, 5).Put(static_cast<uint32_t>(tx), 24).Put(static_cast<uint32_t>(ty), 24);
  return w.Done();
}
inline Bytes Translate(int32_t tx, int32_t ty) { return Mat(1, 0, 0, 1, tx, ty); }

// CXFORMWITHALPHA with multipliers and adds.
inline Bytes Cxform(int mr, int mg, int mb, int ma, int ar, int ag, int ab, int aa) {
  BitWriter w;
  w.Put(1, 1).Put(1, 1).Put(10, 4);
  for (int v : {mr, mg, mb, ma, ar, ag, ab, aa}) w.Put(static_cast<uint32_t>(v), 10);
  return w.Done();
}

struct Color {
  uint8_t r, g, b, a = 255;
};
inline Bytes Rgb(Color c, bool alpha) { return alpha ? Bytes{c.r, c.g, c.b, c.a} : Bytes{c.r, c.g, c.b}; }

// Fill style bodies (level: 1..4 as DefineShape<n>).
inline Bytes Solid(Color c, int level = 3) { return Bytes{0x00} + Rgb(c, level >= 3); }
inline Bytes Gradient(uint8_t kind, const Bytes& matrix, const std::vector<std::pair<uint8_t, Color>>& stops,
                      int spread = 0, int level = 3, double focal = 0, int interpolation = 0) {
  Bytes b = Bytes{kind} + matrix;
  b.push_back(static_cast<uint8_t>(spread << 6 | interpolation << 4 | (stops.size() & 15)));
  for (const auto& [ratio, c] : stops) moviebytes::Append(b, Bytes{ratio} + Rgb(c, level >= 3));
  if (kind == 0x13) moviebytes::Append(b, U16(static_cast<uint16_t>(static_cast<int16_t>(focal * 256))));
  return b;
}
// A gradient square spanning (x0..x1) horizontally centred on (cx, cy).
inline Bytes GradientBox(double x0, double x1, double cy) {
  const double s = (x1 - x0) / 32768;
  return Mat(s, 0, 0, s, static_cast<int32_t>((x0 + x1) / 2), static_cast<int32_t>(cy));
}
// A DefineShape4 line style: caps 0 round, 1 none, 2 square; joins 0 round,
// 1 bevel, 2 miter (with its limit); fill, when given, a fill style body
// the line is painted with instead of the colour.
struct LineStyle2 {
  uint16_t width = 20;
  Color color{0, 0, 0};
  int startCap = 0, join = 0, endCap = 0;
  double miterLimit = 3;
  bool noClose = false, noHScale = false, noVScale = false, pixelHinting = false;
  Bytes fill;
  Bytes Body() const {
    Bytes b = U16(width);
    b.push_back(static_cast<uint8_t>(startCap << 6 | join << 4 | (fill.empty() ? 0 : 8) | (noHScale ? 4 : 0) |
                                     (noVScale ? 2 : 0) | (pixelHinting ? 1 : 0)));
    b.push_back(static_cast<uint8_t>((noClose ? 4 : 0) | endCap));
    if (join == 2) b = b + U16(static_cast<uint16_t>(std::lround(miterLimit * 256)));
    return b + (fill.empty() ? Bytes{color.r, color.g, color.b, color.a} : fill);
  }
};

inline Bytes BitmapFill(uint8_t kind, uint16_t bitmap, const Bytes& matrix) { return Bytes{kind} + U16(bitmap) + matrix; }

// Shape records with fixed field widths: 4-bit style indices, 17-bit deltas.
class ShapeBuilder {
 public:
  explicit ShapeBuilder(int level = 3) : level_(level) {}
  ShapeBuilder& Fill(const Bytes& style) {
    fills_.push_back(style);
    return *this;
  }
  ShapeBuilder& Line(uint16_t width, Color c) {
    lines_.push_back(U16(width) + Rgb(c, level_ >= 3));
    return *this;
  }
  ShapeBuilder& Line(const LineStyle2& style) {
    lines_.push_back(style.Body());
    return *this;
  }
  // A style change: move to (x, y), set fill0, fill1, line (negative: unchanged).
  ShapeBuilder& Move(int32_t x, int32_t y, int fill0 = -1, int fill1 = -1, int line = -1) {
    x_ = x, y_ = y;
    const uint32_t flags = 0x01 | (fill0 >= 0 ? 0x02 : 0) | (fill1 >= 0 ? 0x04 : 0) | (line >= 0 ? 0x08 : 0);
    bits_.Put(0, 1).Put(flags, 5).Put(20, 5).Put(static_cast<uint32_t>(x), 20).Put(static_cast<uint32_t>(y), 20);
    if (fill0 >= 0) bits_.Put(static_cast<uint32_t>(fill0), 4);
    if (fill1 >= 0) bits_.Put(static_cast<uint32_t>(fill1), 4);
    if (line >= 0) bits_.Put(static_cast<uint32_t>(line), 4);
    return *this;
  }
  ShapeBuilder& To(int32_t x, int32_t y) {
    bits_.Put(1, 1).Put(1, 1).Put(15, 4).Put(1, 1);
    bits_.Put(static_cast<uint32_t>(x - x_), 17).Put(static_cast<uint32_t>(y - y_), 17);
    x_ = x, y_ = y;
    return *this;
  }
  ShapeBuilder& Curve(int32_t cx, int32_t cy, int32_t x, int32_t y) {
    bits_.Put(1, 1).Put(0, 1).Put(15, 4);
    bits_.Put(static_cast<uint32_t>(cx - x_), 17).Put(static_cast<uint32_t>(cy - y_), 17);
    bits_.Put(static_cast<uint32_t>(x - cx), 17).Put(static_cast<uint32_t>(y - cy), 17);
    x_ = x, y_ = y;
    return *this;
  }
  ShapeBuilder& Rect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int fill1, int line = -1) {
    return Move(x0, y0, 0, fill1, line).To(x1, y0).To(x1, y1).To(x0, y1).To(x0, y0);
  }
  // The records alone (for glyphs and morph edges): bit counts, records, end.
  Bytes Records() {
    BitWriter w = bits_;
    w.Put(0, 6);
    return Bytes{0x44} + w.Done();
  }
  Bytes StyleArrays() const {
    Bytes b{static_cast<uint8_t>(fills_.size())};
    for (const Bytes& f : fills_) moviebytes::Append(b, f);
    b.push_back(static_cast<uint8_t>(lines_.size()));
    for (const Bytes& l : lines_) moviebytes::Append(b, l);
    return b;
  }
  Bytes Tag(uint16_t id, bool windingRule = false) {
    static const uint32_t codes[] = {2, 2, 22, 32, 83};
    Bytes body = U16(id) + moviebytes::Rect(0, 20000, 0, 20000);
    if (level_ == 4) body = body + moviebytes::Rect(0, 20000, 0, 20000) + Bytes{static_cast<uint8_t>(windingRule ? 4 : 0)};
    return moviebytes::Tag(codes[level_], body + StyleArrays() + Records(), true);
  }

 private:
  int level_;
  std::vector<Bytes> fills_, lines_;
  BitWriter bits_;
  int32_t x_ = 0, y_ = 0;
};

inline Bytes Place(uint16_t depth, uint16_t id, const Bytes& matrix, const Bytes& cxform = {}, int ratio = -1,
                   uint16_t clipDepth = 0) {
  Bytes body{static_cast<uint8_t>(0x02 | 0x04 | (cxform.empty() ? 0 : 0x08) | (ratio >= 0 ? 0x10 : 0) |
                                  (clipDepth ? 0x40 : 0))};
  body = body + U16(depth) + U16(id) + matrix + cxform;
  if (ratio >= 0) body = body + U16(static_cast<uint32_t>(ratio));
  if (clipDepth) body = body + U16(clipDepth);
  return moviebytes::Tag(26, body, true);
}

// A DefineButton2 record at the origin with no colour change, and the button without actions.
inline Bytes ButtonRecord(uint8_t states, uint16_t character, uint16_t depth) {
  return Bytes{states} + U16(character) + U16(depth) + Translate(0, 0) + Cxform(256, 256, 256, 256, 0, 0, 0, 0);
}
inline Bytes Button(uint16_t id, const Bytes& records) {
  return moviebytes::Tag(34, U16(id) + Bytes{0} + U16(0) + records + Bytes{0}, true);
}

inline Bytes Zlib(const Bytes& raw) {
  uLongf n = compressBound(raw.size());
  Bytes z(n);
  compress2(z.data(), &n, raw.data(), raw.size(), 6);
  z.resize(n);
  return z;
}

// DefineBitsLossless(2) format 5 from 0xAARRGGBB pixels (premultiplied for 2).
inline Bytes Lossless32(uint16_t id, int w, int h, const std::vector<uint32_t>& argb, bool alpha) {
  Bytes raw;
  for (uint32_t p : argb) moviebytes::Append(raw, Bytes{static_cast<uint8_t>(alpha ? p >> 24 : 0), uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
  return moviebytes::Tag(alpha ? 36 : 20, U16(id) + Bytes{5} + U16(w) + U16(h) + Zlib(raw), true);
}

// One glyph: a box 512 units wide and 1024 high standing on the baseline.
inline Bytes GlyphBox(int unit) {
  ShapeBuilder g;
  g.Move(0, 0, -1, 1).To(512 * unit, 0).To(512 * unit, -1024 * unit).To(0, -1024 * unit).To(0, 0);
  return g.Records();
}
inline Bytes Font2(uint16_t id, uint32_t code, int unit, uint32_t tag) {
  const Bytes glyph = GlyphBox(unit);
  Bytes body = U16(id) + Bytes{0x00, 0, 1, 'F'} + U16(1);
  body = body + U16(4) + U16(static_cast<uint32_t>(4 + glyph.size())) + glyph + Bytes{static_cast<uint8_t>(code)};
  return moviebytes::Tag(tag, body, true);
}
// DefineText: font 2 at 20 px, red, baseline (10, 50) px, two glyphs 12 px apart.
inline Bytes TextTag(uint16_t id, uint16_t font, uint32_t glyphIndex = 0, int advance = 240) {
  BitWriter glyphs;
  glyphs.Put(glyphIndex, 8).Put(static_cast<uint32_t>(advance), 16).Put(glyphIndex, 8).Put(static_cast<uint32_t>(advance), 16);
  Bytes body = U16(id) + moviebytes::Rect(0, 2000, 0, 2000) + Translate(0, 0) + Bytes{8, 16};
  body = body + Bytes{0x8F} + U16(font) + Bytes{255, 0, 0} + U16(200) + U16(1000) + U16(400) + Bytes{2} + glyphs.Done();
  return moviebytes::Tag(11, body + Bytes{0}, true);
}

// A single-frame movie of w x h pixels on a white stage.
inline Bytes Movie(int w, int h, const std::vector<Bytes>& tags, uint8_t version = 8) {
  moviebytes::Movie m;
  m.version = version;
  m.rect = moviebytes::Rect(0, w * 20, 0, h * 20);
  m.rateWhole = 12;
  m.frames = 1;
  m.tags.push_back(moviebytes::BackgroundTag(255, 255, 255));
  for (const Bytes& t : tags) m.tags.push_back(t);
  m.tags.push_back(moviebytes::ShowFrame());
  m.tags.push_back(moviebytes::EndTag());
  return m.Plain();
}

// Pixels read back from a paint, 0x00RRGGBB.
struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
  int R(int x, int y) const { return (At(x, y) >> 16) & 0xFF; }
  int G(int x, int y) const { return (At(x, y) >> 8) & 0xFF; }
  int B(int x, int y) const { return At(x, y) & 0xFF; }
};

struct PaintOptions {
  int width = 0, height = 0;  // 0: the stage's size
  const wchar_t* quality = L"High";
  long scaleMode = 0;
  long frame = 0;
  bool play = false;  // played from the start (scripts run) to frame, rather than sought
  long ticks = 0;     // when above 0: played for that many frame ticks from the start, as the probe does
};

// Loads the movie into a control and paints it (WM_PAINT with a DC) into a
// 32-bit top-down bitmap.
Picture Paint(const Bytes& movie, const PaintOptions& options = {});
// Paints what a control shows now at width x height.
Picture PaintControl(flash::FlashControl& control, int width, int height);

// A 16 x 16 JPEG of a flat colour made with the program's own encoder.
Bytes FlatJpeg(uint8_t r, uint8_t g, uint8_t b);
// A JPEG file split as movies store it for DefineBits: the tables
// (quantisation and Huffman segments) and the rest, each between its own
// start and end markers.
void SplitJpeg(const Bytes& jpeg, Bytes& tables, Bytes& image);

// Every kind of drawn character on a 200 x 100 stage: shapes with gradients,
// curves and lines, a bitmap fill, a font and text, an edit text, a morph
// shape, buttons and a clip layer (the last three from frame 1).
Bytes DrawnMovie(bool compressed);

// Hostile movies: characters that place themselves (cycles) and chains that
// place the next character twice at every level (2^28 leaves). A 100 x 100
// stage; every one shows shape 1, a half-transparent red square over 20..60 px.
struct HostileMovie {
  std::wstring name;
  Bytes movie;
  bool cycle;         // the square is drawn once; a chain draws it as often as a paint allows
  bool takesPointer;  // a button takes the pointer over the square (its over state shows nothing)
};
std::vector<HostileMovie> HostileMovies();
// Keeps a picture for a contact sheet ("<sheet>-sheet.bmp") written when the test program ends.
void AddToSheet(const std::wstring& label, const Picture& picture, const std::wstring& sheet = L"render");
// Writes a sheet's pictures side by side, each under its label, as a 24-bit BMP.
bool WriteSheet(const std::wstring& sheet, const std::wstring& path);

}  // namespace rendertest
