// Movie thumbnails and frame pictures: MakeMovieThumbnail makes the media
// browser's thumbnail of a movie through the one maker (MovieThumbnails) with
// the player's snapshot settings; TakePicture saves the frame
// shown now as a numbered picture or as the desktop picture; SaveThumbnail
// makes it the movie's browser thumbnail. Every picture is written beside
// its target and moved over it only when complete.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "images/cDIBSection.h"
#include "moviefiles/SWFInfo.h"
#include "player/start/OptionSet.h"
#include "ui/MovieSnapshot.h"

namespace player {

// What a thumbnail run shows while it works; its Stop ends the run.
class ThumbnailProgress {
 public:
  virtual ~ThumbnailProgress() = default;
  // Stop was pressed: the run ends after the movie in hand.
  void PressStop() { stopPressed_ = true; }
  bool StopPressed() const { return stopPressed_; }
  // Read while a snapshot goes on.
  const bool* StopFlag() const { return &stopPressed_; }

  // Movie index of count (from 1) is being made; caption is the bar's text.
  virtual void Step(int index, int count, const std::wstring& caption, const std::wstring& path) = 0;
  // The picture just made.
  virtual void Preview(const cDIBSection& picture) = 0;
  // Lets the message loop run (Stop is pressed through it).
  virtual void DoEvents() = 0;

 private:
  bool stopPressed_ = false;
};

// "Creating 2 of 5" in the current language.
std::wstring ThumbnailCaption(int index, int count);
// The thumbnail of a movie: its full path, or its file name alone.
std::wstring ThumbnailPath(const std::wstring& movie, bool satellite);
std::wstring ThumbnailName(const std::wstring& movie, bool satellite);
// A quality above 100 means the option's.
long JpegQuality(long quality, long optionQuality);
// The snapshot settings of the player's options: quality, the frames sampled
// (in order) and what becomes of a projector's cached copy.
ShotSettings SnapshotSettings(const OptionSet& options);

// The snapshot of movie (read from its path unless info has a Version) taken
// with the options' snapshot settings and written at thumbPath (a quality above
// 100: the options' JPEG quality); playingPath: the player's movie, whose copy
// stays. False when nothing was written (cancelled or failed).
bool MakeMovieThumbnail(const std::wstring& movie, const SWFInfo& info, const std::wstring& thumbPath, long quality,
                        const OptionSet& options, ThumbnailProgress* progress, const std::wstring& playingPath);

// The next free name for a picture of frame in folder: title.frame.jpg, then
// title.frame(1).jpg, (2), ... with no upper limit; "" when none is free.
std::wstring FramePictureName(const std::wstring& folder, const std::wstring& title, long frame);

// The frame shown now, as the movie control paints it.
struct FrameSource {
  bool loaded = false;  // a movie is in the control
  long frame = 0;       // the control's CurrentFrame
  int width = 0, height = 0;
  std::function<bool(HDC dc, int width, int height)> paint;
};

// A numbered picture in picturesFolder (made when missing), or the desktop
// picture at wallpaperPath rendered at the screen's size. The path, or ""
// on failure (no movie, nothing painted, not written).
std::wstring TakePicture(const FrameSource& source, bool forWallpaper, const std::wstring& title,
                         const std::wstring& picturesFolder, const std::wstring& wallpaperPath, SIZE screen,
                         long quality);
// The frame scaled into a thumbnail with "overlay.png" over it, written at
// thumbPath. False when nothing was written.
bool SaveFrameThumbnail(const FrameSource& source, const std::wstring& thumbPath, long quality);

}  // namespace player
