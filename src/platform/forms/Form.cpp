#include "platform/forms/Form.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/forms/FormsInternal.h"
#include "platform/forms/MessageLoop.h"
#include "platform/forms/PictureBox.h"
#include "platform/forms/Timer.h"
#include "services/MessagePump.h"

namespace forms {

namespace {

constexpr wchar_t kClassName[] = L"SwfzelForm";

std::vector<Form*>& Loaded() {
  static std::vector<Form*> forms;
  return forms;
}

// A modal loop waits in GetMessage, which returns for posted messages only. A
// modal form hidden or unloaded by a message sent from another thread or
// process (an automation tool's BM_CLICK on its OK button) wakes it with one.
void WakeModalLoop() { PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0); }

void StyleOf(const FormArgs& d, bool withCaption, DWORD& style, DWORD& ex) {
  style = WS_CLIPCHILDREN;
  ex = WS_EX_CONTROLPARENT | d.ExStyle;
  DWORD buttons = (d.ControlBox ? WS_SYSMENU : 0);
  if (d.ControlBox && d.MinButton) buttons |= WS_MINIMIZEBOX;
  if (d.ControlBox && d.MaxButton) buttons |= WS_MAXIMIZEBOX;
  DWORD caption = withCaption ? WS_CAPTION : 0;
  switch (d.BorderStyle) {
    case vbBSNone: style |= WS_POPUP; break;
    case vbFixedSingle: style |= WS_POPUP | WS_BORDER | caption | buttons; break;
    case vbFixedDialog:
      style |= WS_POPUP | WS_DLGFRAME | caption | (d.ControlBox ? WS_SYSMENU : 0);
      ex |= WS_EX_DLGMODALFRAME;
      break;
    case vbFixedToolWindow: style |= WS_POPUP | WS_BORDER | caption | (d.ControlBox ? WS_SYSMENU : 0); ex |= WS_EX_TOOLWINDOW; break;
    case vbSizableToolWindow:
      style |= WS_POPUP | WS_THICKFRAME | caption | (d.ControlBox ? WS_SYSMENU : 0);
      ex |= WS_EX_TOOLWINDOW;
      break;
    default: style |= WS_OVERLAPPED | WS_THICKFRAME | caption | buttons; break;
  }
  if (d.ShowInTaskbar && !(ex & WS_EX_TOOLWINDOW)) ex |= WS_EX_APPWINDOW;
}

bool IsKeyMessage(UINT m) { return m >= WM_KEYFIRST && m <= WM_KEYLAST; }

// The outer rectangle of a window; empty for none.
RECT OuterRect(HWND hwnd) {
  RECT r{};
  if (hwnd) GetWindowRect(hwnd, &r);
  return r;
}

}  // namespace

namespace detail {
bool UnloadElement(Control& control) { return control.ParentForm().UnloadControl(control); }
}  // namespace detail

const std::vector<Form*>& LoadedForms() { return Loaded(); }

Form* FormFromHwnd(HWND hwnd) {
  if (!hwnd) return nullptr;
  if (auto* f = static_cast<Form*>(GetPropW(hwnd, kFormProp))) return f;
  HWND root = GetAncestor(hwnd, GA_ROOT);
  return root ? static_cast<Form*>(GetPropW(root, kFormProp)) : nullptr;
}

Control* ControlFromHwnd(HWND hwnd) { return hwnd ? static_cast<Control*>(GetPropW(hwnd, kControlProp)) : nullptr; }

std::wstring WindowText(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return text;
}

Form::Form(std::wstring name, FormArgs design) : name_(std::move(name)), design_(std::move(design)) {
  if (design_.Caption.empty()) design_.Caption = name_;
}

Form::~Form() {
  if (hwnd_) {
    DestroyAll();
  }
}

