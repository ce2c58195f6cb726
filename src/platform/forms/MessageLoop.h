// The message loop of the forms: DoEvents, the program's main loop, and the
// per-message keyboard handling of forms (Form::PreTranslate).
#pragma once
#include <windows.h>

namespace forms {

// Processes every pending message; returns the number of loaded forms.
// A WM_QUIT met on the way is posted again for the outer loop.
int DoEvents();
// Runs until WM_QUIT or until no form is loaded; returns the exit code.
int RunMessageLoop();
// Translates and dispatches one message with the forms' keyboard handling.
void DispatchFormMessage(MSG& msg);

}  // namespace forms
