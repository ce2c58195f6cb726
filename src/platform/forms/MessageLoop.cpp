#include "platform/forms/MessageLoop.h"

#include "platform/forms/Form.h"

namespace forms {

void DispatchFormMessage(MSG& msg) {
  if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
    if (Form* f = FormFromHwnd(msg.hwnd); f && f->PreTranslate(msg)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

int DoEvents() {
  MSG msg;
  // Bounded, so that a timer firing faster than its handler cannot hold the caller here.
  for (int i = 0; i < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    DispatchFormMessage(msg);
  }
  return static_cast<int>(LoadedForms().size());
}

int RunMessageLoop() {
  MSG msg;
  while (!LoadedForms().empty()) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got < 0) return -1;
    DispatchFormMessage(msg);
  }
  return 0;
}

}  // namespace forms