bool Form::Load() {
  if (hwnd_) return true;
  // Long operations that let pending messages run keep the forms' keyboard handling.
  SetMessageDispatcher(DispatchFormMessage);
  static bool registered = false;
  RegisterClassOnce(kClassName, &Form::Proc, registered);
  DWORD style, ex;
  bool withCaption = !(design_.Caption.empty() && !design_.ControlBox);
  StyleOf(design_, withCaption, style, ex);
  int w = design_.Width, h = design_.Height;
  if (design_.ClientWidth >= 0 || design_.ClientHeight >= 0) {
    RECT r{0, 0, std::max(design_.ClientWidth, 0), std::max(design_.ClientHeight, 0)};
    AdjustWindowRectEx(&r, style, FALSE, ex);
    if (design_.ClientWidth >= 0) w = r.right - r.left;
    if (design_.ClientHeight >= 0) h = r.bottom - r.top;
  }
  loadedFully_ = false;
  shownOnce_ = false;
  HWND hwnd = CreateWindowExW(ex, kClassName, design_.Caption.c_str(), style, design_.Left, design_.Top, w, h,
                              nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd) {
    ReportFault(name_, L"the window could not be created");
    return false;
  }
  Loaded().push_back(this);
  try {
    CreateControls();
  } catch (const std::exception& e) {
    ReportFault(name_ + L".CreateControls", Utf8ToWide(e.what()));
  }
  loadedFully_ = true;
  Raise(L"Load", OnLoad);
  return IsLoaded();
}

bool Form::Unload(int unloadMode) {
  if (!hwnd_ || unloading_) return false;
  bool cancel = false;
  Raise(L"QueryUnload", OnQueryUnload, cancel, unloadMode);
  if (cancel || !hwnd_) return false;
  Raise(L"Unload", OnUnload, cancel);
  if (cancel || !hwnd_) return false;
  DestroyAll();
  return true;
}

void Form::DestroyAll() {
  unloading_ = true;
  HWND hwnd = hwnd_;
  for (auto it = order_.rbegin(); it != order_.rend(); ++it) ControlAccess::DestroyWindowOf(**it);
  Teardown();
  if (hwnd) DestroyWindow(hwnd);  // with its tooltip window and the menu bar when attached
  unloading_ = false;
}

void Form::Teardown() {
  bool was = unloading_;
  unloading_ = true;
  while (!owned_.empty()) {
    Control* c = order_.back();
    order_.pop_back();
    auto it = std::find_if(owned_.begin(), owned_.end(), [c](auto& p) { return p.get() == c; });
    std::unique_ptr<Control> doomed = std::move(*it);
    owned_.erase(it);
    doomed.reset();
  }
  order_.clear();
  arrays_.clear();
  topMenus_.clear();
  menus_.clear();
  timers_.clear();
  // The menus took themselves out of the bar; an attached bar goes with the window.
  if (menuBar_ && !(hwnd_ && GetMenu(hwnd_) == menuBar_)) DestroyMenu(menuBar_);
  menuBar_ = nullptr;
  toolTip_ = nullptr;  // owned by the window
  windowless_.clear();
  canvas_.Release();  // the drawing goes with the window
  mouseTarget_ = pressed_ = nullptr;
  auto& loaded = Loaded();
  loaded.erase(std::remove(loaded.begin(), loaded.end(), this), loaded.end());
  if (hwnd_) RemovePropW(hwnd_, kFormProp);
  hwnd_ = nullptr;
  focus_ = nullptr;
  unvalidated_ = nullptr;
  refocusing_ = false;
  if (modal_) WakeModalLoop();
  modal_ = false;
  loadedFully_ = shownOnce_ = false;
  nextMenuId_ = 0x1000;
  unloading_ = was;
}

void Form::Adopt(std::unique_ptr<Control> control) {
  Control* c = control.get();
  owned_.push_back(std::move(control));
  order_.push_back(c);
  ControlAccess::Create(*c);
}

