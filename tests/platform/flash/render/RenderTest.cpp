// The renderer drawing hand-made movies through the control: every picture
// is read back and checked at known pixels (and kept for the contact sheet).
#include <gtest/gtest.h>

#include <algorithm>

#include "RenderMovies.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/play/MoviePlayer.h"
#include "platform/flash/render/SoftwareRenderer.h"

using namespace rendertest;

namespace {

constexpr Color kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 255, 0}, kBlack{0, 0, 0};

Picture Shot(const std::wstring& label, const Bytes& movie, const PaintOptions& options = {}) {
  Picture p = Paint(movie, options);
  AddToSheet(label, p);
  return p;
}

Bytes OneShape(ShapeBuilder& shape, int w = 100, int h = 100) {
  return Movie(w, h, {shape.Tag(1), Place(1, 1, Translate(0, 0))});
}

// The square 20.25..60.25 px: interior exact; the partly covered columns
// blend when anti-aliased and are hard otherwise.
TEST(RenderShapeTest, SolidSquareAtExactPixels) {
  ShapeBuilder s;
  s.Fill(Solid(kRed)).Rect(405, 400, 1205, 1200, 1);
  const Bytes movie = OneShape(s);
  const Picture high = Shot(L"square AA", movie);
  const Picture low = Shot(L"square low", movie, {.quality = L"Low"});
  for (const Picture* p : {&high, &low}) {
    EXPECT_EQ(p->At(21, 20), 0xFF0000u);
    EXPECT_EQ(p->At(59, 59), 0xFF0000u);
    EXPECT_EQ(p->At(19, 30), 0xFFFFFFu);
    EXPECT_EQ(p->At(30, 60), 0xFFFFFFu);
    EXPECT_EQ(p->At(30, 19), 0xFFFFFFu);
  }
  EXPECT_EQ(high.R(20, 30), 255);
  EXPECT_NEAR(high.G(20, 30), 64, 3);   // three quarters covered
  EXPECT_NEAR(high.G(60, 30), 191, 3);  // a quarter covered
  EXPECT_EQ(low.At(20, 30), 0xFF0000u);
  EXPECT_EQ(low.At(60, 30), 0xFFFFFFu);
  const Picture medium = Paint(movie, {.quality = L"Medium"});
  EXPECT_EQ(medium.At(60, 30), high.At(60, 30));
}

// Regions bounded by edges of several records, and holes.
TEST(RenderShapeTest, RegionsFromSeveralRecordsAndHoles) {
  ShapeBuilder twoRecords;
  // Top, left and bottom with the fill on one side; the right edge, drawn the
  // other way round in its own record, has it on the other.
  twoRecords.Fill(Solid(kRed)).Move(1200, 400, 0, 1).To(400, 400).To(400, 1200).To(1200, 1200);
  twoRecords.Move(1200, 400, 1, 0).To(1200, 1200);
  const Picture a = Shot(L"two records", OneShape(twoRecords));
  EXPECT_EQ(a.At(40, 40), 0xFF0000u);
  EXPECT_EQ(a.At(59, 21), 0xFF0000u);
  EXPECT_EQ(a.At(61, 40), 0xFFFFFFu);

  ShapeBuilder hole;
  hole.Fill(Solid(kBlue)).Rect(200, 200, 1800, 1800, 1).Rect(800, 800, 1200, 1200, 1);
  const Picture b = Shot(L"hole", OneShape(hole));
  EXPECT_EQ(b.At(20, 20), 0x0000FFu);
  EXPECT_EQ(b.At(50, 50), 0xFFFFFFu);
  EXPECT_EQ(b.At(38, 50), 0x0000FFu);

  // DefineShape4's winding rule fills the same two squares whole.
  ShapeBuilder winding(4);
  winding.Fill(Solid(kBlue, 4)).Rect(200, 200, 1800, 1800, 1).Rect(800, 800, 1200, 1200, 1);
  const Picture c = Paint(Movie(100, 100, {winding.Tag(1, true), Place(1, 1, Translate(0, 0))}));
  EXPECT_EQ(c.At(50, 50), 0x0000FFu);
}

