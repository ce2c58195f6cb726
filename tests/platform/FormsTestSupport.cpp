#include "FormsTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "base/Handles.h"
#include "support/TestSupport.h"

namespace forms_test {

bool PumpUntil(const std::function<bool()>& done, int maxMs) {
  ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(maxMs);
  while (!done()) {
    if (GetTickCount64() > end) return done();
    forms::DoEvents();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

namespace {

std::function<void()> pendingAction;
forms::Form* awaitedForm = nullptr;

void CALLBACK WhenShown(HWND, UINT, UINT_PTR id, DWORD) {
  if (!awaitedForm || !awaitedForm->IsLoaded() || !IsWindowVisible(awaitedForm->hWnd())) return;
  KillTimer(nullptr, id);
  auto action = std::move(pendingAction);
  pendingAction = nullptr;
  awaitedForm = nullptr;
  if (action) action();
}

}  // namespace

void OnceShown(forms::Form& form, std::function<void()> action) {
  awaitedForm = &form;
  pendingAction = std::move(action);
  SetTimer(nullptr, 0, 10, WhenShown);
}

void Press(forms::Form& form, UINT key) {
  PostMessageW(form.hWnd(), WM_KEYDOWN, key, 0);
  PostMessageW(form.hWnd(), WM_KEYUP, key, 0xC0000000);
}

bool PumpPostedMessages(int maxMs) {
  testing_support::PostedMarker marker;
  return PumpUntil([&] { return marker.Handled(); }, maxMs);
}

bool PumpUntilSettled(HWND hwnd, int maxMs) {
  const ULONGLONG start = GetTickCount64();
  if (!PumpUntil([&] { return IsWindowVisible(hwnd) != FALSE; }, maxMs)) return false;
  const int spent = static_cast<int>(GetTickCount64() - start);
  return PumpPostedMessages(std::max(maxMs - spent, 1000));
}

COLORREF ScreenPixel(HWND hwnd, int x, int y) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  forms::DoEvents();
  GdiFlush();
  POINT pt{x, y};
  ClientToScreen(hwnd, &pt);
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, pt.x, pt.y);
  ReleaseDC(nullptr, screen);
  return c;
}

::testing::AssertionResult ShownAs(COLORREF shown, COLORREF drawn) {
  ScopedWindowDC screen(nullptr);
  const int depth = GetDeviceCaps(screen.get(), BITSPIXEL);
  const int slack = depth >= 24 ? 0 : depth >= 15 ? 8 : 64;  // bits kept per channel: 8, 5 or 6, fewer
  const int channels[3][2] = {{GetRValue(shown), GetRValue(drawn)},
                              {GetGValue(shown), GetGValue(drawn)},
                              {GetBValue(shown), GetBValue(drawn)}};
  for (const auto& c : channels)
    if (std::abs(c[0] - c[1]) > slack)
      return ::testing::AssertionFailure() << std::hex << "shown 0x" << shown << ", drawn 0x" << drawn
                                           << std::dec << " at " << depth << " bits per pixel";
  return ::testing::AssertionSuccess();
}

void PlaceOutOfTheWay(forms::FormArgs& design, int clientWidth, int clientHeight) {
  // Room for a frame, a caption and a menu bar on top of the client area.
  design.Left = std::max(0, GetSystemMetrics(SM_CXSCREEN) - clientWidth - 40);
  design.Top = std::max(0, GetSystemMetrics(SM_CYSCREEN) - clientHeight - 80);
  design.ExStyle |= WS_EX_TOPMOST;
  design.StartUpPosition = forms::vbStartUpManual;
}

namespace {

// A 32-bit bitmap, whatever the screen's depth.
ScopedBitmap Dib32(int w, int h) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
  void* bits = nullptr;
  return ScopedBitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
}

}  // namespace

COLORREF PrintedPixel(HWND hwnd, int x, int y) {
  RECT r;
  GetClientRect(hwnd, &r);
  ScopedMemoryDC mem(nullptr);
  ScopedBitmap bmp = Dib32(std::min<int>(r.right, x + 1), std::min<int>(r.bottom, y + 1));
  ScopedSelect select(mem.get(), bmp.get());
  SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem.get()), PRF_CLIENT);
  return GetPixel(mem.get(), x, y);
}

forms::Picture SolidPicture(int w, int h, COLORREF color) {
  ScopedBitmap bmp = Dib32(w, h);
  {
    ScopedMemoryDC mem(nullptr);
    ScopedSelect select(mem.get(), bmp.get());
    RECT r{0, 0, w, h};
    ScopedBrush brush(CreateSolidBrush(color));
    FillRect(mem.get(), &r, brush.get());
  }
  return forms::Picture::FromBitmap(bmp.release(), true);
}

bool SaveWindowShot(HWND hwnd, const std::wstring& path) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  forms::DoEvents();
  GdiFlush();
  RECT r;
  GetWindowRect(hwnd, &r);
  return SaveScreenArea(r, path);
}

bool SaveScreenArea(const RECT& r, const std::wstring& path) {
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFOHEADER bi{sizeof(bi), w, h, 1, 24, BI_RGB};
  int stride = (w * 3 + 3) & ~3;
  std::vector<BYTE> bits(static_cast<size_t>(stride) * h);
  GetDIBits(mem, bmp, 0, h, bits.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(bi);
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(bits.size());
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  bool ok = WriteFile(f, &fh, sizeof(fh), &n, nullptr) && WriteFile(f, &bi, sizeof(bi), &n, nullptr) &&
            WriteFile(f, bits.data(), static_cast<DWORD>(bits.size()), &n, nullptr);
  CloseHandle(f);
  return ok;
}

}  // namespace forms_test
