// Filters and blend modes: the records of PlaceObject3 and DefineButton2 as
// read and as the timeline applies them, the filters on small surfaces
// against values worked out from their definitions (a blur of a one-pixel
// line, a shadow's offset, the convolution's edges, the colour matrix), and
// the bounds that keep extreme parameters from taking unbounded time.
#include <gtest/gtest.h>

#include "FilterMovies.h"
#include "platform/flash/parse/ButtonRecords.h"
#include "platform/flash/parse/MovieDefinition.h"
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/play/MoviePlayer.h"
#include "platform/flash/render/effects/BlendModes.h"
#include "platform/flash/render/effects/Filters.h"

using namespace filtertest;
using flash::Filter;
using flash::FilterKind;
using flash::FilterPlacement;

namespace {

constexpr Color kBlack{0, 0, 0}, kWhite{255, 255, 255};

std::unique_ptr<flash::MovieDefinition> Read(const Bytes& movie) {
  std::unique_ptr<flash::MovieDefinition> def;
  EXPECT_EQ(flash::ReadMovieDefinition(movie, def), flash::MovieError::None);
  return def;
}

Bytes Square() {
  rendertest::ShapeBuilder s;
  s.Fill(rendertest::Solid(kBlack)).Rect(400, 400, 800, 800, 1);
  return s.Tag(1);
}

// ---- Records --------------------------------------------------------------------------------

TEST(FilterRecordsTest, PlaceObject3ReadsEveryFilterBlendModeAndCaching) {
  const std::vector<Bytes> filters = {
      DropShadow({0x33, 0x66, 0x99, 0xFF}, 5.5, 2, 90, 7, 1.5, true, true, true, 3),
      Blur(10, 20, 2),
      Glow({0, 255, 0, 128}, 6, 6, 2, true),
      Bevel({1, 2, 3, 4}, {5, 6, 7, 8}, 3, 45, 4, Placement::Full, true, 1, 2),
      GradientFilter(4, {{0, {255, 0, 0, 0}}, {200, {0, 0, 255, 255}}}, 4, 180, 2, Placement::Outer),
      Convolution(2, 1, {0.5f, -1.0f}, 2, 10, {9, 8, 7, 6}, false, true),
      ColorMatrix({0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 50}),
      GradientFilter(7, {{0, kWhite}, {255, kBlack}}, 2, 0, 1, Placement::Inner)};
  // Clip actions follow the effects: they must still be found.
  const Bytes actions{0, 0, 1, 0, 0, 0};
  Bytes body = Bytes{0x02 | 0x04 | 0x80, 0x01 | 0x02 | 0x04} + U16(1) + U16(1) + rendertest::Translate(0, 0) +
               FilterList(filters) + Bytes{3, 1} + actions;
  const auto def = Read(rendertest::Movie(100, 100, {Square(), moviebytes::Tag(70, body, true)}));
  ASSERT_EQ(def->root.frames[0].commands.size(), 1u);
  const flash::PlaceCommand& cmd = def->root.frames[0].commands[0];
  ASSERT_TRUE(cmd.filters);
  ASSERT_EQ(cmd.filters->size(), 8u);
  const auto& f = *cmd.filters;
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(static_cast<size_t>(f[i].kind), i);
  EXPECT_EQ(f[0].color, 0xFF336699u);
  EXPECT_DOUBLE_EQ(f[0].blurX, 5.5);
  EXPECT_NEAR(f[0].angle, 90, 1e-3);
  EXPECT_DOUBLE_EQ(f[0].distance, 7);
  EXPECT_DOUBLE_EQ(f[0].strength, 1.5);
  EXPECT_TRUE(f[0].placement == FilterPlacement::Inner && f[0].knockout && f[0].hideObject);
  EXPECT_EQ(f[0].passes, 3);
  EXPECT_EQ(f[1].passes, 2);
  EXPECT_DOUBLE_EQ(f[1].blurY, 20);
  EXPECT_EQ(f[2].color, 0x8000FF00u);
  EXPECT_DOUBLE_EQ(f[2].distance, 0);
  // The shadow colour comes first, then the highlight; on-top is the full placement.
  EXPECT_EQ(f[3].color, 0x04010203u);
  EXPECT_EQ(f[3].highlight, 0x08050607u);
  EXPECT_EQ(f[3].placement, FilterPlacement::Full);
  EXPECT_TRUE(f[3].knockout);
  ASSERT_EQ(f[4].gradient.size(), 2u);
  EXPECT_EQ(f[4].gradient[1].color, 0xFF0000FFu);
  EXPECT_EQ(f[4].gradient[1].ratio, 200);
  EXPECT_EQ(f[4].placement, FilterPlacement::Outer);
  EXPECT_EQ(f[5].matrixX, 2);
  EXPECT_EQ(f[5].matrix, (std::vector<float>{0.5f, -1.0f}));
  EXPECT_EQ(f[5].divisor, 2.0f);
  EXPECT_EQ(f[5].bias, 10.0f);
  EXPECT_EQ(f[5].defaultColor, 0x06090807u);
  EXPECT_TRUE(!f[5].clamp && f[5].preserveAlpha);
  EXPECT_EQ(f[6].colorMatrix[2], 1.0f);
  EXPECT_EQ(f[6].colorMatrix[19], 50.0f);
  EXPECT_EQ(f[7].placement, FilterPlacement::Inner);
  EXPECT_EQ(cmd.blend, flash::BlendMode::Multiply);
  EXPECT_EQ(cmd.cacheAsBitmap, true);
  EXPECT_EQ(Bytes(cmd.clipActions.begin(), cmd.clipActions.end()), actions);

  // A list cut inside its second filter keeps the first and the placement, and no actions.
  Bytes cut = Bytes{0x02 | 0x04 | 0x80, 0x01} + U16(1) + U16(1) + rendertest::Translate(0, 0) +
              FilterList({Blur(2, 2), DropShadow(kBlack, 1, 1, 0, 1)});
  cut.resize(cut.size() - 6);
  const auto damaged = Read(rendertest::Movie(100, 100, {Square(), moviebytes::Tag(70, cut, true)}));
  ASSERT_EQ(damaged->root.frames[0].commands.size(), 1u);
  const flash::PlaceCommand& kept = damaged->root.frames[0].commands[0];
  ASSERT_TRUE(kept.filters);
  EXPECT_EQ(kept.filters->size(), 1u);
  EXPECT_TRUE(kept.clipActions.empty());
  EXPECT_EQ(kept.character, 1);
}

TEST(FilterRecordsTest, ButtonRecordsCarryFiltersAndBlendModes) {
  const Bytes records = EffectButtonRecord(0x0F, 1, 1, {Blur(4, 4), Glow(kBlack, 2, 2)}, 7) +
                        EffectButtonRecord(0x01, 1, 2, {}, 13) + rendertest::ButtonRecord(0x01, 1, 3);
  const auto def = Read(rendertest::Movie(100, 100, {Square(), rendertest::Button(2, records)}));
  const flash::Character* button = def->Find(2, 0);
  ASSERT_NE(button, nullptr);
  const std::vector<flash::ButtonPart> parts = flash::ReadButtonParts(*button);
  ASSERT_EQ(parts.size(), 3u);  // the records after one with filters are read too
  ASSERT_TRUE(parts[0].effects.filters);
  EXPECT_EQ(parts[0].effects.filters->size(), 2u);
  EXPECT_EQ(parts[0].effects.blend, flash::BlendMode::Difference);
  EXPECT_EQ(parts[1].effects.blend, flash::BlendMode::Overlay);
  EXPECT_FALSE(parts[2].effects.NeedsLayer());
  EXPECT_EQ(parts[2].depth, 3);
}

// Moves change what they carry and leave the rest; a go-to back rebuilds the
// effects of the frame it reaches.
TEST(FilterRecordsTest, TimelineAppliesAndRewindsEffects) {
  const Bytes movie = rendertest::Movie(
      100, 100,
      {Square(), Place3(1, 1, rendertest::Translate(0, 0), {Blur(2, 2)}, 3, 1), moviebytes::ShowFrame(),
       Place3(1, 0, {}, {Glow(kBlack, 2, 2), Blur(1, 1)}, 1, -1, "", true), moviebytes::ShowFrame(),
       Place3(1, 0, rendertest::Translate(20, 0), {}, -1, 0, "", true)});
  const auto def = Read(movie);
  flash::MoviePlayer player(*def, flash::MovieScripts::Factory());
  player.Start();
  auto effects = [&]() -> const flash::SurfaceEffects& { return player.Root().objects.at(1).effects; };
  EXPECT_EQ(effects().filters->size(), 1u);
  EXPECT_EQ(effects().blend, flash::BlendMode::Multiply);
  EXPECT_TRUE(effects().cacheAsBitmap);
  player.GotoFrame(1);
  EXPECT_EQ(effects().filters->size(), 2u);
  EXPECT_EQ(effects().blend, flash::BlendMode::Normal);
  EXPECT_TRUE(effects().cacheAsBitmap);
  player.GotoFrame(2);
  EXPECT_EQ(effects().filters->size(), 2u);
  EXPECT_FALSE(effects().cacheAsBitmap);
  EXPECT_NE(player.Describe().find(L"filters 2 1"), std::wstring::npos);
  player.ScriptGoto(player.Root(), 0, 0);
  EXPECT_EQ(effects().filters->at(0).kind, FilterKind::Blur);
  EXPECT_EQ(effects().blend, flash::BlendMode::Multiply);
  EXPECT_TRUE(effects().cacheAsBitmap);
  EXPECT_NE(player.Describe().find(L"blend multiply cached"), std::wstring::npos);
}

// ---- Filters on small surfaces -------------------------------------------------------------------

struct Surface {
  int w, h;
  std::vector<uint32_t> px;
  Surface(int w, int h) : w(w), h(h), px(size_t(w) * h, 0) {}
  void Fill(int x0, int y0, int x1, int y1, uint32_t v) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) px[size_t(y) * w + x] = v;
  }
  uint32_t At(int x, int y) const { return px[size_t(y) * w + x]; }
  uint32_t Alpha(int x, int y) const { return At(x, y) >> 24; }
  bool Apply(const Filter& f, RECT& image) { return flash::ApplyFilter(f, px.data(), w, h, image); }
};

