// Version 8 text settings: DefineFontAlignZones and CSMTextSettings as read
// (extreme and cut records included), and as drawn: with grid fitting a
// glyph's zones land on whole pixels; thickness thickens or thins the edges;
// without the advanced anti-aliasing the settings change nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "RenderMovies.h"
#include "platform/flash/parse/FontHints.h"
#include "platform/flash/parse/MovieDefinition.h"

using namespace rendertest;

namespace {

constexpr uint32_t kRedPx = 0xFF0000, kWhite = 0xFFFFFF;

// A FLOAT16 (exponent biased by 16) of a whole number or 0.
Bytes F16(double v) {
  if (v == 0) return U16(0);
  int e = 0;
  const double m = std::frexp(std::fabs(v), &e);  // v = m * 2^e, m in [0.5, 1)
  const uint32_t bits = (v < 0 ? 0x8000u : 0) | uint32_t(e - 1 + 16) << 10 | uint32_t(std::lround((m * 2 - 1) * 1024));
  return U16(bits);
}
Bytes F32(float f) {
  uint32_t bits = 0;
  std::memcpy(&bits, &f, 4);
  return U32(bits);
}

struct Zone {
  double x, width, y, height;
  uint8_t mask = 3;
};
Bytes AlignZones(uint16_t font, uint8_t hint, const std::vector<Zone>& zones) {
  Bytes body = U16(font) + Bytes{static_cast<uint8_t>(hint << 6)};
  for (const Zone& z : zones) body = body + Bytes{2} + F16(z.x) + F16(z.width) + F16(z.y) + F16(z.height) + Bytes{z.mask};
  return moviebytes::Tag(73, body, true);
}
Bytes Settings(uint16_t text, int flashType, int gridFit, float thickness, float sharpness) {
  const uint8_t flags = static_cast<uint8_t>(flashType << 6 | gridFit << 3);
  return moviebytes::Tag(74, U16(text) + Bytes{flags} + F32(thickness) + F32(sharpness) + Bytes{0}, true);
}

std::unique_ptr<flash::MovieDefinition> Read(const Bytes& movie) {
  std::unique_ptr<flash::MovieDefinition> def;
  EXPECT_EQ(flash::ReadMovieDefinition(movie, def), flash::MovieError::None);
  return def;
}

TEST(FontHintsTest, ZonesAndSettingsAsRead) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const auto def = Read(Movie(10, 10, {AlignZones(2, 1, {{0, 512, 0, 1024}, {-1024, 2, 65504, 0.5, 1}}),
                                       Settings(3, 1, 1, 150, -50), Settings(4, 3, 7, nan, 1e30f)}));
  ASSERT_EQ(def->fontZones.count(2), 1u);
  const flash::FontZones& z = def->fontZones.at(2);
  EXPECT_EQ(z.hint, 1);
  ASSERT_EQ(z.glyphs.size(), 2u);
  EXPECT_TRUE(z.glyphs[0].hasX && z.glyphs[0].hasY);
  EXPECT_EQ(z.glyphs[0].width, 512);
  EXPECT_EQ(z.glyphs[0].height, 1024);
  EXPECT_EQ(z.glyphs[1].x, -1024);
  EXPECT_EQ(z.glyphs[1].y, 65504);
  EXPECT_EQ(z.glyphs[1].height, 0.5);
  EXPECT_TRUE(z.glyphs[1].hasX);
  EXPECT_FALSE(z.glyphs[1].hasY);
  const flash::TextSettings& s = def->textSettings.at(3);
  EXPECT_TRUE(s.advanced);
  EXPECT_EQ(s.gridFit, 1);
  EXPECT_EQ(s.thickness, 150);
  EXPECT_EQ(s.sharpness, -50);
  // Out of range: no advanced renderer, the grid fit and the numbers kept to their ranges.
  const flash::TextSettings& odd = def->textSettings.at(4);
  EXPECT_FALSE(odd.advanced);
  EXPECT_EQ(odd.gridFit, 2);
  EXPECT_EQ(odd.thickness, 0);
  EXPECT_EQ(odd.sharpness, 400);

  // Cut records: what was whole stays; a record claiming 255 zones ends the table.
  struct Case {
    Bytes body;
    size_t records;
  } cases[] = {
      {U16(5) + Bytes{0} + Bytes{2} + F16(1) + F16(2) + F16(3), 0},
      {U16(5) + Bytes{0} + Bytes{1} + F16(1) + F16(2) + Bytes{1} + Bytes{255, 0, 0}, 1},
      {U16(5) + Bytes{0} + Bytes{0, 3} + Bytes{0, 3}, 2},
      {U16(5), 0},
  };
  for (const Case& c : cases) {
    const auto cut = Read(Movie(10, 10, {moviebytes::Tag(73, c.body, true), moviebytes::Tag(74, U16(6) + Bytes{0x40}, true)}));
    EXPECT_EQ(cut->fontZones.count(5) ? cut->fontZones.at(5).glyphs.size() : 0u, c.records) << c.body.size();
    EXPECT_EQ(cut->textSettings.count(6), 0u);
  }
}

