#include "platform/flash/parse/FilterRecords.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cwchar>

namespace flash {
namespace {

constexpr double kPi = 3.14159265358979323846;

const wchar_t* const kBlendNames[] = {L"normal",     L"layer", L"multiply", L"screen",   L"lighten",
                                      L"darken",     L"difference", L"add", L"subtract", L"invert",
                                      L"alpha",      L"erase", L"overlay",  L"hardlight"};

double Finite(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

bool Fixed(ByteReader& r, double& v) {
  uint32_t raw = 0;
  if (!r.U32LE(raw)) return false;
  v = static_cast<int32_t>(raw) / 65536.0;
  return true;
}

bool Fixed8(ByteReader& r, double& v) {
  uint32_t raw = 0;
  if (!r.U16LE(raw)) return false;
  v = static_cast<int16_t>(raw) / 256.0;
  return true;
}

bool Float(ByteReader& r, float& v) {
  uint32_t raw = 0;
  if (!r.U32LE(raw)) return false;
  v = std::bit_cast<float>(raw);
  if (!std::isfinite(v)) v = 0;
  return true;
}

// RGBA as stored, to 0xAARRGGBB.
bool Color(ByteReader& r, uint32_t& argb) {
  uint8_t c[4];
  for (uint8_t& b : c)
    if (!r.U8(b)) return false;
  argb = uint32_t{c[3]} << 24 | uint32_t{c[0]} << 16 | uint32_t{c[1]} << 8 | c[2];
  return true;
}

bool Blur(ByteReader& r, Filter& f) { return Fixed(r, f.blurX) && Fixed(r, f.blurY); }

bool AngleDistance(ByteReader& r, Filter& f) {
  double radians = 0;
  if (!Fixed(r, radians) || !Fixed(r, f.distance)) return false;
  f.angle = radians * 180 / kPi;
  return true;
}

// The flag byte that ends the shadow-like filters: inner, knockout,
// composite source, then on-top and four bits of passes (or five bits of
// passes when there is no on-top flag).
bool Flags(ByteReader& r, Filter& f, bool hasOnTop) {
  uint8_t b = 0;
  if (!r.U8(b)) return false;
  const bool inner = b & 0x80;
  f.knockout = b & 0x40;
  f.hideObject = !(b & 0x20);
  if (hasOnTop) {
    const bool onTop = b & 0x10;
    f.placement = onTop ? FilterPlacement::Full : inner ? FilterPlacement::Inner : FilterPlacement::Outer;
    f.passes = b & 0x0F;
  } else {
    f.placement = inner ? FilterPlacement::Inner : FilterPlacement::Outer;
    f.passes = b & 0x1F;
  }
  return true;
}

bool Gradient(ByteReader& r, Filter& f) {
  uint8_t n = 0;
  if (!r.U8(n)) return false;
  std::vector<GradientEntry> entries(n);
  for (GradientEntry& e : entries)
    if (!Color(r, e.color)) return false;
  for (GradientEntry& e : entries)
    if (!r.U8(e.ratio)) return false;
  f.gradient = std::move(entries);
  return true;
}

bool ReadFilter(ByteReader& r, Filter& f) {
  uint8_t id = 0;
  if (!r.U8(id) || id > 7) return false;
  f = Filter{};
  f.kind = static_cast<FilterKind>(id);
  bool ok = false;
  switch (f.kind) {
    case FilterKind::DropShadow:
      ok = Color(r, f.color) && Blur(r, f) && AngleDistance(r, f) && Fixed8(r, f.strength) && Flags(r, f, false);
      break;
    case FilterKind::Blur: {
      uint8_t b = 0;
      ok = Blur(r, f) && r.U8(b);
      f.passes = b >> 3;
      break;
    }
    case FilterKind::Glow:
      ok = Color(r, f.color) && Blur(r, f) && Fixed8(r, f.strength) && Flags(r, f, false);
      f.distance = 0;
      break;
    case FilterKind::Bevel:
      ok = Color(r, f.color) && Color(r, f.highlight) && Blur(r, f) && AngleDistance(r, f) &&
           Fixed8(r, f.strength) && Flags(r, f, true);
      break;
    case FilterKind::GradientGlow:
    case FilterKind::GradientBevel:
      ok = Gradient(r, f) && Blur(r, f) && AngleDistance(r, f) && Fixed8(r, f.strength) && Flags(r, f, true);
      break;
    case FilterKind::Convolution: {
      uint8_t x = 0, y = 0, flags = 0;
      ok = r.U8(x) && r.U8(y) && Float(r, f.divisor) && Float(r, f.bias) && r.Remaining() >= size_t(x) * y * 4;
      if (!ok) break;
      f.matrixX = x, f.matrixY = y;
      f.matrix.resize(size_t(x) * y);
      for (float& v : f.matrix) Float(r, v);
      ok = Color(r, f.defaultColor) && r.U8(flags);
      f.clamp = flags & 0x02;
      f.preserveAlpha = flags & 0x01;
      break;
    }
    case FilterKind::ColorMatrix:
      ok = true;
      for (float& v : f.colorMatrix) ok = ok && Float(r, v);
      break;
  }
  f.Clamp();
  return ok;
}

}  // namespace

void Filter::Clamp() {
  blurX = std::clamp(Finite(blurX, 0), 0.0, kMaxBlur);
  blurY = std::clamp(Finite(blurY, 0), 0.0, kMaxBlur);
  passes = std::clamp(passes, 0, kMaxPasses);
  strength = std::clamp(Finite(strength, 0), 0.0, kMaxStrength);
  distance = std::clamp(Finite(distance, 0), -kMaxDistance, kMaxDistance);
  angle = Finite(angle, 0);
  if (gradient.size() > kMaxGradient) gradient.resize(kMaxGradient);
  matrixX = std::clamp(matrixX, 0, kMaxMatrixSide);
  matrixY = std::clamp(matrixY, 0, kMaxMatrixSide);
  matrix.resize(size_t(matrixX) * size_t(matrixY), 0.0f);
  for (float& v : matrix)
    if (!std::isfinite(v)) v = 0;
  if (!std::isfinite(divisor)) divisor = 1;
  if (!std::isfinite(bias)) bias = 0;
  for (float& v : colorMatrix)
    if (!std::isfinite(v)) v = 0;
}

Filter Filter::Defaults(FilterKind kind) {
  Filter f;
  f.kind = kind;
  switch (kind) {
    case FilterKind::Glow:
      f.color = 0xFFFF0000;
      f.blurX = f.blurY = 6;
      f.strength = 2;
      f.distance = 0;
      break;
    case FilterKind::Bevel:
    case FilterKind::GradientGlow:
    case FilterKind::GradientBevel:
      f.placement = FilterPlacement::Inner;
      break;
    default:
      break;
  }
  return f;
}

const wchar_t* BlendModeName(BlendMode mode) {
  const size_t i = static_cast<size_t>(mode) - 1;
  return i < std::size(kBlendNames) ? kBlendNames[i] : kBlendNames[0];
}

std::optional<BlendMode> BlendModeOf(const wchar_t* name) {
  for (size_t i = 0; i < std::size(kBlendNames); ++i)
    if (std::wcscmp(name, kBlendNames[i]) == 0) return static_cast<BlendMode>(i + 1);
  return std::nullopt;
}

std::optional<BlendMode> BlendModeOf(double number) {
  if (!(number >= 0 && number <= 14) || number != std::floor(number)) return std::nullopt;
  return number == 0 ? BlendMode::Normal : static_cast<BlendMode>(static_cast<int>(number));
}

bool ReadFilterList(ByteReader& r, FilterList& out) {
  uint8_t count = 0;
  if (!r.U8(count)) return false;
  for (uint8_t i = 0; i < count; ++i) {
    Filter f;
    if (!ReadFilter(r, f)) return false;
    out.push_back(std::move(f));
  }
  return true;
}

BlendMode BlendModeFromRecord(uint8_t value) {
  return value >= 2 && value <= 14 ? static_cast<BlendMode>(value) : BlendMode::Normal;
}

}  // namespace flash
