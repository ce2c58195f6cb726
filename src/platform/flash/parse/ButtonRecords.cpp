#include "platform/flash/parse/ButtonRecords.h"

#include <algorithm>

namespace flash {
namespace {

constexpr uint8_t kPartHasFilters = 0x10, kPartHasBlendMode = 0x20;

// Reads the character records from r's position; true when the end flag was
// reached, with r just past it.
bool ReadParts(ByteReader& r, bool second, std::vector<ButtonPart>& parts) {
  for (;;) {
    uint8_t flags = 0;
    uint32_t id = 0, depth = 0;
    if (!r.U8(flags)) return false;
    if (flags == 0) return true;
    ButtonPart part;
    part.states = flags & 0x0F;
    if (!r.U16LE(id) || !r.U16LE(depth) || !ReadMatrix(r, part.matrix)) return false;
    if (second && !ReadColorTransform(r, true, part.color)) return false;
    part.character = static_cast<uint16_t>(id), part.depth = static_cast<uint16_t>(depth);
    if (second && (flags & kPartHasFilters)) {
      auto filters = std::make_shared<FilterList>();
      const bool read = ReadFilterList(r, *filters);
      part.effects.filters = std::move(filters);
      if (!read) {
        parts.push_back(std::move(part));
        return false;
      }
    }
    uint8_t blend = 0;
    if (second && (flags & kPartHasBlendMode)) {
      if (!r.U8(blend)) {
        parts.push_back(std::move(part));
        return false;
      }
      part.effects.blend = BlendModeFromRecord(blend);
    }
    parts.push_back(std::move(part));
  }
}

}  // namespace

std::vector<ButtonPart> ReadButtonParts(const Character& ch) {
  std::vector<ButtonPart> parts;
  ByteReader r(ch.body);
  const bool second = ch.tagCode == SwfTag::DefineButton2;
  if (ch.tagCode != SwfTag::DefineButton && !second) return parts;
  uint8_t trackAsMenu = 0;
  uint32_t actionOffset = 0;
  if (second && (!r.U8(trackAsMenu) || !r.U16LE(actionOffset))) return parts;
  ReadParts(r, second, parts);
  std::stable_sort(parts.begin(), parts.end(), [](const ButtonPart& a, const ButtonPart& b) { return a.depth < b.depth; });
  return parts;
}

std::vector<ButtonAction> ReadButtonActions(const Character& ch, uint8_t /*version*/) {
  std::vector<ButtonAction> out;
  ByteReader r(ch.body);
  if (ch.tagCode == SwfTag::DefineButton) {
    // The actions follow the character records and run on release inside.
    std::vector<ButtonPart> parts;
    if (!ReadParts(r, false, parts)) return out;
    const std::span<const uint8_t> code = r.Rest();
    ButtonAction action{kOverDownToOverUp, code};
    if (!code.empty() && code[0] != 0) out.push_back(std::move(action));
    return out;
  }
  if (ch.tagCode != SwfTag::DefineButton2) return out;
  uint8_t trackAsMenu = 0;
  uint32_t offset = 0;
  // The offset counts from its own field (one byte into the body) to the first condition record.
  if (!r.U8(trackAsMenu) || !r.U16LE(offset) || offset < 2 || !r.Skip(offset - 2)) return out;
  for (;;) {
    uint32_t size = 0;
    uint8_t low = 0, high = 0;
    if (!r.U16LE(size) || !r.U8(low) || !r.U8(high)) break;
    // A size counts from the record's start to the next record; 0 marks the last.
    std::span<const uint8_t> body;
    if (size == 0) {
      body = r.Rest();
    } else if (size < 4 || !r.Bytes(size - 4, body)) {
      break;
    }
    ButtonAction action{static_cast<uint16_t>(low | (high & 0x01) << 8), body, static_cast<uint8_t>(high >> 1)};
    if (!body.empty() && body[0] != 0 && (action.conditions != 0 || action.keyCode != 0)) out.push_back(std::move(action));
    if (size == 0) break;
  }
  return out;
}

}  // namespace flash
