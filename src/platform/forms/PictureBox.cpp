#include "platform/forms/PictureBox.h"

#include "platform/forms/Form.h"
#include "platform/forms/FormsInternal.h"

namespace forms {

namespace {
constexpr wchar_t kClassName[] = L"SwfzelPictureBox";
}  // namespace

PictureBox::PictureBox(Form& form, const Args& args)
    : Control(form, ControlKind::PictureBox, args), picture_(args.Picture), borderStyle_(args.BorderStyle) {}

PictureBox::~PictureBox() {
  // Controls still inside go with the form; keep them from reaching this container.
  for (Control* c : windowless_) ControlAccess::SetContainerRaw(*c, nullptr);
  ControlAccess::DestroyWindowOf(*this);
}

void PictureBox::Create() {
  static bool registered = false;
  RegisterClassOnce(kClassName, &PictureBox::Proc, registered);
  HWND parent = container_ ? container_->hWnd() : form_.hWnd();
  if (!parent) return;
  DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (visible_) style |= WS_VISIBLE;
  if (!enabled_) style |= WS_DISABLED;
  if (tabStop_) style |= WS_TABSTOP;
  DWORD ex = WS_EX_CONTROLPARENT | (borderStyle_ ? WS_EX_CLIENTEDGE : 0);
  HWND hwnd = CreateWindowExW(ex, kClassName, L"", style, left_, top_, width_, height_, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlAccess::NextChildId())),
                              GetModuleHandleW(nullptr), this);
  if (!hwnd) return;
  SetPropW(hwnd, kControlProp, static_cast<Control*>(this));
  ApplyFont();
  Cls();
  form_.UpdateToolTip(*this);
}

LRESULT CALLBACK PictureBox::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<PictureBox*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<PictureBox*>(GetWindowLongPtrW(hwnd, 0));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, 0, 0);
    RemovePropW(hwnd, kControlProp);
    if (self->hwnd_ == hwnd) self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  LRESULT result = 0;
  try {
    if (msg == WM_LBUTTONDOWN && self->tabStop_) ::SetFocus(hwnd);
    if (self->RouteMessage(hwnd, msg, wp, lp, result)) return result;
    if (msg == WM_SIZE) Raise(L"Resize", self->OnResize);
    if (ControlAccess::RouteKeys(*self, msg, wp)) return 0;
  } catch (...) {
    ReportFault(self->Name(), L"exception in the window procedure");
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void PictureBox::RaiseOwnMouse(UINT msg, int button, int shift, int x, int y) {
  RaiseContainerMouse(*this, msg, button, shift, x, y);
}

void PictureBox::SetBackColor(Color color) {
  Control::SetBackColor(color);
  Cls();
}

void PictureBox::SetPicture(const forms::Picture& picture) {
  picture_ = picture;
  Cls();
}

PictureBox::Args PictureBox::CurrentArgs() const {
  Args a;
  static_cast<ControlArgs&>(a) = BaseArgs();
  a.BorderStyle = borderStyle_;
  a.Picture = picture_;
  return a;
}

Control& PictureBox::LoadClone(int index) const { return AddHiddenClone<PictureBox>(form_, CurrentArgs(), index); }

}  // namespace forms
