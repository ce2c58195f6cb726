// Filters and blend modes drawn through the control: placed objects, button
// records and what scripts set, each checked at pixels worked out from the
// definitions; kept layers of cached objects; and the contact sheet of every
// filter and blend mode on the same shapes (flash8-sheet.bmp).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "FilterMovies.h"
#include "base/TextConv.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/flash/play/MoviePlayer.h"
#include "platform/flash/render/SoftwareRenderer.h"

using namespace filtertest;
using rendertest::Paint;
using rendertest::Picture;
using rendertest::ShapeBuilder;
using rendertest::Solid;
using rendertest::Translate;

namespace {

constexpr Color kGrey{128, 128, 128}, kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kBlue{0, 0, 255},
    kGreen{0, 255, 0};

// A square of colour c over x0..x1, y0..y1 pixels.
Bytes Box(uint16_t id, Color c, int x0, int y0, int x1, int y1) {
  ShapeBuilder s;
  s.Fill(Solid(c)).Rect(x0 * 20, y0 * 20, x1 * 20, y1 * 20, 1);
  return s.Tag(id);
}

Picture Draw(const std::vector<Bytes>& tags, const rendertest::PaintOptions& options = {}) {
  return Paint(rendertest::Movie(100, 100, tags, 8), options);
}

struct Expect {
  int x, y;
  uint32_t rgb;
  int tolerance = 1;
};

void Check(const Picture& p, const std::vector<Expect>& expected, const std::string& name) {
  ASSERT_GT(p.width, 0) << name;
  for (const Expect& e : expected)
    for (int shift = 0; shift < 24; shift += 8)
      EXPECT_NEAR(int((p.At(e.x, e.y) >> shift) & 0xFF), int((e.rgb >> shift) & 0xFF), e.tolerance)
          << name << " at " << e.x << "," << e.y << " is " << std::hex << p.At(e.x, e.y);
}

// A grey square over 20..40 with one filter, on white.
TEST(FilterRenderTest, EachFilterAtPixelsFromItsDefinition) {
  const Color coloured{100, 50, 25};
  const struct {
    const char* name;
    Color square;
    Bytes filter;
    std::vector<Expect> expected;
  } cases[] = {
      {"drop shadow", kGrey, DropShadow(kRed, 0, 0, 0, 10),
       {{45, 30, 0xFF0000}, {35, 30, 0x808080}, {15, 30, 0xFFFFFF}, {45, 45, 0xFFFFFF}}},
      {"drop shadow down", kGrey, DropShadow(kRed, 0, 0, 90, 10), {{30, 45, 0xFF0000}, {45, 30, 0xFFFFFF}}},
      {"knockout shadow", kGrey, DropShadow(kRed, 0, 0, 0, 10, 1, false, true),
       {{45, 30, 0xFF0000}, {35, 30, 0xFFFFFF}, {25, 30, 0xFFFFFF}}},
      {"inner shadow", kGrey, DropShadow(kRed, 0, 0, 0, 3, 1, true),
       {{21, 30, 0xFF0000}, {22, 30, 0xFF0000}, {24, 30, 0x808080}, {41, 30, 0xFFFFFF}}},
      // Outside the right edge the box of 4 holds one and a half covered pixels (96), then half of one (32).
      {"glow", kGrey, Glow(kGreen, 4, 4), {{40, 30, 0x9FFF9F}, {41, 30, 0xDFFFDF}, {42, 30, 0xFFFFFF}, {30, 30, 0x808080}}},
      {"strong glow", kGrey, Glow(kGreen, 4, 4, 2), {{40, 30, 0x3FFF3F}, {41, 30, 0xBFFFBF}}},
      // Lit from the left (angle 0, 2 pixels): highlight on the left inner edge, shadow on the right.
      {"inner bevel", kGrey, Bevel(kBlack, kBlue, 0, 0, 2),
       {{21, 30, 0x0000FF}, {22, 30, 0x808080}, {38, 30, 0x000000}, {30, 21, 0x808080}, {41, 30, 0xFFFFFF}}},
      {"outer bevel", kGrey, Bevel(kBlack, kBlue, 0, 0, 2, Placement::Outer),
       {{41, 30, 0x000000}, {18, 30, 0x0000FF}, {21, 30, 0x808080}, {30, 30, 0x808080}}},
      {"knockout bevel", kGrey, Bevel(kBlack, kBlue, 0, 0, 2, Placement::Inner, true),
       {{30, 30, 0xFFFFFF}, {21, 30, 0x0000FF}, {38, 30, 0x000000}}},
      {"gradient glow", kGrey, GradientFilter(4, {{0, {255, 0, 0, 0}}, {255, kBlue}}, 0, 0, 10, Placement::Outer),
       {{45, 30, 0x0000FF}, {55, 30, 0xFFFFFF}, {35, 30, 0x808080}}},
      {"gradient bevel", kGrey, GradientFilter(7, {{0, kGreen}, {128, {255, 0, 0, 0}}, {255, kBlue}}, 0, 0, 2, Placement::Inner),
       {{21, 30, 0x00FF00}, {38, 30, 0x0000FF}, {30, 30, 0x808080, 4}}},
      {"convolution", coloured, Convolution(1, 1, {2}, 1, 10, kBlack, true, true), {{30, 30, 0xD26E3C}, {10, 10, 0xFFFFFF}}},
      {"colour matrix", kRed, ColorMatrix({0, 0, 1, 0, 0, 0, 1, 0, 0, 100, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0}),
       {{30, 30, 0x0064FF}, {10, 10, 0xFFFFFF}}},
  };
  for (const auto& c : cases)
    Check(Draw({Box(1, c.square, 20, 20, 40, 40), Place3(1, 1, Translate(0, 0), {c.filter})}), c.expected, c.name);
}

// A black line one pixel wide blurred 4 pixels across: 1/4 of it on the
// pixel and each neighbour (191 left of white), 1/8 on the next (223).
TEST(FilterRenderTest, BlurOfAOnePixelLine) {
  const Picture p = Draw({Box(1, kBlack, 50, 10, 51, 90), Place3(1, 1, Translate(0, 0), {Blur(4, 0)})});
  Check(p, {{50, 50, 0xBFBFBF}, {49, 50, 0xBFBFBF}, {51, 50, 0xBFBFBF}, {48, 50, 0xDFDFDF}, {52, 50, 0xDFDFDF},
            {47, 50, 0xFFFFFF}, {53, 50, 0xFFFFFF}},
        "blurred line");
  // The stage shown twice as large: the line is 2 pixels wide and its blur of 2
  // stage pixels 4 device pixels (2/4, 1.5/4 and 0.5/4 covered); filters scale
  // with the stage.
  const Picture zoomed = Draw({Box(1, kBlack, 25, 5, 26, 45), Place3(1, 1, Translate(0, 0), {Blur(2, 0)})},
                              {.width = 200, .height = 200});
  Check(zoomed, {{50, 50, 0x7F7F7F}, {51, 50, 0x7F7F7F}, {49, 50, 0x9F9F9F}, {52, 50, 0x9F9F9F}, {48, 50, 0xDFDFDF},
                 {47, 50, 0xFFFFFF}},
        "zoomed line");
}

int MaxDifference(const Picture& a, const Picture& b) {
  int most = a.pixels.size() == b.pixels.size() ? 0 : 255;
  for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
    for (int shift = 0; shift < 24; shift += 8)
      most = std::max(most, std::abs(int((a.pixels[i] >> shift) & 0xFF) - int((b.pixels[i] >> shift) & 0xFF)));
  return most;
}

// A backdrop over 10..90 x 10..50 and the blended square over 30..70 x 30..70:
// the overlap shows the mode, the backdrop alone stays.
TEST(FilterRenderTest, BlendModesOverABackdrop) {
  const struct {
    int mode;
    Color src, dst;
    uint32_t overlap;
  } cases[] = {
      {1, {0x12, 0x34, 0x56}, {0xAB, 0xCD, 0xEF}, 0x123456}, {2, {0x12, 0x34, 0x56}, {0xAB, 0xCD, 0xEF}, 0x123456},
      {3, {255, 128, 0}, {128, 255, 255}, 0x808000},         {4, {255, 128, 0}, {128, 128, 128}, 0xFFC080},
      {5, {0xFF, 0xCC, 0x33}, {0xDD, 0xF8, 0x00}, 0xFFF833},  {6, {0xFF, 0xCC, 0x33}, {0xDD, 0xF8, 0x00}, 0xDDCC00},
      {7, {0xFF, 0xCC, 0x33}, {0xDD, 0xF8, 0x00}, 0x222C33},  {8, {0xAA, 0xA6, 0x33}, {0xDD, 0x22, 0x00}, 0xFFC833},
      {9, {0xAA, 0x22, 0x33}, {0xDD, 0xA6, 0x00}, 0x338400},  {10, {0, 255, 0}, {10, 20, 30}, 0xF5EBE1},
      {13, {200, 100, 50}, {100, 200, 50}, 0x9DBC14},         {14, {200, 100, 50}, {100, 200, 50}, 0xBC9D14},
  };
  for (const auto& c : cases) {
    const Picture p = Draw({Box(1, c.dst, 10, 10, 90, 50), Box(2, c.src, 30, 30, 70, 70),
                            rendertest::Place(1, 1, Translate(0, 0)), Place3(2, 2, Translate(0, 0), {}, c.mode)});
    Check(p, {{50, 40, c.overlap}, {20, 20, uint32_t(c.dst.r) << 16 | c.dst.g << 8 | c.dst.b}},
          "mode " + std::to_string(c.mode));
  }
}

// Layer, alpha and erase: what a group does that its parts alone do not.
TEST(FilterRenderTest, LayerAlphaAndEraseNeedAGroup) {
  // Two opaque red squares at half alpha: apart, the overlap is darker; as a layer, it is not.
  const Bytes pair = flashtest::Sprite(3, {rendertest::Place(1, 1, Translate(0, 0)), rendertest::Place(2, 2, Translate(0, 0)),
                                           moviebytes::ShowFrame()});
  const Bytes half = rendertest::Cxform(256, 256, 256, 128, 0, 0, 0, 0);
  for (int mode : {1, 2}) {
    const Picture p = Draw({Box(1, kRed, 10, 10, 60, 60), Box(2, kRed, 40, 40, 90, 90), pair,
                            moviebytes::Tag(70, Bytes{0x02 | 0x04 | 0x08, 0x02} + U16(1) + U16(3) + Translate(0, 0) +
                                                    half + Bytes{static_cast<uint8_t>(mode)}, true)});
    Check(p, {{20, 20, 0xFF7F7F}, {50, 50, mode == 2 ? 0xFF7F7Fu : 0xFF4040u}}, "group mode " + std::to_string(mode));
  }
  // A blue square and, over its left half, a quarter-opaque square in alpha or erase mode.
  const struct {
    int mode, parent;
    uint32_t left;
  } cases[] = {{11, 2, 0xBFBFFF}, {12, 2, 0x4040FF}, {11, 1, 0x0000FF}, {12, 1, 0x0000FF}};
  for (const auto& c : cases) {
    const Bytes group = flashtest::Sprite(
        3, {rendertest::Place(1, 1, Translate(0, 0)), Place3(2, 2, Translate(0, 0), {}, c.mode), moviebytes::ShowFrame()});
    const Picture p = Draw({Box(1, kBlue, 10, 10, 90, 90), Box(2, {255, 0, 0, 64}, 10, 10, 50, 90), group,
                            Place3(1, 3, Translate(0, 0), {}, c.parent)});
    Check(p, {{30, 50, c.left}, {70, 50, 0x0000FF}, {52, 50, 0x0000FF}, {5, 5, 0xFFFFFF}},
          "mode " + std::to_string(c.mode) + " in parent mode " + std::to_string(c.parent));
  }
}

// A button's records carry their own blend mode and filters.
TEST(FilterRenderTest, ButtonRecordsDrawTheirEffects) {
  const Bytes button = rendertest::Button(
      3, EffectButtonRecord(0x0F, 2, 1, {}, 3) + EffectButtonRecord(0x01, 4, 2, {DropShadow(kRed, 0, 0, 90, 10)}));
  const Picture p = Draw({Box(1, {128, 255, 255}, 10, 10, 90, 50), Box(2, {255, 128, 0}, 30, 30, 70, 70),
                          Box(4, kBlack, 10, 60, 20, 70), button, rendertest::Place(1, 1, Translate(0, 0)),
                          rendertest::Place(2, 3, Translate(0, 0))});
  Check(p, {{50, 40, 0x808000}, {50, 60, 0xFF8000}, {15, 75, 0xFF0000}, {15, 65, 0x000000}}, "button");
}

// What a script sets draws as the same effect placed by the timeline.
TEST(FilterRenderTest, ScriptSetEffectsDrawAsPlacedOnes) {
  const Bytes sprite = flashtest::Sprite(2, {rendertest::Place(1, 1, Translate(0, 0)), moviebytes::ShowFrame()});
  const Bytes square = Box(1, kGrey, 20, 20, 40, 40), backdrop = Box(3, {20, 200, 90}, 0, 0, 100, 30);
  const Picture placed = Draw({square, sprite, backdrop, rendertest::Place(1, 3, Translate(0, 0)),
                               Place3(2, 2, Translate(0, 0), {DropShadow(kRed, 2, 2, 30, 10)}, 3)});
  const Picture scripted = Draw(
      {square, sprite, backdrop, rendertest::Place(1, 3, Translate(0, 0)), flashtest::Place(2, 2, 0, 0, "c"),
       flashtest::Script("push 'c'; getVariable; push 'filters', 2, 2, 1, 16711680, 30, 10, 6, 'flash'; getVariable; "
                         "push 'filters'; getMember; push 'DropShadowFilter'; newMethod; push 1; initArray; setMember; "
                         "push 'c'; getVariable; push 'blendMode', 3; setMember")},
      {.ticks = 1});
  EXPECT_EQ(placed.pixels, scripted.pixels);
  EXPECT_NE(placed.At(45, 35), 0xFFFFFFu);  // the shadow shows
}

// A cached object keeps its layer from the second paint that finds it the
// same, while it only moves by whole pixels; a change inside it, or a move by
// part of a pixel, draws it again.
TEST(FilterRenderTest, CachedLayersLastWhileTheObjectStaysTheSame) {
  testing_support::TempDir dir;
  const Bytes sprite = flashtest::Sprite(2, {rendertest::Place(1, 1, Translate(0, 0)), moviebytes::ShowFrame()});
  const Bytes movie = rendertest::Movie(100, 100, {Box(1, kGrey, 20, 20, 40, 40), sprite,
                                                   Place3(1, 2, Translate(0, 0), {DropShadow(kRed, 4, 4, 45, 6)}, -1, 1)});
  ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"cached.swf"), movie));
  flashtest::HostWindow host;
  flash::FlashControl control(host.get(), 0, 0, 100, 100);
  auto owned = std::make_unique<flash::SoftwareRenderer>();
  flash::SoftwareRenderer* renderer = owned.get();
  control.SetRenderer(std::move(owned));
  control.LoadMovie(0, dir.File(L"cached.swf"));
  const Picture first = rendertest::PaintControl(control, 100, 100);
  for (unsigned drawn : {1u, 2u, 2u}) {
    if (drawn > 1) EXPECT_EQ(rendertest::PaintControl(control, 100, 100).pixels, first.pixels);
    EXPECT_EQ(renderer->LayersDrawn(), drawn);
  }
  EXPECT_EQ(renderer->LayersReused(), 1u);
  // Ten pixels right: the same layer, moved.
  flash::DisplayObject* clip = control.Player()->ObjectAt({1});
  ASSERT_NE(clip, nullptr);
  clip->matrix.tx += 200;
  const Picture moved = rendertest::PaintControl(control, 100, 100);
  EXPECT_EQ(renderer->LayersDrawn(), 2u);
  EXPECT_EQ(moved.At(35, 35), first.At(25, 35));
  EXPECT_EQ(moved.At(57, 37), first.At(47, 37));
  // A colour change inside, then a move by a third of a pixel at every paint:
  // drawn again each time, never kept.
  clip->clip->objects.at(1).color = flash::ColorTransform{0, 0, 256, 256, 0, 0, 0, 0};
  const Picture recoloured = rendertest::PaintControl(control, 100, 100);
  EXPECT_EQ(renderer->LayersDrawn(), 3u);
  EXPECT_EQ(recoloured.At(30, 30), 0x000080u);
  for (unsigned drawn : {4u, 5u}) {
    clip->matrix.tx += 7;
    rendertest::PaintControl(control, 100, 100);
    EXPECT_EQ(renderer->LayersDrawn(), drawn);
    EXPECT_EQ(renderer->KeptPixels(), 0u);
  }
}

