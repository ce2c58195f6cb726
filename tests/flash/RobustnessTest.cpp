// Damaged movies in the control (seeded, so every run sees the same inputs):
// each loads, steps through every frame, seeks and paints without a crash or
// hang, and the display list stays bounded. Movies of drawn characters are
// painted through the real renderer at every frame, and the pointer moves,
// clicks and drags over their buttons.
#include <gtest/gtest.h>

#include <random>

#include "FlashTestSupport.h"
#include "RenderMovies.h"
#include "platform/flash/FlashControl.h"

using namespace flashtest;

namespace {

Bytes RichMovie(bool compressed) {
  moviebytes::Movie m = Frames(0);
  m.tags = {moviebytes::BackgroundTag(9, 9, 9), Shape(1), Shape(2),
            Sprite(3, {Place(1, 1, 0, 0), moviebytes::ShowFrame(), Move(1, 40, 40), moviebytes::ShowFrame(),
                       DoAction({ActGoto(0), ActPlay()}), Remove(1), moviebytes::ShowFrame()}),
            Sprite(4, {Place(1, 3, 0, 0), Place(2, 4, 5, 5), moviebytes::ShowFrame()}),
            Place(1, 1, 100, 100), Label("start"), moviebytes::ShowFrame(),
            Place(2, 3, 0, 0, "clip"), Place(3, 4, 1, 1), Move(1, 200, 100, 2.0), moviebytes::ShowFrame(),
            DoAction({ActGetUrl("FSCommand:X", "y"), ActGoto(0)}), Remove(1), moviebytes::ShowFrame(),
            moviebytes::EndTag()};
  return compressed ? m.Compressed() : m.Plain();
}

// Every kind of drawn character: shapes with gradients, curves and lines, a
// bitmap fill, a font and text, an edit text, a morph shape, a button and a
// clip layer.
Bytes DrawnMovie(bool compressed) {
  using namespace rendertest;
  ShapeBuilder shape;
  shape.Fill(Solid({255, 0, 0, 200})).Fill(Gradient(0x12, GradientBox(0, 1000, 500), {{0, {0, 255, 0}}, {255, {0, 0, 255}}}, 1))
      .Fill(BitmapFill(0x40, 9, Mat(20, 0, 0, 20, 0, 0))).Line(40, {0, 0, 0});
  shape.Move(100, 100, 0, 1, 1).Curve(900, 0, 1000, 800).To(100, 100).Move(200, 200, 0, 2).To(600, 200).To(600, 600)
      .To(200, 200).Move(0, 900, 0, 3).To(800, 900).To(800, 1400).To(0, 900);
  ShapeBuilder glyph;
  glyph.Move(0, 0, -1, 1).To(500, 0).Curve(500, -900, 0, -900).To(0, 0);
  const Bytes glyphs = glyph.Records();
  const Bytes font = moviebytes::Tag(48, U16(7) + Bytes{0x00, 0, 1, 'F'} + U16(1) + U16(4) +
                                             U16(static_cast<uint32_t>(4 + glyphs.size())) + glyphs + Bytes{'A'}, true);
  BitWriter entries;
  entries.Put(0, 8).Put(300, 16).Put(0, 8).Put(300, 16);
  const Bytes text = moviebytes::Tag(11, U16(8) + moviebytes::Rect(0, 2000, 0, 2000) + Translate(0, 0) + Bytes{8, 16, 0x8F} +
                                             U16(7) + Bytes{0, 0, 0} + U16(100) + U16(800) + U16(300) + Bytes{2} +
                                             entries.Done() + Bytes{0}, true);
  const Bytes edit = moviebytes::Tag(37, U16(10) + moviebytes::Rect(0, 1600, 0, 800) + Bytes{0x81, 0} + U16(7) + U16(300) +
                                             Bytes{'v', 0, 'A', 'A', 0}, true);
  ShapeBuilder edges;
  edges.Rect(0, 0, 400, 400, 1);
  const Bytes morphFills = Bytes{1, 0x00, 255, 0, 0, 255, 0, 0, 255, 255, 0};
  const Bytes startEdges = edges.Records();
  const Bytes morph = moviebytes::Tag(46, U16(11) + moviebytes::Rect(0, 400, 0, 400) + moviebytes::Rect(0, 400, 0, 400) +
                                              U32(static_cast<uint32_t>(morphFills.size() + startEdges.size())) + morphFills +
                                              startEdges + edges.Records(), true);
  const Bytes record = Bytes{0x0F} + U16(1) + U16(1) + Translate(0, 0) + Cxform(256, 256, 256, 256, 0, 0, 0, 0);
  const Bytes rollOver = Bytes{0x01, 0x00} + ActGetUrl("FSCommand:over", "") + ActPlay() + Bytes{0};
  const Bytes release = Bytes{0x08, 0x00} + ActGetUrl("FSCommand:up", "") + ActGoto(0) + Bytes{0};
  const Bytes button = moviebytes::Tag(34, U16(12) + Bytes{0} + U16(static_cast<uint32_t>(2 + record.size() + 1)) + record +
                                               Bytes{0} + U16(static_cast<uint32_t>(2 + rollOver.size())) + rollOver +
                                               U16(0) + release, true);
  const Bytes button1 = moviebytes::Tag(7, U16(13) + Bytes{0x0F} + U16(1) + U16(1) + Translate(0, 0) + Bytes{0} +
                                                ActGetUrl("FSCommand:click", "") + ActStop() + Bytes{0}, true);
  moviebytes::Movie m = Frames(0);
  m.tags = {moviebytes::BackgroundTag(9, 9, 9), Lossless32(9, 2, 2, {0xFF00FF00u, 0x80000080u, 0, 0xFFFFFFFFu}, true),
            shape.Tag(1), font, text, edit, morph, button, button1,
            rendertest::Place(1, 1, Translate(0, 0), {}, -1, 3), rendertest::Place(2, 8, Mat(1.5, 0.2, -0.2, 1, 100, 100)),
            rendertest::Place(3, 11, Translate(400, 0), {}, 1000), moviebytes::ShowFrame(),
            rendertest::Place(4, 10, Translate(0, 400), Cxform(128, 256, 256, 200, 10, 0, 0, 0)), rendertest::Place(5, 12, Translate(800, 800)),
            rendertest::Place(6, 13, Translate(2400, 0)),
            moviebytes::ShowFrame(), moviebytes::EndTag()};
  return compressed ? m.Compressed() : m.Plain();
}

TEST(ControlRobustnessTest, DrawnSeedDrawsEveryKind) {
  const rendertest::Picture p = rendertest::Paint(DrawnMovie(false), {.frame = 1});
  rendertest::AddToSheet(L"robustness seed", p);
  ASSERT_EQ(p.width, 200);
  int drawn = 0;
  for (uint32_t px : p.pixels) drawn += (px & 0xFFFFFF) != 0x090909;
  EXPECT_GT(drawn, 1000);
}

TEST(ControlRobustnessTest, MutatedMoviesLoadStepAndPaint) {
  testing_support::TempDir dir;
  HostWindow host;
  flash::FlashControl control(host.get(), 0, 0, 64, 48);
  double now = 0;
  control.SetClock([&] { return now; });
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 64, 48);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  const Bytes seeds[] = {RichMovie(false), RichMovie(true), DrawnMovie(false), DrawnMovie(true)};
  std::mt19937 rng(20261209);
  const std::wstring path = dir.File(L"mutant.swf");
  for (int i = 0; i < 800; ++i) {
    Bytes input = seeds[i % 4];
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits && !input.empty(); ++e) {
      size_t at = rng() % input.size();
      switch (rng() % 4) {
        case 0: input[at] = static_cast<uint8_t>(rng()); break;
        case 1: input[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
        case 2: input.resize(at); break;
        default: input.insert(input.begin() + static_cast<ptrdiff_t>(at), static_cast<uint8_t>(rng())); break;
      }
    }
    testing_support::WriteBytes(path, input);
    control.LoadMovie(0, path);
    const long total = control.TotalFrames();
    if (control.FrameNum() < 0) {
      EXPECT_EQ(total, 0);
      continue;
    }
    ASSERT_GE(total, 1);
    control.Play();
    for (long f = 0; f < total + 2; ++f) {
      now += 1.0;
      control.Pump();
      SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
    control.GotoFrame(total - 1);
    // The pointer over and around the buttons: moves, a click, a drag out and a leave.
    for (const POINT& p : {POINT{15, 15}, POINT{25, 20}, POINT{30, 30}, POINT{50, 10}}) {
      const LPARAM at = MAKELPARAM(p.x, p.y);
      SendMessageW(control.hWnd(), WM_MOUSEMOVE, 0, at);
      SendMessageW(control.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
      SendMessageW(control.hWnd(), WM_LBUTTONUP, 0, at);
      SendMessageW(control.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
      SendMessageW(control.hWnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x + 20, p.y + 10));
      SendMessageW(control.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(p.x + 20, p.y + 10));
      SendMessageW(control.hWnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(control.hWnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
    SendMessageW(control.hWnd(), WM_MOUSELEAVE, 0, 0);
    SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    control.GotoFrame(0);
    SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    EXPECT_LT(control.Player()->Describe().size(), 4u << 20);
    PumpMessages();
  }
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

}  // namespace