TEST(RenderShapeTest, CurveMidpointOnTheExpectedPixel) {
  // From (10, 90) through control (50, 10) to (90, 90) px: the midpoint is (50, 50).
  ShapeBuilder s;
  s.Fill(Solid(kBlack)).Move(200, 1800, 0, 1).Curve(1000, 200, 1800, 1800).To(200, 1800);
  const Picture p = Shot(L"curve", OneShape(s));
  EXPECT_EQ(p.At(50, 51), 0u);
  EXPECT_EQ(p.At(50, 48), 0xFFFFFFu);
  EXPECT_GT(p.G(50, 50), 0);  // the boundary row is partly covered
  EXPECT_LT(p.G(50, 50), 255);
}

TEST(RenderShapeTest, LineWidthsAndHairline) {
  struct Case {
    uint16_t width;
    int firstRow, lastRow;
  } cases[] = {{20, 50, 50}, {0, 50, 50}, {100, 48, 52}};
  for (const Case& c : cases) {
    ShapeBuilder s;
    s.Line(c.width, kBlack).Move(200, 1010, -1, -1, 1).To(1800, 1010);
    const Picture p = Shot(L"line " + std::to_wstring(c.width), OneShape(s));
    for (int y = c.firstRow; y <= c.lastRow; ++y) EXPECT_EQ(p.At(50, y), 0u) << c.width << " row " << y;
    EXPECT_EQ(p.At(50, c.firstRow - 1), 0xFFFFFFu) << c.width;
    EXPECT_EQ(p.At(50, c.lastRow + 1), 0xFFFFFFu) << c.width;
  }
}

// Red to blue across 0..50 px; beyond it the spread mode decides.
TEST(RenderGradientTest, LinearEndsMiddleAndSpreadModes) {
  ShapeBuilder whole;
  whole.Fill(Gradient(0x10, GradientBox(0, 2000, 0), {{0, kRed}, {255, kBlue}})).Rect(0, 0, 2000, 400, 1);
  const Picture p = Shot(L"linear", Movie(100, 20, {whole.Tag(1), Place(1, 1, Translate(0, 0))}));
  EXPECT_GE(p.R(0, 10), 250);
  EXPECT_GE(p.B(99, 10), 250);
  EXPECT_NEAR(p.R(50, 10), 126, 4);
  EXPECT_NEAR(p.B(50, 10), 129, 4);

  struct Case {
    int spread;
    int redAt95;  // t = 1.91: pad blue, reflect mostly red, repeat mostly blue
  } cases[] = {{0, 0}, {1, 232}, {2, 23}};
  for (const Case& c : cases) {
    ShapeBuilder s;
    s.Fill(Gradient(0x10, GradientBox(0, 1000, 0), {{0, kRed}, {255, kBlue}}, c.spread)).Rect(0, 0, 2000, 400, 1);
    const Picture q = Shot(L"spread " + std::to_wstring(c.spread), Movie(100, 20, {s.Tag(1), Place(1, 1, Translate(0, 0))}));
    EXPECT_NEAR(q.R(95, 10), c.redAt95, 6) << c.spread;
  }
}

TEST(RenderGradientTest, RadialCentreAndRim) {
  ShapeBuilder s;
  s.Fill(Gradient(0x12, GradientBox(200, 1800, 1000), {{0, kGreen}, {255, kBlack}})).Rect(0, 0, 2000, 2000, 1);
  const Picture p = Shot(L"radial", OneShape(s));
  EXPECT_GE(p.G(50, 50), 245);
  EXPECT_NEAR(p.G(70, 50), 127, 8);  // half way out
  EXPECT_EQ(p.At(95, 50), 0u);       // past the rim: padded with the last colour
  EXPECT_EQ(p.At(2, 2), 0u);
}

// A 4 x 4 bitmap of distinct colours.
std::vector<uint32_t> Checker() {
  std::vector<uint32_t> px;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) px.push_back(0xFF000000u | (x * 60) << 16 | (y * 60) << 8 | 0x80);
  return px;
}
uint32_t CheckerAt(int x, int y) { return Checker()[static_cast<size_t>(y * 4 + x)] & 0xFFFFFF; }

