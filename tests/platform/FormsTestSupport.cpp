#include "FormsTestSupport.h"

#include <vector>

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

void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

COLORREF ScreenPixel(HWND hwnd, int x, int y) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpFor(50);
  POINT pt{x, y};
  ClientToScreen(hwnd, &pt);
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, pt.x, pt.y);
  ReleaseDC(nullptr, screen);
  return c;
}

COLORREF PrintedPixel(HWND hwnd, int x, int y) {
  RECT r;
  GetClientRect(hwnd, &r);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, r.right, r.bottom);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(mem, bmp);
  SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
  COLORREF c = GetPixel(mem, x, y);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  return c;
}

forms::Picture SolidPicture(int w, int h, COLORREF color) {
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(mem, bmp);
  RECT r{0, 0, w, h};
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(mem, &r, brush);
  DeleteObject(brush);
  SelectObject(mem, old);
  DeleteDC(mem);
  return forms::Picture::FromBitmap(bmp, true);
}

bool SaveWindowShot(HWND hwnd, const std::wstring& path) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  PumpFor(200);
  RECT r;
  GetWindowRect(hwnd, &r);
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