bool Form::UnloadControl(Control& control) {
  if (std::find(order_.begin(), order_.end(), &control) == order_.end()) return false;
  // The control with everything inside it (contents, submenus), latest first.
  auto inside = [&control](Control* c) {
    for (Control* p = c; p; p = p->Enclosing())
      if (p == &control) return true;
    return false;
  };
  std::vector<Control*> doomed;
  for (auto it = order_.rbegin(); it != order_.rend(); ++it)
    if (inside(*it)) doomed.push_back(*it);
  for (Control* c : doomed) {
    if (c->IsArrayElement()) {
      auto a = arrays_.find(c->Name());
      if (a != arrays_.end()) a->second->Remove(c);
    }
    if (focus_ && focus_ == c->hWnd()) focus_ = nullptr;
    if (unvalidated_ == c) unvalidated_ = nullptr;
    ControlAccess::DestroyWindowOf(*c);
    order_.erase(std::find(order_.begin(), order_.end(), c));
    auto it = std::find_if(owned_.begin(), owned_.end(), [c](auto& p) { return p.get() == c; });
    std::unique_ptr<Control> gone = std::move(*it);
    owned_.erase(it);
    gone.reset();
  }
  return true;
}

Control* Form::FindControl(const std::wstring& name, int index) const {
  for (Control* c : order_)
    if (c->Index() == index && _wcsicmp(c->Name().c_str(), name.c_str()) == 0) return c;
  return nullptr;
}

ControlArrayBase* Form::FindArray(const std::wstring& name) const {
  auto it = arrays_.find(name);
  return it == arrays_.end() ? nullptr : it->second.get();
}

Control* Form::ActiveControl() const {
  HWND focus = GetFocus();
  if (!focus || !hwnd_ || !IsChild(hwnd_, focus)) return nullptr;
  for (HWND h = focus; h && h != hwnd_; h = GetParent(h))
    if (Control* c = ControlFromHwnd(h)) return c;
  return nullptr;
}

void Form::AddMenus(const std::vector<MenuArgs>& items, Menu* parent) {
  for (const MenuArgs& item : items) {
    MenuArgs a = item;
    a.Parent = parent;
    a.Items.clear();
    Menu& m = Add<Menu>(a);
    AddMenus(item.Items, &m);
  }
}

void Form::ShowMenuBar() {
  if (!hwnd_ || unloading_) return;
  bool any = std::any_of(topMenus_.begin(), topMenus_.end(), [](Menu* m) { return m->inserted_; });
  HMENU want = any ? menuBar_ : nullptr;
  if (GetMenu(hwnd_) != want)
    SetMenu(hwnd_, want);
  else if (want)
    DrawMenuBar(hwnd_);
}

Menu* Form::MenuAt(HMENU menu, int position) const {
  if (!menu || position < 0) return nullptr;
  const std::vector<Menu*>* items = nullptr;
  if (menu == menuBar_) {
    items = &topMenus_;
  } else {
    for (Menu* m : menus_)
      if (m->SubMenu() == menu) items = &m->Items();
  }
  if (!items) return nullptr;
  int pos = 0;
  for (Menu* m : *items) {
    if (!m->inserted_) continue;
    if (pos++ == position) return m;
  }
  return nullptr;
}

Menu* Form::MenuFromCommand(UINT id) const {
  std::vector<HMENU> menus;
  if (menuBar_) menus.push_back(menuBar_);
  for (Menu* m : menus_)
    if (m->SubMenu()) menus.push_back(m->SubMenu());
  for (HMENU h : menus) {
    int n = GetMenuItemCount(h);
    for (int i = 0; i < n; ++i) {
      MENUITEMINFOW mii{sizeof(mii)};
      mii.fMask = MIIM_ID | MIIM_SUBMENU;
      if (!GetMenuItemInfoW(h, static_cast<UINT>(i), TRUE, &mii)) continue;
      if (mii.wID == id && !mii.hSubMenu) return MenuAt(h, i);
    }
  }
  return nullptr;
}

bool Form::DispatchMenuCommand(UINT id) {
  Menu* m = MenuFromCommand(id);
  if (!m) return false;
  m->PerformClick();
  return true;
}

