// Painting a span at a time and on several threads: the SSE2 span fills give
// the colours of the one-pixel formulas, the pool runs every task once, and a
// region painted in bands on the pool's threads is the one a single thread
// paints.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "platform/flash/render/BandedFill.h"
#include "platform/flash/render/SpanFill.h"

using namespace flash;

namespace {

std::array<uint32_t, 256> DistinctRamp() {
  std::array<uint32_t, 256> ramp{};
  for (uint32_t i = 0; i < 256; ++i) ramp[i] = 0xFF000000u | i << 16 | (255 - i) << 8 | (i * 7 & 0xFF);
  return ramp;
}

uint32_t PadAt(const std::array<uint32_t, 256>& ramp, double t) {
  if (!std::isfinite(t)) t = 0;
  return ramp[static_cast<int>(std::clamp(t, 0.0, 1.0) * 255 + 0.5)];
}

// Walks across, beyond and back over a gradient square, odd and even lengths,
// and one whose steps overflow.
const SpanWalk kWalks[] = {
    {-20000, 300, 97.3, -11.1, 400}, {16000, -16000, -41.7, 63.2, 801}, {0, 0, 1e-3, 2e-3, 3},
    {-1, 5, 0, 0, 1},                {1e306, 1e306, 1e306, 1e306, 9},   {20000, 20000, -333.3, -100.01, 257},
};

TEST(SpanFillTest, GradientRowsGiveTheColoursOfThePixelFormulas) {
  const auto ramp = DistinctRamp();
  for (const SpanWalk& w : kWalks) {
    std::vector<uint32_t> linear(w.count), radial(w.count);
    LinearPadRow(ramp, w, linear.data());
    RadialPadRow(ramp, w, radial.data());
    double u = w.u, v = w.v;
    for (int i = 0; i < w.count; ++i, u += w.du, v += w.dv) {
      ASSERT_EQ(linear[i], PadAt(ramp, (u + 16384) / 32768)) << "walk from " << w.u << ", pixel " << i;
      const double px = u / 16384, py = v / 16384;
      ASSERT_EQ(radial[i], PadAt(ramp, std::sqrt(px * px + py * py))) << "walk from " << w.u << ", pixel " << i;
    }
  }
}

uint32_t Lerp(uint32_t p, uint32_t q, uint32_t k) { return Scale(p, 256 - k) + Scale(q, k); }

// The sampler's definition: texel centres at half pixels, four texels mixed
// across then down.
uint32_t Bilinear(const Bitmap& b, bool repeat, double u, double v) {
  auto at = [&](int x, int y) {
    auto fold = [&](int i, int n) { return repeat ? ((i % n) + n) % n : std::clamp(i, 0, n - 1); };
    return b.pixels[static_cast<size_t>(fold(y, b.height)) * b.width + fold(x, b.width)];
  };
  const double su = u - 0.5, sv = v - 0.5;
  const int x = static_cast<int>(std::floor(su)), y = static_cast<int>(std::floor(sv));
  const uint32_t ku = static_cast<uint32_t>((su - x) * 256), kv = static_cast<uint32_t>((sv - y) * 256);
  return Lerp(Lerp(at(x, y), at(x + 1, y), ku), Lerp(at(x, y + 1), at(x + 1, y + 1), ku), kv);
}

TEST(SpanFillTest, BitmapRowsTakeTheTexelsTheSamplerTakes) {
  uint32_t seed = 99;
  auto next = [&] { return seed = seed * 1664525 + 1013904223; };
  for (const auto& [w, h] : {std::pair{4, 4}, std::pair{5, 3}, std::pair{1, 7}}) {
    Bitmap b;
    b.width = w, b.height = h;
    for (int i = 0; i < w * h; ++i) {
      const uint32_t a = next() >> 24, r = (next() >> 24) * a / 255, g = (next() >> 24) * a / 255;
      b.pixels.push_back(a << 24 | r << 16 | g << 8 | (a / 2));
    }
    for (const bool repeat : {true, false}) {
      for (const SpanWalk& walk : {SpanWalk{-7.3, 2.9, 0.37, 0.21, 61}, SpanWalk{3.5, 3.5, -0.5, 1.25, 20},
                                   SpanWalk{1000.1, -2000.7, -13.7, 7.9, 33}}) {
        std::vector<uint32_t> row(walk.count), nearest(walk.count);
        ASSERT_TRUE(BilinearRow(b, repeat, walk, row.data()));
        ASSERT_TRUE(NearestRow(b, repeat, walk, nearest.data()));
        double u = walk.u, v = walk.v;
        for (int i = 0; i < walk.count; ++i, u += walk.du, v += walk.dv) {
          ASSERT_EQ(row[i], Bilinear(b, repeat, u, v)) << w << "x" << h << " repeat " << repeat << " pixel " << i;
          // The texel under (u, v) is the one the mix of the four around (u + 0.5, v + 0.5) starts from.
          ASSERT_EQ(nearest[i], Bilinear(b, repeat, std::floor(u) + 0.5, std::floor(v) + 0.5)) << "pixel " << i;
        }
      }
    }
    uint32_t unused = 0;
    EXPECT_FALSE(BilinearRow(b, true, SpanWalk{0, 0, 1e9, 0, 1000}, &unused)) << "steps past the fast range";
    EXPECT_FALSE(BilinearRow(b, true, SpanWalk{std::nan(""), 0, 1, 0, 1}, &unused));
  }
}

TEST(PaintPoolTest, EveryTaskRunsOnceOnAThreadOfThePool) {
  PaintPool pool(4);
  ASSERT_EQ(pool.Threads(), 4);
  for (const int count : {1, 3, 64, 1000}) {
    std::vector<std::atomic<int>> runs(count);
    std::atomic<bool> badThread{false};
    pool.Run(count, [&](int task, int thread) {
      runs[task].fetch_add(1);
      if (thread < 0 || thread >= pool.Threads()) badThread = true;
    });
    for (int i = 0; i < count; ++i) ASSERT_EQ(runs[i].load(), 1) << "task " << i << " of " << count;
    EXPECT_FALSE(badThread.load());
  }
  PaintPool alone(1);
  int sum = 0;
  alone.Run(10, [&](int task, int thread) { sum += task + thread; });  // all on the caller
  EXPECT_EQ(sum, 45);
}

// A star of overlapping loops over most of a 320x240 canvas, with a hole.
void Star(Rasterizer& raster) {
  raster.Reset(0, 0, 320, 240);
  const int points = 7;
  auto at = [&](int i, double r) {
    const double a = i * 2 * 3.14159265358979 * 3 / points;
    return std::pair{160 + r * std::cos(a) + 0.37, 120 + r * std::sin(a) * 0.9 + 0.11};
  };
  for (const double r : {150.0, 40.0}) {
    for (int i = 0; i < points; ++i) {
      const auto [x0, y0] = at(i, r);
      const auto [x1, y1] = at(i + 1, r);
      raster.Line(x0, y0, x1, y1);
    }
  }
}

TEST(BandedFillTest, BandsPaintWhatOneThreadPaints) {
  const int w = 320, h = 240;
  std::vector<uint8_t> clipMask(w * h);
  for (int i = 0; i < w * h; ++i) clipMask[i] = static_cast<uint8_t>(i * 13 % 256);
  FillStyle gradient;
  gradient.kind = kFillRadial;
  gradient.stops = {GradientStop{0, Rgba{255, 0, 0, 255}}, GradientStop{255, Rgba{0, 0, 255, 128}}};
  Bitmap tile;
  tile.width = 3, tile.height = 2, tile.pixels = {0xFF102030u, 0x80404040u, 0xFFFFFFFFu, 0x00000000u, 0xFF00FF00u, 0x7F7F0000u};
  const Xform device{0.01, 0.002, -0.002, 0.01, 160, 120};
  BandedFill banded(4, 1000);  // every region here is large enough for bands
  Rasterizer raster;
  for (int kind = 0; kind < 4; ++kind) {
    for (const bool antialias : {true, false}) {
      for (const FillRule rule : {FillRule::EvenOdd, FillRule::NonZero}) {
        std::vector<uint32_t> one(w * h, 0xFF336699u), many = one;
        std::vector<uint8_t> maskOne(w * h), maskMany(w * h);
        auto paint = [&](std::vector<uint32_t>& pixels, std::vector<uint8_t>& maskOut, bool bands) {
          PixelCanvas canvas{w, h, pixels.data(), kind == 3 ? clipMask.data() : nullptr};
          FillPainter painter(canvas);
          if (kind == 0) painter.SetGradient(gradient, device, ColorTransform{});
          if (kind == 1) painter.SetBitmap(&tile, Xform{7.1, 2.3, -2.3, 7.1, 5, 9}, true, true, ColorTransform{});
          if (kind == 2) painter.SetMask(maskOut.data());
          if (kind == 3) painter.SetSolid(0xC0604020u);
          Star(raster);
          if (bands) {
            banded.Fill(raster, rule, antialias, painter);
          } else {
            raster.Fill(rule, antialias, painter);
          }
        };
        paint(one, maskOne, false);
        paint(many, maskMany, true);
        ASSERT_EQ(one, many) << "fill " << kind << " antialias " << antialias;
        ASSERT_EQ(maskOne, maskMany) << "fill " << kind << " antialias " << antialias;
        const bool painted = kind == 2 ? maskOne != std::vector<uint8_t>(w * h) : one != std::vector<uint32_t>(w * h, 0xFF336699u);
        EXPECT_TRUE(painted) << "fill " << kind;
      }
    }
  }
}

}  // namespace
