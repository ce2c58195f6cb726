// Driving SWF.zel.scr as a child process: starting it (optionally on another
// desktop), finding its windows, reading the screen and waiting for it to end.
#pragma once
#include <windows.h>

#include <string>

namespace saver_test {

class SaverProcess {
 public:
  // Starts SWF.zel.scr beside the test program with the arguments given.
  explicit SaverProcess(const std::wstring& arguments);
  ~SaverProcess();  // ends a process still running
  SaverProcess(const SaverProcess&) = delete;
  SaverProcess& operator=(const SaverProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  // The process's visible top-level window of that class (any when empty), waiting up to timeoutMs.
  HWND WaitForWindow(const std::wstring& className, DWORD timeoutMs = 20000) const;
  // A visible top-level window of the process, other than except, with that class (any when empty).
  HWND FindWindowOf(const std::wstring& className, HWND except = nullptr) const;
  bool WaitForExit(DWORD timeoutMs) const;
  DWORD Id() const { return id_; }

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Starts a program on the command line given, on the desktop named, and
// waits for it to end; its exit code, or ~0u when it could not run or did not end.
DWORD RunOnDesktop(const std::wstring& commandLine, const std::wstring& desktop, DWORD timeoutMs);

// The colour on the screen at (x, y).
COLORREF ScreenColor(int x, int y);
// Polls until the screen shows color at (x, y), up to timeoutMs.
bool WaitForScreenColor(int x, int y, COLORREF color, DWORD timeoutMs = 10000);
// Saves what the screen shows of rect as a 24-bit BMP.
bool SaveScreenShot(const RECT& rect, const std::wstring& path);
// A visible child (any depth) of parent whose text is text, or null.
HWND FindChildByText(HWND parent, const std::wstring& text);
std::wstring TextOf(HWND window);

}  // namespace saver_test