void Form::PopupMenu(Menu& menu, int x, int y) {
  if (!hwnd_ || !menu.SubMenu()) return;
  if (x == INT_MIN || y == INT_MIN) {
    POINT pt;
    GetCursorPos(&pt);
    x = pt.x;
    y = pt.y;
  }
  SetForegroundWindow(hwnd_);
  UINT id = static_cast<UINT>(TrackPopupMenuEx(menu.SubMenu(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, hwnd_, nullptr));
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  if (id) DispatchMenuCommand(id);
}

Control* Form::DefaultButton() const {
  for (Control* c : order_)
    if (c->IsDefaultButton()) return c;
  return nullptr;
}

Control* Form::CancelButton() const {
  for (Control* c : order_)
    if (c->IsCancelButton()) return c;
  return nullptr;
}

void Form::Delist(Menu* menu) { menus_.erase(std::remove(menus_.begin(), menus_.end(), menu), menus_.end()); }

void Form::Enlist(Timer* timer) { timers_[timer->TimerId()] = timer; }

void Form::Delist(Timer* timer) { timers_.erase(timer->TimerId()); }

// ---- showing ----

HWND Form::Owner() const { return hwnd_ ? GetWindow(hwnd_, GW_OWNER) : nullptr; }

void Form::Show(int mode, HWND owner) {
  if (!Load()) return;
  if (owner && owner != hwnd_) SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  if (mode == vbModal && (modal_ || Visible())) {
    ReportFault(name_, L"Form already displayed; can't show modally");
    return;
  }
  if (!shownOnce_) {
    if (design_.StartUpPosition == vbStartUpOwner || design_.StartUpPosition == vbStartUpScreen) {
      RECT area;
      HWND o = Owner();
      if (design_.StartUpPosition == vbStartUpOwner && o && IsWindowVisible(o) && !IsIconic(o)) {
        GetWindowRect(o, &area);
      } else {
        MONITORINFO mi{sizeof(mi)};
        GetMonitorInfoW(MonitorFromWindow(o ? o : hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
        area = mi.rcWork;
      }
      int w = Width(), h = Height();
      SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - w) / 2,
                   area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  int cmd = design_.WindowState == vbMinimized ? SW_SHOWMINIMIZED
            : design_.WindowState == vbMaximized ? SW_SHOWMAXIMIZED
                                                 : SW_SHOW;
  // The first showing raises Resize once: by the size message it brings, or here.
  bool first = !shownOnce_;
  shownOnce_ = true;
  int resizes = resizes_;
  auto firstResize = [&] {
    if (first && resizes == resizes_) Raise(L"Resize", OnResize);
  };
  if (mode != vbModal) {
    if (!Visible()) ShowWindow(hwnd_, cmd);
    firstResize();
    return;
  }
  // Modal: every other form is disabled until this one is hidden or unloaded.
  std::vector<HWND> disabled;
  for (Form* f : Loaded())
    if (f != this && f->hwnd_ && IsWindowEnabled(f->hwnd_)) {
      EnableWindow(f->hwnd_, FALSE);
      disabled.push_back(f->hwnd_);
    }
  modal_ = true;
  ShowWindow(hwnd_, cmd);
  firstResize();
  SetForegroundWindow(hwnd_);
  MSG msg;
  while (hwnd_ && Visible()) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    DispatchFormMessage(msg);
  }
  modal_ = false;
  for (HWND h : disabled)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
}

void Form::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

// ---- properties ----

bool Form::Enabled() const { return hwnd_ ? IsWindowEnabled(hwnd_) != FALSE : true; }
void Form::SetEnabled(bool enabled) {
  if (hwnd_) EnableWindow(hwnd_, enabled);
}

std::wstring Form::Caption() const {
  if (!hwnd_) return design_.Caption;
  return WindowText(hwnd_);
}

void Form::SetCaption(const std::wstring& caption) {
  design_.Caption = caption;
  if (hwnd_) SetWindowTextW(hwnd_, caption.c_str());
}

bool Form::Visible() const { return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE); }

void Form::SetVisible(bool visible) {
  if (visible)
    Show(vbModeless);
  else
    Hide();
}

int Form::WindowState() const {
  if (!hwnd_) return design_.WindowState;
  if (IsIconic(hwnd_)) return vbMinimized;
  if (IsZoomed(hwnd_)) return vbMaximized;
  return vbNormal;
}

void Form::SetWindowState(int state) {
  design_.WindowState = state;
  if (!hwnd_ || !Visible()) return;
  ShowWindow(hwnd_, state == vbMinimized ? SW_MINIMIZE : state == vbMaximized ? SW_MAXIMIZE : SW_RESTORE);
}

void Form::SetBackColor(Color color) {
  design_.BackColor = color;
  Cls();
}

void Form::UpdateStyle() {
  if (!hwnd_) return;
  // The title-bar buttons follow the same rules as at creation.
  constexpr DWORD kButtons = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  DWORD want, ex;
  StyleOf(design_, true, want, ex);
  DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE));
  style = (style & ~kButtons) | (want & kButtons);
  SetWindowLongW(hwnd_, GWL_STYLE, static_cast<LONG>(style));
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Form::SetControlBox(bool on) {
  design_.ControlBox = on;
  UpdateStyle();
}
void Form::SetMinButton(bool on) {
  design_.MinButton = on;
  UpdateStyle();
}
void Form::SetMaxButton(bool on) {
  design_.MaxButton = on;
  UpdateStyle();
}

void Form::SetFont(const FontSpec& font) { design_.Font = font; }

int Form::Left() const { return OuterRect(hwnd_).left; }
int Form::Top() const { return OuterRect(hwnd_).top; }
int Form::Width() const {
  RECT r = OuterRect(hwnd_);
  return r.right - r.left;
}
int Form::Height() const {
  RECT r = OuterRect(hwnd_);
  return r.bottom - r.top;
}

void Form::Move(int left, int top, int width, int height) {
  if (hwnd_) MoveWindow(hwnd_, left, top, std::max(width, 0), std::max(height, 0), TRUE);
}

void Form::SetClientSize(int width, int height) {
  if (!hwnd_) return;
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)), GetMenu(hwnd_) != nullptr,
                     static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE)));
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- plain tooltips ----

