/* Loaded into a running SWF.zel by a test's window hook: on the probe's
   message it writes the items of one top menu of the window (enabled,
   separator, caption; one line each) into the test's shared memory, so the
   test reads the window's own menu from outside the program. */
#include <windows.h>
#include <wchar.h>

#define PROBE_SIZE 65536

__declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM wp, LPARAM lp) {
  static UINT probe = 0;
  const CWPSTRUCT* call = (const CWPSTRUCT*)lp;
  if (!probe) probe = RegisterWindowMessageW(L"SWFzelMenuProbe");
  if (code >= 0 && call && call->message == probe) {
    wchar_t name[64];
    HANDLE map;
    _snwprintf(name, 64, L"SWFzelMenuProbe-%lu", (unsigned long)call->lParam);
    map = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name);
    if (map) {
      wchar_t* out = (wchar_t*)MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, PROBE_SIZE);
      if (out) {
        HMENU menu = GetSubMenu(GetMenu(call->hwnd), (int)call->wParam);
        int count = GetMenuItemCount(menu), i;
        size_t used = 0;
        out[0] = 0;
        for (i = 0; i < count; ++i) {
          wchar_t text[512] = {0}, line[600];
          UINT state = GetMenuState(menu, (UINT)i, MF_BYPOSITION);
          int n;
          GetMenuStringW(menu, (UINT)i, text, 511, MF_BYPOSITION);
          n = _snwprintf(line, 600, L"%d|%d|%ls\n", (state & (MF_GRAYED | MF_DISABLED)) ? 0 : 1,
                       (state & MF_SEPARATOR) ? 1 : 0, text);
          if (n < 0 || used + (size_t)n + 1 >= PROBE_SIZE / sizeof(wchar_t)) break;
          wcscpy(out + used, line);
          used += (size_t)n;
        }
        UnmapViewOfFile(out);
      }
      CloseHandle(map);
    }
  }
  return CallNextHookEx(NULL, code, wp, lp);
}