TEST(RenderBitmapTest, OneToOneScaledRotatedRepeatingAndClipped) {
  const Bytes bitmap = Lossless32(5, 4, 4, Checker(), false);
  auto movie = [&](uint8_t kind, const Bytes& matrix, int x1, int y1) {
    ShapeBuilder s;
    s.Fill(BitmapFill(kind, 5, matrix)).Rect(200, 200, x1, y1, 1);
    return Movie(40, 40, {bitmap, s.Tag(1), Place(1, 1, Translate(0, 0))});
  };
  for (const wchar_t* quality : {L"High", L"Low"}) {
    const Picture p = Shot(L"bitmap 1:1", movie(0x41, Mat(20, 0, 0, 20, 200, 200), 280, 280), {.quality = quality});
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(p.At(10 + x, 10 + y), CheckerAt(x, y)) << quality << x << "," << y;
  }
  const Picture scaled = Shot(L"bitmap x2", movie(0x43, Mat(40, 0, 0, 40, 200, 200), 360, 360));
  EXPECT_EQ(scaled.At(10, 10), CheckerAt(0, 0));
  EXPECT_EQ(scaled.At(13, 12), CheckerAt(1, 1));
  EXPECT_EQ(scaled.At(17, 11), CheckerAt(3, 0));
  // Turned a quarter: bitmap x runs down the stage, bitmap y to the left.
  const Picture rotated = Shot(L"bitmap rotated", movie(0x43, Mat(0, 20, -20, 0, 280, 200), 280, 280));
  EXPECT_EQ(rotated.At(13, 10), CheckerAt(0, 0));
  EXPECT_EQ(rotated.At(13, 12), CheckerAt(2, 0));
  EXPECT_EQ(rotated.At(10, 10), CheckerAt(0, 3));
  const Picture repeated = Shot(L"bitmap repeat", movie(0x42, Mat(20, 0, 0, 20, 200, 200), 600, 600));
  EXPECT_EQ(repeated.At(15, 19), CheckerAt(1, 1));
  EXPECT_EQ(repeated.At(25, 10), CheckerAt(3, 0));
  const Picture clipped = Shot(L"bitmap clipped", movie(0x43, Mat(20, 0, 0, 20, 200, 200), 600, 600));
  EXPECT_EQ(clipped.At(25, 11), CheckerAt(3, 1));  // the edge pixels stretch on
  EXPECT_EQ(clipped.At(25, 25), CheckerAt(3, 3));
}

TEST(RenderBitmapTest, LosslessFormatsAndAlpha) {
  // Format 3 (a palette of two, rows padded to 4 bytes), format 4 (15 bits), format 5 with alpha.
  const Bytes palette = Zlib(Bytes{255, 0, 0, 0, 0, 255} + Bytes{0, 1, 0, 0, 1, 0, 0, 0});
  const Bytes mapped = moviebytes::Tag(20, U16(5) + Bytes{3} + U16(2) + U16(2) + Bytes{1} + palette, true);
  // The palette's colours are not premultiplied; the 32-bit pixels are.
  const Bytes alphaPalette = Zlib(Bytes{0, 128, 0, 128, 0, 0, 255, 255} + Bytes{0, 1, 0, 0, 1, 0, 0, 0});
  const Bytes mappedAlpha = moviebytes::Tag(36, U16(5) + Bytes{3} + U16(2) + U16(2) + Bytes{1} + alphaPalette, true);
  const Bytes fifteen = moviebytes::Tag(20, U16(5) + Bytes{4} + U16(2) + U16(2) + Zlib(Bytes{0x7C, 0x00, 0x00, 0x1F, 0x03, 0xE0, 0x7F, 0xFF}), true);
  const Bytes alpha32 = Lossless32(5, 2, 2, {0x80800000u, 0xFF0000FFu, 0x00000000u, 0xFF00FF00u}, true);
  struct Case {
    const wchar_t* name;
    Bytes tag;
    uint32_t p00, p10, p01, p11;
  } cases[] = {
      {L"format 3", mapped, 0xFF0000, 0x0000FF, 0x0000FF, 0xFF0000},
      {L"format 3 alpha", mappedAlpha, 0x7FBF7F, 0x0000FF, 0x0000FF, 0x7FBF7F},
      {L"format 4", fifteen, 0xFF0000, 0x0000FF, 0x00FF00, 0xFFFFFF},
      {L"format 5 alpha", alpha32, 0xFF7F7F, 0x0000FF, 0xFFFFFF, 0x00FF00},
  };
  for (const Case& c : cases) {
    ShapeBuilder s;
    s.Fill(BitmapFill(0x43, 5, Mat(200, 0, 0, 200, 0, 0))).Rect(0, 0, 400, 400, 1);
    const Picture p = Shot(c.name, Movie(20, 20, {c.tag, s.Tag(1), Place(1, 1, Translate(0, 0))}), {.quality = L"Low"});
    EXPECT_EQ(p.At(5, 5), c.p00) << c.name;
    EXPECT_EQ(p.At(15, 5), c.p10) << c.name;
    EXPECT_EQ(p.At(5, 15), c.p01) << c.name;
    EXPECT_EQ(p.At(15, 15), c.p11) << c.name;
  }
}

