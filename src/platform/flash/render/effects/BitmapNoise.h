// Random pictures on a script's bitmap: noise (each chosen channel of each
// pixel random between low and high), Perlin noise (gradient noise summed
// over octaves, fractal or turbulent, optionally seamless across the
// bitmap's edges, each octave moved by its offset) and pixel dissolve
// (a given number of pixels taken from another bitmap or a colour, in an
// order the seed decides). The same seed gives the same picture. Channels
// are 1 red, 2 green, 4 blue, 8 alpha.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/flash/render/BitmapSurface.h"

namespace flash {

// Octaves past this one add less than one step of a channel and are left out.
inline constexpr int kMaxPerlinOctaves = 9;

void Noise(BitmapSurface& s, uint32_t seed, int low, int high, int channels, bool gray);

struct PerlinParams {
  double baseX = 0, baseY = 0;
  int octaves = 1;
  uint32_t seed = 0;
  bool stitch = false, fractal = false;
  int channels = 7;
  bool gray = false;
  std::vector<std::pair<double, double>> offsets;  // per octave, in pixels
};
void PerlinNoise(BitmapSurface& s, const PerlinParams& p);

// The seed to go on with.
uint32_t PixelDissolve(BitmapSurface& dst, const BitmapSurface* src, const PixelRect& r, int dx, int dy, uint32_t seed,
                       size_t count, uint32_t fill);

}  // namespace flash
