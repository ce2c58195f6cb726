// MessageWindow: the owner of a message-only window that carries word from
// worker threads back to the thread that made it. The window is made on
// first use, with its owner object as the user data its procedure reads
// (Owner<T>), and destroyed with the MessageWindow after its user data is
// cleared, so a message still in the queue finds no owner.
#pragma once
#include <windows.h>

class MessageWindow {
 public:
  MessageWindow() = default;
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  // Makes the window once (registering its class); true when it exists.
  bool Create(const wchar_t* className, WNDPROC proc, void* owner);
  HWND get() const { return hwnd_; }

  // The owner a window procedure is called for; null before Create ends and after destruction.
  template <typename T>
  static T* Owner(HWND hwnd) {
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }

 private:
  HWND hwnd_ = nullptr;
};
