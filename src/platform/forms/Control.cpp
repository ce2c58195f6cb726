#include "platform/forms/Control.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/forms/Container.h"
#include "platform/forms/Form.h"
#include "platform/forms/FormsInternal.h"

namespace forms {

namespace {

LRESULT CALLBACK ControlSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* c = reinterpret_cast<Control*>(ref);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, ControlSubclassProc, 1);
    RemovePropW(hwnd, kControlProp);
    if (ControlAccess::Window(*c) == hwnd) ControlAccess::Window(*c) = nullptr;
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  LRESULT result = 0;
  try {
    if (ControlAccess::Own(*c, msg, wp, lp, result)) return result;
    switch (msg) {
      case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        Raise(L"MouseDown", c->OnMouseDown, ButtonOf(msg), ShiftState(), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        break;
      case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
        Raise(L"MouseUp", c->OnMouseUp, ButtonOf(msg), ShiftState(), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        break;
      case WM_MOUSEMOVE:
        Raise(L"MouseMove", c->OnMouseMove, ButtonsHeld(wp), ShiftState(), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        break;
    }
    if (ControlAccess::RouteKeys(*c, msg, wp)) return 0;  // may replace the key in wp
  } catch (...) {
    ReportFault(c->Name(), L"exception in the window procedure");
    return 0;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

void RegisterClassOnce(const wchar_t* className, WNDPROC proc, bool& done) {
  if (done) return;
  WNDCLASSEXW wc{sizeof(wc)};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = sizeof(void*);
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = className;
  done = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

int ButtonOf(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: return vbLeftButton;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return vbRightButton;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: return vbMiddleButton;
  }
  return 0;
}

int ButtonsHeld(WPARAM wp) {
  int b = 0;
  if (wp & MK_LBUTTON) b |= vbLeftButton;
  if (wp & MK_RBUTTON) b |= vbRightButton;
  if (wp & MK_MBUTTON) b |= vbMiddleButton;
  return b;
}

int RaiseKeyDownUp(UINT msg, WPARAM wp, const std::function<void(int&, int)>& onDown,
                   const std::function<void(int&, int)>& onUp) {
  int key = static_cast<int>(wp);
  bool down = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
  Raise(L"KeyDown/KeyUp", down ? onDown : onUp, key, ShiftState());
  return key;
}

Control*& ControlAccess::Creating() {
  static Control* creating = nullptr;
  return creating;
}

int ControlAccess::NextChildId() {
  static int next = 100;
  int id = next;
  next = next >= 0x7FFF ? 100 : next + 1;
  return id;
}

void ControlAccess::SubclassChild(Control& c, HWND child) {
  if (child) SetWindowSubclass(child, ControlSubclassProc, 1, reinterpret_cast<DWORD_PTR>(&c));
}

void ControlAccess::DestroyWindowOf(Control& c) {
  HWND hwnd = c.hwnd_;
  c.hwnd_ = nullptr;
  if (!hwnd || !IsWindow(hwnd)) return;
  RemoveWindowSubclass(hwnd, ControlSubclassProc, 1);
  if (c.kind_ == ControlKind::ComboBox)  // its edit field
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      RemoveWindowSubclass(child, ControlSubclassProc, 1);
  RemovePropW(hwnd, kControlProp);
  if (c.kind_ == ControlKind::PictureBox) SetWindowLongPtrW(hwnd, 0, 0);
  DestroyWindow(hwnd);
}

bool ControlAccess::RouteKeys(Control& c, UINT msg, WPARAM& wp) {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      int key = RaiseKeyDownUp(msg, wp, c.OnKeyDown, c.OnKeyUp);
      if (key == 0) return true;
      wp = static_cast<WPARAM>(key);
      return false;
    }
    case WM_CHAR: {
      int ch = static_cast<int>(wp);
      Raise(L"KeyPress", c.OnKeyPress, ch);
      if (ch == 0) return true;
      wp = static_cast<WPARAM>(ch);
      return false;
    }
    case WM_SETFOCUS:
      c.form_.FocusArrived(c);
      Raise(L"GotFocus", c.OnGotFocus);
      return false;
    case WM_KILLFOCUS:
      Raise(L"LostFocus", c.OnLostFocus);
      return false;
  }
  return false;
}

Control::Control(Form& form, ControlKind kind, const ControlArgs& args)
    : form_(form),
      kind_(kind),
      name_(args.Name),
      index_(args.Index),
      left_(args.Left),
      top_(args.Top),
      width_(args.Width),
      height_(args.Height),
      visible_(args.Visible),
      enabled_(args.Enabled),
      tabStop_(args.TabStop),
      causesValidation_(args.CausesValidation),
      tag_(args.Tag),
      toolTip_(args.ToolTipText),
      backColor_(args.BackColor),
      foreColor_(args.ForeColor),
      font_(args.UseFormFont ? form.Font() : args.Font) {
  if (kind != ControlKind::Menu) container_ = args.Container ? args.Container : &form;
}

Control::~Control() {
  if (IsWindowless() && container_ && !form_.unloading_) {
    container_->DropWindowless(this);
    InvalidateInContainer();
  }
  ControlAccess::DestroyWindowOf(*this);
}

const wchar_t* Control::TypeName() const {
  switch (kind_) {
    case ControlKind::CommandButton: return L"CommandButton";
    case ControlKind::CheckBox: return L"CheckBox";
    case ControlKind::OptionButton: return L"OptionButton";
    case ControlKind::TextBox: return L"TextBox";
    case ControlKind::ListBox: return L"ListBox";
    case ControlKind::ComboBox: return L"ComboBox";
    case ControlKind::PictureBox: return L"PictureBox";
    case ControlKind::Label: return L"Label";
    case ControlKind::Image: return L"Image";
    case ControlKind::Timer: return L"Timer";
    case ControlKind::Menu: return L"Menu";
  }
  return L"";
}

bool Control::IsWindowless() const { return kind_ == ControlKind::Label || kind_ == ControlKind::Image; }
bool Control::HasGeometry() const { return kind_ != ControlKind::Timer && kind_ != ControlKind::Menu; }

ControlArgs Control::BaseArgs() const {
  ControlArgs a;
  a.Name = name_;
  a.Index = index_;
  a.Container = container_ == &form_ ? nullptr : container_;
  a.Left = left_;
  a.Top = top_;
  a.Width = width_;
  a.Height = height_;
  a.Visible = visible_;
  a.Enabled = enabled_;
  a.Tag = tag_;
  a.ToolTipText = toolTip_;
  a.BackColor = backColor_;
  a.ForeColor = foreColor_;
  a.UseFormFont = false;
  a.Font = font_;
  a.TabStop = tabStop_;
  a.CausesValidation = causesValidation_;
  return a;
}

HWND Control::CreateChild(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle) {
  HWND parent = container_ ? container_->hWnd() : form_.hWnd();
  if (!parent) return nullptr;
  style |= WS_CHILD | WS_CLIPSIBLINGS;
  if (visible_) style |= WS_VISIBLE;
  if (!enabled_) style |= WS_DISABLED;
  if (tabStop_) style |= WS_TABSTOP;
  Control*& creating = ControlAccess::Creating();
  Control* outer = creating;
  creating = this;
  HWND hwnd = CreateWindowExW(exStyle, className, text.c_str(), style, left_, top_, width_, height_, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlAccess::NextChildId())),
                              GetModuleHandleW(nullptr), nullptr);
  creating = outer;
  if (!hwnd) return nullptr;
  hwnd_ = hwnd;
  SetPropW(hwnd, kControlProp, this);
  SetWindowSubclass(hwnd, ControlSubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  ApplyFont();
  form_.UpdateToolTip(*this);
  return hwnd;
}

bool Control::HandleOwnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void Control::PerformClick() { Raise(L"Click", OnClick); }

Control* Control::Enclosing() const { return container_ ? container_->AsControl() : nullptr; }

HBRUSH Control::HandleCtlColor(HDC dc) {
  SetTextColor(dc, ResolveColor(enabled_ ? foreColor_ : SysColor(COLOR_GRAYTEXT)));
  SetBkColor(dc, ResolveColor(backColor_));
  if (!backBrush_) backBrush_.reset(CreateSolidBrush(ResolveColor(backColor_)));
  return backBrush_.get();
}

void Control::SetContainer(forms::Container* container) {
  if (kind_ == ControlKind::Menu) return;
  if (!container) container = &form_;
  if (container == container_ || &container->ParentForm() != &form_) return;
  // A container cannot move into itself or into one of its contents.
  for (forms::Container* c = container; c && c->AsControl(); c = c->AsControl()->Container())
    if (c->AsControl() == this) return;
  if (IsWindowless()) {
    InvalidateInContainer();
    if (container_) container_->DropWindowless(this);
    container_ = container;
    container_->windowless_.push_back(this);
    InvalidateInContainer();
  } else {
    container_ = container;
    if (hwnd_ && container->hWnd()) {
      ::SetParent(hwnd_, container->hWnd());
      MoveWindow(hwnd_, left_, top_, width_, height_, TRUE);
    }
  }
  form_.UpdateToolTip(*this);
}

void Control::Move(int left, int top, int width, int height) {
  if (!HasGeometry()) return;
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (IsWindowless()) InvalidateInContainer();
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (hwnd_) MoveWindow(hwnd_, left, top, width, height, TRUE);
  if (IsWindowless()) {
    InvalidateInContainer();
    form_.UpdateToolTip(*this);
  }
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  if (IsWindowless()) InvalidateInContainer();
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (hwnd_) EnableWindow(hwnd_, enabled);
  if (IsWindowless()) InvalidateInContainer();
}

void Control::ZOrder(int position) {
  if (hwnd_) {
    SetWindowPos(hwnd_, position == vbSendToBack ? HWND_BOTTOM : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else if (IsWindowless() && container_) {
    auto& list = container_->windowless_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (position == vbSendToBack)
      list.insert(list.begin(), this);
    else
      list.push_back(this);
    InvalidateInContainer();
  }
}

void Control::SetToolTipText(const std::wstring& text) {
  if (text == toolTip_) return;
  toolTip_ = text;
  form_.UpdateToolTip(*this);
}

void Control::SetBackColor(Color color) {
  backColor_ = color;
  backBrush_.reset();
  Refresh();
}

void Control::SetForeColor(Color color) {
  foreColor_ = color;
  Refresh();
}

void Control::SetFont(const FontSpec& font) {
  font_ = font;
  ApplyFont();
}

void Control::ApplyFont() {
  if (!HasGeometry()) return;
  // The window lets go of the old font before it is deleted.
  ScopedFont font(CreateFontFromSpec(font_));
  if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  hfont_ = std::move(font);
  if (IsWindowless()) InvalidateInContainer();
}

void Control::SetFocus() {
  if (hwnd_) ::SetFocus(hwnd_);
}

void Control::Refresh() {
  if (hwnd_) {
    InvalidateRect(hwnd_, nullptr, TRUE);
    UpdateWindow(hwnd_);
  } else if (IsWindowless() && container_ && container_->hWnd()) {
    InvalidateInContainer();
    UpdateWindow(container_->hWnd());
  }
}

void Control::JoinContainer() {
  if (container_) container_->windowless_.push_back(this);
}

void Control::InvalidateInContainer() const {
  if (!container_ || !container_->hWnd()) return;
  RECT r = Bounds();
  InvalidateRect(container_->hWnd(), &r, FALSE);
}

}  // namespace forms
