#include "ui/HookEvents.h"

#include "ui/CFormEvents.h"

SubclassSlot SubclassTable[SubclassSlotCount + 1];
OwnerDrawHandlers OwnerDrawHooks;

namespace {

template <int N>
LRESULT CALLBACK WndProcN(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return SubclassWndProc(N, hWnd, uMsg, wParam, lParam);
}

enum class Kind { Other, BeforeAndAfter, AfterOnly };

Kind Classify(UINT uMsg) {
  switch (uMsg) {
    case WM_ERASEBKGND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COPYDATA:
    case WM_CONTEXTMENU:
    case WM_INITMENUPOPUP:
    case WM_HOTKEY:
    case WM_APPCOMMAND:
      return Kind::BeforeAndAfter;
    case WM_MOVE:
    case WM_ACTIVATEAPP:
    case WM_SETCURSOR:
    case WM_GETMINMAXINFO:
    case WM_COMPACTING:
    case WM_DISPLAYCHANGE:
    case WM_SIZING:
    case WM_MOVING:
    case WM_DROPFILES:
      return Kind::AfterOnly;
    default:
      return Kind::Other;
  }
}

void ClearSlot(SubclassSlot& s) {
  s.hWnd = nullptr;
  s.OldProc = nullptr;
  s.Owner = nullptr;
}

}  // namespace

void InitSubclassTable() {
  WNDPROC procs[SubclassSlotCount] = {WndProcN<1>, WndProcN<2>, WndProcN<3>, WndProcN<4>, WndProcN<5>,
                                      WndProcN<6>, WndProcN<7>, WndProcN<8>, WndProcN<9>, WndProcN<10>};
  for (int i = 1; i <= SubclassSlotCount; ++i) SubclassTable[i].NewProc = procs[i - 1];
}

int SubclassWindow(CFormEvents* owner, HWND hWnd) {
  if (!SubclassTable[1].NewProc) InitSubclassTable();
  if (!hWnd || !IsWindow(hWnd)) return 0;
  for (int i = 1; i <= SubclassSlotCount; ++i) {
    SubclassSlot& s = SubclassTable[i];
    if (s.hWnd) continue;
    s.Owner = owner;
    s.hWnd = hWnd;
    s.OldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.NewProc)));
    if (!s.OldProc) {  // not ours to hook (another process's window)
      ClearSlot(s);
      return 0;
    }
    return i;
  }
  return 0;
}

bool UnsubclassWindow(int& slot) {
  if (slot < 1 || slot > SubclassSlotCount) return false;
  SubclassSlot& s = SubclassTable[slot];
  if (s.hWnd && IsWindow(s.hWnd) && s.OldProc) {
    // Only put the old procedure back while ours is the one in place; otherwise
    // whoever hooked the window after us would be cut off as well.
    if (GetWindowLongPtrW(s.hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(s.NewProc))
      SetWindowLongPtrW(s.hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.OldProc));
  }
  ClearSlot(s);
  return true;
}

LRESULT SubclassWndProc(int slot, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (slot < 1 || slot > SubclassSlotCount) return 0;
  SubclassSlot& s = SubclassTable[slot];
  // A message that arrives after the slot was released (or for a window that
  // is not the slot's own) calls no procedure at all.
  if (!s.hWnd || s.hWnd != hWnd) return 0;
  const WNDPROC oldProc = s.OldProc;

  if (uMsg == WM_NCDESTROY) {
    // The window goes: pass the message on, then give the slot back.
    CFormEvents* owner = s.Owner;
    LRESULT r = CallWindowProcW(oldProc, hWnd, uMsg, wParam, lParam);
    ClearSlot(s);
    if (owner) owner->SlotEnded();
    return r;
  }

  const Kind kind = Classify(uMsg);
  if (kind == Kind::Other) return CallWindowProcW(oldProc, hWnd, uMsg, wParam, lParam);

  CFormEvents* owner = s.Owner;
  if (!owner || owner->hWnd() != hWnd) {
    LRESULT r = CallWindowProcW(oldProc, hWnd, uMsg, wParam, lParam);
    int n = slot;
    UnsubclassWindow(n);
    if (owner && owner->slot_ == slot) owner->slot_ = 0;
    return r;
  }

  LRESULT result = 0;
  bool handled = false;
  if (kind == Kind::BeforeAndAfter) {
    owner->BeforeMessage(hWnd, uMsg, wParam, lParam, handled, result);
    if (handled) return result;
  }
  result = CallWindowProcW(oldProc, hWnd, uMsg, wParam, lParam);
  // A handler may have released the slot meanwhile; the object is then no
  // longer ours to call.
  if (s.hWnd == hWnd && s.Owner == owner) owner->AfterMessage(hWnd, uMsg, wParam, lParam, result);
  return result;
}
