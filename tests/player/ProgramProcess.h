// Driving SWF.zel.exe as a child process: starting it with a command line,
// waiting (bounded, by polling) for its main window or another of its windows,
// waiting until it has handled what it was given, giving it keys and clicks as
// a user does, closing it, and starting each test
// on an empty registry key.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace player_test {

// Empties the test program's own key (AppRegistryKey, which the programs it
// starts inherit; never the user's live key) before and after a test, and
// keeps the handlers of the program's file types as they were.
class PrivateProgramKey {
 public:
  PrivateProgramKey();
  ~PrivateProgramKey();
  PrivateProgramKey(const PrivateProgramKey&) = delete;
  PrivateProgramKey& operator=(const PrivateProgramKey&) = delete;

 private:
  testing_support::RegistryGuard types_;
};

class ProgramProcess {
 public:
  // A usual start first stores "System\FirstRun" = "False" and "Update\Auto" =
  // "False" (no first-run set-up, no update check); a first start stores nothing.
  enum class Start { Usual, First };
  // Starts SWF.zel.exe beside the test program (or the program given) with
  // the arguments given verbatim after the program's own quoted path.
  explicit ProgramProcess(const std::wstring& arguments, Start start = Start::Usual,
                          const std::wstring& program = L"");
  ~ProgramProcess();  // ends a process still running (after a bounded wait for a close)
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  // The process's visible top-level window whose caption begins with
  // "SWF.zel - ", waiting up to timeoutMs; null when none came.
  HWND WaitForMainWindow(DWORD timeoutMs = 30000) const;
  // The process's visible top-level window of exactly that caption, waiting
  // up to timeoutMs; null when none came or the process ended.
  HWND WaitForWindow(const std::wstring& caption, DWORD timeoutMs = 20000) const;
  // Waits up to timeoutMs for the process to end; true when it did.
  bool WaitForExit(DWORD timeoutMs) const;
  DWORD ExitCode() const;
  // Asks the main window to close (WM_CLOSE) and waits for the process to end.
  bool Close(DWORD timeoutMs = 30000);

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

std::wstring Caption(HWND window);
// Polls until the window's caption is text, up to timeoutMs.
bool WaitForCaption(HWND window, const std::wstring& text, DWORD timeoutMs = 15000);
// Sends the window a message and waits for the answer (up to timeoutMs): its
// thread has finished what it was doing and is back at its message loop.
bool Answers(HWND window, DWORD timeoutMs = 10000);
// Posts the list box a move of its caret row and waits until it shows: every
// message posted to its thread before has been handled.
bool PostedBeforeHandled(HWND listBox, DWORD timeoutMs = 10000);
// Presses End in the focused edit box of the window and waits until its caret
// stands at the end of its text: input is handled in order, so every key
// given before has been handled, with whatever its handling posted.
bool KeysBeforeHandled(HWND window, HWND edit, DWORD timeoutMs = 10000);
// A visible child window (any depth) whose text contains part, or null.
HWND FindChildWithText(HWND parent, const std::wstring& part);
HWND FindChildOfClass(HWND parent, const std::wstring& className);
// The program's saved value "Window", "hWnd" as text.
std::wstring SavedHandle();
// Writes and reads a value of the key the started programs use.
void SaveSetting(const wchar_t* section, const wchar_t* name, const wchar_t* text);
DWORD SavedNumber(const wchar_t* section, const wchar_t* name);

// Input as a user gives it, through SendInput: the window (of any process) is
// brought to the front first; false when it would not come to the front or
// the input was refused. A chord's keys go down in order and up in reverse
// ({VK_MENU, 'T'} is Alt+T); the chords follow each other.
bool PressKeys(HWND window, std::initializer_list<std::vector<WORD>> chords);
// Types text into the focused control of the window's thread (Unicode key strokes).
bool TypeText(HWND window, const std::wstring& text);
// A left click at a point of the window's client area.
bool ClickAt(HWND window, POINT client);
// The window or one of its children holds its thread's focus.
bool FocusInside(HWND window);
// The items of one menu of the running program's window, read inside the
// program (another process's menus cannot be read from outside under Wine):
// a window hook loads the probe library there, which writes one line per
// item into memory shared with the test. which: a top menu's position in
// the bar ("enabled|separator|caption"), or kOpenPopup for the pop-up menu
// shown now ("enabled|separator|default|checked|caption").
inline constexpr unsigned kOpenPopup = 0xFFFF;
std::vector<std::wstring> ProbeMenu(HWND window, unsigned which);
// Whether a menu window shows its items on the screen: more than two colours
// along a line through its first row (the system shows the window before the
// items are drawn).
bool MenuWindowDrawn(HWND menu);

}  // namespace player_test
