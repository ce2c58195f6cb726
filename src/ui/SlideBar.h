// SlideBar: a horizontal strip of equal cells, each a 48 x 48 picture of the
// images folder above a wrapped caption (plain text: an "&" shows as itself),
// used as the page selector of tabbed dialogs. The selected cell is drawn dark
// with light text and comes into view with a short zoom-and-fade; a strip
// wider than the control slides so the selected cell is visible. A click or
// drag selects a cell, as do Ctrl+Tab and Ctrl+Shift+Tab (wrapping at both
// ends); Click reports the new index first. All cells are drawn once into an
// off-screen strip; a change of selection redraws the two cells involved.
// Both animations tick every 40 ms on timers of the form (StateTick and
// SlideTick may also be called directly).
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "images/cDIBSection.h"

namespace forms {
class Container;
class Form;
class PictureBox;
class Timer;
}  // namespace forms

struct SlideBarArgs {
  std::wstring Name;
  forms::Container* Container = nullptr;  // the form when none
  int Left = 0, Top = 0, Width = 400, Height = 84;
};

class SlideBar {
 public:
  // One frame of the selection animation: the selected look's constant alpha
  // and its stretched size.
  struct Frame {
    BYTE Alpha;
    long Width, Height;
  };
  static constexpr int AnimationSteps = 5;
  static Frame SelectionFrame(int step, int steps, long cellWidth, long height);
  // How far one tick of the slide moves from offset towards target: a quarter
  // of the way, rounded half to even, and at least one pixel.
  static long SlideStep(long offset, long target);

  SlideBar(forms::Form& form, const SlideBarArgs& args);
  ~SlideBar();
  SlideBar(const SlideBar&) = delete;
  SlideBar& operator=(const SlideBar&) = delete;

  void AddPanel(const std::wstring& caption, const std::wstring& key);  // before Create
  void Create();  // once, with the control at its final size
  void SlideIn();  // starts a slide that brings the selected cell into view
  // Selects cell index; nothing for the selected one. Click comes first and may change index.
  void ClickItem(long index);
  std::function<void(long& index)> OnClick;

  long Selected() const { return selected_; }
  long Count() const { return static_cast<long>(items_.size()); }
  const std::wstring& ItemCaption(long index) const { return items_[static_cast<size_t>(index)].Caption; }
  long CellWidth() const { return cellWidth_; }
  void SetCellWidth(long width) { cellWidth_ = width; }  // before Create
  long Offset() const { return offset_; }
  long TargetOffset() const { return target_; }
  bool StripFits() const { return stripFits_; }
  bool Animating() const;
  bool Sliding() const;
  forms::PictureBox& Surface() const { return box_; }
  const cDIBSection& Strip() const { return strip_; }

  void StateTick();
  void SlideTick();
  void KeyUp(int keyCode, int shift);
  void MouseDown(int button, int x);

 private:
  struct Item {
    std::wstring Caption, Key;
  };
  void DrawItem(long index);
  void DrawCaption(HDC dc, const RECT& cell, const std::wstring& text, COLORREF colour);
  void BlitView();
  void SetOffset(long target);
  void MakeCaptionFont(HDC dc);

  bool ControlsAlive() const;  // the form has not unloaded them

  forms::Form& form_;
  forms::PictureBox& box_;
  forms::Timer& stateTimer_;
  forms::Timer& slideTimer_;
  std::vector<Item> items_;
  long selected_ = 0, previous_ = -1, cellWidth_ = 0;
  long offset_ = 0, target_ = 0, stripWidth_ = 0;
  bool stripFits_ = false;
  int steps_ = 0, step_ = 0;
  RECT selectedRect_{};
  COLORREF cellColour_;
  ScopedFont captionFont_;  // outlives the surfaces it is selected into
  cDIBSection strip_, selectedCell_, animationCell_;
};
