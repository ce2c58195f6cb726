// The main window "Player": the hub of the program. It hosts the movie
// control in its movie area, the playlist pane, the media browser's address
// bar and the skin; its public operations are the program's internal
// interface and the vocabulary of script statements ("Player" in the script
// host, members global). This unit holds the window's life cycle (load,
// resize, unload, Quit, Uninstall), its window-message events, the option
// set's application and the caption; the display modes, the window's shape,
// the movie window's subclass and the skin's mouse handling are the units
// WindowViews, FlashWindowHook and SkinMouse, reached from here.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/flash/control/FlashControl.h"
#include "platform/forms/Forms.h"
#include "player/lists/FavoriteFolders.h"
#include "player/lists/Playlist.h"
#include "player/lists/RecentFiles.h"
#include "player/movie/MovieControl.h"
#include "player/movie/PlayerHost.h"
#include "player/movie/ThumbnailRun.h"
#include "player/script/ScriptEngine.h"
#include "player/script/ScriptObject.h"
#include "player/start/OptionSet.h"
#include "player/window/FlashWindowHook.h"
#include "player/window/Geometry.h"
#include "player/window/PlayerState.h"
#include "player/window/WindowViews.h"
#include "ui/CFormEvents.h"
#include "ui/OwnerDrawn.h"

namespace player {

class BrowserWindow;
class CommandHost;

// TogglePlaylist's modes: 1 toggles, 0 hides, any other value shows (VB's
// True, -1, shows).
inline constexpr int kPlaylistHide = 0, kPlaylistToggle = 1, kPlaylistShow = 2;

class PlayerWindow : public forms::Form, public PlayerState, public ViewFlags {
 public:
  PlayerWindow();
  ~PlayerWindow() override;

  // Public variables (the playback, read-out and browser state are the
  // PlayerState base's, the display modes' the ViewFlags base's).
  long XOffset = 0, YOffset = 0, SkinXOffset = 0, SkinYOffset = 0, MinWidth = 0, MinHeight = 0;
  bool NotActive = false;
  bool MenuBar = true;

  // The movie control, or none while the window is not loaded.
  flash::FlashControl* SWF() const { return swf_.get(); }
  CFormEvents& FormX() { return formX_; }
  ScriptEngine& Script() { return script_; }
  ScriptObject& ScriptMembers() { return members_; }

  // Life cycle and shut-down.
  void Quit(const std::wstring& reason, bool save);
  bool QuitStarted() const { return quitStarted_; }
  void Minimize();
  void BrowseMedia();
  void Uninstall();

  // The media browser (the browser unit over the window's address bar).
  void BrowseFolder(const std::wstring& folder, bool keepScroll);
  void ShowBrowsePage(bool load, const std::wstring& message);
  void SetBrowseMenus(bool browsing, bool menusShown, bool redraw);
  void SelectBrowseFolder(const std::wstring& startFolder);
  // The start-up is over: from now on a thumbnail run shows its progress window.
  void SetStartedUp() { startedUp_ = true; }
  // The browse page's missing thumbnails made, a slice at each tick of their timer.
  void ThumbnailTick();
  const ThumbnailRun& Thumbnails() const { return thumbnails_; }
  // The frame shown now as a numbered picture (or the desktop picture): its path, "" on failure.
  std::wstring TakePicture(bool forWallpaper);
  // The frame shown now becomes the movie's thumbnail.
  void SaveThumbnail();
  void ClearCacheFiles(long mode);

  // Options.
  void LoadOpts();
  void SaveOpts();
  // The screen saver's on or off state found when the options were loaded.
  BOOL SavedScreenSaverState() const { return savedScreenSaver_; }

  // Command line and scripts.
  void ProcessCommandLine(const std::wstring& text);
  // Runs one statement against the window; a quit asked for inside it is
  // carried out once the statement has returned.
  void ExecuteStatement(const std::wstring& statement);

  // Movie loading (the loader unit) and the playlist (the parts the start-up needs).
  void LoadFlash(std::wstring path, std::wstring caption, bool browserPage);
  void ConvertMovie(const SWFInfo& info);
  void ShowMovieInfo(const SWFInfo& info);
  void Properties();

