#include "player/commands/AppCommands.h"

#include <windows.h>

namespace player {

const wchar_t* AppCommandMenu(long command) {
  switch (command) {
    case APPCOMMAND_BROWSER_BACKWARD: return L"mnuBrowseBack";
    case APPCOMMAND_BROWSER_FORWARD: return L"mnuBrowseForward";
    case APPCOMMAND_BROWSER_REFRESH:
    case APPCOMMAND_BROWSER_SEARCH: return L"mnuBrowse";
    case APPCOMMAND_BROWSER_FAVORITES: return L"mnuFavManage";
    case APPCOMMAND_BROWSER_HOME: return L"";
    case APPCOMMAND_VOLUME_MUTE: return L"mnuMute";
    case APPCOMMAND_VOLUME_DOWN: return L"mnuVolumeDown";
    case APPCOMMAND_VOLUME_UP: return L"mnuVolumeUp";
    case APPCOMMAND_MEDIA_NEXTTRACK: return L"mnuPlayNext";
    case APPCOMMAND_MEDIA_PREVIOUSTRACK: return L"mnuPlayPrev";
    case APPCOMMAND_MEDIA_STOP: return L"mnuStop";
    case APPCOMMAND_MEDIA_PLAY_PAUSE: return L"mnuPlay";
    case APPCOMMAND_LAUNCH_MEDIA_SELECT: return L"mnuBrowsePick";
    case APPCOMMAND_HELP: return L"mnuHelpMe";
    case APPCOMMAND_OPEN: return L"mnuOpen";
    case APPCOMMAND_SAVE: return L"mnuConvert";
    case APPCOMMAND_COPY: return L"mnuItemCopy";
    case APPCOMMAND_CUT: return L"mnuItemCut";
    case APPCOMMAND_PASTE: return L"mnuFolderPaste";
    default: return nullptr;
  }
}

bool DispatchAppCommand(long command, const std::function<void(const std::wstring&)>& click,
                        const std::function<void()>& home) {
  const wchar_t* menu = AppCommandMenu(command);
  if (!menu) return false;
  if (*menu == L'\0') {
    if (home) home();
  } else if (click) {
    click(menu);
  }
  return true;
}

}  // namespace player
