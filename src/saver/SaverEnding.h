// What ends a full-screen run: any key, any mouse button or wheel turn, and a
// mouse move that takes the cursor more than a few pixels from where it stood
// when the run began. The system reports a move when a window appears under
// the cursor, so a move that leaves the cursor where it was ends nothing; the
// cursor is read through the function given (the system's by default).
#pragma once
#include <windows.h>

#include <functional>

namespace saver {

// How far the cursor may drift (in either direction) before the run ends.
inline constexpr int kCursorTolerance = 4;

class SaverEnding {
 public:
  using CursorReader = std::function<POINT()>;
  // Takes the cursor's start position now.
  explicit SaverEnding(CursorReader cursor = {});

  // True when a message of this kind, arriving now, ends the run.
  bool Ends(UINT message) const;
  POINT Start() const { return start_; }

 private:
  CursorReader cursor_;
  POINT start_{};
};

}  // namespace saver