Filter Make(FilterKind kind) { return Filter::Defaults(kind); }

TEST(FilterPixelsTest, BlurOfAOnePixelLine) {
  // A box 4 wide weighs the centre and one pixel each side whole, the next half:
  // 255/4 = 64 and 255/8 = 32; two passes spread 4, 16, 32, 48, 56 ...
  const struct {
    int passes;
    std::vector<int> alphas;  // x = 6..14
  } cases[] = {{1, {0, 0, 32, 64, 64, 64, 32, 0, 0}}, {2, {4, 16, 32, 48, 56, 48, 32, 16, 4}}};
  for (const auto& c : cases) {
    Surface s(21, 5);
    s.Fill(10, 0, 11, 5, 0xFF000000u);
    Filter f = Make(FilterKind::Blur);
    f.blurX = 4, f.blurY = 0, f.passes = c.passes;
    RECT image{10, 0, 11, 5};
    ASSERT_TRUE(s.Apply(f, image));
    for (int x = 6; x <= 14; ++x) EXPECT_NEAR(int(s.Alpha(x, 2)), c.alphas[size_t(x - 6)], 1) << c.passes << " x " << x;
    EXPECT_EQ(image.left, 10 - 2 * c.passes);
    EXPECT_EQ(image.right, 11 + 2 * c.passes);
  }
  // A blur of one pixel or less leaves the picture as it was.
  Surface s(9, 3);
  s.Fill(4, 0, 5, 3, 0xFF102030u);
  const std::vector<uint32_t> before = s.px;
  Filter f = Make(FilterKind::Blur);
  f.blurX = f.blurY = 1;
  RECT image{4, 0, 5, 3};
  s.Apply(f, image);
  EXPECT_EQ(s.px, before);
}