void Form::UpdateToolTip(Control& control) {
  if (!hwnd_ || unloading_) return;
  if (!toolTip_ && control.ToolTipText().empty()) return;
  if (!toolTip_) {
    toolTip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
    if (!toolTip_) return;
    SendMessageW(toolTip_, TTM_SETMAXTIPWIDTH, 0, 400);
  }
  // Forget the tool wherever it was, then add it where the control is now.
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  for (HWND host : {control.hWnd(), control.Container() ? control.Container()->hWnd() : nullptr, hwnd_}) {
    if (!host) continue;
    ti.hwnd = host;
    ti.uId = host == control.hWnd() ? reinterpret_cast<UINT_PTR>(host) : reinterpret_cast<UINT_PTR>(&control);
    SendMessageW(toolTip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  if (control.ToolTipText().empty() || !control.HasGeometry()) return;
  std::wstring text = control.ToolTipText();
  ti = TTTOOLINFOW{};
  ti.cbSize = sizeof(ti);
  ti.lpszText = text.data();
  if (control.hWnd()) {
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = control.hWnd();
    ti.uId = reinterpret_cast<UINT_PTR>(control.hWnd());
  } else if (control.Container() && control.Container()->hWnd()) {
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = control.Container()->hWnd();
    ti.uId = reinterpret_cast<UINT_PTR>(&control);
    ti.rect = control.Bounds();
  } else {
    return;
  }
  SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

// ---- keyboard ----

bool EditsText(UINT key, int shift) {
  if (shift & vbAltMask) return false;
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_DELETE:
    case VK_INSERT:
    case VK_BACK:
      return true;
  }
  if (shift & vbCtrlMask) return key == 'Z' || key == 'Y' || key == 'X' || key == 'C' || key == 'V' || key == 'A';
  // Typing: blanks, digits, letters, the number pad and punctuation.
  return key == VK_SPACE || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') ||
         (key >= VK_NUMPAD0 && key <= VK_DIVIDE) || (key >= VK_OEM_1 && key <= VK_OEM_3) ||
         (key >= VK_OEM_4 && key <= VK_OEM_8) || key == VK_OEM_102;
}

namespace {

bool IsEditBox(HWND window) {
  wchar_t name[16] = {};
  return window && GetClassNameW(window, name, 16) && _wcsicmp(name, L"Edit") == 0;
}

}  // namespace

bool Form::ClickMenuShortcut(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  int shift = ShiftState();
  if (msg.message == WM_SYSKEYDOWN && (msg.lParam & (1 << 29))) shift |= vbAltMask;  // Alt held with the key
  UINT key = static_cast<UINT>(msg.wParam);
  // A key that edits text stays with the text box that has the focus.
  if (EditsText(key, shift) && IsEditBox(GetFocus())) return false;
  for (Menu* m : menus_) {
    if (m->Enabled() && m->HasShortcut(key, shift)) {
      m->PerformClick();
      return true;
    }
  }
  return false;
}

bool Form::PreTranslate(MSG& msg) {
  if (!hwnd_ || !IsKeyMessage(msg.message)) return false;
  if (ClickMenuShortcut(msg)) return true;
  if (design_.KeyPreview && msg.hwnd != hwnd_ && (!keysLeftTo_ || msg.hwnd != keysLeftTo_)) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN || msg.message == WM_KEYUP ||
        msg.message == WM_SYSKEYUP) {
      int key = RaiseKeyDownUp(msg.message, msg.wParam, OnKeyDown, OnKeyUp);
      if (key == 0 || !hwnd_) return true;
      msg.wParam = static_cast<WPARAM>(key);
    } else if (msg.message == WM_CHAR) {
      int ch = static_cast<int>(msg.wParam);
      Raise(L"KeyPress", OnKeyPress, ch);
      if (ch == 0 || !hwnd_) return true;
      msg.wParam = static_cast<WPARAM>(ch);
    }
  }
  if (msg.message != WM_KEYDOWN) {
    if (msg.message == WM_CHAR && msg.wParam == L'\t' && msg.hwnd != hwnd_) return IsDialogMessageW(hwnd_, &msg) != FALSE;
    return false;
  }
  Control* focus = ControlFromHwnd(msg.hwnd);
  if (!focus && msg.hwnd) focus = ControlFromHwnd(GetParent(msg.hwnd));  // the edit inside a combo box
  const UINT key = static_cast<UINT>(msg.wParam);
  auto clickIfUsable = [](Control* b) {
    if (!b || !b->Visible() || !b->Enabled() || !b->hWnd()) return false;
    b->PerformClick();
    return true;
  };
  switch (key) {
    case VK_RETURN:
      if (focus && focus->PressedByEnter()) {
        focus->PerformClick();
        return true;
      }
      if (focus && focus->KeepsKey(key)) return false;
      // The value typed into the focused box is checked before the default button acts.
      if (Control* b = DefaultButton(); b && b->Visible() && b->Enabled() && b->hWnd() && !ValidateActiveControl())
        return true;
      return clickIfUsable(DefaultButton());
    case VK_ESCAPE:
      if (focus && focus->KeepsKey(key)) return false;
      return clickIfUsable(CancelButton());
    case VK_TAB:
      if (GetKeyState(VK_CONTROL) < 0 || msg.hwnd == hwnd_) return false;
      return IsDialogMessageW(hwnd_, &msg) != FALSE;
  }
  return false;
}

