// The frame actions the control runs: stop, play, go to a frame or a label,
// next and previous frame, and get-URL with an "FSCommand:" target. Every
// other action of a DoAction body (and every other URL) is dropped here, so a
// movie never opens a page or a program by itself.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/ByteReader.h"

namespace flash {

struct FrameAction {
  enum class Kind { Stop, Play, GotoFrame, GotoLabel, NextFrame, PrevFrame, FSCommand };
  Kind kind = Kind::Stop;
  int frame = 0;         // GotoFrame: 0-based
  std::wstring text;     // GotoLabel: the label; FSCommand: the command
  std::wstring args;     // FSCommand: the argument
};

// The simple actions of a DoAction body; reading stops at ActionEnd or at the
// first record that runs past the body. Strings are UTF-8 from version 6 on,
// the ANSI code page before.
std::vector<FrameAction> ReadFrameActions(ByteReader& body, uint8_t version);

}  // namespace flash
