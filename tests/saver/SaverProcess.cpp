#include "SaverProcess.h"

#include <vector>

#include "TestSupport.h"

namespace saver_test {
namespace {

struct TopSearch {
  DWORD pid;
  std::wstring cls;
  HWND except;
  HWND found = nullptr;
};

BOOL CALLBACK FindTop(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<TopSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || hwnd == s->except || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  if (!s->cls.empty() && s->cls != name) return TRUE;
  s->found = hwnd;
  return FALSE;
}

struct TextSearch {
  std::wstring text;
  HWND found = nullptr;
};

BOOL CALLBACK FindText(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<TextSearch*>(lp);
  if (IsWindowVisible(hwnd) && TextOf(hwnd) == s->text) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

SaverProcess::SaverProcess(const std::wstring& arguments) {
  const std::wstring exe = testing_support::ProgramDir() + L"SWF.zel.scr";
  std::wstring line = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     testing_support::ProgramDir().c_str(), &si, &pi)) {
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    id_ = pi.dwProcessId;
  }
}

SaverProcess::~SaverProcess() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    if (HWND w = FindWindowOf(L"")) PostMessageW(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, 5000) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
  }
  CloseHandle(process_);
}

HWND SaverProcess::FindWindowOf(const std::wstring& className, HWND except) const {
  TopSearch s{id_, className, except};
  EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND SaverProcess::WaitForWindow(const std::wstring& className, DWORD timeoutMs) const {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    if (HWND found = FindWindowOf(className)) return found;
    if (!process_ || WaitForSingleObject(process_, 50) == WAIT_OBJECT_0) return nullptr;
  } while (GetTickCount64() < end);
  return nullptr;
}

bool SaverProcess::WaitForExit(DWORD timeoutMs) const {
  return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD RunOnDesktop(const std::wstring& commandLine, const std::wstring& desktop, DWORD timeoutMs) {
  std::wstring line = commandLine, name = desktop;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.lpDesktop = name.data();
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      testing_support::ProgramDir().c_str(), &si, &pi))
    return ~0u;
  CloseHandle(pi.hThread);
  DWORD code = ~0u;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(pi.hProcess, &code);
  } else {
    TerminateProcess(pi.hProcess, 1);
  }
  CloseHandle(pi.hProcess);
  return code;
}

COLORREF ScreenColor(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

bool WaitForScreenColor(int x, int y, COLORREF color, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    if (ScreenColor(x, y) == color) return true;
    Sleep(50);
  } while (GetTickCount64() < end);
  return false;
}

bool SaveScreenShot(const RECT& rect, const std::wstring& path) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFOHEADER bi{sizeof(bi), w, h, 1, 24, BI_RGB};
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> file(sizeof(BITMAPFILEHEADER) + sizeof(bi) + stride * h);
  GetDIBits(mem, bmp, 0, h, file.data() + sizeof(BITMAPFILEHEADER) + sizeof(bi), reinterpret_cast<BITMAPINFO*>(&bi),
            DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(bi);
  fh.bfSize = static_cast<DWORD>(file.size());
  memcpy(file.data(), &fh, sizeof(fh));
  memcpy(file.data() + sizeof(fh), &bi, sizeof(bi));
  return testing_support::WriteBytes(path, file);
}

HWND FindChildByText(HWND parent, const std::wstring& text) {
  TextSearch s{text};
  EnumChildWindows(parent, FindText, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 3000, &got))
    return L"";
  return text;
}

}  // namespace saver_test