// ---- validation ----

namespace {
UINT RefocusMessage() {
  static const UINT message = RegisterWindowMessageW(L"SwfzelForms.Refocus");
  return message;
}
}  // namespace

bool Form::ValidateActiveControl() {
  Control* box = unvalidated_;
  if (!box || box->RaiseValidate()) return true;
  if (hwnd_ && unvalidated_ == box && box->hWnd()) {
    HWND focus = GetFocus();
    if (focus != box->hWnd() && !IsChild(box->hWnd(), focus)) Refocus();
  }
  return false;
}

void Form::FocusArrived(Control& control) {
  if (refocusing_) return;
  if (Control* box = unvalidated_; box && box != &control && control.CausesValidation()) {
    if (!box->RaiseValidate()) {
      // Back to the box once this focus change is over.
      if (hwnd_) PostMessageW(hwnd_, RefocusMessage(), 0, 0);
      return;
    }
    unvalidated_ = nullptr;
  }
  if (control.Validates() && !unvalidated_) unvalidated_ = &control;
}

void Form::Refocus() {
  if (!unvalidated_ || !unvalidated_->hWnd()) return;
  refocusing_ = true;
  ::SetFocus(unvalidated_->hWnd());
  refocusing_ = false;
}

// ---- window procedure ----

void Form::RaiseOwnMouse(UINT msg, int button, int shift, int x, int y) {
  RaiseContainerMouse(*this, msg, button, shift, x, y);
}

