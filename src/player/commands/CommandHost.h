// CommandHost: what the menu commands, the pop-up menus and the keys need of
// the main window beyond the player's operations (PlayerHost): clicking an
// item as the user would, the items' Tags and arrays, opening a pop-up menu,
// the window's own operations, the lists, the tools and the shell's file
// operations. The window implements it; tests implement it with a recording
// fake. Operations of parts built later (frame pictures, thumbnails, the
// about screen) are named here all the same, and the window answers them
// with its "not available" log.
#pragma once
#include <string>
#include <vector>

#include "moviefiles/SWFInfo.h"
#include "player/movie/PlayerHost.h"

namespace player {

class CommandHost {
 public:
  virtual ~CommandHost() = default;

  virtual PlayerHost& Player() = 0;

  // Menus: an item's Click (index -1 for an item that is no array element),
  // an element's Tag, the highest element of an array (-1 when none), and a
  // top menu shown as a pop-up at the mouse with its default item ("" none).
  virtual void Click(const std::wstring& item, int index = -1) = 0;
  virtual std::wstring MenuTag(const std::wstring& item, int index) const = 0;
  virtual int MenuUpperBound(const std::wstring& array) const = 0;
  virtual void ShowMenu(const std::wstring& menu, const std::wstring& defaultItem) = 0;

  // The window.
  virtual void TogglePlaylist(int mode) = 0;
  virtual void SetTopMost(bool on) = 0;
  virtual void MenuVisible(bool show) = 0;
  virtual void StepFrame(int direction) = 0;  // one frame on (+1) or back (-1)
  virtual void GoBack() = 0;
  virtual void GoForward() = 0;
  virtual void SwitchLanguage(int index) = 0;  // loads language index and applies it to the windows
  virtual void ShowTipIfEnabled(bool show) = 0;

  // The lists.
  virtual void OpenMedia(bool replacePlaylist) = 0;
  virtual void ExportPlaylist() = 0;
  virtual void MoveSelected(int delta) = 0;
  virtual void RemoveSelected() = 0;
  virtual void AddFolderToPlaylist() = 0;
  virtual int PlaylistSelected() const = 0;  // the playlist box's selected row, -1 when none
  virtual std::wstring PlaylistPath(int index) const = 0;
  virtual void AddFavorite(const std::wstring& folder) = 0;

  // Movies and tools.
  virtual void ConvertMovie(const SWFInfo& info) = 0;
  virtual void ShowMovieInfo(const SWFInfo& info) = 0;
  virtual void SetAsSS(const std::wstring& movie) = 0;
  virtual void ShowTG() = 0;
  virtual std::wstring TakePicture(bool forWallpaper) = 0;  // the picture's path, "" when none
  virtual void SetWallpaper(const std::wstring& picture) = 0;
  virtual void SaveThumbnail() = 0;
  virtual void ClearCacheFiles(long mode) = 0;
  virtual void HelpMe() = 0;
  virtual void OpenHelpPage(const std::wstring& topic) = 0;
  virtual void GoWeb(const std::wstring& page) = 0;
  virtual void About() = 0;

  // The shell and the user; true when done.
  virtual bool ShellExecute(const std::wstring& target, const std::wstring& verb) = 0;
  virtual bool ShellDelete(const std::wstring& path) = 0;  // to the Recycle Bin; the shell asks first
  virtual bool ShellCopyMove(const std::vector<std::wstring>& files, const std::wstring& folder, bool move) = 0;
  virtual bool ShellRename(const std::wstring& from, const std::wstring& to) = 0;  // refuses an existing target
  virtual std::wstring AskNewName(const std::wstring& start) = 0;  // "" when cancelled
};

}  // namespace player
