// Image: a windowless picture painted by its container, at its own size or
// stretched to the control.
#pragma once
#include "platform/forms/Control.h"
#include "platform/forms/Picture.h"

namespace forms {

struct ImageArgs : ControlArgs {
  forms::Picture Picture;
  bool Stretch = false;  // false: the control takes the picture's size
};

class Image : public Control {
 public:
  using Args = ImageArgs;
  Image(Form& form, const Args& args);

  const forms::Picture& Picture() const { return picture_; }
  void SetPicture(const forms::Picture& picture);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool on);

  void Paint(HDC dc) override;
  Args CurrentArgs() const;
  Control& LoadClone(int index) const override;

 private:
  // Unstretched with a picture: takes the picture's size; otherwise repaints.
  void FitOrRepaint();

  forms::Picture picture_;
  bool stretch_;
};

}  // namespace forms
