// Inside the forms layer only: the doors through which forms, containers and
// the message loop reach the protected parts of controls.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/forms/Control.h"
#include "platform/forms/Form.h"

namespace forms {

constexpr wchar_t kControlProp[] = L"SwfzelForms.Control";
constexpr wchar_t kFormProp[] = L"SwfzelForms.Form";

// Registers one of the layer's window classes (double clicks, arrow cursor, a pointer
// of window extra bytes) unless `done` says it is there already.
void RegisterClassOnce(const wchar_t* className, WNDPROC proc, bool& done);

// vbLeftButton, vbRightButton or vbMiddleButton for a button message, else 0.
int ButtonOf(UINT msg);
// The buttons a mouse message's wParam says are held.
int ButtonsHeld(WPARAM wp);

// Raises KeyDown (for a key-down message) or KeyUp with the message's key; returns
// the key code the handler leaves, 0 when it swallowed the key.
int RaiseKeyDownUp(UINT msg, WPARAM wp, const std::function<void(int&, int)>& onDown,
                   const std::function<void(int&, int)>& onUp);

// A top-down 32-bit DIB section; bits receives its pixels.
HBITMAP CreateDib32(int w, int h, void** bits);

struct ControlAccess {
  static void Create(Control& c) { c.Create(); }
  static bool Command(Control& c, WORD code) { return c.HandleCommand(code); }
  static bool DrawItem(Control& c, DRAWITEMSTRUCT& d) { return c.HandleDrawItem(d); }
  static bool MeasureItem(Control& c, MEASUREITEMSTRUCT& m) { return c.HandleMeasureItem(m); }
  static HBRUSH CtlColor(Control& c, HDC dc) { return c.HandleCtlColor(dc); }
  static bool Own(Control& c, UINT m, WPARAM w, LPARAM l, LRESULT& r) { return c.HandleOwnMessage(m, w, l, r); }
  static bool Windowless(const Control& c) { return c.IsWindowless(); }
  static void SetContainerRaw(Control& c, Container* container) { c.container_ = container; }
  static HWND& Window(Control& c) { return c.hwnd_; }
  // Destroys the control's window without raising events.
  static void DestroyWindowOf(Control& c);
  // Keys and focus of a control's own window; true when the message is consumed.
  // wp may be changed (a key code or character replaced by the handler).
  static bool RouteKeys(Control& c, UINT msg, WPARAM& wp);
  // The control whose window is being created (its messages arrive before
  // CreateWindowEx returns).
  static Control*& Creating();
  static int NextChildId();
  // Routes the mouse and keys of an inner window (a combo box's edit field) to c.
  static void SubclassChild(Control& c, HWND child);
};

// RaiseOwnMouse of a form or picture box: the mouse event a message stands for,
// DblClick for a left double click and Click for anything else.
template <class T>
void RaiseContainerMouse(T& self, UINT msg, int button, int shift, int x, int y) {
  switch (msg) {
    case WM_LBUTTONDOWN: Raise(L"MouseDown", self.OnMouseDown, button, shift, x, y); break;
    case WM_LBUTTONUP: Raise(L"MouseUp", self.OnMouseUp, button, shift, x, y); break;
    case WM_MOUSEMOVE: Raise(L"MouseMove", self.OnMouseMove, button, shift, x, y); break;
    case WM_LBUTTONDBLCLK: Raise(L"DblClick", self.OnDblClick); break;
    default: Raise(L"Click", self.OnClick); break;
  }
}

// The usual LoadClone: a new element at index of the control's array, made from
// the control's current properties and hidden.
template <class T>
T& AddHiddenClone(Form& form, typename T::Args args, int index) {
  args.Index = index;
  args.Visible = false;
  return form.Add<T>(args);
}

}  // namespace forms
