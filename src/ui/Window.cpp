#include "ui/Window.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/forms/Form.h"
#include "platform/forms/MessageLoop.h"
#include "platform/forms/PictureBox.h"
#include "services/MessagePump.h"
#include "services/Services.h"
#include "base/TextConv.h"


using forms::Control;
using forms::Form;
using forms::PictureBox;

namespace {

// Caption texts kept aside while a window's title bar is hidden. A text lives
// no longer than its window: a window made later (a form loaded again) starts
// without one, even where it gets the same handle.
std::map<HWND, std::wstring>& SavedCaptions() {
  static std::map<HWND, std::wstring> captions;
  return captions;
}

constexpr UINT_PTR kCaptionWatchId = 0x5443;

LRESULT CALLBACK CaptionWatchProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
  if (uMsg == WM_NCDESTROY) {
    SavedCaptions().erase(hWnd);
    RemoveWindowSubclass(hWnd, CaptionWatchProc, id);
  }
  return DefSubclassProc(hWnd, uMsg, wParam, lParam);
}

void KeepCaption(HWND hWnd, const std::wstring& caption) {
  auto& saved = SavedCaptions();
  if (saved.count(hWnd)) return;  // hidden already: the first text stays
  saved[hWnd] = caption;
  SetWindowSubclass(hWnd, CaptionWatchProc, kCaptionWatchId, 0);
}

// The caption kept for hWnd, taken out of the store; false when none was kept.
bool TakeCaption(HWND hWnd, std::wstring& caption) {
  auto& saved = SavedCaptions();
  auto it = saved.find(hWnd);
  if (it == saved.end()) return false;
  caption = std::move(it->second);
  saved.erase(it);
  RemoveWindowSubclass(hWnd, CaptionWatchProc, kCaptionWatchId);
  return true;
}

// Per form, the saved Enabled states of its controls, innermost call last.
using EnabledStates = std::vector<std::pair<forms::Control*, bool>>;
std::map<Form*, std::vector<EnabledStates>>& SavedEnabledStates() {
  static std::map<Form*, std::vector<EnabledStates>> states;
  return states;
}

// Runs one step of a helper whose steps fail independently.
template <typename F>
void Step(F&& f) {
  try {
    f();
  } catch (...) {
  }
}