TEST(RenderBitmapTest, JpegKindsThroughTheSystemCodecs) {
  const Bytes jpeg = FlatJpeg(0, 160, 0);
  ASSERT_FALSE(jpeg.empty());
  Bytes tables, image;
  SplitJpeg(jpeg, tables, image);
  Bytes alpha;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) alpha.push_back(x < 8 ? 0 : 255);
  struct Case {
    const wchar_t* name;
    std::vector<Bytes> tags;
    bool leftShows;
  } cases[] = {
      {L"JPEG2", {moviebytes::Tag(21, U16(5) + jpeg, true)}, true},
      {L"JPEG2 quirk", {moviebytes::Tag(21, U16(5) + Bytes{0xFF, 0xD9, 0xFF, 0xD8} + jpeg, true)}, true},
      {L"DefineBits", {moviebytes::Tag(8, tables, true), moviebytes::Tag(6, U16(5) + image, true)}, true},
      {L"JPEG3 alpha", {moviebytes::Tag(35, U16(5) + U32(static_cast<uint32_t>(jpeg.size())) + jpeg + Zlib(alpha), true)}, false},
  };
  for (const Case& c : cases) {
    ShapeBuilder s;
    s.Fill(BitmapFill(0x43, 5, Mat(20, 0, 0, 20, 0, 0))).Rect(0, 0, 320, 320, 1);
    std::vector<Bytes> tags = c.tags;
    tags.push_back(s.Tag(1));
    tags.push_back(Place(1, 1, Translate(0, 0)));
    const Picture p = Shot(c.name, Movie(20, 20, tags));
    EXPECT_NEAR(p.G(12, 8), 160, 6) << c.name;
    EXPECT_LE(p.R(12, 8), 8) << c.name;
    if (c.leftShows) {
      EXPECT_NEAR(p.G(3, 8), 160, 6) << c.name;
    } else {
      EXPECT_EQ(p.At(3, 8), 0xFFFFFFu) << c.name;
    }
    EXPECT_EQ(p.At(18, 18), 0xFFFFFFu) << c.name;
  }
}

TEST(RenderTextTest, GlyphsOfFont2AndFont3GiveTheSamePixels) {
  const Picture two = Shot(L"text font2", Movie(60, 60, {Font2(2, 'A', 1, 48), TextTag(3, 2), Place(1, 3, Translate(0, 0))}));
  const Picture three = Shot(L"text font3", Movie(60, 60, {Font2(2, 'A', 20, 75), TextTag(3, 2), Place(1, 3, Translate(0, 0))}));
  EXPECT_EQ(two.At(15, 40), 0xFF0000u);  // first glyph: 10..20 px across, 30..50 down
  EXPECT_EQ(two.At(27, 40), 0xFF0000u);  // second glyph from 22 px
  EXPECT_EQ(two.At(21, 40), 0xFFFFFFu);
  EXPECT_EQ(two.At(15, 28), 0xFFFFFFu);
  EXPECT_EQ(two.pixels, three.pixels);
  // A glyph index beyond the font and a huge advance draw what they can.
  const Picture odd = Paint(Movie(60, 60, {Font2(2, 'A', 1, 48), TextTag(3, 2, 7, 0x7FFF), Place(1, 3, Translate(0, 0))}));
  EXPECT_EQ(odd.At(15, 40), 0xFFFFFFu);
}

