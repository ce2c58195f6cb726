// The records of DefineButton and DefineButton2: which character shows in
// which of the up, over, down and hit states, at which depth, with its matrix
// and (DefineButton2) colour transform; and the button's actions with the
// pointer transitions that run them (DefineButton: on release inside only).
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "platform/flash/parse/MovieDefinition.h"

namespace flash {

enum ButtonState : uint8_t { kButtonUp = 0x01, kButtonOver = 0x02, kButtonDown = 0x04, kButtonHit = 0x08 };

// Pointer transitions of a button, as the condition flags of its actions.
enum ButtonCondition : uint16_t {
  kIdleToOverUp = 0x0001,      // rolled over
  kOverUpToIdle = 0x0002,      // rolled out
  kOverUpToOverDown = 0x0004,  // pressed
  kOverDownToOverUp = 0x0008,  // released inside
  kOverDownToOutDown = 0x0010, // dragged out
  kOutDownToOverDown = 0x0020, // dragged back in
  kOutDownToIdle = 0x0040,     // released outside
  kIdleToOverDown = 0x0080,
  kOverDownToIdle = 0x0100,
};

struct ButtonPart {
  uint8_t states = 0;
  uint16_t character = 0;
  uint16_t depth = 0;
  Matrix matrix;
  ColorTransform color;
  SurfaceEffects effects;  // DefineButton2 records of version 8
};

struct ButtonAction {
  uint16_t conditions = 0;  // ButtonCondition flags
  std::span<const uint8_t> code;  // the action record as stored
  uint8_t keyCode = 0;            // a key press that runs it (DefineButton2), 0 for none
};

// In depth order; reading stops at the end flag or the first record that runs out.
std::vector<ButtonPart> ReadButtonParts(const Character& character);
// The action records and their conditions; reading stops at the first
// record that runs out.
std::vector<ButtonAction> ReadButtonActions(const Character& character, uint8_t version);

}  // namespace flash