TEST(FilterPixelsTest, ShadowsMoveAlongTheirAngle) {
  const struct {
    const char* name;
    double angle, distance;
    bool inner, knockout, hide;
    std::vector<std::pair<POINT, uint32_t>> expected;
  } cases[] = {
      // A white square over 4..8 with a hard red shadow 5 pixels away.
      {"right", 0, 5, false, false, false, {{{10, 5}, 0xFFFF0000}, {{6, 5}, 0xFFFFFFFF}, {{3, 5}, 0}, {{10, 10}, 0}}},
      {"down", 90, 5, false, false, false, {{{5, 10}, 0xFFFF0000}, {{10, 5}, 0}, {{5, 6}, 0xFFFFFFFF}}},
      {"knockout", 0, 5, false, true, false, {{{10, 5}, 0xFFFF0000}, {{6, 5}, 0}, {{4, 5}, 0}}},
      {"hidden object", 0, 2, false, false, true, {{{6, 5}, 0xFFFF0000}, {{4, 5}, 0}, {{9, 5}, 0xFFFF0000}}},
      // Inside: the shadow of the outside falls on the first two columns.
      {"inner", 0, 2, true, false, false, {{{4, 5}, 0xFFFF0000}, {{5, 5}, 0xFFFF0000}, {{6, 5}, 0xFFFFFFFF}, {{9, 5}, 0}}},
  };
  for (const auto& c : cases) {
    Surface s(20, 20);
    s.Fill(4, 4, 8, 8, 0xFFFFFFFFu);
    Filter f = Make(FilterKind::DropShadow);
    f.color = 0xFFFF0000, f.blurX = f.blurY = 0, f.angle = c.angle, f.distance = c.distance;
    f.placement = c.inner ? FilterPlacement::Inner : FilterPlacement::Outer;
    f.knockout = c.knockout, f.hideObject = c.hide;
    RECT image{4, 4, 8, 8};
    ASSERT_TRUE(s.Apply(f, image)) << c.name;
    for (const auto& [p, v] : c.expected) EXPECT_EQ(s.At(p.x, p.y), v) << c.name << " at " << p.x << "," << p.y;
  }
}

