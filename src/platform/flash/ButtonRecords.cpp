#include "platform/flash/ButtonRecords.h"

#include <algorithm>

namespace flash {

std::vector<ButtonPart> ReadButtonParts(const Character& ch) {
  std::vector<ButtonPart> parts;
  ByteReader r(ch.body);
  const bool second = ch.tagCode == SwfTag::DefineButton2;
  if (ch.tagCode != SwfTag::DefineButton && !second) return parts;
  uint8_t trackAsMenu = 0;
  uint32_t actionOffset = 0;
  if (second && (!r.U8(trackAsMenu) || !r.U16LE(actionOffset))) return parts;
  for (;;) {
    uint8_t flags = 0;
    uint32_t id = 0, depth = 0;
    if (!r.U8(flags) || flags == 0) break;
    ButtonPart part;
    part.states = flags & 0x0F;
    if (!r.U16LE(id) || !r.U16LE(depth) || !ReadMatrix(r, part.matrix)) break;
    if (second && !ReadColorTransform(r, true, part.color)) break;
    part.character = static_cast<uint16_t>(id), part.depth = static_cast<uint16_t>(depth);
    parts.push_back(part);
    if (second && (flags & 0x10)) break;  // a filter list follows, whose length is not kept here
    if (second && (flags & 0x20) && !r.Skip(1)) break;
  }
  std::stable_sort(parts.begin(), parts.end(), [](const ButtonPart& a, const ButtonPart& b) { return a.depth < b.depth; });
  return parts;
}

}  // namespace flash
