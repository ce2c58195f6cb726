#include "ui/CFormEvents.h"

#include <shellapi.h>

#include <cstdint>

#include "platform/forms/Form.h"
#include "platform/forms/FormTypes.h"
#include "services/Services.h"

using forms::Control;
using forms::Form;

namespace {

// Runs one handler; whatever it throws stops here, inside the window procedure,
// and goes to the forms layer's fault report.
template <typename F, typename... A>
void Raise(const F& handler, A&&... args) {
  forms::Raise(L"CFormEvents", handler, std::forward<A>(args)...);
}

std::wstring CopyDataText(LPARAM lParam) {
  const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (!cds || !cds->lpData || cds->cbData < sizeof(wchar_t)) return {};
  // The text is what cbData covers and no more; a terminator the sender
  // included (or any NUL) ends it early.
  const auto* p = static_cast<const wchar_t*>(cds->lpData);
  size_t n = cds->cbData / sizeof(wchar_t), len = 0;
  while (len < n && p[len] != 0) ++len;
  return std::wstring(p, len);
}

std::vector<std::wstring> DroppedFiles(HDROP drop) {
  std::vector<std::wstring> files;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  files.reserve(count);
  for (UINT i = 0; i < count; ++i) {
    const UINT len = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(len + 1, L'\0');
    const UINT got = DragQueryFileW(drop, i, path.data(), len + 1);
    path.resize(got <= len ? got : len);
    files.push_back(std::move(path));
  }
  return files;
}

}  // namespace

CFormEvents::~CFormEvents() {
  if (slot_) UnsubclassWindow(slot_);
  slot_ = 0;
}

bool CFormEvents::HookWindow(HWND window) { return Attach(window, nullptr); }

bool CFormEvents::Attach(HWND window, Form* form) {
  if (window && window == hWnd_ && slot_) {
    form_ = form;
    return true;
  }
  if (!window && !hWnd_) {
    form_ = nullptr;
    return true;
  }
  if (slot_) UnsubclassWindow(slot_);
  slot_ = 0;
  form_ = form;
  entered_ = nullptr;
  hWnd_ = window;
  if (!window) return true;
  slot_ = SubclassWindow(this, window);
  if (!slot_) {
    SetError(999, L"CFormEvents class", L"Too many subclassed windows");
    return false;
  }
  return true;
}

void CFormEvents::SlotEnded() {
  slot_ = 0;
  entered_ = nullptr;
}

void CFormEvents::SetDragDrop(bool accept) {
  dragDrop_ = accept;
  if (hWnd_) DragAcceptFiles(hWnd_, accept ? TRUE : FALSE);
}

void CFormEvents::AddHotKey(short ID, short Modifiers, short VirtualKey) {
  if (!RegisterHotKey(hWnd_, ID, static_cast<UINT>(static_cast<int>(Modifiers)),
                      static_cast<UINT>(static_cast<int>(VirtualKey))))
    WriteLog(L"Failed to Register a HotKey, ID " + std::to_wstring(ID), true);
}

void CFormEvents::DelHotKey(short ID) { UnregisterHotKey(hWnd_, ID); }

void CFormEvents::BeforeMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM& lParam, bool& handled,
                                LRESULT& result) {
  switch (uMsg) {
    case WM_ERASEBKGND:
      // The hooked window paints its whole client area itself.
      handled = true;
      result = 1;
      break;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (!item) break;
      if (item->CtlType == ODT_MENU && OwnerDraw.DrawMenuItem) {
        Raise(OwnerDraw.DrawMenuItem, hWnd, *item);
        handled = true;
      }
      if (handled) result = TRUE;
      break;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (!item) break;
      if (item->CtlType == ODT_MENU && OwnerDraw.MeasureMenuItem) {
        SIZE size{0, 0};
        Raise(OwnerDraw.MeasureMenuItem, hWnd, item->itemID, item->itemData, size, false);
        item->itemWidth = static_cast<UINT>(size.cx) + (item->itemData == 2 ? 16 : 0);
        item->itemHeight = static_cast<UINT>(size.cy);
        handled = true;
      } else if (item->CtlType == ODT_LISTBOX) {
        item->itemHeight = PlaylistRowHeight;
        handled = true;
      }
      if (handled) result = TRUE;
      break;
    }
    case WM_INITMENUPOPUP: {
      // A window menu (the system's own popup) is never made owner-drawn.
      auto popup = reinterpret_cast<HMENU>(wParam);
      if (HIWORD(lParam) || !OwnerDraw.MakePopupOwnerDrawn) break;
      Raise(OwnerDraw.MakePopupOwnerDrawn, popup, hWnd, 0);
      break;
    }
    case WM_CONTEXTMENU:
      Raise(ContextMenu);
      break;
    case WM_HOTKEY: {
      long id = static_cast<long>(wParam);
      Raise(HotKey, id, lParam);
      break;
    }
    case WM_COPYDATA: {
      std::wstring text = CopyDataText(lParam);
      HWND sender = reinterpret_cast<HWND>(wParam);
      Raise(CopyData, text, sender);
      break;
    }
    case WM_APPCOMMAND: {
      const auto v = static_cast<uint32_t>(lParam);
      const long command = static_cast<long>((v & 0x0FFF0000u) >> 16);
      const long device = static_cast<long>((v & 0x70000000u) >> 16) + ((v & 0x80000000u) ? 0x8000 : 0);
      const long keyState = static_cast<long>(v & 0xFFFFu);
      Raise(AppCommand, command, device, keyState, handled);
      // A command acted on here must not reach the default procedure, which would
      // pass it up to the parent or the shell a second time.
      if (handled) result = TRUE;
      break;
    }
  }
}

