// The colour ramps of gradients kept between paints: a gradient drawn again
// with the same stops, colour transform and mixing takes its ramp from here
// instead of mixing 256 colours anew. The cache holds at most kMaxRamps
// ramps and starts afresh when it is full.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/flash/render/PixelCanvas.h"
#include "platform/flash/parse/ShapeRecords.h"

namespace flash {

class RampCache {
 public:
  static constexpr size_t kMaxRamps = 4096;

  // The ramp GradientRamp(stops, cx, linearRgb) gives.
  const std::array<uint32_t, 256>& Ramp(const std::vector<GradientStop>& stops, const ColorTransform& cx,
                                        bool linearRgb);
  size_t Size() const { return ramps_.size(); }
  void Clear() { ramps_.clear(); }

 private:
  std::string key_;  // the last key made, its room kept
  std::unordered_map<std::string, std::array<uint32_t, 256>> ramps_;
};

}  // namespace flash