// ---- The contact sheet ---------------------------------------------------------------------------

// 120 x 120: four colour bands over a grey ramp, and a clip of an orange disc
// with a half-transparent blue square on it, drawn with the effect.
Picture SheetShot(const std::wstring& label, const std::vector<Bytes>& filters, int blend = -1) {
  ShapeBuilder bands;
  const Color colours[] = {{220, 40, 40}, {40, 180, 60}, {40, 80, 220}, {240, 240, 240}};
  for (const Color& c : colours) bands.Fill(Solid(c));
  for (int i = 0; i < 4; ++i) bands.Rect(i * 600, 0, (i + 1) * 600, 1600, i + 1);
  ShapeBuilder ramp;
  ramp.Fill(rendertest::Gradient(0x10, rendertest::GradientBox(0, 2400, 2000), {{0, kBlack}, {255, kWhite}}))
      .Rect(0, 1600, 2400, 2400, 1);
  ShapeBuilder disc;
  disc.Fill(Solid({255, 150, 30})).Move(1200, 500, 0, 1).Curve(1900, 500, 1900, 1200).Curve(1900, 1900, 1200, 1900)
      .Curve(500, 1900, 500, 1200).Curve(500, 500, 1200, 500);
  ShapeBuilder square;
  square.Fill(Solid({20, 40, 160, 160})).Rect(1000, 1000, 1700, 1700, 1);
  const Bytes clip = flashtest::Sprite(
      5, {rendertest::Place(1, 3, Translate(0, 0)), rendertest::Place(2, 4, Translate(0, 0)), moviebytes::ShowFrame()});
  moviebytes::Movie m;
  m.version = 8;
  m.rect = moviebytes::Rect(0, 2400, 0, 2400);
  m.rateWhole = 12;
  m.frames = 1;
  m.tags = {moviebytes::BackgroundTag(255, 255, 255), bands.Tag(1), ramp.Tag(2), disc.Tag(3), square.Tag(4), clip,
            rendertest::Place(1, 1, Translate(0, 0)), rendertest::Place(2, 2, Translate(0, 0)),
            Place3(3, 5, Translate(0, 0), filters, blend), moviebytes::ShowFrame(), moviebytes::EndTag()};
  const Picture p = Paint(m.Plain());
  rendertest::AddToSheet(label, p, L"flash8");
  return p;
}