void CFormEvents::AfterMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (uMsg) {
    case WM_ACTIVATEAPP: {
      inactive_ = (wParam == 0);
      bool active = !inactive_;
      Raise(ActivateApp, active);
      break;
    }
    case WM_MOVE:
      Raise(Move);
      break;
    case WM_GETMINMAXINFO: {
      auto* mmi = reinterpret_cast<MINMAXINFO*>(lParam);
      if (!mmi) break;
      MINMAXINFO m = *mmi;
      Raise(GetMinMaxInfo, m.ptMaxSize.x, m.ptMaxSize.y, m.ptMaxPosition.x, m.ptMaxPosition.y, m.ptMinTrackSize.x,
            m.ptMinTrackSize.y, m.ptMaxTrackSize.x, m.ptMaxTrackSize.y);
      *mmi = m;
      break;
    }
    case WM_SIZING:
    case WM_MOVING: {
      auto* rc = reinterpret_cast<RECT*>(lParam);
      if (!rc) break;
      RECT work = *rc;
      const RECT saved = *rc;
      Raise(uMsg == WM_SIZING ? Resizing : Moving, work.left, work.top, work.right, work.bottom,
            static_cast<int>(static_cast<short>(wParam)));
      if (work.left != saved.left || work.top != saved.top || work.right != saved.right ||
          work.bottom != saved.bottom)
        result = -1;
      if (result != 0) *rc = work;
      break;
    }
    case WM_SETCURSOR:
      if (HIWORD(static_cast<uint32_t>(lParam)) == WM_MOUSEMOVE) TrackMouse(reinterpret_cast<HWND>(wParam));
      break;
    case WM_COMPACTING:
      Raise(CompactingMemory);
      break;
    case WM_DISPLAYCHANGE: {
      const unsigned bpp = static_cast<unsigned>(wParam);
      const unsigned long colors = bpp >= 32 ? 0xFFFFFFFFul : (1ul << bpp);
      Raise(DisplayChanged, static_cast<int>(LOWORD(lParam)), static_cast<int>(HIWORD(lParam)), colors);
      break;
    }
    case WM_DROPFILES: {
      auto drop = reinterpret_cast<HDROP>(wParam);
      std::vector<std::wstring> files = DroppedFiles(drop);
      POINT pt{0, 0};
      DragQueryPoint(drop, &pt);
      DragFinish(drop);
      long x = pt.x, y = pt.y;
      Raise(FileDropped, files, x, y);
      break;
    }
  }
}

bool CFormEvents::SetHookedForm(Form* form) {
  if (form && form_ == form && form->hWnd() == hWnd_ && slot_) return true;
  return Attach(form ? form->hWnd() : nullptr, form);
}

bool CFormEvents::StillOnForm(Control* control) const {
  if (!form_ || !control) return false;
  for (Control* c : form_->Controls())
    if (c == control) return true;
  return false;
}

void CFormEvents::TrackMouse(HWND under) {
  if (entered_ && !StillOnForm(entered_)) entered_ = nullptr;  // unloaded meanwhile
  if (entered_ && entered_->hWnd() == under) return;
  if (entered_) {
    Control* left = entered_;
    entered_ = nullptr;
    Raise(MouseExit, *left);
  }
  // A windowless control (label, image), the form itself or a window that is
  // none of the form's controls enters nothing.
  if (!form_ || !under) return;
  Control* c = forms::ControlFromHwnd(under);
  if (!c || &c->ParentForm() != form_) return;
  entered_ = c;
  Raise(MouseEnter, *c);
}
