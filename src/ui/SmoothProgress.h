// SmoothProgress: the program's progress bar, drawn in the current visual style
// on a picture box of its form: a sunken frame, the track, the filled part, and
// one caption written across the whole bar. SetStatus takes a fraction 0 to 1;
// a caption too wide for the track is shortened with an ellipsis.
#pragma once
#include <windows.h>

#include <string>

#include "base/Handles.h"

namespace forms {
class Container;
class Form;
class PictureBox;
}  // namespace forms

struct SmoothProgressArgs {
  std::wstring Name;
  forms::Container* Container = nullptr;  // the form when none
  int Left = 0, Top = 0, Width = 200, Height = 20;
};

class SmoothProgress {
 public:
  SmoothProgress(forms::Form& form, const SmoothProgressArgs& args);
  SmoothProgress(const SmoothProgress&) = delete;
  SmoothProgress& operator=(const SmoothProgress&) = delete;

  // The caption as shown (after shortening).
  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& caption);
  // Fills fraction (clamped to 0..1) of the track, rounded half to even.
  void SetStatus(float fraction);
  // Moves and sizes the bar; the fill is full until the next SetStatus.
  void Move(int left, int top, int width, int height);

  int TrackWidth() const;   // the bar's width less its 1-pixel frame
  int TrackHeight() const;
  int FillWidth() const { return fill_; }
  forms::PictureBox& Surface() const { return box_; }

 private:
  void Paint();
  HFONT Font();

  forms::PictureBox& box_;
  ScopedFont font_;
  std::wstring caption_;
  int fill_ = 0;
};
