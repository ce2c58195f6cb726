// Picture box: a windowed container drawn in pixels, with a persistent
// drawing surface (Container), an optional background picture, and the
// controls placed inside it.
#pragma once
#include "platform/forms/Container.h"
#include "platform/forms/Control.h"

namespace forms {

struct PictureBoxArgs : ControlArgs {
  int BorderStyle = 0;  // 0 none, 1 sunken
  forms::Picture Picture;      // drawn at (0, 0) by Cls
  PictureBoxArgs() { TabStop = false; }
};

class PictureBox : public Control, public Container {
 public:
  using Args = PictureBoxArgs;
  PictureBox(Form& form, const Args& args);
  ~PictureBox() override;
  using Control::Container;  // the container it sits in (not the base class)
  using Control::Move;

  HWND hWnd() const override { return hwnd_; }
  Form& ParentForm() const override { return form_; }
  bool Enabled() const override { return enabled_; }
  Color BackColor() const override { return backColor_; }
  void SetBackColor(Color color) override;  // and clears the drawing
  Control* AsControl() override { return this; }
  bool HasDC() const override { return true; }
  void Refresh() override { Container::Refresh(); }

  const forms::Picture& Picture() const { return picture_; }
  void SetPicture(const forms::Picture& picture);  // replaces the drawing
  int BorderStyle() const { return borderStyle_; }

  // Raised when the picture box's size changed, inside the call that changed it.
  std::function<void()> OnResize;

  Args CurrentArgs() const;
  Control& LoadClone(int index) const override;

 protected:
  void Create() override;
  void RaiseOwnMouse(UINT msg, int button, int shift, int x, int y) override;
  const forms::Picture* BackPicture() const override { return picture_ ? &picture_ : nullptr; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  forms::Picture picture_;
  int borderStyle_;
};

}  // namespace forms
