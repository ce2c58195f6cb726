#include "tools/thumbnails/ShotProgress.h"

#include <algorithm>


namespace tools {

void ShotProgress::Step(int index, int count, const std::wstring& caption, const std::wstring& path) {
  count_ = count;
  fraction_ = count > 0 ? std::clamp(static_cast<float>(index) / static_cast<float>(count), 0.0f, 1.0f) : 0.0f;
  caption_ = caption;
  status_ = path;
}

bool ShotProgress::Stop() {
  if (!stopEnabled_) return false;
  stopEnabled_ = false;
  return true;
}

}  // namespace tools
