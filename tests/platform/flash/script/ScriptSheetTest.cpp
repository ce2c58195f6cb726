// Script movies played for a number of frame ticks as the probe's snapshot
// plays them (FrameTicks) and checked at known pixels and by their traces:
// clips made and moved at depths every way a script can, text fields in an
// embedded font or a device font, outlines in scaled and rotated clips, and a
// clip that onEnterFrame and an interval move while the timeline stands.
// The pictures go to script-sheet.bmp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "RenderMovies.h"
#include "base/ErrorLog.h"
#include "base/TextConv.h"

using namespace rendertest;
using flashtest::Export;
using flashtest::Script;

namespace {

constexpr Color kRed{255, 0, 0}, kBlue{0, 0, 255}, kBlack{0, 0, 0};
constexpr uint32_t kWhitePx = 0xFFFFFF, kRedPx = 0xFF0000, kBluePx = 0x0000FF;

struct Played {
  Picture picture;
  std::string traces;  // joined by "|"
};

// Plays a 200 x 100 movie for ticks frame ticks, draws it and keeps the picture for the sheet.
Played Play(const std::wstring& label, const std::vector<Bytes>& tags, long ticks = 1) {
  std::vector<std::wstring> log;
  SetLogSink([&log](const std::wstring& text, bool) { log.push_back(text); });
  Played out;
  out.picture = Paint(Movie(200, 100, tags, 8), {.ticks = ticks});
  SetLogSink({});
  const std::wstring prefix = L"Movie trace :: ";
  for (const auto& line : log)
    if (line.rfind(prefix, 0) == 0) out.traces += (out.traces.empty() ? "" : "|") + WideToUtf8(line.substr(prefix.size()));
  AddToSheet(label, out.picture, L"script");
  return out;
}

Bytes Box(uint16_t id, Color c, int size) {
  ShapeBuilder s;
  s.Fill(Solid(c)).Rect(0, 0, size * 20, size * 20, 1);
  return s.Tag(id);
}

// ---- Depths ----------------------------------------------------------------------------------

// Statements of the depth movies: clips by name on the main timeline.
std::string MethodDuplicate(const std::string& from, const std::string& name, int depth) {
  return "push " + std::to_string(depth) + ", '" + name + "', 2, '" + from + "'; getVariable; "
         "push 'duplicateMovieClip'; callMethod; pop; ";
}
// The global function, as compilers write it: the depth plus 16384.
std::string GlobalDuplicate(const std::string& from, const std::string& name, int depth) {
  return "push '" + from + "', '" + name + "', " + std::to_string(depth) + ", 16384; add; cloneSprite; ";
}
std::string Attach(const std::string& id, const std::string& name, int depth) {
  return "push " + std::to_string(depth) + ", '" + name + "', '" + id + "', 3, '_root'; getVariable; "
         "push 'attachMovie'; callMethod; pop; ";
}
std::string SetX(const std::string& name, int x) {
  return "push '" + name + "'; getVariable; push '_x', " + std::to_string(x) + "; setMember; ";
}
std::string MakeBlue(const std::string& name) {
  return "push '" + name + "'; getVariable; push 1, 'Color'; newObject; storeRegister 3; pop; "
         "push 255, 1, r:3, 'setRGB'; callMethod; pop; ";
}
std::string SwapWithDepth(const std::string& name, int depth) {
  return "push " + std::to_string(depth) + ", 1, '" + name + "'; getVariable; push 'swapDepths'; callMethod; pop; ";
}
std::string SwapWithClip(const std::string& name, const std::string& other) {
  return "push '" + other + "'; getVariable; push 1, '" + name + "'; getVariable; push 'swapDepths'; callMethod; pop; ";
}
std::string TraceDepth(const std::string& name) {
  return "push 0, '" + name + "'; getVariable; push 'getDepth'; callMethod; trace; ";
}

// A red clip t on the timeline at depth 1 (x 0..20 px) and two exported
// sprites, red and blue; the script makes or moves a red clip at x 30 and a
// blue one at x 40, which overlap over 40..50.
TEST(ScriptDepthTest, EveryWayOfMakingAndMovingClipsStacksOnOneScale) {
  struct Case {
    const wchar_t* label;
    std::string script;
    std::string traces;
    uint32_t over;  // the colour where the two overlap
  } cases[] = {
      {L"method 5 over clone 4",
       MethodDuplicate("t", "p", 5) + GlobalDuplicate("t", "q", 4) + TraceDepth("p") + TraceDepth("q"), "5|4", kRedPx},
      {L"clone 6 over method 5",
       MethodDuplicate("t", "p", 5) + GlobalDuplicate("t", "q", 6) + TraceDepth("p") + TraceDepth("q"), "5|6", kBluePx},
      {L"swap with a depth",
       MethodDuplicate("t", "p", 5) + GlobalDuplicate("t", "q", 6) + SwapWithDepth("p", 7) + TraceDepth("p") +
           TraceDepth("q"), "7|6", kRedPx},
      {L"swap with a clip",
       MethodDuplicate("t", "p", 5) + GlobalDuplicate("t", "q", 6) + SwapWithDepth("p", 7) + SwapWithClip("q", "p") +
           TraceDepth("p") + TraceDepth("q"), "6|7", kBluePx},
      {L"timeline clip swapped",
       GlobalDuplicate("t", "q", 3) + SwapWithClip("t", "q") + "push 'p', 't'; getVariable; setVariable; " +
           TraceDepth("t") + TraceDepth("q"), "3|-16383", kRedPx},
      {L"attached over timeline",
       "push 'p', 't'; getVariable; setVariable; " + Attach("blue", "q", -16382) + TraceDepth("t") + TraceDepth("q"),
       "-16383|-16382", kBluePx},
      {L"attached under timeline",
       "push 'p', 't'; getVariable; setVariable; " + Attach("blue", "q", -16384) + TraceDepth("t") + TraceDepth("q"),
       "-16383|-16384", kRedPx},
      {L"next highest depth",
       MethodDuplicate("t", "p", 2) + GlobalDuplicate("t", "q", 9) + TraceDepth("q") +
           "push 0, '_root'; getVariable; push 'getNextHighestDepth'; callMethod; trace; ", "9|10", kBluePx},
  };
  for (const Case& c : cases) {
    // p names the red clip (a variable when it is t itself), q the blue one.
    const std::string place = SetX("p", 30) + SetX("q", 40) + MakeBlue("q");
    const Played played = Play(c.label, {Box(1, kRed, 20), flashtest::Sprite(2, {flashtest::Place(1, 1, 0, 0), moviebytes::ShowFrame()}),
                                         Export(2, "red"), Box(3, kBlue, 20),
                                         flashtest::Sprite(4, {flashtest::Place(1, 3, 0, 0), moviebytes::ShowFrame()}),
                                         Export(4, "blue"), flashtest::Place(1, 2, 0, 0, "t"),
                                         Script(c.script + place + "stop")});
    const Picture& p = played.picture;
    EXPECT_EQ(played.traces, c.traces) << c.label;
    EXPECT_EQ(p.At(35, 10), kRedPx) << c.label;
    EXPECT_EQ(p.At(55, 10), kBluePx) << c.label;
    EXPECT_EQ(p.At(45, 10), c.over) << c.label;
  }
}

// ---- Text in an embedded font ----------------------------------------------------------------

// A shape record set of a box in em units (1024 to the em), standing on the baseline.
Bytes GlyphBox(int width, int height) {
  ShapeBuilder g;
  g.Move(0, 0, -1, 1).To(width, 0).To(width, -height).To(0, -height).To(0, 0);
  return g.Records();
}

// DefineFont2 "Boxy" with a layout: 'A' a box half an em wide and an em
// high, 'B' its lower half; both advance three quarters of an em; ascent an
// em, descent a quarter.
Bytes BoxyFont(uint16_t id) {
  const std::vector<Bytes> glyphs{GlyphBox(512, 1024), GlyphBox(512, 512)};
  Bytes offsets, shapes;
  uint32_t at = static_cast<uint32_t>(2 * glyphs.size() + 2);
  for (const Bytes& g : glyphs) {
    offsets = offsets + U16(at);
    shapes = shapes + g;
    at += static_cast<uint32_t>(g.size());
  }
  offsets = offsets + U16(at);  // the code table
  Bytes body = U16(id) + Bytes{0x80 | 0x04, 0, 4, 'B', 'o', 'x', 'y'} + U16(2) + offsets + shapes + U16('A') + U16('B');
  body = body + U16(1024) + U16(256) + U16(0) + U16(768) + U16(768);
  body = body + Bytes{0, 0} + U16(0);  // empty bounds, no kerning
  return moviebytes::Tag(48, body, true);
}

// DefineEditText at 20 px in red with font 5 (x 0..width px, y 0..80 px), word-wrapped or not.
Bytes FontEditText(uint16_t id, bool outlines, const std::string& text, int width = 100, bool wrap = false) {
  Bytes body = U16(id) + moviebytes::Rect(0, width * 20, 0, 1600);
  body = body + Bytes{static_cast<uint8_t>(0x80 | 0x04 | 0x01 | (wrap ? 0x60 : 0)), static_cast<uint8_t>(outlines ? 0x01 : 0)};
  body = body + U16(5) + U16(400) + Bytes{255, 0, 0, 255} + Bytes{0} + moviebytes::Text(text) + Bytes{0};
  return moviebytes::Tag(37, body, true);
}

// A field made by createTextField at (10, 10), 180 x 40 px, with a format of
// a font name at 20 px in red, its text (auto-sized or not).
std::string FormattedField(const std::string& font, bool embed, const std::string& text = "ABA", bool autoSize = true) {
  return "push 40, 180, 10, 10, 1, 'f', 6, '_root'; getVariable; push 'createTextField'; callMethod; pop; "
         "push 'f'; getVariable; push 'embedFonts', " + std::string(embed ? "true" : "false") + "; setMember; "
         "push 'f'; getVariable; push 'autoSize', '" + (autoSize ? "left" : "none") + "'; setMember; "
         "push 0, 'TextFormat'; newObject; storeRegister 1; pop; push r:1, 'font', '" + font + "'; setMember; "
         "push r:1, 'size', 20; setMember; push r:1, 'color', 0xFF0000; setMember; "
         "push r:1, 1, 'f'; getVariable; push 'setNewTextFormat'; callMethod; pop; "
         "push 'f'; getVariable; push 'text', '" + text + "'; setMember; "
         "push 'f'; getVariable; push 'textWidth'; getMember; trace; "
         "push 'f'; getVariable; push '_width'; getMember; trace; "
         "push 'f'; getVariable; push '_height'; getMember; trace; stop";
}

// Whether the picture shows the glyphs of these lines and nothing else
// there, set from (12, 12) px: 'A' a box 10 px wide and 20 high, 'B' its
// lower half, 15 px apart, the lines 25 px apart.
bool ShowsBoxyGlyphs(const Picture& p, const std::vector<std::string>& lines) {
  const int bottom = 12 + 25 * static_cast<int>(lines.size());
  for (int y = 8; y < bottom; ++y)
    for (int x = 8; x < 90; ++x) {
      const int line = (y - 12) / 25, top = 12 + 25 * line, column = (x - 12) / 15;
      bool glyph = false;
      if (y >= 12 && x >= 12 && line < static_cast<int>(lines.size()) && column < static_cast<int>(lines[line].size()) &&
          x - 12 - 15 * column < 10 && y - top < 20) {
        const char c = lines[line][column];
        glyph = c == 'A' || (c == 'B' && y - top >= 10);
      }
      if (glyph != (p.At(x, y) == kRedPx)) return false;
    }
  return true;
}

int RedPixels(const Picture& p) {
  int n = 0;
  for (uint32_t px : p.pixels) n += (px & 0xFFFFFF) == kRedPx || ((px >> 16 & 0xFF) > 200 && (px >> 8 & 0xFF) < 120);
  return n;
}

TEST(ScriptTextTest, EmbeddedGlyphsWithOutlinesAndADeviceFontOtherwise) {
  struct Case {
    const wchar_t* label;
    std::vector<Bytes> tags;
    std::vector<std::string> glyphs;  // the lines in the font's glyphs; none for a device font
    std::string traces;               // textWidth, _width and _height of an auto-sized field
  } cases[] = {
      {L"font by export name", {BoxyFont(5), Export(5, "boxFont"), Script(FormattedField("boxFont", true))}, {"ABA"},
       "45|49|29"},
      {L"font by its name", {BoxyFont(5), Script(FormattedField("Boxy", true))}, {"ABA"}, "45|49|29"},
      {L"embedFonts false", {BoxyFont(5), Export(5, "boxFont"), Script(FormattedField("boxFont", false))}, {}, ""},
      {L"no such font", {BoxyFont(5), Script(FormattedField("Nothing Like It", true))}, {}, ""},
      {L"edit text outlines", {BoxyFont(5), FontEditText(6, true, "ABA"), rendertest::Place(1, 6, Translate(200, 200))},
       {"ABA"}, ""},
      {L"edit text device", {BoxyFont(5), FontEditText(6, false, "ABA"), rendertest::Place(1, 6, Translate(200, 200))},
       {}, ""},
      {L"edit text wrapped",
       {BoxyFont(5), FontEditText(6, true, "AB AB\rBA", 40, true), rendertest::Place(1, 6, Translate(200, 200))},
       {"AB", "AB", "BA"}, ""},
  };
  for (const Case& c : cases) {
    const Played played = Play(c.label, c.tags);
    if (c.glyphs.empty()) {
      EXPECT_FALSE(ShowsBoxyGlyphs(played.picture, {"ABA"})) << c.label;
    } else {
      EXPECT_TRUE(ShowsBoxyGlyphs(played.picture, c.glyphs)) << c.label;
    }
    EXPECT_GT(RedPixels(played.picture), 20) << c.label;  // a device font draws the text too
    if (!c.traces.empty()) {
      EXPECT_EQ(played.traces, c.traces) << c.label;
    }
  }
}

// A device font's text: textWidth is the ink GDI draws (within its bearings).
TEST(ScriptTextTest, DeviceTextWidthIsWhatTheFontDraws) {
  const Played played = Play(L"device text width", {Script(FormattedField("_sans", false, "WWWW", false))});
  int left = 200, right = -1;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x)
      if (played.picture.R(x, y) > 200 && played.picture.G(x, y) < 160) left = std::min(left, x), right = std::max(right, x);
  ASSERT_GE(right, left);
  const int textWidth = std::atoi(played.traces.c_str());
  EXPECT_NEAR(textWidth, right - left + 1, 4) << played.traces;
}

