#include "ui/ToolTips.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/forms/Control.h"

namespace {

struct ToolTipRecord {
  HWND control;
  HWND tip;           // null while the window waits for its first need
  std::wstring text;  // the text a waiting window is to get
};
std::vector<ToolTipRecord> records;  // in the order the tooltips were given
HWND lastTip = nullptr;
HWND lastWaiting = nullptr;  // the control whose waiting tooltip is the last one

constexpr UINT_PTR kWatchId = 0x5457;  // our subclass on a control that has a tooltip

bool IsToolTipWindow(HWND h) {
  if (!h || !IsWindow(h)) return false;
  wchar_t cls[64] = {};
  GetClassNameW(h, cls, 64);
  return lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0;
}

ToolTipRecord* Find(HWND control) {
  for (ToolTipRecord& r : records)
    if (r.control == control) return &r;
  return nullptr;
}

void Forget(HWND control) {
  records.erase(std::remove_if(records.begin(), records.end(),
                               [control](const ToolTipRecord& r) { return r.control == control; }),
                records.end());
  if (lastWaiting == control) lastWaiting = nullptr;
}

HWND MakeWindow(HWND owner, bool balloon) {
  const DWORD style = TTS_ALWAYSTIP | TTS_NOPREFIX | (balloon ? TTS_BALLOON : 0);
  return CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void Configure(HWND tip, HWND control, const std::wstring& text, COLORREF back, COLORREF fore, long maxWidth,
               long initialDelay, long autoPopDelay, bool centered) {
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS | (centered ? TTF_CENTERTIP : 0);
  ti.hwnd = control;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<wchar_t*>(text.c_str());
  if (control) GetClientRect(control, &ti.rect);
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, maxWidth);
  SendMessageW(tip, TTM_SETDELAYTIME, TTDT_INITIAL, initialDelay);
  SendMessageW(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, autoPopDelay);
  SendMessageW(tip, TTM_SETTIPTEXTCOLOR, fore, 0);
  SendMessageW(tip, TTM_SETTIPBKCOLOR, back, 0);
  SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));  // a control is one tool, its text the last
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

// Makes the waiting balloon of control; returns its window (null when there is
// none, or it could not be made: the record then goes).
HWND Realise(HWND control) {
  ToolTipRecord* r = Find(control);
  if (!r || r->tip) return r ? r->tip : nullptr;
  const std::wstring text = std::move(r->text);
  HWND tip = MakeWindow(control, true);
  r = Find(control);  // found again: creating a window sends messages
  if (!r || !tip) {
    if (tip) DestroyWindow(tip);
    Forget(control);
    return nullptr;
  }
  r->tip = tip;
  Configure(tip, control, text, GetSysColor(COLOR_INFOBK), GetSysColor(COLOR_INFOTEXT), 300, 1000, 5000, false);
  if (lastWaiting == control) {
    lastWaiting = nullptr;
    lastTip = tip;
  }
  return tip;
}

// Watches a control that has a tooltip: the first mouse move over it makes a
// waiting tooltip window (and hands it that move); when the control goes, its
// tooltip goes too.
LRESULT CALLBACK WatchProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (uMsg == WM_MOUSEMOVE) {
    const ToolTipRecord* r = Find(hWnd);
    if (r && !r->tip) {
      if (HWND tip = Realise(hWnd)) {
        MSG msg{};
        msg.hwnd = hWnd;
        msg.message = uMsg;
        msg.wParam = wParam;
        msg.lParam = lParam;
        msg.time = static_cast<DWORD>(GetMessageTime());
        const DWORD pos = GetMessagePos();
        msg.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
        SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
      }
    }
  } else if (uMsg == WM_NCDESTROY) {
    const ToolTipRecord* r = Find(hWnd);
    HWND tip = r ? r->tip : nullptr;
    Forget(hWnd);
    if (tip && tip == lastTip) lastTip = nullptr;
    RemoveWindowSubclass(hWnd, WatchProc, id);
    if (IsToolTipWindow(tip)) DestroyWindow(tip);
  }
  return DefSubclassProc(hWnd, uMsg, wParam, lParam);
}

// The record of owner whose window (if made) still exists; a record whose window
// went is dropped.
ToolTipRecord* LiveRecord(HWND owner) {
  ToolTipRecord* r = Find(owner);
  if (r && r->tip && !IsToolTipWindow(r->tip)) {
    Forget(owner);
    r = nullptr;
  }
  return r;
}

}  // namespace

bool InitControls(DWORD classes) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), classes};
  return InitCommonControlsEx(&icc) != FALSE;
}

HWND CreateToolTipWindow(HWND owner, bool balloon) {
  lastWaiting = nullptr;
  if (owner && LiveRecord(owner)) return lastTip = Realise(owner);
  HWND tip = MakeWindow(owner, balloon);
  lastTip = tip;
  if (tip) {
    records.push_back({owner, tip, {}});
    if (owner) SetWindowSubclass(owner, WatchProc, kWatchId, 0);
  }
  return tip;
}

void AddToolTip(HWND control, const std::wstring& text, COLORREF& back, COLORREF& fore, long maxWidth,
                long initialDelay, long autoPopDelay, bool centered) {
  HWND tip = LastToolTip();
  if (!tip) return;
  back = GetSysColor(COLOR_INFOBK);
  fore = GetSysColor(COLOR_INFOTEXT);
  Configure(tip, control, text, back, fore, maxWidth, initialDelay, autoPopDelay, centered);
}

void SetToolTip(HWND control, const std::wstring& text) {
  if (!control || !IsWindow(control)) return;
  ToolTipRecord* r = LiveRecord(control);
  if (r && r->tip) {  // made already: updated in place
    lastWaiting = nullptr;
    lastTip = r->tip;
    COLORREF back = 0, fore = 0;
    AddToolTip(control, text, back, fore, 300, 1000, 5000, false);
    return;
  }
  if (r) {
    r->text = text;
  } else {
    records.push_back({control, nullptr, text});
    SetWindowSubclass(control, WatchProc, kWatchId, 0);
  }
  lastWaiting = control;
  lastTip = nullptr;
}

void SetToolTip(forms::Control& control, std::wstring& text) {
  HWND h = control.hWnd();
  if (!h) return;
  if (text.empty()) text = control.ToolTipText();
  SetToolTip(h, text);
  control.SetToolTipText(L"");
}

void DestroyToolTips() {
  std::vector<ToolTipRecord> all;
  all.swap(records);
  lastTip = nullptr;
  lastWaiting = nullptr;
  for (const ToolTipRecord& r : all) {
    if (r.control && IsWindow(r.control)) RemoveWindowSubclass(r.control, WatchProc, kWatchId);
    if (IsToolTipWindow(r.tip)) DestroyWindow(r.tip);
  }
}

std::vector<HWND> ToolTipWindows() {
  std::vector<HWND> waiting;
  for (const ToolTipRecord& r : records)
    if (!r.tip) waiting.push_back(r.control);
  for (HWND control : waiting) Realise(control);
  std::vector<HWND> tips;
  for (const ToolTipRecord& r : records) tips.push_back(r.tip);
  return tips;
}

HWND LastToolTip() { return lastWaiting ? Realise(lastWaiting) : lastTip; }

HWND ToolTipOf(HWND control) {
  const ToolTipRecord* r = Find(control);
  if (!r) return nullptr;
  return r->tip ? r->tip : Realise(control);
}
