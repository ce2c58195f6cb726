#include "platform/flash/render/effects/BitmapNoise.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace flash {
namespace {

// The minimal standard generator: seeds 1 .. 2^31 - 2.
struct Random {
  explicit Random(uint32_t seed) : state(seed % 2147483647u ? seed % 2147483647u : 1) {}
  uint32_t Next() {
    state = static_cast<uint32_t>((uint64_t(state) * 16807u) % 2147483647u);
    return state;
  }
  uint32_t state;
};

// Gradient noise over a lattice of random unit gradients, -1..1.
class Gradients {
 public:
  explicit Gradients(uint32_t seed) {
    Random r(seed);
    for (int i = 0; i < 256; ++i) perm_[size_t(i)] = static_cast<uint8_t>(i);
    for (int i = 255; i > 0; --i) std::swap(perm_[size_t(i)], perm_[r.Next() % uint32_t(i + 1)]);
    for (int i = 0; i < 256; ++i) {
      const double angle = (r.Next() % 65536) * (6.283185307179586 / 65536);
      gx_[size_t(i)] = std::cos(angle), gy_[size_t(i)] = std::sin(angle);
    }
  }
  // Lattice corners wrap at periods px, py (0: no wrapping).
  double At(double x, double y, int px, int py) const {
    const double fx = std::floor(x), fy = std::floor(y);
    int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy), x1 = x0 + 1, y1 = y0 + 1;
    if (px > 0) x0 = Wrap(x0, px), x1 = Wrap(x1, px);
    if (py > 0) y0 = Wrap(y0, py), y1 = Wrap(y1, py);
    const double dx = x - fx, dy = y - fy;
    const double n00 = Dot(x0, y0, dx, dy), n10 = Dot(x1, y0, dx - 1, dy);
    const double n01 = Dot(x0, y1, dx, dy - 1), n11 = Dot(x1, y1, dx - 1, dy - 1);
    const double u = Fade(dx), v = Fade(dy);
    const double a = n00 + u * (n10 - n00), b = n01 + u * (n11 - n01);
    return std::clamp((a + v * (b - a)) * 1.4142135623730951, -1.0, 1.0);
  }

 private:
  static int Wrap(int v, int n) {
    v %= n;
    return v < 0 ? v + n : v;
  }
  static double Fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }
  double Dot(int x, int y, double dx, double dy) const {
    const size_t h = perm_[(perm_[size_t(x) & 255] + static_cast<size_t>(y)) & 255];
    return gx_[h] * dx + gy_[h] * dy;
  }
  std::array<uint8_t, 256> perm_{};
  std::array<double, 256> gx_{}, gy_{};
};

