#include "ui/HookEvents.h"

SubclassSlot SubclassTable[SubclassSlotCount + 1];

namespace {

// The subclass id of every slot's entry; the entry procedure itself tells the slots apart.
constexpr UINT_PTR kSlotSubclassId = 0x5357;

template <int N>
LRESULT CALLBACK WndProcN(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
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
  s.Owner = nullptr;
}

// Ends the slot's hook on hWnd, wherever its entry sits in the window's chain.
void Release(SubclassSlot& s, HWND hWnd) {
  if (hWnd && IsWindow(hWnd)) RemoveWindowSubclass(hWnd, s.NewProc, kSlotSubclassId);
  if (s.hWnd == hWnd) ClearSlot(s);
}

}  // namespace

void InitSubclassTable() {
  const SUBCLASSPROC procs[SubclassSlotCount] = {WndProcN<1>, WndProcN<2>, WndProcN<3>, WndProcN<4>,
                                                 WndProcN<5>, WndProcN<6>, WndProcN<7>, WndProcN<8>,
                                                 WndProcN<9>, WndProcN<10>};
  for (int i = 1; i <= SubclassSlotCount; ++i) SubclassTable[i].NewProc = procs[i - 1];
}

int SubclassWindow(IHookClient* owner, HWND hWnd) {
  if (!SubclassTable[1].NewProc) InitSubclassTable();
  if (!hWnd || !IsWindow(hWnd)) return 0;
  for (int i = 1; i <= SubclassSlotCount; ++i) {
    SubclassSlot& s = SubclassTable[i];
    if (s.hWnd) continue;
    s.Owner = owner;
    s.hWnd = hWnd;
    if (!SetWindowSubclass(hWnd, s.NewProc, kSlotSubclassId, 0)) {  // another thread's window
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
  Release(s, s.hWnd);
  return true;
}

LRESULT SubclassWndProc(int slot, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (slot < 1 || slot > SubclassSlotCount) return 0;
  SubclassSlot& s = SubclassTable[slot];
  if (s.hWnd != hWnd) {
    // A hook left behind on a window the slot no longer serves (the slot may
    // serve another window by now): it steps out and passes the message on.
    Release(s, hWnd);
    return DefSubclassProc(hWnd, uMsg, wParam, lParam);
  }

  if (uMsg == WM_NCDESTROY) {
    // The window goes: pass the message on, then give the slot back.
    IHookClient* owner = s.Owner;
    const LRESULT r = DefSubclassProc(hWnd, uMsg, wParam, lParam);
    Release(s, hWnd);
    if (owner) owner->SlotEnded();
    return r;
  }

  const Kind kind = Classify(uMsg);
  if (kind == Kind::Other) return DefSubclassProc(hWnd, uMsg, wParam, lParam);

  IHookClient* owner = s.Owner;
  if (!owner || owner->HookedWindow() != hWnd) {
    const LRESULT r = DefSubclassProc(hWnd, uMsg, wParam, lParam);
    Release(s, hWnd);
    if (owner) owner->SlotEnded();
    return r;
  }

  LRESULT result = 0;
  bool handled = false;
  if (kind == Kind::BeforeAndAfter) {
    owner->BeforeMessage(hWnd, uMsg, wParam, lParam, handled, result);
    if (handled) return result;
  }
  result = DefSubclassProc(hWnd, uMsg, wParam, lParam);
  // A handler may have released the slot meanwhile; the client is then no
  // longer ours to call.
  if (s.hWnd == hWnd && s.Owner == owner) owner->AfterMessage(hWnd, uMsg, wParam, lParam, result);
  return result;
}
