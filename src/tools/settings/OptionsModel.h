// What the options dialog does without its window: the values its controls
// hold (OptionsFields), filled from the option set (LoadOptions) and put back
// by Save (ApplyOptions) in the order that matters: the My Flash folder moves
// first, the built-in skin's pictures are marked for making again, the byte
// fields are converted, and the main window applies and saves the whole set.
// The rules of the text boxes (Validate) and of the byte fields live here too.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "player/start/OptionSet.h"

namespace tools {

// The dialog's controls, page by page: check boxes as Booleans, combo boxes
// as list indices, text boxes as their texts.
struct OptionsFields {
  // Start Up & Exit
  bool ScreenSaver = false, Instance = true;
  int Cache = 1;
  // Flash Movies
  bool Flash = true, Video = true, Playlist = true;
  std::wstring MyFlash;
  // Thumbnails
  std::wstring From, To;
  bool HQShots = true;
  std::wstring Quality;
  bool Store = false;
  // Appearance
  int SkinColor = 0, Style = 1;
  bool Crop = true;
  std::wstring Font;  // the interface font's face
  // Advanced
  bool RemoveProj = false, Centered = true, MRU = true, Projector = true, FSCommand = true;
  bool operator==(const OptionsFields&) const = default;
};

// The pages, in side-bar order.
inline constexpr int kOptionsPageCount = 5;
// The page the dialog opens on for the stored "OptionsPage": 0 outside the pages.
int StartPage(long stored);

// The dialog's fields for the option set and the interface font's face.
OptionsFields LoadOptions(const player::OptionSet& options, const std::wstring& fontName);

// A percentage box as it reads: a whole or decimal number (blanks around it
// allowed), nothing for any other text.
std::optional<double> PercentValue(const std::wstring& text);
// Validate of the From and JPEG quality boxes: above 100 gives "100", below 0
// "0"; any other text stays as it is.
std::wstring ClampPercentText(const std::wstring& text);
// Validate of the To box: clamped as above, then raised to From's (clamped)
// text when From's value is greater.
std::wstring ValidateToText(const std::wstring& from, const std::wstring& to);
// A byte field at Save: a number is rounded (halves to even) and clamped to
// 0..100; a text that is not a number keeps the option's previous value.
uint8_t ByteField(const std::wstring& text, uint8_t previous);

// The My Flash folder typed in the dialog becoming the option's folder.
enum class FolderMove { Unchanged, Moved, Refused };
struct FolderMoveResult {
  FolderMove Outcome = FolderMove::Unchanged;
  std::wstring Folder;  // the folder the option holds afterwards (ends in "\")
};
// Moves the pictures folder "ScreenShots" and "Desktop.ini" of the current
// folder into the typed one and marks that as the My Flash folder. Typed text
// and current folder are compared as full paths, letter case ignored: the same
// folder moves nothing. The new folder is made first (with its parents); when
// it cannot be made (or the text is empty or relative) nothing moves and the
// current folder stays. The old folder goes only when nothing else is left in it.
FolderMoveResult MoveMyFlashFolder(const std::wstring& current, const std::wstring& typed);

// What Save reaches beyond the option set: the main window (tests record it).
class OptionsHost {
 public:
  virtual ~OptionsHost() = default;
  virtual void ViewResize() = 0;                  // the movie view laid out again (crop)
  virtual void LoadRecent() = 0;                  // the recent-files menu for the history option
  virtual int SavedScreenSaverState() const = 0;  // the screen saver's state found at start-up
  virtual void SetSSState(int flag) = 0;          // the screen saver on (1) or off (0)
  virtual void SaveOpts() = 0;                    // the whole option set saved, file types registered
  virtual void RefreshFont() = 0;                 // the main window takes the interface font again
  virtual void ReportFolderRefused(const std::wstring& typed) = 0;  // the typed folder could not be made
};

// Save: the fields into the program's option set (and the globals that mirror
// it), the folder moved, "View\ThemeHash" reset to 0, then the main window's
// steps and the save. From is never left above To: To is raised.
void ApplyOptions(const OptionsFields& fields, player::OptionSet& options, OptionsHost& host);

}  // namespace tools
