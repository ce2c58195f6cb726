// The main window's public state that the player's operations read and
// write: playback and sound values, the time read-out, the loaded movie's
// kind, and the media browser's listing as the browse page reports on it.
// The window holds one (it derives from this record); the operations reach
// it through their host, so tests give them a record of their own.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "moviefiles/SWFInfo.h"

namespace player {

// One entry of the media browser's listing. Kind: 1 movie, 2 projector,
// 3 folder or drive, 4 video.
struct BrowseItem {
  std::wstring Name, Path;
  int Kind = 0;
  int64_t Size = 0;
  double Modified = 0;
  std::wstring Thumb;
};
inline constexpr int kBrowseFolderKind = 3;

struct PlayerState {
  // Display and loading.
  bool NeedZoomFS = false;
  bool Browsed = false;        // the media browser's page is the movie shown
  bool InternalMovie = false;  // the loaded movie is one of the program's own pages
  bool ShortMovie = false;     // fewer than 100 frames
  long SavedScaleMode = 0;     // the scale mode when the browse page took over
  int curFlashAlpha = 100;

  // Read-out: 0 elapsed time, 1 remaining time, 2 frame number, 3 frames remaining.
  long TimeMode = 0;
  std::wstring TimeInfo, TimeInfoCur, TimeInfoRem, TimeInfoTot;
  std::wstring MediaTitle;

  // Sound (the control gets the volume, 0 while muted, and the balance).
  int Volume = 100, LastVolume = 100, StereoPan = 0;
  bool Muted = false;

  std::wstring ScreenSaverEXE;
  bool SilentCheck = false;  // the running update check is the automatic one

  // The player's movie: the record of the movie shown, blank once a load
  // failed with none left playing.
  SWFInfo CurrentSWFInfo;
  // The movie in the control: its record, kept while a later load fails.
  SWFInfo LoadedSWFInfo;
  // Loads that failed one after another; a playlist walk stops after a round of them.
  int FailedLoads = 0;
  // The user said No to opening something the movie asked for: its later asks are refused unasked.
  bool ExecDeclined = false;
  // The movie's last full-screen request of its current frame, until it is carried out.
  std::optional<bool> FullScreenAsked;

  // The media browser's listing (items 1..count) and what the page reported.
  std::vector<BrowseItem> BrowseItems;
  int HoverItem = 0;
  int BrowseScroll = 0;
  int BrowseItemCount() const { return static_cast<int>(BrowseItems.size()); }

  // The pop-up menus: the place last right-clicked and the files cut or
  // copied in the browser ("path" and two NUL characters; "" after a paste).
  bool PopupMode = false;  // the playlist's menu (not the browse page's)
  std::wstring PopupPath;  // what the item commands act on
  int PopupItem = 0;       // the browse item the menu was opened for
  std::wstring ClipboardFiles;
  bool ClipboardCut = false;
};

}  // namespace player