TEST(RenderTextTest, EditTextInEmbeddedAndSystemFonts) {
  auto edit = [](bool hasFont, const std::string& text) {
    Bytes body = U16(4) + moviebytes::Rect(0, 1600, 0, 800);
    body = body + Bytes{static_cast<uint8_t>(0x80 | 0x04 | (hasFont ? 0x01 : 0)), static_cast<uint8_t>(hasFont ? 0x01 : 0)};
    if (hasFont) body = body + U16(2) + U16(400);
    body = body + Bytes{0, 0, 255, 255} + Bytes{'v', 0} + moviebytes::Text(text) + Bytes{0};
    return moviebytes::Tag(37, body, true);
  };
  const Picture glyphs = Shot(L"edit text glyphs", Movie(80, 40, {Font2(2, 'A', 1, 48), edit(true, "AA"), Place(1, 4, Translate(0, 0))}));
  EXPECT_EQ(glyphs.At(5, 10), 0x0000FFu);  // from the 2 px gutter, 10 px wide, 20 px high
  EXPECT_EQ(glyphs.At(18, 10), 0x0000FFu);
  EXPECT_EQ(glyphs.At(50, 10), 0xFFFFFFu);
  const Picture system = Shot(L"edit text GDI", Movie(80, 40, {edit(false, "WWW"), Place(1, 4, Translate(0, 0))}));
  int blue = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) blue += system.B(x, y) > 200 && system.R(x, y) < 100;
  EXPECT_GT(blue, 10);
}

Bytes Square(uint16_t id, Color c, int size = 400) {
  ShapeBuilder s;
  s.Fill(Solid(c)).Rect(0, 0, size, size, 1);
  return s.Tag(id);
}

TEST(RenderDisplayTest, SpritePlacedTwiceWithMatricesAndColourTransforms) {
  const Bytes sprite = flashtest::Sprite(2, {Place(1, 1, Translate(0, 0)), moviebytes::ShowFrame()});
  const Picture p = Shot(L"sprite twice", Movie(100, 100, {Square(1, kRed), sprite, Place(1, 2, Translate(200, 200)),
                                                           Place(2, 2, Mat(2, 0, 0, 2, 1000, 1000), Cxform(0, 256, 256, 128, 0, 0, 255, 0))}));
  EXPECT_EQ(p.At(15, 15), 0xFF0000u);
  EXPECT_EQ(p.At(31, 15), 0xFFFFFFu);
  // Red times 0, blue plus 255, at half alpha over white.
  EXPECT_EQ(p.At(55, 55), 0x8080FFu);
  EXPECT_EQ(p.At(85, 85), 0x8080FFu);
  EXPECT_EQ(p.At(95, 95), 0xFFFFFFu);
}

TEST(RenderDisplayTest, ClipLayerHidesWhatLiesOutsideIt) {
  const Picture p = Shot(L"clip layer", Movie(100, 100, {Square(1, kGreen, 800), Square(2, kRed, 2000), Square(3, kBlue, 200),
                                                         Place(1, 1, Translate(400, 400), {}, -1, 2), Place(2, 2, Translate(0, 0)),
                                                         Place(3, 3, Translate(1600, 1600))}));
  EXPECT_EQ(p.At(30, 30), 0xFF0000u);  // the masked square shows inside the mask
  EXPECT_EQ(p.At(10, 10), 0xFFFFFFu);  // and nowhere else
  EXPECT_EQ(p.At(70, 30), 0xFFFFFFu);
  EXPECT_EQ(p.At(85, 85), 0x0000FFu);  // above the clip depth: not masked
}

TEST(RenderDisplayTest, MorphShapeAtRatios) {
  // A 20 px square moving from x 0 to 40 px and turning from red to blue.
  ShapeBuilder start, end;
  start.Rect(0, 0, 400, 400, 1);
  end.Move(800, 0).To(1200, 0).To(1200, 400).To(800, 400).To(800, 0);
  const Bytes fills = Bytes{1, 0x00} + Rgb(kRed, true) + Rgb(kBlue, true) + Bytes{0};
  const Bytes startRecords = start.Records();
  Bytes body = U16(1) + moviebytes::Rect(0, 400, 0, 400) + moviebytes::Rect(800, 1200, 0, 400);
  body = body + U32(static_cast<uint32_t>(fills.size() + startRecords.size())) + fills + startRecords + end.Records();
  const Bytes morph = moviebytes::Tag(46, body, true);
  struct Case {
    int ratio, x;
    uint32_t color;
  } cases[] = {{0, 10, 0xFF0000}, {32768, 30, 0x7F0080}, {65535, 50, 0x0000FF}};
  for (const Case& c : cases) {
    const Picture p = Shot(L"morph " + std::to_wstring(c.ratio), Movie(80, 20, {morph, Place(1, 1, Translate(0, 0), {}, c.ratio)}));
    EXPECT_EQ(p.At(c.x, 10), c.color) << c.ratio;
    EXPECT_EQ(p.At(c.x - 11, 10), 0xFFFFFFu) << c.ratio;
    EXPECT_EQ(p.At(c.x + 11, 10), 0xFFFFFFu) << c.ratio;
  }
}

