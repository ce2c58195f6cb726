#include "platform/forms/Image.h"

#include "platform/forms/Container.h"
#include "platform/forms/Form.h"
#include "platform/forms/FormsInternal.h"

namespace forms {

Image::Image(Form& form, const Args& args)
    : Control(form, ControlKind::Image, args), picture_(args.Picture), stretch_(args.Stretch) {
  JoinContainer();
  if (!stretch_ && picture_) {
    width_ = picture_.Width();
    height_ = picture_.Height();
  }
}

void Image::SetPicture(const forms::Picture& picture) {
  picture_ = picture;
  FitOrRepaint();
}

void Image::SetStretch(bool on) {
  stretch_ = on;
  FitOrRepaint();
}

void Image::FitOrRepaint() {
  if (!stretch_ && picture_)
    Move(left_, top_, picture_.Width(), picture_.Height());
  else
    InvalidateInContainer();
}

void Image::Paint(HDC dc) {
  if (!picture_) return;
  if (stretch_)
    picture_.Draw(dc, left_, top_, width_, height_);
  else
    picture_.Draw(dc, left_, top_);
}

Image::Args Image::CurrentArgs() const {
  Args a;
  static_cast<ControlArgs&>(a) = BaseArgs();
  a.Picture = picture_;
  a.Stretch = stretch_;
  return a;
}

Control& Image::LoadClone(int index) const { return AddHiddenClone<Image>(form_, CurrentArgs(), index); }

}  // namespace forms
