// The surface effects of a placed object or a button record (version 8):
// its filter list, its blend mode and its bitmap caching, as PlaceObject3
// and DefineButton2 records store them and as scripts set them. A filter
// keeps its parameters in the units scripts see: blurs, distances in stage
// pixels, the angle in degrees, colours as 0xAARRGGBB (alpha in the top
// byte). Values read are clamped to what the drawing handles (blurs 0..255,
// at most 15 passes, strength 0..255, matrices of 255 x 255 at most).
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "base/ByteReader.h"

namespace flash {

enum class FilterKind : uint8_t {
  DropShadow = 0, Blur = 1, Glow = 2, Bevel = 3, GradientGlow = 4, Convolution = 5, ColorMatrix = 6,
  GradientBevel = 7,
};

// Where a glow or bevel lies: inside the shape, outside it, or both.
enum class FilterPlacement : uint8_t { Inner, Outer, Full };

struct GradientEntry {
  uint32_t color = 0;  // 0xAARRGGBB
  uint8_t ratio = 0;
  bool operator==(const GradientEntry&) const = default;
};

struct Filter {
  static constexpr double kMaxBlur = 255, kMaxStrength = 255, kMaxDistance = 32767;
  static constexpr int kMaxPasses = 15, kMaxMatrixSide = 255;
  static constexpr size_t kMaxGradient = 16;

  FilterKind kind = FilterKind::Blur;
  double blurX = 4, blurY = 4;   // pixels; 1 or less is no blur
  int passes = 1;                // quality: 0..15
  double strength = 1;           // 0..255
  double angle = 45, distance = 4;  // degrees; pixels
  uint32_t color = 0xFF000000;      // shadow, glow or a bevel's shadow colour
  uint32_t highlight = 0xFFFFFFFF;  // a bevel's highlight colour
  FilterPlacement placement = FilterPlacement::Outer;
  bool knockout = false;
  bool hideObject = false;  // drop shadows: only the shadow is drawn
  std::vector<GradientEntry> gradient;  // gradient glows and bevels, by ratio
  // Convolution: matrixX columns by matrixY rows, row by row.
  int matrixX = 0, matrixY = 0;
  std::vector<float> matrix;
  float divisor = 1, bias = 0;
  bool preserveAlpha = true, clamp = true;
  uint32_t defaultColor = 0;  // 0xAARRGGBB, outside the image when clamp is off
  // Colour matrix: four rows of five (red, green, blue, alpha, offset).
  std::array<float, 20> colorMatrix{1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};

  bool operator==(const Filter&) const = default;
  // Brings every parameter into its range (what a script or a record set).
  void Clamp();
  // The defaults of each kind, as its script class's constructor sets them.
  static Filter Defaults(FilterKind kind);
};

using FilterList = std::vector<Filter>;

enum class BlendMode : uint8_t {
  Normal = 1, Layer, Multiply, Screen, Lighten, Darken, Difference, Add, Subtract, Invert, Alpha, Erase, Overlay,
  HardLight,
};

// The name scripts see ("normal", "hardlight" ...), and the mode of a name
// or a number 1..14 (0 is normal too); nothing for anything else.
const wchar_t* BlendModeName(BlendMode mode);
std::optional<BlendMode> BlendModeOf(const wchar_t* name);
std::optional<BlendMode> BlendModeOf(double number);

// What a placed object or button record carries beyond its matrix and colour.
struct SurfaceEffects {
  std::shared_ptr<const FilterList> filters;  // null or empty: none
  BlendMode blend = BlendMode::Normal;
  bool cacheAsBitmap = false;
  std::optional<uint32_t> opaqueBackground;  // 0xRRGGBB

  bool HasFilters() const { return filters && !filters->empty(); }
  // Anything that needs the object drawn on a surface of its own.
  bool NeedsLayer() const { return HasFilters() || blend != BlendMode::Normal || opaqueBackground.has_value(); }
};

// A FILTERLIST: a count and the filters. False when it runs out or holds an
// unknown filter (what was read before stays in out).
bool ReadFilterList(ByteReader& r, FilterList& out);
// A stored blend mode byte: 0 and 1 are normal, 2..14 the others, anything
// above is normal.
BlendMode BlendModeFromRecord(uint8_t value);

}  // namespace flash