// ---- Outlines in scaled and rotated clips ----------------------------------------------------

// How much of a column a line covers: the sum of its darkness, in pixels.
double Coverage(const Picture& p, int x) {
  double sum = 0;
  for (int y = 0; y < p.height; ++y) sum += (255 - p.G(x, y)) / 255.0;
  return sum;
}

// A 4-pixel line along a clip's x axis from its origin at (40, 50) px, in a
// clip scaled and rotated by script. Its width on the screen is 4 px times
// the mean of the lengths the clip's matrix gives the x and y unit vectors,
// at least one pixel (a style may take one axis's scale alone, or none); a
// column 10 px right of the origin crosses it over width / cos(rotation).
TEST(ScriptOutlineTest, LineWidthFollowsTheMeanOfTheAxisScales) {
  struct Case {
    double xscale, yscale, rotation;
    std::string mode;  // the drawing method's scale mode; "" for a shape stored in the movie
    double width;      // expected on the screen, pixels
  } cases[] = {
      {100, 100, 0, "", 4},      {150, 100, 0, "", 5},       {200, 100, 0, "", 6},
      {400, 100, 0, "", 10},     {100, 300, 0, "", 8},       {200, -100, 0, "", 6},
      {100, 100, 45, "", 4},     {200, 100, 45, "", 6},      {10, 10, 0, "", 1},
      {300, 100, 0, "normal", 8}, {300, 100, 0, "none", 4}, {300, 100, 0, "vertical", 4},
      {300, 100, 0, "horizontal", 12},
  };
  ShapeBuilder line;
  line.Line(80, kBlack).Move(0, 0, -1, -1, 1).To(4000, 0);
  for (const Case& c : cases) {
    std::string make;
    std::vector<Bytes> tags;
    if (c.mode.empty()) {
      tags = {line.Tag(1), flashtest::Sprite(2, {flashtest::Place(1, 1, 0, 0), moviebytes::ShowFrame()}),
              flashtest::Place(1, 2, 800, 1000, "s")};
    } else {
      make = "push 1, 's', 2, '_root'; getVariable; push 'createEmptyMovieClip'; callMethod; storeRegister 1; pop; "
             "push '" + c.mode + "', false, 100, 0, 4, 5, r:1, 'lineStyle'; callMethod; pop; "
             "push 0, 0, 2, r:1, 'moveTo'; callMethod; pop; push 0, 200, 2, r:1, 'lineTo'; callMethod; pop; "
             "push 's'; getVariable; push '_x', 40; setMember; push 's'; getVariable; push '_y', 50; setMember; ";
    }
    auto set = [](const char* property, double v) {
      return "push 's'; getVariable; push '" + std::string(property) + "', " + std::to_string(v) + "; setMember; ";
    };
    tags.push_back(Script(make + set("_xscale", c.xscale) + set("_yscale", c.yscale) + set("_rotation", c.rotation) + "stop"));
    wchar_t label[64];
    swprintf(label, 64, L"line %g%% %g%% %g %hs", c.xscale, c.yscale, c.rotation, c.mode.c_str());
    const Played played = Play(label, tags);
    const double expected = c.width / std::cos(c.rotation * 3.14159265358979323846 / 180);
    EXPECT_NEAR(Coverage(played.picture, 50), expected, 0.15) << WideToUtf8(label);
  }
}

