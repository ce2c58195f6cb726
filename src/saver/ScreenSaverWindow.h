// The window of a run. It shows the movie in our movie control, scaled to show
// all of it on its background colour and looping, or, when there is nothing
// to play, the "nomedia" picture centred on black. Full screen (no parent):
// one topmost borderless window over every monitor, the cursor hidden, ended
// by a key, a mouse button or a move away from the start (SaverEnding) and by
// WM_CLOSE. Preview: a borderless window kept over the given window's client
// area (a window of another program, which this one cannot draw into), owned
// by its top-level window, following it as it moves, hidden while it is
// hidden, ended when it goes away. The movie is sandboxed: its FS commands and links do nothing, and
// the mouse never reaches it (a click ends the run, it presses no button).
#pragma once
#include <windows.h>

#include <memory>
#include <optional>

#include "images/cPNG.h"
#include "saver/SaverEnding.h"
#include "saver/SaverMovie.h"

namespace flash {
class FlashControl;
}

namespace saver {

inline constexpr wchar_t kSaverWindowClass[] = L"SWF.zel Screen Saver";

class ScreenSaverWindow {
 public:
  ScreenSaverWindow();
  ~ScreenSaverWindow();
  ScreenSaverWindow(const ScreenSaverWindow&) = delete;
  ScreenSaverWindow& operator=(const ScreenSaverWindow&) = delete;

  // Creates and shows the window with the movie (full screen when parent is
  // null, else a preview inside parent); false when no window could be made.
  bool Create(const SaverMovie& movie, HWND parent, SaverEnding::CursorReader cursor = {});
  // Runs messages until the window is gone; a WM_QUIT met is posted again.
  void Run();

  HWND hWnd() const { return hwnd_; }
  bool ShowsMovie() const { return swf_ != nullptr; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void LoadMovie(const SaverMovie& movie, int width, int height);
  void PaintNoMedia(HDC dc) const;
  void FollowParent();

  HWND hwnd_ = nullptr;
  HWND parent_ = nullptr;
  std::unique_ptr<flash::FlashControl> swf_;
  std::optional<SaverEnding> ending_;  // full screen only
  cPNG noMedia_;
  bool noMediaLoaded_ = false;
  bool cursorHidden_ = false;
};

}  // namespace saver