TEST(FilterPixelsTest, ConvolutionAndColorMatrixOnColours) {
  // Three taps of a third: red, red, blue, blue averages to 170/85 at the seam.
  const struct {
    bool clamp;
    uint32_t first;  // the left pixel: its missing neighbour clamped (red) or the outside colour (green)
  } cases[] = {{true, 0xFFFF0000}, {false, 0xFFAA5500}};
  for (const auto& c : cases) {
    Surface s(4, 1);
    s.px = {0xFFFF0000, 0xFFFF0000, 0xFF0000FF, 0xFF0000FF};
    Filter f = Make(FilterKind::Convolution);
    f.matrixX = 3, f.matrixY = 1, f.matrix = {1, 1, 1}, f.divisor = 3, f.clamp = c.clamp, f.preserveAlpha = false;
    f.defaultColor = 0xFF00FF00;
    RECT image{0, 0, 4, 1};
    ASSERT_TRUE(s.Apply(f, image));
    EXPECT_EQ(s.At(0, 0), c.first) << c.clamp;
    EXPECT_EQ(s.At(1, 0), 0xFFAA0055u);
    EXPECT_EQ(s.At(2, 0), 0xFF5500AAu);
  }
  // Red and blue swap, green gains 100; a half-transparent pixel stays so.
  Surface s(2, 1);
  s.px = {0xFFFF0000, 0x80800000};
  Filter m = Make(FilterKind::ColorMatrix);
  m.colorMatrix = {0, 0, 1, 0, 0, 0, 1, 0, 0, 100, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0};
  RECT image{0, 0, 2, 1};
  ASSERT_TRUE(s.Apply(m, image));
  EXPECT_EQ(s.At(0, 0), 0xFF0064FFu);
  EXPECT_EQ(s.At(1, 0) >> 24, 0x80u);
  EXPECT_NEAR(int(s.At(1, 0) & 0xFF), 128, 1);
}

