// Form: one program-wide instance per window (a global object of a class
// derived from Form, or a plain Form), loaded and unloaded explicitly.
// Load creates the window, the controls and menus (CreateControls) and
// raises Load; Unload raises QueryUnload and Unload and destroys the window
// and every control; nothing reloads a form implicitly.
// Geometry is in pixels (outer Left/Top/Width/Height, client ScaleWidth/
// ScaleHeight); the twips helpers of FormTypes.h convert where needed.
// The window may be subclassed (SetWindowSubclass) by a hook that passes the
// messages it does not consume on along the chain.
#pragma once
#include <windows.h>

#include <climits>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/CommandButton.h"
#include "platform/forms/Container.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Control.h"
#include "platform/forms/Menu.h"

namespace forms {

struct FormArgs {
  std::wstring Caption;  // the form's name when empty
  int Left = CW_USEDEFAULT, Top = CW_USEDEFAULT;
  int Width = 400, Height = 300;             // outer size, pixels
  int ClientWidth = -1, ClientHeight = -1;   // when >= 0: the outer size follows from them
  int BorderStyle = vbSizable;
  bool ControlBox = true, MinButton = true, MaxButton = true;
  bool ShowInTaskbar = true;
  bool KeyPreview = false;  // the form sees its controls' keys first
  int StartUpPosition = vbStartUpWindowsDefault;
  int WindowState = vbNormal;
  Color BackColor = SysColor(COLOR_BTNFACE);
  Color ForeColor = SysColor(COLOR_BTNTEXT);
  FontSpec Font;
  std::wstring Tag;
  DWORD ExStyle = 0;  // extra extended styles (e.g. WS_EX_TOOLWINDOW)
};

// A fixed dialog of the program: client size as given, no minimize or maximize
// box, not in the taskbar, centred on the screen.
FormArgs FixedDialogArgs(const std::wstring& caption, int clientWidth, int clientHeight);

class Timer;

class Form : public Container {
 public:
  explicit Form(std::wstring name, FormArgs design = {});
  ~Form() override;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::wstring& Name() const { return name_; }

  // Life cycle.
  bool Load();  // true when loaded (also when it already was)
  bool Unload(int unloadMode = vbFormCode);  // false when cancelled or not loaded
  bool IsLoaded() const { return hwnd_ != nullptr; }
  // Loads when needed and shows; vbModal returns once the form is hidden or
  // unloaded, with every other form disabled meanwhile. owner: the owning window.
  void Show(int mode = vbModeless, HWND owner = nullptr);
  void Hide();
  bool IsModal() const { return modal_; }
  HWND Owner() const;

  // Container.
  HWND hWnd() const override { return hwnd_; }
  Form& ParentForm() const override { return const_cast<Form&>(*this); }
  bool Enabled() const override;
  Color BackColor() const override { return design_.BackColor; }

  // Properties.
  std::wstring Caption() const;
  void SetCaption(const std::wstring& caption);
  const std::wstring& Tag() const { return design_.Tag; }
  void SetTag(const std::wstring& tag) { design_.Tag = tag; }
  bool Visible() const;
  void SetVisible(bool visible);
  void SetEnabled(bool enabled);
  int WindowState() const;  // vbNormal, vbMinimized, vbMaximized
  void SetWindowState(int state);
  void SetBackColor(Color color);  // and clears the drawing
  Color ForeColor() const { return design_.ForeColor; }
  void SetForeColor(Color color) { design_.ForeColor = color; }
  int BorderStyle() const { return design_.BorderStyle; }
  bool ControlBox() const { return design_.ControlBox; }
  bool MinButton() const { return design_.MinButton; }
  bool MaxButton() const { return design_.MaxButton; }
  void SetControlBox(bool on);
  void SetMinButton(bool on);
  void SetMaxButton(bool on);
  bool KeyPreview() const { return design_.KeyPreview; }
  void SetKeyPreview(bool on) { design_.KeyPreview = on; }
  // The keys bound for that window (a subclassed child that handles its own)
  // are left out of the key preview; null: none.
  void LeaveKeysTo(HWND window) { keysLeftTo_ = window; }
  const FontSpec& Font() const { return design_.Font; }
  void SetFont(const FontSpec& font);  // the form's font; controls keep theirs
  const FormArgs& Design() const { return design_; }

  // Outer geometry in pixels.
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void Move(int left, int top, int width, int height);
  void SetClientSize(int width, int height);

  // Adds a control while the form is loaded (in CreateControls, in Load or
  // later); a control added to an unloaded form gets no window. An Index of
  // 0 or more makes it an element of the control array of its Name.
  template <class T>
  T& Add(const typename T::Args& args) {
    auto owned = std::make_unique<T>(*this, args);
    T& control = *owned;
    Adopt(std::move(owned));
    if (args.Index >= 0) Array<T>(args.Name).Insert(&control);
    return control;
  }
  // Controls in creation order (containers before their contents), menus
  // and timers included.
  const std::vector<Control*>& Controls() const { return order_; }
  Control* FindControl(const std::wstring& name, int index = -1) const;  // name without case
  template <class T>
  T* Find(const std::wstring& name, int index = -1) const {
    return dynamic_cast<T*>(FindControl(name, index));
  }
  // The control array of that name (empty until its first element is added).
  // Arrays and their wirings live while the form is loaded: wire them in
  // CreateControls or in the Load event.
  template <class T>
  ControlArray<T>& Array(const std::wstring& name) {
    auto& slot = arrays_[name];
    if (!slot) slot = std::make_unique<ControlArray<T>>(name);
    auto* typed = dynamic_cast<ControlArray<T>*>(slot.get());
    if (!typed) throw std::logic_error("control array of another type");
    return *typed;
  }
  ControlArrayBase* FindArray(const std::wstring& name) const;
  // Removes a control (and the controls inside it) from the form.
  bool UnloadControl(Control& control);
  Control* ActiveControl() const;  // the control with the focus, or none