TEST(FilterSheetTest, EveryFilterAndBlendModeChangesThePicture) {
  const Picture plain = SheetShot(L"no effect", {});
  const struct {
    const wchar_t* label;
    std::vector<Bytes> filters;
  } filters[] = {
      {L"drop shadow", {DropShadow(kBlack, 6, 6, 45, 6)}},
      {L"inner shadow", {DropShadow(kBlack, 6, 6, 45, 6, 1, true)}},
      {L"shadow knockout", {DropShadow(kBlack, 6, 6, 45, 6, 1, false, true)}},
      {L"shadow, hidden", {DropShadow(kBlack, 6, 6, 45, 6, 1, false, false, true)}},
      {L"blur 8, 2 passes", {Blur(8, 8, 2)}},
      {L"glow", {Glow({255, 255, 0}, 10, 10, 2)}},
      {L"inner glow", {Glow({255, 255, 0}, 10, 10, 2, true)}},
      {L"bevel", {Bevel(kBlack, kWhite, 4, 45, 4)}},
      {L"outer bevel", {Bevel(kBlack, kWhite, 4, 45, 4, Placement::Outer)}},
      {L"gradient glow",
       {GradientFilter(4, {{0, {255, 255, 255, 0}}, {128, {255, 0, 255}}, {255, {255, 255, 0}}}, 10, 45, 0, Placement::Outer)}},
      {L"gradient bevel", {GradientFilter(7, {{0, kWhite}, {128, {255, 0, 0, 0}}, {255, kBlack}}, 4, 45, 4, Placement::Inner)}},
      {L"convolution (edges)", {Convolution(3, 3, {-1, -1, -1, -1, 8, -1, -1, -1, -1}, 1, 0, kBlack, true, true)}},
      {L"colour matrix (grey)",
       {ColorMatrix({0.3f, 0.59f, 0.11f, 0, 0, 0.3f, 0.59f, 0.11f, 0, 0, 0.3f, 0.59f, 0.11f, 0, 0, 0, 0, 0, 1, 0})}},
      {L"shadow + bevel", {Bevel(kBlack, kWhite, 3, 45, 3), DropShadow(kBlack, 8, 8, 45, 8)}},
  };
  for (const auto& f : filters) EXPECT_NE(SheetShot(f.label, f.filters).pixels, plain.pixels) << WideToUtf8(f.label);
  const wchar_t* modes[] = {L"normal",  L"layer",    L"multiply", L"screen",  L"lighten", L"darken",  L"difference",
                            L"add",     L"subtract", L"invert",   L"alpha",   L"erase",   L"overlay", L"hardlight"};
  for (int mode = 1; mode <= 14; ++mode) {
    const Picture p = SheetShot(std::wstring(L"blend ") + modes[mode - 1], {}, mode);
    // Normal and layer look as the plain clip does (but for rounding); alpha
    // and erase need a layer below and leave the clip out here.
    if (mode <= 2) EXPECT_LE(MaxDifference(p, plain), 2) << mode;
    else EXPECT_GT(MaxDifference(p, plain), 8) << mode;
  }
}

}  // namespace
