// The clip event records a PlaceObject2 may carry (onClipEvent handlers of
// a placed sprite): which events run each action record, and the key of a
// key-press handler. Event flags are 16 bits before version 6, 32 from it;
// reading stops at the first record that runs out.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace flash {

enum ClipEvent : uint32_t {
  kEventLoad = 0x01, kEventEnterFrame = 0x02, kEventUnload = 0x04, kEventMouseMove = 0x08, kEventMouseDown = 0x10,
  kEventMouseUp = 0x20, kEventKeyDown = 0x40, kEventKeyUp = 0x80, kEventData = 0x100, kEventInitialize = 0x200,
  kEventPress = 0x400, kEventRelease = 0x800, kEventReleaseOutside = 0x1000, kEventRollOver = 0x2000,
  kEventRollOut = 0x4000, kEventDragOver = 0x8000, kEventDragOut = 0x10000, kEventKeyPress = 0x20000,
  kEventConstruct = 0x40000,
};

struct ClipEventRecord {
  uint32_t events = 0;
  uint8_t keyCode = 0;
  std::span<const uint8_t> code;
};

std::vector<ClipEventRecord> ReadClipEvents(std::span<const uint8_t> clipActions, uint8_t version);

}  // namespace flash
