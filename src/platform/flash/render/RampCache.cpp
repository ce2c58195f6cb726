#include "platform/flash/render/RampCache.h"

#include <cstring>

#include "platform/flash/render/FillPainter.h"

namespace flash {

const std::array<uint32_t, 256>& RampCache::Ramp(const std::vector<GradientStop>& stops, const ColorTransform& cx,
                                                 bool linearRgb) {
  // The key: the mixing, the transform's eight terms, then each stop as it is given.
  key_.clear();
  key_.push_back(linearRgb ? 1 : 0);
  const int32_t terms[8] = {cx.mr, cx.mg, cx.mb, cx.ma, cx.ar, cx.ag, cx.ab, cx.aa};
  key_.append(reinterpret_cast<const char*>(terms), sizeof(terms));
  for (const GradientStop& s : stops) {
    const char stop[5] = {char(s.ratio), char(s.color.r), char(s.color.g), char(s.color.b), char(s.color.a)};
    key_.append(stop, sizeof(stop));
  }
  auto found = ramps_.find(key_);
  if (found != ramps_.end()) return found->second;
  if (ramps_.size() >= kMaxRamps) ramps_.clear();
  return ramps_.emplace(key_, GradientRamp(stops, cx, linearRgb)).first->second;
}

}  // namespace flash
