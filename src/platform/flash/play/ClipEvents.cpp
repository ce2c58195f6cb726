#include "platform/flash/play/ClipEvents.h"

#include "base/ByteReader.h"

namespace flash {

std::vector<ClipEventRecord> ReadClipEvents(std::span<const uint8_t> clipActions, uint8_t version) {
  std::vector<ClipEventRecord> out;
  ByteReader r(clipActions);
  auto flags = [&](uint32_t& v) { return version >= 6 ? r.U32LE(v) : r.U16LE(v); };
  uint32_t reserved = 0, all = 0;
  if (!r.U16LE(reserved) || !flags(all)) return out;
  for (;;) {
    ClipEventRecord record;
    uint32_t size = 0;
    if (!flags(record.events) || record.events == 0 || !r.U32LE(size)) break;
    ByteReader body;
    if (!r.Sub(size, body)) break;
    if ((record.events & kEventKeyPress) && !body.U8(record.keyCode)) break;
    record.code = body.Rest();
    out.push_back(record);
  }
  return out;
}

}  // namespace flash