LRESULT CALLBACK Form::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(self));
    SetPropW(hwnd, kFormProp, self);
    self->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, 0));
  if (!self || self->hwnd_ != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, 0, 0);
    RemovePropW(hwnd, kFormProp);
    if (!self->unloading_) self->Teardown();  // destroyed from outside: no events
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  try {
    return self->HandleMessage(msg, wp, lp);
  } catch (...) {
    ReportFault(self->name_, L"exception in the window procedure");
    return 0;
  }
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  HWND hwnd = hwnd_;
  LRESULT result = 0;
  if (msg == RefocusMessage()) {
    Refocus();
    return 0;
  }
  switch (msg) {
    case WM_SHOWWINDOW:
      if (!wp && modal_) WakeModalLoop();
      break;
    case WM_CLOSE:
      Unload(vbFormControlMenu);
      return 0;
    case WM_SIZE:
      SyncCanvas();
      if (loadedFully_) {
        ++resizes_;
        Raise(L"Resize", OnResize);
      }
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f && IsChild(hwnd, f)) focus_ = f;
        Raise(L"Deactivate", OnDeactivate);
        return 0;
      }
      if (!HIWORD(wp)) {  // not minimized: give the focus back to the control that had it
        if (focus_ && IsWindow(focus_) && IsChild(hwnd, focus_))
          ::SetFocus(focus_);
        else
          ::SetFocus(hwnd);
      }
      Raise(L"Activate", OnActivate);
      return 0;
    case WM_TIMER:
      if (auto t = timers_.find(static_cast<UINT_PTR>(wp)); t != timers_.end()) {
        t->second->Tick();
        return 0;
      }
      break;
    case WM_COMMAND:
      if (lp == 0 && HIWORD(wp) <= 1) {
        if (DispatchMenuCommand(LOWORD(wp))) return 0;
      }
      break;
    case WM_MENUCOMMAND:
      if (Menu* m = MenuAt(reinterpret_cast<HMENU>(lp), static_cast<int>(wp))) {
        m->PerformClick();
        return 0;
      }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      int key = RaiseKeyDownUp(msg, wp, OnKeyDown, OnKeyUp);
      if (key == 0) return 0;
      return DefWindowProcW(hwnd, msg, static_cast<WPARAM>(key), lp);
    }
    case WM_CHAR: {
      int ch = static_cast<int>(wp);
      Raise(L"KeyPress", OnKeyPress, ch);
      return 0;
    }
  }
  if (RouteMessage(hwnd, msg, wp, lp, result)) return result;
  return DefWindowProcW(hwnd, msg, wp, lp);
}

FormArgs FixedDialogArgs(const std::wstring& caption, int clientWidth, int clientHeight) {
  FormArgs d;
  d.Caption = caption;
  d.ClientWidth = clientWidth;
  d.ClientHeight = clientHeight;
  d.BorderStyle = vbFixedDialog;
  d.MinButton = d.MaxButton = false;
  d.ShowInTaskbar = false;
  d.StartUpPosition = vbStartUpScreen;
  return d;
}

}  // namespace forms
