#include "platform/forms/Label.h"

#include "base/Handles.h"
#include "platform/forms/Container.h"
#include "platform/forms/Form.h"

namespace forms {

Label::Label(Form& form, const Args& args) : Control(form, ControlKind::Label, args), caption_(args.Caption), design_(args) {
  JoinContainer();
  ApplyFont();
  if (design_.AutoSize) FitToText();
}

void Label::SetCaption(const std::wstring& caption) {
  caption_ = caption;
  if (design_.AutoSize) FitToText();
  InvalidateInContainer();
}

void Label::SetAlignment(int alignment) {
  design_.Alignment = alignment;
  InvalidateInContainer();
}

void Label::SetAutoSize(bool on) {
  design_.AutoSize = on;
  if (on) FitToText();
}

void Label::SetBackStyle(int style) {
  design_.BackStyle = style;
  InvalidateInContainer();
}

void Label::SetFontBold(bool on) {
  FontSpec f = font_;
  f.Bold = on;
  SetFont(f);
  if (design_.AutoSize) FitToText();
}

void Label::SetFontItalic(bool on) {
  FontSpec f = font_;
  f.Italic = on;
  SetFont(f);
  if (design_.AutoSize) FitToText();
}

void Label::SetFontSize(float points) {
  FontSpec f = font_;
  f.Size = points;
  SetFont(f);
  if (design_.AutoSize) FitToText();
}

void Label::FitToText() {
  ScopedWindowDC screen(nullptr);
  HDC dc = screen.get();
  ScopedSelect font(dc, hfont_.get());
  RECT r{0, 0, design_.WordWrap && width_ > 0 ? width_ : 0, 0};
  UINT flags = DT_CALCRECT | (design_.WordWrap && width_ > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  if (!design_.UseMnemonic) flags |= DT_NOPREFIX;
  std::wstring text = caption_.empty() ? L" " : caption_;
  DrawTextW(dc, text.c_str(), -1, &r, flags);
  int border = design_.BorderStyle ? 2 : 0;
  Move(left_, top_, design_.WordWrap && width_ > 0 ? width_ : r.right + border, r.bottom + border);
}

void Label::Paint(HDC dc) {
  RECT r = Bounds();
  if (design_.BackStyle == 1) {
    ScopedGdiObject brush(CreateSolidBrush(ResolveColor(backColor_)));
    FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
  }
  if (design_.BorderStyle) {
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&r, -1, -1);
  }
  ScopedSelect font(dc, hfont_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ResolveColor(enabled_ ? foreColor_ : SysColor(COLOR_GRAYTEXT)));
  UINT flags = design_.Alignment == vbRightJustify ? DT_RIGHT : design_.Alignment == vbCenter ? DT_CENTER : DT_LEFT;
  flags |= DT_WORDBREAK;
  if (!design_.UseMnemonic) flags |= DT_NOPREFIX;
  DrawTextW(dc, caption_.c_str(), -1, &r, flags);
}

Label::Args Label::CurrentArgs() const {
  Args a = design_;
  static_cast<ControlArgs&>(a) = BaseArgs();
  a.Caption = caption_;
  return a;
}

Control& Label::LoadClone(int index) const {
  Args a = CurrentArgs();
  a.Index = index;
  a.Visible = false;
  a.AutoSize = false;  // the clone takes the element's present size
  Label& l = form_.Add<Label>(a);
  l.design_.AutoSize = design_.AutoSize;
  return l;
}

}  // namespace forms
