#include "WindowMenuProbe.h"

#include "TestSupport.h"

namespace player_test {

std::vector<MenuLine> ReadWindowMenu(HWND window, int topMenu) {
  constexpr DWORD kSize = 65536;
  std::vector<MenuLine> lines;
  const DWORD pid = GetCurrentProcessId();
  const std::wstring name = L"SWFzelMenuProbe-" + std::to_wstring(pid);
  HANDLE map = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize, name.c_str());
  if (!map) return lines;
  auto* text = static_cast<wchar_t*>(MapViewOfFile(map, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kSize));
  HMODULE probe = LoadLibraryW((testing_support::ProgramDir() + L"menuprobe.dll").c_str());
  auto hook = probe ? reinterpret_cast<HOOKPROC>(GetProcAddress(probe, "MenuProbeHook")) : nullptr;
  HHOOK installed = hook ? SetWindowsHookExW(WH_CALLWNDPROC, hook, probe, GetWindowThreadProcessId(window, nullptr))
                         : nullptr;
  if (text && installed) {
    text[0] = L'\0';
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, RegisterWindowMessageW(L"SWFzelMenuProbe"), static_cast<WPARAM>(topMenu), pid,
                        SMTO_ABORTIFHUNG, 5000, &result);
    std::wstring all(text, wcsnlen(text, kSize / sizeof(wchar_t)));
    for (size_t pos = 0; pos < all.size();) {
      size_t end = all.find(L'\n', pos);
      if (end == std::wstring::npos) end = all.size();
      const std::wstring line = all.substr(pos, end - pos);
      pos = end + 1;
      if (line.size() < 4) continue;
      lines.push_back({line[0] == L'1', line[2] == L'1', line.substr(4)});
    }
  }
  if (installed) UnhookWindowsHookEx(installed);
  if (probe) FreeLibrary(probe);
  if (text) UnmapViewOfFile(text);
  CloseHandle(map);
  return lines;
}

std::vector<MenuLine> ItemsAfter(const std::vector<MenuLine>& menu, const std::wstring& after) {
  std::vector<MenuLine> items;
  size_t i = 0;
  while (i < menu.size() && menu[i].caption.compare(0, after.size(), after) != 0) ++i;
  while (i < menu.size() && !menu[i].separator) ++i;
  for (++i; i < menu.size() && !menu[i].separator; ++i) items.push_back(menu[i]);
  return items;
}

}  // namespace player_test