// ---- The frame clock while the timeline stands --------------------------------------------------

// The timeline stops at once; onEnterFrame moves a clip 10 px right and an
// interval (shorter than a frame: once a tick) 10 px down every tick after
// the first, so after n ticks it stands at (10 + 10 (n - 1), 10 (n - 1)).
TEST(ScriptTicksTest, EveryTickRunsEnterFrameAndIntervals) {
  const Bytes script = Script(
      "push 1, 'm', 2, '_root'; getVariable; push 'createEmptyMovieClip'; callMethod; storeRegister 1; pop; "
      "push 100, 0xFF0000, 2, r:1, 'beginFill'; callMethod; pop; push 20, 0, 2, r:1, 'lineTo'; callMethod; pop; "
      "push 20, 20, 2, r:1, 'lineTo'; callMethod; pop; push 0, 20, 2, r:1, 'lineTo'; callMethod; pop; "
      "push 0, r:1, 'endFill'; callMethod; pop; push r:1, '_x', 10; setMember; "
      "push r:1, 'onEnterFrame'; function '' () { push 'this'; getVariable; push '_x', 'this'; getVariable; "
      "push '_x'; getMember; push 10; add2; setMember }; "
      "setMember; push 50; function '' () { push 'm'; getVariable; push '_y', 'm'; getVariable; push '_y'; getMember; "
      "push 10; add2; setMember }; push 2, 'setInterval'; callFunction; pop; stop");
  for (long ticks : {1L, 2L, 5L}) {
    const Played played = Play(L"ticks " + std::to_wstring(ticks), {script, moviebytes::ShowFrame()}, ticks);
    const int x = 10 + 10 * static_cast<int>(ticks - 1), y = 10 * static_cast<int>(ticks - 1);
    EXPECT_EQ(played.picture.At(x + 2, y + 2), kRedPx) << ticks;
    EXPECT_EQ(played.picture.At(x + 17, y + 17), kRedPx) << ticks;
    EXPECT_EQ(played.picture.At(x - 2, y + 10), kWhitePx) << ticks;
    EXPECT_EQ(played.picture.At(x + 10, y + 22), kWhitePx) << ticks;
  }
}

}  // namespace
