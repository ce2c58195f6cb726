// PlayerHost: what the player's operations (the loader, the transport and
// heartbeat, the FS commands, the tool operations) need of the main window.
// The window implements it over its controls and menus; tests implement it
// with a recording fake. Operations that belong to parts of the program not
// built yet (the media browser, recent files, tool windows) are named here
// all the same, and the window answers them with its "not available" log.
#pragma once
#include <string>

#include "player/movie/MovieControl.h"
#include "player/start/OptionSet.h"
#include "player/window/PlayerState.h"

namespace player {

// A calendar day.
struct CivilDate {
  int Year = 2000, Month = 1, Day = 1;
};

// The save dialog as the conversion asks for it; the answer is the chosen
// path ("" when cancelled) and the pattern of the filter chosen ("*.exe").
struct SaveFileRequest {
  unsigned long Flags = 0;
  std::wstring FileName, Filter, Title, InitialFolder;
};
struct SaveFileAnswer {
  std::wstring Path, FilterPattern;
};

class PlayerHost {
 public:
  virtual ~PlayerHost() = default;

  virtual PlayerState& State() = 0;
  virtual OptionSet& Opts() = 0;
  // The movie control; null while the window has none.
  virtual MovieControl* Control() = 0;

  // Menu items by name (and index within a menu array, -1 for none). An
  // item the window lacks reads unchecked, disabled and empty, and ignores writes.
  virtual bool Checked(const std::wstring& item, int index = -1) const = 0;
  virtual void SetChecked(const std::wstring& item, bool on, int index = -1) = 0;
  virtual bool Enabled(const std::wstring& item) const = 0;
  virtual void SetEnabled(const std::wstring& item, bool on) = 0;
  virtual void SetMenuVisible(const std::wstring& item, bool on) = 0;
  virtual std::wstring MenuCaption(const std::wstring& item) const = 0;
  virtual void SetMenuCaption(const std::wstring& item, const std::wstring& text) = 0;
  // Runs an item's command as the user's click would.
  virtual void ClickMenu(const std::wstring& item) = 0;

  // The window.
  virtual void SetHeartbeat(bool on) = 0;
  virtual void SetCaption(const std::wstring& caption) = 0;
  virtual void ShowNotice(const std::wstring& text) = 0;  // "" hides it
  virtual void ZoomFlash(long percent, long count) = 0;
  virtual void Center() = 0;
  virtual void View_Resize() = 0;
  virtual bool WindowNormal() const = 0;
  virtual void SizeForBrowsing() = 0;  // the browse size, at the window's place
  virtual void ShowAddressBar(bool on) = 0;
  virtual void FullScreen(bool on, bool force, bool hideUIonly) = 0;
  virtual void Quit(const std::wstring& reason, bool save) = 0;
  virtual bool FormOpen(const std::wstring& name) const = 0;
  virtual void ShowForm(const std::wstring& name, int mode) = 0;  // 0 modeless, 1 modal; -1 loaded hidden
  // A tool window over a movie of its own (the information window, the
  // extractor, the desktop), which keeps a copy of the record until it closes.
  virtual void ShowMovieForm(const std::wstring& name, const SWFInfo& movie, int mode) = 0;
  // The thumbnail generator's run over these settings (which it then keeps);
  // refused, changing nothing, while a run goes on.
  virtual void RunGenerator(const GeneratorSettings& settings) = 0;
  virtual bool SkinLoaded() const = 0;
  virtual void ShowSkinButtons() = 0;  // the skin's navigation buttons for the page shown
  virtual void UpdateSkinState() = 0;  // the skin's live parts from the state

  // The playlist.
  virtual int PlaylistLast() const = 0;  // -1 when empty
  virtual int PlaylistCurrent() const = 0;
  virtual void PlaylistMarkNonePlaying() = 0;  // the browser took the player's place
  virtual void PlaylistClear() = 0;
  virtual void PlaylistAdd(const std::wstring& path, int depth) = 0;
  virtual void PlaylistPlayItem(int index) = 0;

  // Script statements, the media browser and recent files.
  virtual void ExecuteStatement(const std::wstring& statement) = 0;
  virtual void BrowseMedia() = 0;
  virtual void BrowseFolder(const std::wstring& folder, bool keepScroll) = 0;
  virtual void ShowBrowsePage(bool show, const std::wstring& errorLine) = 0;
  virtual void SetBrowseMenus(bool browsing, bool menusShown, bool flag) = 0;
  virtual void SelectBrowseFolder(const std::wstring& text) = 0;
  virtual void AddRecent(const std::wstring& path) = 0;

  // Seams: chance, the calendar, the user's answers, the shell.
  virtual double Random() = 0;  // uniform in [0, 1)
  virtual CivilDate Today() const = 0;
  // A question with Yes and No (No the default); true for Yes.
  virtual bool AskYesNo(const std::wstring& text, const std::wstring& title) = 0;
  virtual void ShowMessage(const std::wstring& text, const std::wstring& title) = 0;
  virtual SaveFileAnswer AskSaveFile(const SaveFileRequest& request) = 0;
  // Hands a file or address to the shell, alone (no parameters).
  virtual void ShellOpen(const std::wstring& target, const std::wstring& verb) = 0;
  // Sends a file to the Recycle Bin without asking; true when it is gone.
  virtual bool Recycle(const std::wstring& path) = 0;
};

}  // namespace player