  // The playlist (the playlist unit over the window's list box and menus).
  void PlaylistClear();
  void PlaylistAdd(const std::wstring& path, int depth);
  void PlaylistAdd(const std::vector<std::wstring>& paths);  // many at once, the list drawn once
  void PlaylistPlayItem(int index);
  bool PlaylistSave(const std::wstring& path);
  void PlaylistMoveItem(int index, int delta);
  void PlaylistRemoveItem(int index);
  void OpenMovie(const std::wstring& path);
  // The Open dialog: the files chosen replace the playlist and the first
  // plays, or they join the playlist's end.
  void OpenMedia(bool replacePlaylist);
  const std::vector<std::wstring>& PlaylistItems() const { return playlist_.Items(); }
  int PlaylistLast() const { return static_cast<int>(playlist_.Last()); }
  int PlaylistCurrent() const { return static_cast<int>(playlist_.Current()); }

  // Recent files and favourite folders.
  void AddRecent(const std::wstring& file);
  void LoadRecent();
  void AddFavorite(const std::wstring& folder);
  void LoadFavorites(bool load);
  const std::vector<std::wstring>& RecentFileList() const { return recent_.Files(); }
  const std::vector<std::wstring>& FavoriteFolderList() const { return favorites_.Folders(); }
  // A path shortened to a width in pixels of the menus' font.
  std::wstring FitText(const std::wstring& path, long width) const;
  // The failure text shown over the movie area ("" when none).
  std::wstring NoticeText() const;

  // Geometry and views.
  void ZoomFlash(long percent, long count);
  void Center();
  void UpdateSkin();
  void View_Resize();
  void SetCaption(const std::wstring& caption);
  void TogglePlaylist(int mode);
  void FullScreen(bool on, bool force, bool hideUIonly);
  void MenuVisible(bool show);
  void ZoomWindow(int state);
  void FitWindow(long width, long height, long count);
  void MoveWindow();    // the mouse drags the window (normal state only)
  void ResizeWindow();  // the mouse sizes the window from its bottom-right corner
  // The skin's shape, or the window's default shape (restoreDefault also
  // with the menu bar shown).
  void UpdateRegion(bool restoreDefault);
  void ShowMenuBar(bool show);
  void ShowFSControls(bool show);
  void ShowFSPlaylist(bool show);
  // The control of skin item index; none for 0 or an index the skin lacks.
  forms::Control* xObj(int index) const;
  void View_MouseMove(int button, int shift, int x, int y);
  void View_MouseDown(int button, int shift, int x, int y);
  // The movie control's window subclassed (at load) and put back (at quit).
  void HookFlashWindow(HWND container);
  void UnhookFlashWindow();
  FlashWindowHook* FlashHook() const { return flashHook_.get(); }
  // The skin's elements answer the mouse (after the skin loaded).
  void WireSkinMouse();

  // Playback control and the heartbeat (the transport, heartbeat, FS command
  // and tool units over the window's host).
  void SetQuality(const std::wstring& quality);
  void SetScaleMode(long mode);
  void SetRepeatMode(long mode);
  void SetFlashAlpha(int percent);
  void SetSound(int volume, int pan);
  void MuteSound(bool mute);
  void SetSSState(int flag);
  void PlayMedia();
  void PauseMedia();
  void PlayPauseMedia();
  void StopMedia();
  void GoToFrame(double fraction);
  void FFwd();
  void Rwd();
  double MoviePercent();
  void ToggleTimeMode();
  void PlayNext();
  void PlayPrev();
  int PlayRandom();
  void StartPlayList();
  void ClearPlaylist();
  void GoLevelUp();
  void GoBack();
  void GoForward();
  void UpdateInfo();
  void WebUpdate(bool automatic);
  void SetAsSS(const std::wstring& movie);
  void Generate(long width, long height, const std::wstring& source, long quality, bool overwrite);
  void ShowTG();
  void HelpMe();
  void GoWeb(const std::wstring& page);
  void tmrUpdate_Timer();
  void SWF_FSCommand(const std::wstring& command, const std::wstring& args);
  void SWF_OnGetURL(const std::wstring& url, const std::wstring& target);
  void SWF_OnReadyStateChange(long state);
  // The operations' view of the window.
  PlayerHost& Host();

  // Runs a menu item's Click as the user's choice would ("" or unknown: nothing).
  bool ClickMenu(const std::wstring& name, int index = -1);
  bool MenuChecked(const std::wstring& name, int index = -1) const;

