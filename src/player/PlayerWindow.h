// The main window "Player": the hub of the program. It hosts the movie
// control in its movie area, the playlist pane, the media browser's address
// bar and the skin; its public operations are the program's internal
// interface and the vocabulary of script statements ("Player" in the script
// host, members global). This unit holds the window's life cycle (load,
// resize, unload, Quit, Uninstall), its window-message events, the option
// set's application, the caption and the geometry the start-up needs.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/flash/FlashControl.h"
#include "platform/forms/Forms.h"
#include "player/Geometry.h"
#include "player/OptionSet.h"
#include "player/ScriptHost.h"
#include "player/ScriptObject.h"
#include "ui/CFormEvents.h"

namespace player {

// TogglePlaylist's modes: 1 toggles, 0 hides, any other value shows (VB's
// True, -1, shows).
inline constexpr int kPlaylistHide = 0, kPlaylistToggle = 1, kPlaylistShow = 2;

class PlayerWindow : public forms::Form {
 public:
  PlayerWindow();
  ~PlayerWindow() override;

  // Public variables.
  long XOffset = 0, YOffset = 0, SkinXOffset = 0, SkinYOffset = 0, MinWidth = 0, MinHeight = 0;
  bool HiddenMenuBar = false, HiddenFSControls = false, HiddenFSPlaylist = false;
  bool NotActive = false, WasZoomed = false, NeedZoomFS = false, Browsed = false;
  int curFlashAlpha = 100;
  long TimeMode = 0;
  int Volume = 100, LastVolume = 100, StereoPan = 0;
  bool Muted = false;
  bool MenuBar = true;
  std::wstring MediaTitle, ScreenSaverEXE;

  // The movie control, or none while the window is not loaded.
  flash::FlashControl* SWF() const { return swf_.get(); }
  CFormEvents& FormX() { return formX_; }
  ScriptHost& Script() { return script_; }
  ScriptObject& ScriptMembers() { return members_; }

  // Life cycle and shut-down.
  void Quit(const std::wstring& reason, bool save);
  bool QuitStarted() const { return quitStarted_; }
  void Minimize();
  void BrowseMedia();
  void Uninstall();
  void ClearCacheFiles(long mode);

  // Options.
  void LoadOpts();
  void SaveOpts();
  // The screen saver's on or off state found when the options were loaded.
  BOOL SavedScreenSaverState() const { return savedScreenSaver_; }
  // Rebuilds the recent-files menu from the registry (or empties it when the
  // history is off).
  void LoadRecent();

  // Command line and scripts.
  void ProcessCommandLine(const std::wstring& text);
  // Runs one statement against the window; a quit asked for inside it is
  // carried out once the statement has returned.
  void ExecuteStatement(const std::wstring& statement);

  // Movie loading and the playlist (the parts the start-up needs).
  void LoadFlash(std::wstring path, std::wstring caption, bool browserPage);
  void PlaylistClear();
  void PlaylistAdd(const std::wstring& path, int depth);
  void PlaylistPlayItem(int index);
  void OpenMovie(const std::wstring& path);
  const std::vector<std::wstring>& PlaylistItems() const { return playlist_; }
  int PlaylistCurrent() const { return playlistCurrent_; }
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

  // Playback settings the options restore.
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
  // Seeks to a fraction (0 to 1) of the movie, a video through its "seeking" variable.
  void GoToFrame(double fraction);
  void StopMedia();

  // Runs a menu item's Click as the user's choice would ("" or unknown: nothing).
  bool ClickMenu(const std::wstring& name, int index = -1);
  bool MenuChecked(const std::wstring& name, int index = -1) const;

  // The instance found running at start-up (0 when none): this window then
  // neither writes nor resets the saved handle.
  HWND PrevInstanceWnd = nullptr;

 protected:
  void CreateControls() override;

 private:
  class Steps;
  void Form_Load();
  void Form_Resize();
  void WireMenus();
  void WireEvents();
  void RegisterScriptMembers();
  void CopyDataArrived(const std::wstring& text);
  void ShowNotice(const std::wstring& text);
  void ApplyPlacement();
  WindowPlace NormalPlacement() const;
  void NotBuilt(const std::wstring& operation);
  forms::Menu* MenuItem(const std::wstring& name, int index = -1) const;
  void SetChecked(const std::wstring& name, bool on, int index = -1);
  Frame CurrentFrame() const;

  std::unique_ptr<flash::FlashControl> swf_;
  CFormEvents formX_;
  ScriptHost script_;
  ScriptObject members_;
  std::vector<std::wstring> playlist_;
  int playlistCurrent_ = -1;
  std::wstring caption_;      // the caption last set, also while the title bar is hidden
  int lastWidth_ = -1, lastHeight_ = -1;
  bool optionsLoaded_ = false;
  bool handleWritten_ = false;
  bool quitStarted_ = false;
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