// Extreme parameters end in bounded work: what would take too long is left out.
TEST(FilterPixelsTest, ExtremeParametersAreBounded) {
  Surface s(200, 200);
  s.Fill(50, 50, 150, 150, 0xFF808080u);
  const std::vector<uint32_t> before = s.px;
  Filter huge = Make(FilterKind::Convolution);
  huge.matrixX = huge.matrixY = 255;
  huge.matrix.assign(255 * 255, 1.0f);
  RECT image{0, 0, 200, 200};
  EXPECT_FALSE(s.Apply(huge, image));
  EXPECT_EQ(s.px, before);
  Filter blur = Make(FilterKind::Blur);
  blur.blurX = blur.blurY = 255, blur.passes = 15;
  EXPECT_GT(flash::FilterWork(blur, 2880, 2880, 1), flash::kMaxFilterWork);
  // Within the bound the widest box runs as any other (running sums).
  blur.passes = 1;
  image = RECT{50, 50, 150, 150};
  ASSERT_TRUE(s.Apply(blur, image));
  EXPECT_EQ(image.left, 0);
  EXPECT_EQ(image.right, 200);
  EXPECT_NEAR(int(s.Alpha(100, 100)), 255 * 100 * 100 / (255 * 255), 2);
  // Values out of range are clamped when read or set.
  Filter wild = Make(FilterKind::DropShadow);
  wild.blurX = 1e9, wild.passes = 99, wild.strength = -4, wild.distance = -1e12;
  wild.Clamp();
  EXPECT_EQ(wild.blurX, Filter::kMaxBlur);
  EXPECT_EQ(wild.passes, Filter::kMaxPasses);
  EXPECT_EQ(wild.strength, 0);
  EXPECT_EQ(wild.distance, -Filter::kMaxDistance);
}

// ---- Blend modes, one pixel at a time -----------------------------------------------------------

TEST(BlendModeTest, OpaqueColoursFollowTheirDefinitions) {
  using flash::BlendMode;
  const struct {
    BlendMode mode;
    uint32_t src, dst, expected;
  } cases[] = {
      {BlendMode::Normal, 0xFF123456, 0xFFABCDEF, 0xFF123456},
      {BlendMode::Multiply, 0xFF888888, 0xFF888888, 0xFF484848},  // 0x88 * 0x88 / 0xFF
      {BlendMode::Multiply, 0xFFFF8000, 0xFF80FFFF, 0xFF808000},
      {BlendMode::Screen, 0xFFFF8000, 0xFF808080, 0xFFFFC080},
      {BlendMode::Lighten, 0xFFFFCC33, 0xFFDDF800, 0xFFFFF833},
      {BlendMode::Darken, 0xFFFFCC33, 0xFFDDF800, 0xFFDDCC00},
      {BlendMode::Difference, 0xFFFFCC33, 0xFFDDF800, 0xFF222C33},
      {BlendMode::Add, 0xFFAAA633, 0xFFDD2200, 0xFFFFC833},
      {BlendMode::Subtract, 0xFFAA2233, 0xFFDDA600, 0xFF338400},
      {BlendMode::Invert, 0xFF00FF00, 0xFF0A141E, 0xFFF5EBE1},
      {BlendMode::Overlay, 0xFFC86432, 0xFF64C832, 0xFF9DBC14},
      {BlendMode::HardLight, 0xFFC86432, 0xFF64C832, 0xFFBC9D14},
      {BlendMode::Alpha, 0x40400000, 0xFF0000FF, 0x40000040},
      {BlendMode::Erase, 0x40400000, 0xFF0000FF, 0xBF0000BF},
  };
  for (const auto& c : cases) {
    const uint32_t got = flash::BlendPixel(c.mode, c.src, c.dst);
    for (int shift = 0; shift < 32; shift += 8)
      EXPECT_NEAR(int((got >> shift) & 0xFF), int((c.expected >> shift) & 0xFF), 1)
          << flash::BlendModeName(c.mode) << " channel " << shift << " got " << std::hex << got;
  }
  // Names and numbers scripts use.
  EXPECT_EQ(flash::BlendModeOf(L"hardlight"), BlendMode::HardLight);
  EXPECT_EQ(flash::BlendModeOf(3.0), BlendMode::Multiply);
  EXPECT_EQ(flash::BlendModeOf(0.0), BlendMode::Normal);
  EXPECT_FALSE(flash::BlendModeOf(15.0));
  EXPECT_FALSE(flash::BlendModeOf(L"Multiply"));
  EXPECT_EQ(flash::BlendModeFromRecord(200), BlendMode::Normal);
}

}  // namespace
