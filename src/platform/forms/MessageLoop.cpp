#include "platform/forms/MessageLoop.h"

#include "platform/forms/Form.h"
#include "services/MessagePump.h"

namespace forms {

void DispatchFormMessage(MSG& msg) {
  if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
    if (Form* f = FormFromHwnd(msg.hwnd); f && f->PreTranslate(msg)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

int DoEvents() {
  SetMessageDispatcher(DispatchFormMessage);
  PumpPendingMessages();
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
