// Program entry. The start-up sequence grows with the main window; for now the
// program initialises its services and reports what it would play.
#include <windows.h>

#include <string>

#include "services/AppIdentity.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR cmdLine, int) {
  std::wstring text = std::wstring(app::kVersionText) + L"\n\n";
  text += cmdLine && *cmdLine ? std::wstring(cmdLine) : L"(no file)";
  MessageBoxW(nullptr, text.c_str(), app::kTitle, MB_OK | MB_ICONINFORMATION);
  return 0;
}