int Clamp255(double v) { return static_cast<int>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

void Noise(BitmapSurface& s, uint32_t seed, int low, int high, int channels, bool gray) {
  if (s.Disposed()) return;
  low = std::clamp(low, 0, 255), high = std::clamp(high, 0, 255);
  if (high < low) std::swap(low, high);
  const uint32_t span = uint32_t(high - low + 1);
  Random r(seed);
  for (uint32_t& p : s.Pixels()) {
    uint32_t c[4] = {0, 0, 0, 255};  // red, green, blue, alpha
    if (gray) {
      c[0] = c[1] = c[2] = low + r.Next() % span;
    } else {
      for (int i = 0; i < 3; ++i)
        if (channels & (1 << i)) c[i] = low + r.Next() % span;
    }
    if (channels & 8) c[3] = low + r.Next() % span;
    p = s.Stored(c[3] << 24 | c[0] << 16 | c[1] << 8 | c[2]);
  }
  s.Touch();
}

void PerlinNoise(BitmapSurface& s, const PerlinParams& p) {
  if (s.Disposed()) return;
  const int octaves = std::clamp(p.octaves, 0, kMaxPerlinOctaves);
  const int w = s.Width(), h = s.Height();
  // One lattice per channel that is made (gray: one for red, green and blue).
  const int wanted[4] = {p.channels & 1, p.channels & 2, p.channels & 4, p.channels & 8};
  std::vector<Gradients> lattices;
  int lattice[4] = {-1, -1, -1, -1};
  for (int c = 0; c < 4; ++c) {
    if (!wanted[c] && !(p.gray && c < 3)) continue;
    if (p.gray && c > 0 && c < 3) {
      lattice[c] = lattice[0];
      continue;
    }
    lattice[c] = static_cast<int>(lattices.size());
    lattices.emplace_back(p.seed + uint32_t(c) * 7919u);
  }
  struct Octave {
    double fx, fy, amplitude, ox, oy;
    int px, py;
  };
  std::vector<Octave> plan;
  double total = 0;
  for (int i = 0; i < octaves; ++i) {
    Octave o{};
    const double scale = std::ldexp(1.0, i);
    o.fx = p.baseX > 0 && std::isfinite(p.baseX) ? scale / p.baseX : 0;
    o.fy = p.baseY > 0 && std::isfinite(p.baseY) ? scale / p.baseY : 0;
    o.amplitude = 1 / scale;
    if (size_t(i) < p.offsets.size()) o.ox = p.offsets[size_t(i)].first, o.oy = p.offsets[size_t(i)].second;
    if (!std::isfinite(o.ox)) o.ox = 0;
    if (!std::isfinite(o.oy)) o.oy = 0;
    if (p.stitch) {
      // Whole cells across the bitmap so that its edges meet.
      o.px = std::max(1, static_cast<int>(std::lround(w * o.fx)));
      o.py = std::max(1, static_cast<int>(std::lround(h * o.fy)));
      if (o.fx > 0) o.fx = o.px / double(w);
      if (o.fy > 0) o.fy = o.py / double(h);
      if (o.fx == 0) o.px = 0;
      if (o.fy == 0) o.py = 0;
    }
    total += o.amplitude;
    plan.push_back(o);
  }
  std::vector<double> sums(size_t(w) * 4);
  for (int y = 0; y < h; ++y) {
    std::fill(sums.begin(), sums.end(), 0.0);
    for (const Octave& o : plan) {
      const double ly = (y + o.oy) * o.fy;
      for (size_t l = 0; l < lattices.size(); ++l) {
        double* out = &sums[l * size_t(w)];
        for (int x = 0; x < w; ++x) {
          const double v = lattices[l].At((x + o.ox) * o.fx, ly, o.px, o.py);
          out[x] += (p.fractal ? v : std::fabs(v)) * o.amplitude;
        }
      }
    }
    uint32_t* row = &s.Pixels()[size_t(y) * w];
    for (int x = 0; x < w; ++x) {
      int c[4] = {0, 0, 0, 255};
      for (int k = 0; k < 4; ++k) {
        if (lattice[k] < 0) continue;
        const double v = total > 0 ? sums[size_t(lattice[k]) * w + x] / total : 0;
        c[k] = Clamp255(p.fractal ? (v + 1) * 127.5 : v * 255);
      }
      row[x] = s.Stored(uint32_t(c[3]) << 24 | uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | uint32_t(c[2]));
    }
  }
  s.Touch();
}

// The pixels of the rectangle are visited in an order a generator of the
// seed decides, each at most once per pass.
uint32_t PixelDissolve(BitmapSurface& dst, const BitmapSurface* src, const PixelRect& r, int dx, int dy, uint32_t seed,
                       size_t count, uint32_t fill) {
  if (dst.Disposed() || (src && src->Disposed())) return seed;
  const PixelRect c = dst.Clip(PixelRect{dx, dy, r.w, r.h});
  const size_t n = size_t(c.w) * size_t(c.h);
  if (!n) return seed;
  count = std::min(count, n);
  Random random(seed);
  // A full-period walk: index' = (index + step) mod n with step coprime to n.
  size_t step = size_t(random.Next()) % n;
  auto gcd = [](size_t a, size_t b) {
    while (b) a %= b, std::swap(a, b);
    return a;
  };
  while (gcd(step, n) != 1) step = (step + 1) % n;
  size_t at = size_t(random.Next()) % n;
  for (size_t i = 0; i < count; ++i) {
    const int x = c.x + static_cast<int>(at % size_t(c.w)), y = c.y + static_cast<int>(at / size_t(c.w));
    uint32_t v = fill;
    if (src) {
      const int sx = r.x + (x - dx), sy = r.y + (y - dy);
      v = src->Inside(sx, sy) ? src->Get(sx, sy) : fill;
    }
    dst.Pixels()[size_t(y) * dst.Width() + x] = dst.Stored(v);
    at = (at + step) % n;
  }
  dst.Touch();
  return random.state;
}

}  // namespace flash