// One DefineFont3 glyph 10 x 20 px at x 10 and 22 px, baseline 50 px,
// moved 0.3 px right and down so its edges fall inside pixels.
Picture Text(const std::vector<Bytes>& hints, const wchar_t* label = nullptr) {
  std::vector<Bytes> tags{Font2(2, 'A', 20, 75), TextTag(3, 2)};
  tags.insert(tags.end(), hints.begin(), hints.end());
  tags.push_back(Place(1, 3, Translate(6, 6)));
  const Picture p = Paint(Movie(60, 60, tags));
  if (label) AddToSheet(label, p, L"flash8");
  return p;
}

bool Mixed(uint32_t px) { return px != kRedPx && px != kWhite; }

TEST(TextHintingTest, GridFitPutsZonesOnWholePixels) {
  const Picture plain = Text({}, L"text unfitted");
  const Picture fitted = Text({AlignZones(2, 0, {{0, 512, 0, 1024}}), Settings(3, 1, 1, 0, 0)}, L"CSM grid fit");
  // Unfitted: the glyph spans 10.3..20.3 by 30.3..50.3, its edges shared with white.
  EXPECT_TRUE(Mixed(plain.At(10, 40)));
  EXPECT_TRUE(Mixed(plain.At(15, 30)));
  // Fitted: its zones move to 10..20 by 30..50, every pixel whole.
  for (int x = 5; x < 40; ++x) EXPECT_FALSE(Mixed(fitted.At(x, 40))) << x;
  for (int y = 25; y < 55; ++y) EXPECT_FALSE(Mixed(fitted.At(15, y))) << y;
  EXPECT_EQ(fitted.At(10, 40), kRedPx);
  EXPECT_EQ(fitted.At(19, 40), kRedPx);
  EXPECT_EQ(fitted.At(20, 40), kWhite);
  EXPECT_EQ(fitted.At(15, 30), kRedPx);
  EXPECT_EQ(fitted.At(15, 50), kWhite);
  // Only the advanced renderer fits; zones without settings, or settings without zones, leave the glyph.
  EXPECT_EQ(Text({AlignZones(2, 0, {{0, 512, 0, 1024}}), Settings(3, 0, 1, 0, 0)}).pixels, plain.pixels);
  EXPECT_EQ(Text({AlignZones(2, 0, {{0, 512, 0, 1024}})}).pixels, plain.pixels);
  EXPECT_EQ(Text({Settings(3, 1, 1, 0, 0)}).pixels, plain.pixels);
  // Sub-pixel fitting puts the height on whole pixels, the width on thirds.
  const Picture thirds = Text({AlignZones(2, 0, {{0, 512, 0, 1024}}), Settings(3, 1, 2, 0, 0)});
  EXPECT_EQ(thirds.At(15, 30), kRedPx);
  EXPECT_EQ(thirds.At(15, 50), kWhite);
  EXPECT_TRUE(Mixed(thirds.At(10, 40)));
}

// The ink over the glyphs' area: how far below white green and blue lie.
int Ink(const Picture& p) {
  int ink = 0;
  for (int y = 25; y < 55; ++y)
    for (int x = 5; x < 40; ++x) ink += 255 - p.G(x, y);
  return ink;
}

TEST(TextHintingTest, ThicknessAndSharpnessShapeTheEdges) {
  const Picture plain = Text({});
  const Picture thick = Text({Settings(3, 1, 0, 200, 0)}, L"CSM thickness 200");
  const Picture thin = Text({Settings(3, 1, 0, -200, 0)}, L"CSM thickness -200");
  const Picture sharp = Text({Settings(3, 1, 0, 0, 400)});
  EXPECT_GT(Ink(thick), Ink(plain) + 200);
  EXPECT_LT(Ink(thin), Ink(plain) - 200);
  for (const Picture* p : {&thick, &thin, &sharp}) {
    EXPECT_EQ(p->At(15, 40), kRedPx);  // inside: whole
    EXPECT_EQ(p->At(21, 40), kWhite);  // between the glyphs: untouched
  }
  // Sharper: the edge pixel moves towards whole or none.
  EXPECT_GT(std::abs(sharp.G(10, 40) - 128), std::abs(plain.G(10, 40) - 128));
  // The normal renderer ignores both.
  EXPECT_EQ(Text({Settings(3, 0, 0, 200, 400)}).pixels, plain.pixels);
}

}  // namespace
