// A frame's fills held and painted in row bands on a pool's threads give the
// pixels of painting each fill as it comes, whatever the rows, clips, rules,
// painters and overlaps; and kept gradient ramps are the ramps made afresh.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/flash/render/FrameBands.h"
#include "platform/flash/render/RampCache.h"

using namespace flash;

namespace {

constexpr int kW = 203, kH = 157;  // odd sizes, so bands cut rows unevenly

// A loop of n points around (cx, cy) stepping `turn` points at a time (a star
// when turn > 1), slightly squashed and off the pixel grid.
void Loop(Rasterizer& raster, double cx, double cy, double r, int n, int turn) {
  for (int i = 0; i < n; ++i) {
    const double a0 = i * turn * 6.283185307179586 / n, a1 = (i + 1) * turn * 6.283185307179586 / n;
    raster.Line(cx + r * std::cos(a0) + 0.31, cy + r * 0.8 * std::sin(a0) + 0.17, cx + r * std::cos(a1) + 0.31,
                cy + r * 0.8 * std::sin(a1) + 0.17);
  }
}

struct Scene {
  std::vector<uint8_t> clipMask = std::vector<uint8_t>(size_t(kW) * kH);
  FillStyle radial, linear;
  Bitmap tile;
  Scene() {
    for (size_t i = 0; i < clipMask.size(); ++i) clipMask[i] = static_cast<uint8_t>(i * 29 % 256);
    radial.kind = kFillRadial;
    radial.stops = {GradientStop{0, Rgba{255, 0, 0, 255}}, GradientStop{255, Rgba{0, 0, 255, 100}}};
    linear = radial;
    linear.kind = kFillLinear;
    tile.width = 3, tile.height = 2;
    tile.pixels = {0xFF102030u, 0x80404040u, 0xFFFFFFFFu, 0x00000000u, 0xFF00FF00u, 0x7F7F0000u};
  }
  // Fill i of the frame: its painter on the canvas, its region in the raster.
  FillPainter Prepare(int i, uint32_t* pixels, Rasterizer& raster) const {
    PixelCanvas canvas{kW, kH, pixels, i % 5 == 3 ? clipMask.data() : nullptr};
    FillPainter painter(canvas);
    const Xform device{0.004 + i * 0.0003, 0.001, -0.001, 0.005, 20.0 + i * 7 % kW, 10.0 + i * 11 % kH};
    switch (i % 4) {
      case 0: painter.SetGradient(radial, device, ColorTransform{}); break;
      case 1: painter.SetGradient(linear, device, ColorTransform{}); break;
      case 2: painter.SetBitmap(&tile, Xform{5.1, 1.3, -1.3, 5.1, i * 3.0, 2}, true, i % 3 == 0, ColorTransform{}); break;
      default: painter.SetSolid(0x80000000u | uint32_t(i) * 0x010307u % 0x808080u);
    }
    // Some fills keep to part of the canvas, and one reaches past every side.
    const int inset = i % 3 == 1 ? 9 : 0;
    raster.Reset(inset, inset + i % 4, kW - inset, kH - inset);
    const double r = i == 7 ? 400 : 12 + i * 5 % 70;
    Loop(raster, i * 37 % kW, i * 23 % kH, r, 5 + i % 9, i % 2 ? 2 : 1);
    return painter;
  }
};

TEST(FrameBandsTest, HeldFillsPaintWhatEachFillPaintsAsItComes) {
  const Scene scene;
  PaintPool pool(4), alone(1);
  FrameBands banded(pool, 0), single(alone, 0);  // every frame here is large enough for bands
  for (const bool antialias : {true, false}) {
    for (const FillRule rule : {FillRule::EvenOdd, FillRule::NonZero}) {
      std::vector<uint32_t> direct(size_t(kW) * kH, 0xFF336699u), held = direct, heldAlone = direct;
      Rasterizer raster;
      for (int i = 0; i < 40; ++i) {
        FillPainter painter = scene.Prepare(i, direct.data(), raster);
        raster.Fill(rule, antialias, painter);
      }
      for (auto [frame, pixels] : {std::pair{&banded, &held}, std::pair{&single, &heldAlone}}) {
        for (int i = 0; i < 40; ++i) {
          const FillPainter painter = scene.Prepare(i, pixels->data(), raster);
          ASSERT_TRUE(frame->Add(raster, rule, antialias, painter));
        }
        EXPECT_FALSE(frame->Empty());
        frame->Settle();
        EXPECT_TRUE(frame->Empty());
      }
      EXPECT_NE(direct, std::vector<uint32_t>(size_t(kW) * kH, 0xFF336699u));
      ASSERT_EQ(held, direct) << "antialias " << antialias;
      ASSERT_EQ(heldAlone, direct) << "antialias " << antialias;
    }
  }
}

TEST(FrameBandsTest, ManyFillsAreSettledInTurnAndDroppedOnesNeverPaint) {
  const Scene scene;
  PaintPool pool(3);
  FrameBands frame(pool, 0);
  Rasterizer raster;
  std::vector<uint32_t> direct(size_t(kW) * kH, 0xFF000000u), held = direct;
  // More fills than are held at once: the first ones are painted before the rest are taken.
  const int fills = static_cast<int>(FrameBands::kMaxFills) + 300;
  for (int i = 0; i < fills; ++i) {
    FillPainter painter(PixelCanvas{kW, kH, direct.data(), nullptr});
    painter.SetSolid(0x40000000u | uint32_t(i * 2654435761u) % 0x404040u);
    raster.Reset(0, 0, kW, kH);
    const double x = i % kW, y = i * 7 % kH;
    raster.Line(x, y, x + 9.5, y + 3.2), raster.Line(x + 9.5, y + 3.2, x + 1.7, y + 8.9), raster.Line(x + 1.7, y + 8.9, x, y);
    raster.Fill(FillRule::NonZero, true, painter);
    FillPainter later(PixelCanvas{kW, kH, held.data(), nullptr});
    later.SetSolid(0x40000000u | uint32_t(i * 2654435761u) % 0x404040u);
    ASSERT_TRUE(frame.Add(raster, FillRule::NonZero, true, later));
  }
  frame.Settle();
  EXPECT_EQ(held, direct);
  // Dropped: nothing held is painted.
  const std::vector<uint32_t> before = held;
  const FillPainter painter = scene.Prepare(0, held.data(), raster);
  ASSERT_TRUE(frame.Add(raster, FillRule::EvenOdd, true, painter));
  frame.Drop();
  frame.Settle();
  EXPECT_EQ(held, before);
}

TEST(RampCacheTest, KeptRampsAreTheRampsMadeAfreshForEachKey) {
  RampCache cache;
  std::vector<GradientStop> stops = {GradientStop{0, Rgba{255, 0, 0, 255}}, GradientStop{128, Rgba{0, 255, 0, 40}},
                                     GradientStop{255, Rgba{0, 0, 255, 255}}};
  ColorTransform tint;
  tint.mr = 128, tint.ab = 30;
  for (int round = 0; round < 2; ++round) {  // the second round finds every ramp kept
    for (const ColorTransform& cx : {ColorTransform{}, tint}) {
      for (const bool linearRgb : {false, true}) {
        ASSERT_EQ(cache.Ramp(stops, cx, linearRgb), GradientRamp(stops, cx, linearRgb));
      }
    }
    EXPECT_EQ(cache.Size(), 4u);
  }
  // A stop's colour, a stop's ratio, or the stops' order each make another ramp.
  for (auto change : {+[](std::vector<GradientStop>& s) { s[1].color.a = 41; },
                      +[](std::vector<GradientStop>& s) { s[1].ratio = 129; },
                      +[](std::vector<GradientStop>& s) { std::swap(s[0], s[2]); }}) {
    std::vector<GradientStop> other = stops;
    change(other);
    ASSERT_EQ(cache.Ramp(other, tint, false), GradientRamp(other, tint, false));
  }
  EXPECT_EQ(cache.Size(), 7u);
  // A full cache starts afresh.
  for (size_t i = 0; i <= RampCache::kMaxRamps; ++i) {
    ColorTransform cx;
    cx.aa = static_cast<int32_t>(i);
    cache.Ramp(stops, cx, false);
  }
  EXPECT_LE(cache.Size(), RampCache::kMaxRamps);
  EXPECT_EQ(cache.Ramp(stops, tint, true), GradientRamp(stops, tint, true));
}

}  // namespace