void ApplyTitleBarStyle(HWND hWnd, bool show, bool controlBox, bool maxButton, bool minButton) {
  RECT rc{};
  GetWindowRect(hWnd, &rc);
  LONG_PTR style = GetWindowLongPtrW(hWnd, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrW(hWnd, GWL_EXSTYLE);
  if (show) {
    if (controlBox) style |= WS_SYSMENU;
    if (maxButton) style |= WS_MAXIMIZEBOX;
    if (minButton) style |= WS_MINIMIZEBOX;
    if (GetWindowTextLengthW(hWnd) > 0) style |= WS_CAPTION;
    style |= WS_THICKFRAME;
  } else {
    style &= ~static_cast<LONG_PTR>(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  }
  SetWindowLongPtrW(hWnd, GWL_STYLE, style);
  SetWindowLongPtrW(hWnd, GWL_EXSTYLE, exStyle);
  // The outer rectangle stays; the client area grows or shrinks.
  SetWindowPos(hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
               SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
  RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool MainTopMostChecked() {
  Form* main = forms::FormFromHwnd(MainForm);
  forms::Menu* item = main ? main->FindMenu(L"mnuTopMost") : nullptr;
  return item && item->Checked();
}

// Reads the pixels of a device context: all at once from the 24- or 32-bit
// bitmap selected into it, otherwise one GetPixel at a time.
class PixelSource {
 public:
  explicit PixelSource(HDC dc) : dc_(dc) {
    HGDIOBJ bmp = GetCurrentObject(dc, OBJ_BITMAP);
    BITMAP bm{};
    if (!bmp || !GetObjectW(bmp, sizeof(bm), &bm) || (bm.bmBitsPixel != 24 && bm.bmBitsPixel != 32)) return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> px(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    GdiFlush();
    if (GetDIBits(dc, static_cast<HBITMAP>(bmp), 0, bm.bmHeight, px.data(), &bi, DIB_RGB_COLORS) != bm.bmHeight)
      return;
    px_ = std::move(px);
    w_ = bm.bmWidth;
    h_ = bm.bmHeight;
    whole_ = true;
  }
  COLORREF At(int x, int y) const {
    if (!whole_) return GetPixel(dc_, x, y);
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return CLR_INVALID;
    const uint32_t p = px_[static_cast<size_t>(y) * w_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  HDC dc_;
  std::vector<uint32_t> px_;
  int w_ = 0, h_ = 0;
  bool whole_ = false;
};

// Collects the runs of pixels that match (equal == true) or differ from color.
RegionPtr BuildRegion(HDC dc, int width, int height, COLORREF color, bool equal) {
  std::vector<RECT> runs;
  if (dc) {
    PixelSource px(dc);
    for (int y = 0; y < height; ++y) {
      int x = 0;
      while (x < width) {
        while (x < width && (px.At(x, y) == color) != equal) ++x;
        if (x >= width) break;
        const int x0 = x;
        while (x < width && (px.At(x, y) == color) == equal) ++x;
        runs.push_back(RECT{x0, y, x, y + 1});
      }
    }
  }
  if (runs.empty()) return RegionPtr(CreateRectRgn(0, 0, 0, 0));
  std::vector<uint8_t> buf(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(runs.size());
  data->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
  data->rdh.rcBound = RECT{0, 0, width, height};
  memcpy(data->Buffer, runs.data(), runs.size() * sizeof(RECT));
  return RegionPtr(ExtCreateRegion(nullptr, static_cast<DWORD>(buf.size()), data));
}

}  // namespace

void SetFormIcon(HWND hWnd, const wchar_t* iconName, bool alsoOwner) {
  HWND top = nullptr;
  if (alsoOwner) {
    top = hWnd;
    for (HWND o = GetWindow(top, GW_OWNER); o; o = GetWindow(o, GW_OWNER)) top = o;
  }
  HINSTANCE inst = GetModuleHandleW(nullptr);
  const int sizes[2][2] = {{SM_CXICON, SM_CYICON}, {SM_CXSMICON, SM_CYSMICON}};
  const WPARAM kinds[2] = {ICON_BIG, ICON_SMALL};
  for (int i = 0; i < 2; ++i) {
    HANDLE icon = LoadImageW(inst, iconName, IMAGE_ICON, GetSystemMetrics(sizes[i][0]),
                             GetSystemMetrics(sizes[i][1]), LR_SHARED);
    if (!icon) continue;
    if (top) SendMessageW(top, WM_SETICON, kinds[i], reinterpret_cast<LPARAM>(icon));
    SendMessageW(hWnd, WM_SETICON, kinds[i], reinterpret_cast<LPARAM>(icon));
  }
}

RegionPtr RegionFromMaskColor(HDC dc, int width, int height, COLORREF maskColor) {
  return BuildRegion(dc, width, height, maskColor, false);
}

RegionPtr RegionOfColor(HDC dc, int width, int height, COLORREF color) {
  return BuildRegion(dc, width, height, color, true);
}

void ShowTitleBar(HWND hWnd, bool show, bool controlBox, bool maxButton, bool minButton) {
  if (!hWnd) return;
  if (show) {
    // Put the caption back only when one was kept: the running instance is
    // found by its caption, so it must never be replaced by an empty text.
    std::wstring caption;
    if (TakeCaption(hWnd, caption)) SetWindowTextW(hWnd, caption.c_str());
  } else {
    KeepCaption(hWnd, forms::WindowText(hWnd));
  }
  ApplyTitleBarStyle(hWnd, show, controlBox, maxButton, minButton);
}

void ShowTitleBar(Form& form, bool show) {
  HWND hWnd = form.hWnd();
  if (!hWnd) return;
  if (show) {
    std::wstring caption;
    if (TakeCaption(hWnd, caption)) form.SetCaption(caption);
  } else {
    KeepCaption(hWnd, form.Caption());
  }
  ApplyTitleBarStyle(hWnd, show, form.ControlBox(), form.MaxButton(), form.MinButton());
}

void ShowForm(Form& form, int mode) {
  try {
    if (mode == forms::vbModal && form.IsLoaded() && (form.IsModal() || form.Visible())) {
      WriteLog(L"ShowForm: 400 - Form already displayed; can't show modally", true);
      return;
    }
    if (PlayerReady && MainForm && IsWindow(MainForm)) {
      const bool topMost = MainTopMostChecked();
      form.Load();
      SetTopMost(form.hWnd(), topMost);
      form.Show(mode, MainForm);
      // A modal dialog has closed by now: the main window comes back to the front.
      if (mode == forms::vbModal) ActivateWindow(MainForm);
    } else {
      form.Show(mode, nullptr);
    }
  } catch (const std::exception& e) {
    WriteLog(L"ShowForm: 5 - " + Utf8ToWide(e.what()), true);
  } catch (...) {
    WriteLog(L"ShowForm: 5 - unknown failure", true);
  }
}

RegionPtr RegionFromMaskColor(PictureBox& picture, COLORREF maskColor) {
  return RegionFromMaskColor(picture.hDC(), picture.Width(), picture.Height(), maskColor);
}

RegionPtr RegionOfColor(PictureBox& picture, COLORREF color) {
  return RegionOfColor(picture.hDC(), picture.Width(), picture.Height(), color);
}

void AnimateFormBounds(Form& form, long& left, long& top, long& width, long& height, bool centre) {
  bool wasEnabled = true;
  Step([&] {
    wasEnabled = form.Enabled();
    form.SetEnabled(false);
  });
  const int tx = forms::TwipsPerPixelX(), ty = forms::TwipsPerPixelY();
  const long l0 = form.Left() * tx, t0 = form.Top() * ty, w0 = form.Width() * tx, h0 = form.Height() * ty;
  if (left == -1) left = l0;
  if (top == -1) top = t0;
  if (width == -1) width = w0;
  if (height == -1) height = h0;
  if (left != l0 || top != t0 || width != w0 || height != h0) {
    if (centre) {
      left = std::lrint(l0 + (w0 - width) / 2.0);
      top = std::lrint(t0 + (h0 - height) / 2.0);
    }
    Step([&] {
      form.Move(std::lrint(static_cast<double>(left) / tx), std::lrint(static_cast<double>(top) / ty),
                std::lrint(static_cast<double>(width) / tx), std::lrint(static_cast<double>(height) / ty));
    });
    Step([&] { form.SetVisual(); });
    Wait(30);
  }
  // Back to the state it had: a form disabled by a modal dialog stays disabled.
  Step([&] { form.SetEnabled(wasEnabled); });
}

long FormHeightForClient(Form& form, long clientHeight) {
  const int ty = forms::TwipsPerPixelY();
  return static_cast<long>(form.Height() - form.ScaleHeight() + clientHeight) * ty;
}

void EnableAllControls(Form& form, bool disable) {
  auto& stacks = SavedEnabledStates();
  if (disable) {
    EnabledStates states;
    const auto& controls = form.Controls();
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
      forms::Control* c = *it;
      Step([&] {
        states.emplace_back(c, c->Enabled());
        c->SetEnabled(false);
      });
    }
    stacks[&form].push_back(std::move(states));
    return;
  }
  auto found = stacks.find(&form);
  if (found == stacks.end() || found->second.empty()) return;
  EnabledStates states = std::move(found->second.back());
  found->second.pop_back();
  if (found->second.empty()) stacks.erase(found);
  // Containers come before their contents, so a picture box is back to its
  // state before its controls are looked at.
  for (forms::Control* c : form.Controls()) {
    auto saved = std::find_if(states.begin(), states.end(), [c](const auto& s) { return s.first == c; });
    if (saved == states.end()) continue;  // loaded after the states were saved
    Step([&] {
      // A control inside a disabled picture box stays as it is; the form itself
      // counts as enabled (a modal dialog may have disabled its window).
      forms::Container* holder = c->Container();
      if (!holder || !holder->AsControl() || holder->Enabled()) c->SetEnabled(saved->second);
    });
  }
}

void SetTopMost(HWND hWnd, bool onTop) {
  SetWindowPos(hWnd, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

namespace {
ULONGLONG (*waitClock)() = GetTickCount64;
}  // namespace

void SetWaitClock(ULONGLONG (*clock)()) { waitClock = clock ? clock : GetTickCount64; }

void Wait(long milliseconds) {
  if (milliseconds <= 0) return;
  const ULONGLONG deadline = waitClock() + static_cast<ULONGLONG>(milliseconds);
  for (;;) {
    if (!PumpPendingMessages()) return;
    const ULONGLONG now = waitClock();
    if (now >= deadline) return;
    // Sleep until a message arrives or the time is up.
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }
}

void ActivateWindow(HWND hWnd) {
  SetForegroundWindow(hWnd);
  BringWindowToTop(hWnd);
}

void DragWindow(HWND hWnd) {
  ReleaseCapture();
  SendMessageW(hWnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void SizeWindowFromGrip(HWND hWnd) {
  ReleaseCapture();
  SendMessageW(hWnd, WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, 0);
}