TEST(RenderDisplayTest, ButtonUpAndOverStates) {
  // DefineButton2: red square in the up state, blue in the over state.
  Bytes records = Bytes{0x01} + U16(1) + U16(1) + Translate(0, 0) + Cxform(256, 256, 256, 256, 0, 0, 0, 0);
  records = records + Bytes{0x02} + U16(2) + U16(2) + Translate(0, 0) + Cxform(256, 256, 256, 256, 0, 0, 0, 0);
  const Bytes button = moviebytes::Tag(34, U16(3) + Bytes{0} + U16(0) + records + Bytes{0}, true);
  const Bytes movie = Movie(20, 20, {Square(1, kRed), Square(2, kBlue), button, Place(1, 3, Translate(0, 0))});
  EXPECT_EQ(Shot(L"button up", movie).At(10, 10), 0xFF0000u);

  std::unique_ptr<flash::MovieDefinition> definition;
  ASSERT_EQ(flash::ReadMovieDefinition(movie, definition), flash::MovieError::None);
  flash::MoviePlayer player(*definition, flash::MovieScripts::Factory());
  player.Start();
  flash::SoftwareRenderer renderer;
  renderer.SetButtonState(flash::kButtonOver);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(GetDC(nullptr), 20, 20);
  HGDIOBJ old = SelectObject(dc, bitmap);
  flash::FrameView frame{20, 20, RECT{0, 0, 20, 20}, flash::PlaceStage(definition->frame, 20, 20, 0, 0), flash::kQualityHigh};
  renderer.DrawFrame(dc, *definition, player.Root(), flash::Matrix{}, frame);
  EXPECT_EQ(GetPixel(dc, 10, 10), RGB(0, 0, 255));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

// A bitmap defined again in every frame (freed, defined anew, its shape placed
// again), as encoders write the frames of JPEG video; the last frame frees it
// for good. Each frame shows its own picture, whether reached by seeking
// forwards or back or by playing.
TEST(RenderDisplayTest, CharacterDefinedAgainShowsFromItsFrame) {
  const Color colours[] = {{200, 0, 0}, {0, 160, 0}, {0, 0, 200}};
  ShapeBuilder s;
  s.Fill(BitmapFill(0x43, 0, Mat(20, 0, 0, 20, 0, 0))).Rect(0, 0, 320, 320, 1);
  moviebytes::Movie m;
  m.rect = moviebytes::Rect(0, 400, 0, 400);
  m.rateWhole = 10;
  m.frames = 4;
  m.tags = {moviebytes::BackgroundTag(255, 255, 255), s.Tag(1)};
  const Bytes freeBitmap = moviebytes::Tag(3, U16(0));
  for (int k = 0; k < 4; ++k) {
    if (k > 0) m.tags.insert(m.tags.end(), {flashtest::Remove(1), freeBitmap});
    if (k < 3) m.tags.push_back(moviebytes::Tag(21, U16(0) + FlatJpeg(colours[k].r, colours[k].g, colours[k].b), true));
    m.tags.insert(m.tags.end(), {Place(1, 1, Translate(0, 0)), moviebytes::ShowFrame()});
  }
  m.tags.push_back(moviebytes::EndTag());
  testing_support::TempDir dir;
  testing_support::WriteBytes(dir.File(L"video.swf"), m.Plain());
  flashtest::HostWindow host;
  flash::FlashControl control(host.get(), 0, 0, 20, 20);
  flashtest::FakeClock clock;
  control.SetClock(clock.Fn());
  control.LoadMovie(0, dir.File(L"video.swf"));
  std::vector<long> seen;
  auto check = [&](const char* how) {
    const long frame = control.CurrentFrame();
    seen.push_back(frame);
    const Picture p = PaintControl(control, 20, 20);
    if (frame == 3) {
      EXPECT_EQ(p.At(8, 8), 0xFFFFFFu) << how;
      return;
    }
    const Color& c = colours[frame];
    EXPECT_NEAR(p.R(8, 8), c.r, 6) << how << " frame " << frame;
    EXPECT_NEAR(p.G(8, 8), c.g, 6) << how << " frame " << frame;
    EXPECT_NEAR(p.B(8, 8), c.b, 6) << how << " frame " << frame;
  };
  for (long frame : {0, 1, 2, 3, 1, 0, 2}) {
    control.GotoFrame(frame);
    check("seeking");
  }
  control.Rewind();
  control.Play();
  seen.clear();
  for (int step = 0; step < 4; ++step, clock.now += 0.1, control.Pump()) check("playing");
  EXPECT_EQ(seen, (std::vector<long>{0, 1, 2, 3}));
}

// A frame larger than the renderer's surface is drawn in bands (here
// surfaces of seven rows, one row and a third of a row): the same pixels as
// drawn whole. A renderer that cannot draw makes WM_PAINT say so.
TEST(RenderDisplayTest, LargeFramesAreDrawnInBands) {
  std::unique_ptr<flash::MovieDefinition> definition;
  ASSERT_EQ(flash::ReadMovieDefinition(DrawnMovie(false), definition), flash::MovieError::None);
  flash::MoviePlayer player(*definition, flash::MovieScripts::Factory());
  player.Start();
  player.GotoFrame(1);
  const flash::FrameView frame{200, 100, RECT{0, 0, 200, 100}, flash::PlaceStage(definition->frame, 200, 100, 0, 0),
                               flash::kQualityHigh};
  auto draw = [&](uint64_t surfacePixels) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 200, -100, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    flash::SoftwareRenderer renderer(surfacePixels);
    EXPECT_TRUE(renderer.DrawFrame(dc, *definition, player.Root(), flash::Matrix{}, frame)) << surfacePixels;
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + 200 * 100);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return pixels;
  };
  const std::vector<uint32_t> whole = draw(flash::SoftwareRenderer::kMaxSurfacePixels);
  const auto black = std::count_if(whole.begin(), whole.end(), [](uint32_t p) { return (p & 0xFFFFFF) == 0; });
  EXPECT_GT(black, 100);  // the DC's black shows between the characters
  EXPECT_LT(black, 200 * 100 - 1000);
  for (uint64_t surface : {200u * 7, 200u, 64u}) EXPECT_EQ(draw(surface), whole) << surface;

  class Failing : public flash::NullRenderer {
    bool DrawFrame(HDC, const flash::MovieDefinition&, const flash::Clip&, const flash::Matrix&,
                   const flash::FrameView&) override {
      return false;
    }
  };
  testing_support::TempDir dir;
  testing_support::WriteBytes(dir.File(L"drawn.swf"), DrawnMovie(false));
  flashtest::HostWindow host;
  flash::FlashControl control(host.get(), 0, 0, 20, 20);
  control.LoadMovie(0, dir.File(L"drawn.swf"));
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 20, 20);
  HGDIOBJ old = SelectObject(dc, bitmap);
  EXPECT_EQ(SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0), 0);
  control.SetRenderer(std::make_unique<Failing>());
  EXPECT_NE(SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0), 0);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

