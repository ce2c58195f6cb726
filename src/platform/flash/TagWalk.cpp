#include "platform/flash/TagWalk.h"

bool WalkMovieTags(std::span<const uint8_t> tags, const std::function<bool(uint32_t code, ByteReader& body)>& visit) {
  ByteReader reader(tags);
  while (!reader.AtEnd()) {
    uint32_t head = 0;
    if (!reader.U16LE(head)) return false;
    uint32_t code = head >> 6, length = head & 0x3F;
    if (length == 0x3F && !reader.U32LE(length)) return false;
    std::span<const uint8_t> body;
    if (!reader.Bytes(length, body)) return false;
    if (code == 0) return true;
    ByteReader bodyReader(body);
    if (!visit(code, bodyReader)) return true;
  }
  return true;
}