  // Menus, pop-up menus and keys (the command, pop-up and key units).
  // The movie's menu, or the item menu of the playlist (overPlayList) or of
  // the browse page (rootSWF: the movie's own window was right-clicked).
  void ShowPopUp(bool overPlaylist, bool rootSWF);
  // A key on the window or the movie: the editing combinations the window
  // answers itself (Ctrl with an arrow), else the single-key shortcuts.
  void HandyAction(int keyCode);
  void HotKeyAction(long id);
  void RegisterHotKeys();
  void UnregisterHotKeys();
  void PIC_Click(int index);  // a skin picture element (its index in the PIC array)
  // The owner-drawn menu bar and the menus' icons by caption.
  void AssignMenus();
  // What the window's owner-drawn menus show.
  MenuTexts& Menus() { return menuTexts_; }
  // The language applied to the window again, with its menus.
  void SetVisual() override;

  // The instance found running at start-up (0 when none): this window then
  // neither writes nor resets the saved handle.
  HWND PrevInstanceWnd = nullptr;

 protected:
  void CreateControls() override;

 private:
  class Steps;
  class PlayerHostAdaptor;
  class ViewsHost;
  class HookHost;
  class SkinMouseWindow;
  ViewsHost& Views();
  void SaveDefaultRegion();
  void SkinActivated(bool active);
  void SkinHovered(forms::Control& control, bool entering);
  void StepHistory(int step);
  class PlaylistHostAdaptor;
  class CommandHostAdaptor;
  class BrowserWindowAdaptor;
  // The window as each lower part sees it, made in the adaptor's own unit.
  static std::unique_ptr<PlayerHost> MakePlayerHost(PlayerWindow& w);
  static std::unique_ptr<PlaylistHost> MakePlaylistHost(PlayerWindow& w);
  static std::unique_ptr<CommandHost> MakeCommandHost(PlayerWindow& w);
  static std::unique_ptr<BrowserWindow> MakeBrowserWindow(PlayerWindow& w);
  PlaylistHostAdaptor& Lists() const;
  void WireAddressBar();
  void WireCommands();
  void Form_KeyDown(int& keyCode, int shift);
  void Form_Load();
  void Form_Resize();
  void WireEvents();
  void RegisterScriptMembers();
  void CopyDataArrived(const std::wstring& text);
  void ShowNotice(const std::wstring& text);
  void ApplyPlacement();
  WindowPlace NormalPlacement() const;
  void Unavailable(const std::wstring& operation);
  forms::Menu* MenuItem(const std::wstring& name, int index = -1) const;
  void SetChecked(const std::wstring& name, bool on, int index = -1);
  Frame CurrentFrame() const;
  // The playlist's box, its events and commands, and the menu lists (PlayerLists.cpp).
  void AddPlaylistBox();
  void ShowRecentMenu();
  void ShowFavoritesMenu();
  void PlayList_DblClick(bool fromMouse);
  void PlayList_MouseDown(int button);
  void PlayList_MouseMove(int button);
  int PlaylistRowAtCursor() const;
  void ShowPlaylistMenu();
  void MoveSelectedEntry(const std::wstring& item, int delta);
  void RemoveSelectedEntries();
  void AddFolderToPlaylist();
  void ExportPlaylist();

  std::unique_ptr<flash::FlashControl> swf_;
  std::unique_ptr<MovieControl> control_;  // swf_ behind the operations' interface
  std::unique_ptr<PlayerHost> host_;
  std::unique_ptr<FlashWindowHook> flashHook_;
  ScopedRegion defaultRegion_;  // the window's own region at load; none: no region
  CFormEvents formX_;
  MenuTexts menuTexts_;  // what its owner-drawn menus show
  ScriptEngine script_;
  ScriptObject members_;
  std::unique_ptr<PlaylistHost> listsHost_;
  std::unique_ptr<CommandHost> commands_;
  std::unique_ptr<BrowserWindow> browser_;
  Playlist playlist_;
  ThumbnailRun thumbnails_;
  RecentFiles recent_;
  FavoriteFolders favorites_;
  bool playlistMenuThisPress_ = false;  // the right button's menu opens once per press
  std::wstring caption_;      // the caption last set, also while the title bar is hidden
  int lastWidth_ = -1, lastHeight_ = -1;
  bool optionsLoaded_ = false;
  bool handleWritten_ = false;
  bool quitStarted_ = false;
  bool startedUp_ = false;
  bool hooked_ = false;
  BOOL savedScreenSaver_ = FALSE;
  struct PendingQuit {
    bool due = false;
    std::wstring reason;
    bool save = false;
  } pendingQuit_;
};

// The program's one main window.
extern PlayerWindow Player;

}  // namespace player