// A shape reaching past a 100 x 100 stage, shown in a 200 x 100 control.
TEST(RenderDisplayTest, StageRectangleOfEachScaleMode) {
  ShapeBuilder s;
  s.Fill(Solid(kRed)).Rect(-2000, 0, 4000, 2000, 1);
  const Bytes movie = OneShape(s);
  struct Case {
    long mode;
    int firstRed, lastRed;
  } cases[] = {{0, 50, 149}, {1, 0, 199}, {2, 0, 199}, {3, 0, 199}};
  for (const Case& c : cases) {
    const Picture p = Shot(L"scale mode " + std::to_wstring(c.mode), movie, {.width = 200, .height = 100, .scaleMode = c.mode});
    EXPECT_EQ(p.At(c.firstRed, 50), 0xFF0000u) << c.mode;
    EXPECT_EQ(p.At(c.lastRed, 50), 0xFF0000u) << c.mode;
    if (c.firstRed > 0) EXPECT_EQ(p.At(c.firstRed - 1, 50), 0xFFFFFFu) << c.mode;
  }
}

// Damaged and hostile characters draw what they can and nothing else.
TEST(RenderDamageTest, BrokenCharactersDrawNothing) {
  ShapeBuilder badIndex;
  badIndex.Fill(Solid(kRed)).Rect(0, 0, 400, 400, 9);
  ShapeBuilder noStops;
  noStops.Fill(Gradient(0x10, GradientBox(0, 400, 0), {})).Rect(0, 0, 400, 400, 1);
  ShapeBuilder bitmapFill;
  bitmapFill.Fill(BitmapFill(0x41, 5, Mat(20, 0, 0, 20, 0, 0))).Rect(0, 0, 400, 400, 1);
  Bytes cut = badIndex.Tag(1);
  ShapeBuilder whole;
  whole.Fill(Solid(kRed)).Rect(0, 0, 400, 400, 1);
  Bytes truncated = whole.Tag(1);
  truncated.resize(truncated.size() - 6);
  const Bytes huge = moviebytes::Tag(20, U16(5) + Bytes{5} + U16(65535) + U16(65535) + Zlib(Bytes(64, 7)), true);
  const Bytes badZlib = moviebytes::Tag(20, U16(5) + Bytes{5} + U16(4) + U16(4) + Bytes{0x78, 0x9C, 1, 2, 3, 4}, true);
  const Bytes badJpeg = moviebytes::Tag(21, U16(5) + Bytes{0xFF, 0xD8, 0xFF, 0xC0, 0, 3, 1, 2, 3}, true);
  struct Case {
    const wchar_t* name;
    std::vector<Bytes> tags;
  } cases[] = {
      {L"fill index", {badIndex.Tag(1)}},
      {L"no stops", {noStops.Tag(1)}},
      {L"huge bitmap", {huge, bitmapFill.Tag(1)}},
      {L"bad zlib", {badZlib, bitmapFill.Tag(1)}},
      {L"bad jpeg", {badJpeg, bitmapFill.Tag(1)}},
      {L"missing bitmap", {bitmapFill.Tag(1)}},
  };
  for (const Case& c : cases) {
    std::vector<Bytes> tags = c.tags;
    tags.push_back(Place(1, 1, Translate(0, 0)));
    const Picture p = Paint(Movie(20, 20, tags));
    ASSERT_EQ(p.width, 20) << c.name;
    for (uint32_t px : p.pixels) ASSERT_EQ(px & 0xFFFFFF, 0xFFFFFFu) << c.name;
  }
  const Picture part = Paint(Movie(20, 20, {truncated, Place(1, 1, Translate(0, 0))}));
  EXPECT_EQ(part.width, 20);
}

