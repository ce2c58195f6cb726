// The shut-down sequence of the main window, as steps on an interface so
// that the order is one piece of code: hide, clear the playlist (saving it as
// the last playlist), release the hooks, save the options, restore the screen
// saver, empty the cache, give the single-instance handle back, unload every
// window last opened first, log the reason.
#pragma once
#include <string>

namespace player {

class QuitSteps {
 public:
  virtual ~QuitSteps() = default;
  virtual bool WindowReady() const = 0;      // the main window finished loading
  virtual bool OptionsLoaded() const = 0;    // the options (and the screen-saver state) were read
  virtual bool FirstInstance() const = 0;    // no other instance ran at start-up
  virtual void HideWindow() = 0;
  virtual void ClearPlaylist() = 0;
  virtual void ReleaseHooks() = 0;           // window subclass, hot keys, movie window hook
  virtual void SaveOptions() = 0;
  virtual void RestoreScreenSaver() = 0;
  virtual void ClearCache() = 0;
  virtual void ResetInstanceHandle() = 0;    // "Window", "hWnd" = "0"
  virtual void SetNoFaultBoxes() = 0;
  virtual void MarkNotReady() = 0;           // PlayerReady = False
  virtual void UnloadWindows() = 0;
  virtual void LogQuit(const std::wstring& reason) = 0;
};

// Runs the steps in order. Each step's failure is passed over.
void RunQuit(QuitSteps& steps, const std::wstring& reason, bool save);

// Unloads every loaded form, the last loaded first; returns how many went.
int UnloadAllForms();

}  // namespace player
