/* Loaded into a running SWF.zel by a test's window hook: on the probe's
   message it writes the items of one menu of the window into the test's
   shared memory, one line each, so the test reads the window's own menu
   from outside the program. wParam names the menu: a top menu's position in
   the menu bar ("enabled|separator|caption"), or 0xFFFF for the pop-up menu
   open now ("enabled|separator|default|checked|caption"). Owner-drawn items
   keep their caption as the item's string. On the click message it chooses
   the item of a top menu whose caption the test wrote there, as the user
   would. */
#include <windows.h>
#include <wchar.h>

#define PROBE_SIZE 65536
#define PROBE_OPEN_POPUP 0xFFFF

/* The pop-up menu window of this process that is shown, or null. */
static HMENU OpenPopup(void) {
  HWND w = NULL;
  while ((w = FindWindowExW(NULL, w, L"#32768", NULL)) != NULL) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId() && IsWindowVisible(w)) return (HMENU)SendMessageW(w, MN_GETHMENU, 0, 0);
  }
  return NULL;
}

/* Posts the command of the first item of a top menu of the window whose caption is the text. */
static void ClickItem(HWND window, const wchar_t* caption) {
  HMENU bar = GetMenu(window);
  int top, i;
  for (top = 0; top < GetMenuItemCount(bar); ++top) {
    HMENU menu = GetSubMenu(bar, top);
    for (i = 0; menu && i < GetMenuItemCount(menu); ++i) {
      wchar_t text[512] = {0};
      GetMenuStringW(menu, (UINT)i, text, 511, MF_BYPOSITION);
      if (wcscmp(text, caption) == 0) {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetMenuItemID(menu, i), 0), 0);
        return;
      }
    }
  }
}

__declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM wp, LPARAM lp) {
  static UINT probe = 0, click = 0;
  const CWPSTRUCT* call = (const CWPSTRUCT*)lp;
  if (!probe) probe = RegisterWindowMessageW(L"SWFzelMenuProbe");
  if (!click) click = RegisterWindowMessageW(L"SWFzelMenuClick");
  if (code >= 0 && call && call->message == click) {
    wchar_t name[64];
    HANDLE map;
    _snwprintf(name, 64, L"SWFzelMenuProbe-%lu", (unsigned long)call->lParam);
    map = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
    if (map) {
      const wchar_t* caption = (const wchar_t*)MapViewOfFile(map, FILE_MAP_READ, 0, 0, PROBE_SIZE);
      if (caption) {
        ClickItem(call->hwnd, caption);
        UnmapViewOfFile(caption);
      }
      CloseHandle(map);
    }
  }
  if (code >= 0 && call && call->message == probe) {
    wchar_t name[64];
    HANDLE map;
    _snwprintf(name, 64, L"SWFzelMenuProbe-%lu", (unsigned long)call->lParam);
    map = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name);
    if (map) {
      wchar_t* out = (wchar_t*)MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, PROBE_SIZE);
      if (out) {
        const int popup = call->wParam == PROBE_OPEN_POPUP;
        HMENU menu = popup ? OpenPopup() : GetSubMenu(GetMenu(call->hwnd), (int)call->wParam);
        int count = menu ? GetMenuItemCount(menu) : 0, i;
        size_t used = 0;
        out[0] = 0;
        for (i = 0; i < count; ++i) {
          wchar_t text[512] = {0}, line[600];
          MENUITEMINFOW mii;
          int n, enabled, separator;
          ZeroMemory(&mii, sizeof(mii));
          mii.cbSize = sizeof(mii);
          mii.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
          mii.dwTypeData = text;
          mii.cch = 511;
          if (!GetMenuItemInfoW(menu, (UINT)i, TRUE, &mii)) continue;
          enabled = (mii.fState & (MFS_GRAYED | MFS_DISABLED)) ? 0 : 1;
          separator = (mii.fType & MFT_SEPARATOR) ? 1 : 0;
          if (popup)
            n = _snwprintf(line, 600, L"%d|%d|%d|%d|%ls\n", enabled, separator, (mii.fState & MFS_DEFAULT) ? 1 : 0,
                           (mii.fState & MFS_CHECKED) ? 1 : 0, text);
          else
            n = _snwprintf(line, 600, L"%d|%d|%ls\n", enabled, separator, text);
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
