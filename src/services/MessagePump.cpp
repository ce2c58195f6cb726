#include "services/MessagePump.h"

namespace {
MessageDispatcher g_dispatcher = nullptr;
}

void SetMessageDispatcher(MessageDispatcher dispatcher) { g_dispatcher = dispatcher; }

bool PumpPendingMessages() {
  MSG msg;
  for (int i = 0; i < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (g_dispatcher) {
      g_dispatcher(msg);
    } else {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}
