// Lets the one user-interface thread process what is pending while a long
// operation runs. The window layer installs its own dispatcher (keyboard
// routing of forms); until then messages are translated and dispatched plainly.
#pragma once
#include <windows.h>

using MessageDispatcher = void (*)(MSG& msg);
void SetMessageDispatcher(MessageDispatcher dispatcher);  // nullptr: plain dispatch

// Processes pending messages (at most 10000, so a timer firing faster than its
// handler cannot hold the caller). A quit request is left queued for the loop
// that owns it; the result is false when one was met.
bool PumpPendingMessages();
