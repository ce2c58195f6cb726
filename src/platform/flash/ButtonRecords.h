// The character records of DefineButton and DefineButton2: which character
// shows in which of the up, over, down and hit states, at which depth, with
// its matrix and (DefineButton2) colour transform.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/flash/MovieDefinition.h"

namespace flash {

enum ButtonState : uint8_t { kButtonUp = 0x01, kButtonOver = 0x02, kButtonDown = 0x04, kButtonHit = 0x08 };

struct ButtonPart {
  uint8_t states = 0;
  uint16_t character = 0;
  uint16_t depth = 0;
  Matrix matrix;
  ColorTransform color;
};

// In depth order; reading stops at the end flag or the first record that runs out.
std::vector<ButtonPart> ReadButtonParts(const Character& character);

}  // namespace flash
