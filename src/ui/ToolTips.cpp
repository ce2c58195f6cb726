#include "ui/ToolTips.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/forms/Control.h"

namespace {

struct ToolTipRecord {
  HWND control;
  HWND tip;
};
std::vector<ToolTipRecord> records;  // creation order
HWND lastTip = nullptr;

constexpr UINT_PTR kWatchId = 0x5457;  // our subclass on a control that has a tooltip

bool IsToolTipWindow(HWND h) {
  if (!h || !IsWindow(h)) return false;
  wchar_t cls[64] = {};
  GetClassNameW(h, cls, 64);
  return lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0;
}

void Forget(HWND control) {
  records.erase(std::remove_if(records.begin(), records.end(),
                               [control](const ToolTipRecord& r) { return r.control == control; }),
                records.end());
}

// Watches a control that has a tooltip: when it goes, its tooltip goes too.
LRESULT CALLBACK WatchProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (uMsg == WM_NCDESTROY) {
    HWND tip = ToolTipOf(hWnd);
    Forget(hWnd);
    if (tip == lastTip) lastTip = nullptr;
    RemoveWindowSubclass(hWnd, WatchProc, id);
    if (IsToolTipWindow(tip)) DestroyWindow(tip);
  }
  return DefSubclassProc(hWnd, uMsg, wParam, lParam);
}

// The live tooltip window recorded for owner; a record whose window went is dropped.
HWND LiveToolTipOf(HWND owner) {
  HWND tip = ToolTipOf(owner);
  if (tip && !IsToolTipWindow(tip)) {
    Forget(owner);
    tip = nullptr;
  }
  return tip;
}

TOOLINFOW ToolFor(HWND control, const std::wstring& text) {
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.hwnd = control;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<wchar_t*>(text.c_str());
  return ti;
}

}  // namespace

bool InitControls(DWORD classes) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), classes};
  return InitCommonControlsEx(&icc) != FALSE;
}

HWND CreateToolTipWindow(HWND owner, bool balloon) {
  if (HWND existing = owner ? LiveToolTipOf(owner) : nullptr) return lastTip = existing;
  const DWORD style = TTS_ALWAYSTIP | TTS_NOPREFIX | (balloon ? TTS_BALLOON : 0);
  HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  lastTip = tip;
  if (tip) {
    records.push_back({owner, tip});
    if (owner) SetWindowSubclass(owner, WatchProc, kWatchId, 0);
  }
  return tip;
}

void AddToolTip(HWND control, const std::wstring& text, COLORREF& back, COLORREF& fore, long maxWidth,
                long initialDelay, long autoPopDelay, bool centered) {
  if (!lastTip) return;
  TOOLINFOW ti = ToolFor(control, text);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS | (centered ? TTF_CENTERTIP : 0);
  if (control) GetClientRect(control, &ti.rect);
  back = GetSysColor(COLOR_INFOBK);
  fore = GetSysColor(COLOR_INFOTEXT);
  SendMessageW(lastTip, TTM_SETMAXTIPWIDTH, 0, maxWidth);
  SendMessageW(lastTip, TTM_SETDELAYTIME, TTDT_INITIAL, initialDelay);
  SendMessageW(lastTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, autoPopDelay);
  SendMessageW(lastTip, TTM_SETTIPTEXTCOLOR, fore, 0);
  SendMessageW(lastTip, TTM_SETTIPBKCOLOR, back, 0);
  SendMessageW(lastTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));  // a control is one tool, its text the last
  SendMessageW(lastTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void SetToolTip(HWND control, const std::wstring& text) {
  if (!control || !IsWindow(control)) return;
  if (!CreateToolTipWindow(control, true)) return;
  COLORREF back = 0, fore = 0;
  AddToolTip(control, text, back, fore, 300, 1000, 5000, false);
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
  for (const ToolTipRecord& r : all) {
    if (r.control && IsWindow(r.control)) RemoveWindowSubclass(r.control, WatchProc, kWatchId);
    if (IsToolTipWindow(r.tip)) DestroyWindow(r.tip);
  }
}

std::vector<HWND> ToolTipWindows() {
  std::vector<HWND> tips;
  for (const ToolTipRecord& r : records) tips.push_back(r.tip);
  return tips;
}

HWND LastToolTip() { return lastTip; }

HWND ToolTipOf(HWND control) {
  for (const ToolTipRecord& r : records)
    if (r.control == control) return r.tip;
  return nullptr;
}
