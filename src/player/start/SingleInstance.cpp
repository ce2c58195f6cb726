#include "player/start/SingleInstance.h"

#include "services/AppIdentity.h"
#include "services/Services.h"

namespace player {

HWND FindRunningInstance() { return FindAppWindow(std::wstring(app::kTitle) + L" - "); }

bool SendHandOver(HWND target, const std::wstring& text, UINT timeoutMs) {
  if (!target || !IsWindow(target)) return false;
  COPYDATASTRUCT data{};
  data.dwData = 0;
  data.cbData = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  data.lpData = text.empty() ? nullptr : const_cast<wchar_t*>(text.data());
  DWORD_PTR answer = 0;
  LRESULT sent = SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(target),
                                     reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs,
                                     &answer);
  return sent != 0;
}

}  // namespace player