// Characters that place themselves (buttons, sprites, each other) are drawn
// once, cut where they repeat, and make one running sprite each; chains that
// double at every level draw as much as one paint allows.
TEST(RenderDamageTest, SelfPlacingCharactersAreDrawnOnceAndChainsEnd) {
  for (const HostileMovie& h : HostileMovies()) {
    const Picture p = Shot(h.name, h.movie);
    ASSERT_EQ(p.width, 100) << h.name;
    EXPECT_EQ(p.At(80, 80), 0xFFFFFFu) << h.name;
    EXPECT_EQ(p.R(40, 40), 255) << h.name;
    if (h.cycle) {
      EXPECT_NEAR(p.G(40, 40), 127, 2) << h.name;  // half-transparent red, once
    } else {
      EXPECT_LT(p.G(40, 40), 64) << h.name;
    }
    std::unique_ptr<flash::MovieDefinition> definition;
    ASSERT_EQ(flash::ReadMovieDefinition(h.movie, definition), flash::MovieError::None);
    flash::MoviePlayer player(*definition, flash::MovieScripts::Factory());
    player.Start();
    const std::wstring list = player.Describe();
    size_t clips = 0;
    for (size_t at = list.find(L"sprite frame"); at != std::wstring::npos; at = list.find(L"sprite frame", at + 1)) ++clips;
    EXPECT_LE(clips, h.cycle ? 3u : 10000u) << h.name;
  }
}

}  // namespace
