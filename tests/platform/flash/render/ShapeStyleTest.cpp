// Version 8 line styles and gradients drawn through the control: caps, joins
// and miter limits, focal radial gradients, spread modes, linear-light
// mixing and unordered stops, each checked at pixels worked out from the
// geometry of its definition (and kept for the flash8 contact sheet).
#include <gtest/gtest.h>

#include "RenderMovies.h"
#include "ShapeStyleMovies.h"

using namespace rendertest;

namespace {

constexpr Color kRed{255, 0, 0}, kBlue{0, 0, 255}, kBlack{0, 0, 0};
constexpr uint32_t kInk = 0x000000, kPaper = 0xFFFFFF;

Picture Shot(const std::wstring& label, ShapeBuilder& shape) {
  Picture p = Paint(Movie(100, 100, {shape.Tag(1), Place(1, 1, Translate(0, 0))}));
  AddToSheet(label, p, L"flash8");
  return p;
}

struct Probe {
  int x, y;
  uint32_t expected;
};

// A line 30..70 px along row 50, 20 px wide: the cap decides what lies
// past its ends (a disc of radius 10, nothing, or a square reaching 10 px).
TEST(ShapeStyleTest, CapsAtBothEnds) {
  struct Case {
    const wchar_t* name;
    int cap;
    uint32_t beforeEnd, diskInside, squareCorner;
  } cases[] = {
      {L"round caps", 0, kInk, kInk, kPaper},
      {L"no caps", 1, kPaper, kPaper, kPaper},
      {L"square caps", 2, kInk, kInk, kInk},
  };
  for (const Case& c : cases) {
    LineStyle2 style{.width = 400, .startCap = c.cap, .endCap = c.cap};
    ShapeBuilder s(4);
    s.Line(style).Move(600, 1000, -1, -1, 1).To(1400, 1000);
    const Picture p = Shot(c.name, s);
    for (int mirror : {0, 1}) {  // the start's probes, then the same at the end
      auto x = [&](int at) { return mirror ? 99 - at : at; };
      EXPECT_EQ(p.At(x(28), 50), c.beforeEnd) << c.cap << " end " << mirror;
      EXPECT_EQ(p.At(x(25), 50), c.diskInside) << c.cap << " end " << mirror;
      EXPECT_EQ(p.At(x(21), 41), c.squareCorner) << c.cap << " end " << mirror;
      EXPECT_EQ(p.At(x(18), 50), kPaper) << c.cap << " end " << mirror;  // past every cap
      EXPECT_EQ(p.At(x(40), 50), kInk) << c.cap << " end " << mirror;
    }
  }
}

// A right-angled corner at (60, 60) of a line 40 px wide (half width 20):
// the outer wedge x, y in 60..80 is filled by a disc of radius 20, a bevel
// below x + y = 140, the whole miter (tip at (80, 80), 1.41 half widths
// out), or a miter whose limit 1 cuts it square at 20 px along the bisector
// (x + y <= 148.3).
TEST(ShapeStyleTest, JoinsAndTheMiterLimit) {
  struct Case {
    const wchar_t* name;
    int join;
    double limit;
    uint32_t inner, mid, tip, side;  // at (63,63), (72,72), (77,77), (79,67)
  } cases[] = {
      {L"round join", 0, 3, kInk, kInk, kPaper, kPaper},
      {L"bevel join", 1, 3, kInk, kPaper, kPaper, kPaper},
      {L"miter join", 2, 3, kInk, kInk, kInk, kInk},
      {L"miter limit 1", 2, 1, kInk, kInk, kPaper, kInk},
      {L"miter limit 1.5", 2, 1.5, kInk, kInk, kInk, kInk},
  };
  for (const Case& c : cases) {
    LineStyle2 style{.width = 800, .join = c.join, .miterLimit = c.limit};
    ShapeBuilder s(4);
    s.Line(style).Move(200, 1200, -1, -1, 1).To(1200, 1200).To(1200, 200);
    const Picture p = Shot(c.name, s);
    const Probe probes[] = {{63, 63, c.inner}, {72, 72, c.mid}, {77, 77, c.tip}, {79, 67, c.side}};
    for (const Probe& q : probes) EXPECT_EQ(p.At(q.x, q.y), q.expected) << c.join << " " << c.limit << " at " << q.x << "," << q.y;
    EXPECT_EQ(p.At(82, 82), kPaper) << c.join;  // past the whole miter
  }
}

// A version 8 morph shape takes the same joins: the corner of the test
// above, at the same place in both ends, mitred or bevelled at any ratio.
TEST(ShapeStyleTest, MorphShapeLinesTakeTheirJoins) {
  for (int join : {1, 2}) {
    LineStyle2 style{.width = 800, .join = join};
    const Bytes one = style.Body();  // width, flags, limit, colour: the morph's repeats width and colour
    Bytes line = U16(800) + Bytes(one.begin(), one.end() - 4) + Rgb(kBlack, true) + Rgb(kBlack, true);
    ShapeBuilder start(4), end(4);
    start.Move(200, 1200, -1, -1, 1).To(1200, 1200).To(1200, 200);
    end.Move(200, 1200).To(1200, 1200).To(1200, 200);
    const Bytes styles = Bytes{0, 1} + line, startRecords = start.Records();
    const Bytes bounds = moviebytes::Rect(0, 2000, 0, 2000);
    Bytes body = U16(1) + bounds + bounds + bounds + bounds + Bytes{1};
    body = body + U32(static_cast<uint32_t>(styles.size() + startRecords.size())) + styles + startRecords + end.Records();
    for (int ratio : {0, 40000}) {
      const Picture p = Paint(Movie(100, 100, {moviebytes::Tag(84, body, true), Place(1, 1, Translate(0, 0), {}, ratio)}));
      EXPECT_EQ(p.At(72, 72), join == 2 ? kInk : kPaper) << join << " ratio " << ratio;
      EXPECT_EQ(p.At(63, 63), kInk) << join << " ratio " << ratio;
      if (ratio == 0) AddToSheet(join == 2 ? L"morph miter" : L"morph bevel", p, L"flash8");
    }
  }
}

// A closed square outline: joined at its first point unless the style asks
// for no close, when the start and end take their (none) caps instead.
TEST(ShapeStyleTest, ClosedPathJoinsUnlessNoClose) {
  for (bool noClose : {false, true}) {
    LineStyle2 style{.width = 400, .startCap = 1, .join = 2, .endCap = 1, .noClose = noClose};
    ShapeBuilder s(4);
    s.Line(style).Move(600, 600, -1, -1, 1).To(1400, 600).To(1400, 1400).To(600, 1400).To(600, 600);
    const Picture p = Shot(noClose ? L"no close" : L"closed", s);
    EXPECT_EQ(p.At(22, 22), noClose ? kPaper : kInk);  // the first corner's outer wedge
    EXPECT_EQ(p.At(77, 22), kInk);                     // another corner, always mitred
    EXPECT_EQ(p.At(77, 77), kInk);
  }
}

// A one-pixel line along y = 50.3 px: hinted, it moves to the middle of row
// 50 and covers it alone; plain, it shares itself between rows 49 and 50.
TEST(ShapeStyleTest, PixelHintingSnapsToWholePixels) {
  for (bool hinted : {false, true}) {
    LineStyle2 style{.width = 20, .startCap = 1, .endCap = 1, .pixelHinting = hinted};
    ShapeBuilder s(4);
    s.Line(style).Move(200, 1006, -1, -1, 1).To(1800, 1006);
    const Picture p = Shot(hinted ? L"hinted" : L"not hinted", s);
    EXPECT_EQ(p.At(50, 50) == kInk, hinted);
    EXPECT_EQ(p.At(50, 49) == kPaper, hinted);
    EXPECT_EQ(p.At(50, 51), kPaper);
  }
}

// A focal gradient, red at the focal point to blue at the rim, on a circle of
// radius 50 px about (50, 50) with the focal point at (75, 50): along a ray
// the ramp runs from the focal point to the circle, so the centre lies a
// third of the way (0.5 of 1.5) and (87.5, 50) half way.
TEST(ShapeStyleTest, FocalRadialRunsFromTheFocalPointToTheRim) {
  ShapeBuilder s(4);
  s.Fill(Gradient(0x13, GradientBox(0, 2000, 1000), {{0, kRed}, {255, kBlue}}, 0, 4, 0.5)).Rect(0, 0, 2000, 2000, 1);
  const Picture p = Shot(L"focal 0.5", s);
  EXPECT_GE(p.R(75, 50), 240);
  EXPECT_NEAR(p.R(50, 50), 170, 6);
  EXPECT_NEAR(p.R(87, 50), 127, 8);
  EXPECT_LE(p.R(99, 50), 12);
  EXPECT_LE(p.R(1, 50), 12);
  EXPECT_NEAR(p.R(75, 29), p.R(75, 70), 3);  // symmetric about the axis
}

// The same focal gradient on a circle of radius 25 px, its ramp past the rim
// by spread: at (78, 50) the ray from the focal point (62.5, 50) is 1.28
// times as long as to the circle, so pad shows the last stop, reflect 0.72
// of the way back and repeat 0.28 of the way anew.
TEST(ShapeStyleTest, FocalSpreadModesPastTheRim) {
  struct Case {
    int spread;
    int red;
  } cases[] = {{0, 0}, {1, 71}, {2, 184}};
  for (const Case& c : cases) {
    ShapeBuilder s(4);
    s.Fill(Gradient(0x13, GradientBox(500, 1500, 1000), {{0, kRed}, {255, kBlue}}, c.spread, 4, 0.5))
        .Rect(0, 0, 2000, 2000, 1);
    const Picture p = Shot(L"focal spread " + std::to_wstring(c.spread), s);
    EXPECT_NEAR(p.R(78, 50), c.red, 8) << c.spread;
    EXPECT_GE(p.R(62, 50), 240) << c.spread;
  }
}

// Red to blue across 100 px: mixed as stored the middle is (128, 0, 128);
// in linear light both channels keep about 0.5 of their light, 188 each.
TEST(ShapeStyleTest, LinearLightInterpolation) {
  struct Case {
    int interpolation;
    int middle;
  } cases[] = {{0, 128}, {1, 187}};
  for (const Case& c : cases) {
    ShapeBuilder s(4);
    s.Fill(Gradient(0x10, GradientBox(0, 2000, 0), {{0, kRed}, {255, kBlue}}, 0, 4, 0, c.interpolation))
        .Rect(0, 0, 2000, 2000, 1);
    const Picture p = Shot(c.interpolation ? L"linear light" : L"as stored", s);
    EXPECT_NEAR(p.R(50, 50), c.middle, 5) << c.interpolation;
    EXPECT_NEAR(p.B(49, 50), c.middle, 5) << c.interpolation;
    EXPECT_GE(p.R(0, 50), 250);
    EXPECT_GE(p.B(99, 50), 250);
  }
}

// Fifteen stops alternating red and blue every 17 of the ratio: the same
// picture whichever order they are written in.
TEST(ShapeStyleTest, FifteenStopsInAnyOrder) {
  std::vector<std::pair<uint8_t, Color>> stops;
  for (int k = 0; k < 15; ++k) stops.emplace_back(static_cast<uint8_t>(17 * k), k % 2 ? kBlue : kRed);
  std::vector<std::pair<uint8_t, Color>> shuffled;
  for (int k = 0; k < 15; ++k) shuffled.push_back(stops[static_cast<size_t>(k * 7 % 15)]);
  Picture pictures[2];
  int i = 0;
  for (const auto* list : {&stops, &shuffled}) {
    ShapeBuilder s(4);
    s.Fill(Gradient(0x10, GradientBox(0, 2000, 0), *list, 0, 4)).Rect(0, 0, 2000, 2000, 1);
    pictures[i] = Shot(i ? L"15 stops shuffled" : L"15 stops", s);
    const Picture& p = pictures[i++];
    EXPECT_GE(p.B(19, 50), 200);  // near the fourth stop (blue)
    EXPECT_GE(p.R(26, 50), 200);  // near the fifth (red)
    EXPECT_GE(p.R(99, 50), 200);  // padded with the last (red, ratio 238)
  }
  EXPECT_EQ(pictures[0].pixels, pictures[1].pixels);
}

// Extreme styles draw and end: hairlines with square caps, a miter limit of
// 255 at a needle-sharp turn, 15 stops every way, lines filled with
// gradients.
TEST(ShapeStyleTest, ExtremeStylesDraw) {
  const Picture p = Paint(Version8ShapesMovie());
  AddToSheet(L"version 8 shapes", p, L"flash8");
  ASSERT_EQ(p.width, 160);
  int drawn = 0;
  for (uint32_t px : p.pixels) drawn += (px & 0xFFFFFF) != kPaper;
  EXPECT_GT(drawn, 2000);
}

// A 40 px green square with a black 10 px square in its top left corner, in
// a sprite drawn twice as large: under a grid of 10..30 px the corners keep
// their size and the centre takes up the rest (the whole still spans 80 px);
// without a grid, or with one larger than the content, all of it doubles.
TEST(ScalingGridTest, CornersKeepTheirSize) {
  constexpr Color kGreen{0, 255, 0};
  struct Case {
    const wchar_t* name;
    bool grid;
    int32_t x0, x1, y0, y1;
    uint32_t pastCorner;
  } cases[] = {
      {L"no grid", false, 0, 0, 0, 0, kInk},
      {L"grid", true, 200, 600, 200, 600, 0x00FF00},
      {L"grid past the content", true, 0, 30000, 0, 30000, kInk},
  };
  for (const Case& c : cases) {
    ShapeBuilder s;
    s.Fill(Solid(kGreen)).Fill(Solid(kBlack)).Rect(0, 0, 800, 800, 1).Rect(0, 0, 200, 200, 2);
    std::vector<Bytes> tags{moviebytes::Tag(32, U16(1) + moviebytes::Rect(0, 800, 0, 800) + s.StyleArrays() + s.Records(), true),
                            flashtest::Sprite(2, {Place(1, 1, Translate(0, 0)), moviebytes::ShowFrame()})};
    if (c.grid) tags.push_back(moviebytes::Tag(78, U16(2) + moviebytes::Rect(c.x0, c.x1, c.y0, c.y1), true));
    tags.push_back(Place(1, 2, Mat(2, 0, 0, 2, 0, 0)));
    const Picture p = Paint(Movie(100, 100, tags));
    AddToSheet(c.name, p, L"flash8");
    EXPECT_EQ(p.At(5, 5), kInk) << c.grid;
    EXPECT_EQ(p.At(15, 5), c.pastCorner) << c.x0;
    EXPECT_EQ(p.At(5, 15), c.pastCorner) << c.x0;
    EXPECT_EQ(p.At(75, 75), 0x00FF00u) << c.x0;  // the far corner: 80 px wide either way
    EXPECT_EQ(p.At(85, 50), kPaper) << c.x0;
  }
}

// The same content turned a quarter (and twice as large) in a sprite, and
// in a button: the grid works in the object's own space, so the black
// corner keeps its 10 px wherever it turns to and the green centre takes
// up the rest; without the grid the corner doubles with the rest.
TEST(ScalingGridTest, TurnedSpritesAndButtonsKeepTheirCorners) {
  ShapeBuilder s;
  s.Fill(Solid({0, 255, 0})).Fill(Solid(kBlack)).Rect(0, 0, 800, 800, 1).Rect(0, 0, 200, 200, 2);
  const Bytes shape = moviebytes::Tag(32, U16(1) + moviebytes::Rect(0, 800, 0, 800) + s.StyleArrays() + s.Records(), true);
  const Bytes sprite = flashtest::Sprite(2, {Place(1, 1, Translate(0, 0)), moviebytes::ShowFrame()});
  const Bytes button = Button(3, ButtonRecord(0x0F, 1, 1));
  struct Probe {
    int x, y;
    uint32_t gridded, plain;
  };
  struct Case {
    const wchar_t* name;
    uint16_t id;
    Bytes matrix;
    std::vector<Probe> probes;
  } cases[] = {
      // x' = 90 - 2y, y' = 5 + 2x (px): the corner at the top right.
      {L"grid turned", 2, Mat(0, 2, -2, 0, 1800, 100),
       {{85, 10, kInk, kInk}, {75, 10, 0x00FF00, kInk}, {85, 20, 0x00FF00, kInk}, {15, 80, 0x00FF00, 0x00FF00},
        {5, 50, kPaper, kPaper}, {50, 88, kPaper, kPaper}}},
      {L"grid button", 3, Mat(2, 0, 0, 2, 0, 0),
       {{5, 5, kInk, kInk}, {15, 5, 0x00FF00, kInk}, {5, 15, 0x00FF00, kInk}, {75, 75, 0x00FF00, 0x00FF00},
        {85, 50, kPaper, kPaper}}},
  };
  for (const Case& c : cases) {
    for (bool grid : {true, false}) {
      std::vector<Bytes> tags{shape, sprite, button};
      if (grid) tags.push_back(moviebytes::Tag(78, U16(c.id) + moviebytes::Rect(200, 600, 200, 600), true));
      tags.push_back(Place(1, c.id, c.matrix));
      const Picture p = Paint(Movie(100, 100, tags));
      if (grid) AddToSheet(c.name, p, L"flash8");
      for (const Probe& probe : c.probes)
        EXPECT_EQ(p.At(probe.x, probe.y), grid ? probe.gridded : probe.plain) << c.id << " " << grid << " " << probe.x << "," << probe.y;
    }
  }
}

// A grid a script sets (any object with x, y, width and height, in pixels)
// draws as the same grid defined by the movie; setting null takes it away.
TEST(ScalingGridTest, ScriptSetGridDrawsAsDefinedOne) {
  ShapeBuilder s;
  s.Fill(Solid({0, 255, 0})).Fill(Solid(kBlack)).Rect(0, 0, 800, 800, 1).Rect(0, 0, 200, 200, 2);
  const Bytes shape = moviebytes::Tag(32, U16(1) + moviebytes::Rect(0, 800, 0, 800) + s.StyleArrays() + s.Records(), true);
  const Bytes sprite = flashtest::Sprite(2, {Place(1, 1, Translate(0, 0)), moviebytes::ShowFrame()});
  const Picture defined = Paint(Movie(100, 100, {shape, sprite, moviebytes::Tag(78, U16(2) + moviebytes::Rect(200, 600, 200, 600), true),
                                                 Place(1, 2, Mat(2, 0, 0, 2, 0, 0))}));
  const std::string scale = "push 'c'; getVariable; push '_xscale', 200; setMember; "
                            "push 'c'; getVariable; push '_yscale', 200; setMember; ";
  struct Case {
    std::string grid;
    bool same;
  } cases[] = {
      {"push 'x', 10, 'y', 10, 'width', 20, 'height', 20, 4; initObject", true},
      {"push null", false},
      {"push 'x', 10, 'y', 10, 'width', 0, 'height', 20, 4; initObject", false},  // no area: no grid
  };
  for (const Case& c : cases) {
    const Picture scripted = Paint(Movie(100, 100, {shape, sprite, flashtest::Place(1, 2, 0, 0, "c"),
                                                    flashtest::Script(scale + "push 'c'; getVariable; push 'scale9Grid'; " +
                                                                      c.grid + "; setMember")}),
                                   {.ticks = 1});
    EXPECT_EQ(scripted.pixels == defined.pixels, c.same) << c.grid;
    EXPECT_EQ(scripted.At(15, 5), c.same ? 0x00FF00u : kInk) << c.grid;
  }
}

}  // namespace

