#include "platform/flash/render/ShapeCache.h"

namespace flash {

const ShapeData* ShapeCache::ShapeOf(const Character& ch, uint16_t ratio) {
  if (IsShape(ch.tagCode)) {
    auto it = shapes_.find(&ch);
    if (it == shapes_.end()) it = shapes_.emplace(&ch, ReadShape(ch.body, ch.tagCode)).first;
    return &it->second;
  }
  auto frame = morphFrames_.find({&ch, ratio});
  if (frame != morphFrames_.end()) return &frame->second;
  auto it = morphs_.find(&ch);
  if (it == morphs_.end()) it = morphs_.emplace(&ch, ReadMorph(ch.body, ch.tagCode)).first;
  if (morphFrames_.size() >= maxMorphFrames_) morphFrames_.clear();
  return &morphFrames_.emplace(std::make_pair(&ch, ratio), MorphAt(it->second, ratio)).first->second;
}

void ShapeCache::Clear() {
  shapes_.clear();
  morphs_.clear();
  morphFrames_.clear();
}

}  // namespace flash