  // Menus.
  Menu& AddMenu(const MenuArgs& args) { return Add<Menu>(args); }
  void AddMenus(const std::vector<MenuArgs>& items, Menu* parent = nullptr);  // a definition tree
  Menu* FindMenu(const std::wstring& name, int index = -1) const { return Find<Menu>(name, index); }
  HMENU MenuBar() const { return menuBar_; }
  // Shows a menu's items as a pop-up at screen point (x, y) (the cursor by
  // default) and runs the chosen item's Click before returning.
  void PopupMenu(Menu& menu, int x = INT_MIN, int y = INT_MIN);
  // Runs the Click of the item that carries a command ID in the native menus
  // of this form now; false when no item has it.
  bool DispatchMenuCommand(UINT id);
  Menu* MenuFromCommand(UINT id) const;
  Menu* MenuAt(HMENU menu, int position) const;

  // The button Enter (Default) or Escape (Cancel) presses, or none.
  Control* DefaultButton() const;
  Control* CancelButton() const;

  // Validation: the text or combo box the focus last rested on raises
  // Validate when the focus moves on to another control of the form that
  // causes validation (a cancel puts the focus back), and when Enter presses
  // the default button. Checks that box now (a Save button's handler calls
  // this): false when its handler cancelled; the focus is then on the box.
  bool ValidateActiveControl();

  // Events.
  std::function<void()> OnLoad, OnResize, OnActivate, OnDeactivate, OnClick, OnDblClick;
  std::function<void(bool& cancel, int unloadMode)> OnQueryUnload;
  std::function<void(bool& cancel)> OnUnload;
  std::function<void(int button, int shift, int x, int y)> OnMouseDown, OnMouseUp, OnMouseMove;
  std::function<void(int& keyCode, int shift)> OnKeyDown, OnKeyUp;
  std::function<void(int& keyAscii)> OnKeyPress;

  // Repaints the form in the current visual style for its current size;
  // dialogs override it (window helpers call it after animating the bounds).
  virtual void SetVisual() {}

  // The layer's keyboard handling of a message bound for this form or one of
  // its controls (menu shortcuts, key preview, Default and Cancel buttons,
  // Tab); true when consumed.
  bool PreTranslate(MSG& msg);

 protected:
  // Creates the controls and menus of the form's design; runs in Load
  // before the Load event.
  virtual void CreateControls() {}
  void RaiseOwnMouse(UINT msg, int button, int shift, int x, int y) override;

 private:
  friend class Control;
  friend struct ControlAccess;
  friend class Menu;
  friend class Timer;
  friend class PictureBox;
  friend bool detail::UnloadElement(Control&);
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Adopt(std::unique_ptr<Control> control);
  void DestroyAll();  // controls, menus, window
  void UpdateStyle();
  void ShowMenuBar();  // attaches the bar when it has shown items, detaches it otherwise
  UINT NextMenuId() { return nextMenuId_++; }
  void UpdateToolTip(Control& control);  // the plain tooltip of a control
  std::vector<Menu*>& TopMenus() { return topMenus_; }
  void Enlist(Menu* menu) { menus_.push_back(menu); }
  void Delist(Menu* menu);
  void Enlist(Timer* timer);
  void Delist(Timer* timer);
  void Teardown();  // objects of a window that is gone
  void FocusArrived(Control& control);  // validates the box the focus left
  void Refocus();                       // back to the box whose Validate cancelled
  bool ClickMenuShortcut(const MSG& msg);  // raises the Click of the enabled item whose shortcut the key is

  std::wstring name_;
  FormArgs design_;
  HWND hwnd_ = nullptr;
  HMENU menuBar_ = nullptr;
  bool modal_ = false;
  bool unloading_ = false;
  // Lists the controls keep of themselves; declared before the controls, which
  // leave them as they go.
  std::vector<Menu*> topMenus_;
  std::vector<Menu*> menus_;           // every menu item, in creation order
  std::map<UINT_PTR, Timer*> timers_;  // by their timer ID on the form's window
  std::vector<std::unique_ptr<Control>> owned_;
  std::vector<Control*> order_;
  std::map<std::wstring, std::unique_ptr<ControlArrayBase>> arrays_;
  UINT nextMenuId_ = 0x1000;
  HWND toolTip_ = nullptr;
  HWND focus_ = nullptr;  // control focused when the form was deactivated
  Control* unvalidated_ = nullptr;  // the box the focus rests on, not checked since
  bool refocusing_ = false;
  HWND keysLeftTo_ = nullptr;
  bool loadedFully_ = false, shownOnce_ = false;
  int resizes_ = 0;  // Resize events raised, to raise the first one once
};

// Loaded forms in load order.
const std::vector<Form*>& LoadedForms();
// The form whose window (or one of whose controls' windows) is hwnd.
Form* FormFromHwnd(HWND hwnd);
// The control whose window is hwnd.
Control* ControlFromHwnd(HWND hwnd);
// The text of a window ("" when it has none).
std::wstring WindowText(HWND hwnd);

}  // namespace forms
