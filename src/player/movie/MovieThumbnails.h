// The one thumbnail maker of the media browser, the thumbnail generator and
// the information window: a movie rendered in the hidden snapshot window
// with the settings its caller gives, shown to a preview when asked, and
// written as a JPEG beside its target first (a failure keeps an earlier
// file). A queued maker hands each file to a writer's thread and renders the
// next movie meanwhile; Finish waits for the files and tells which failed.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "images/JpegWriteQueue.h"
#include "images/cDIBSection.h"
#include "moviefiles/SWFInfo.h"
#include "ui/MovieSnapshot.h"

namespace player {

// What one thumbnail is made with.
struct ThumbnailSettings {
  ShotSettings Shot;            // the frame, quality, colour, watermark; ShotDoEvents: the message loop runs meanwhile
  int Width = 0, Height = 0;    // the picture's size (the snapshot window takes it); 0: the window's own
  bool WholeOnly = false;       // only a movie the control loaded, at exactly Width x Height
  long Quality = 90;            // JPEG quality, 0..100
  long Satellite = 0;           // passed on to the snapshot
  const bool* Cancel = nullptr; // set meanwhile (Stop): nothing is written
  std::wstring PlayingPath;     // the player's movie: a copy taken out of a projector it plays stays
};

class MovieThumbnails {
 public:
  explicit MovieThumbnails(bool queued = false) : queued_(queued) {}

  // The thumbnail of record, or of the movie at moviePath when record has no
  // Version (read first; a movie taken out of a projector goes afterwards by
  // the settings' CacheMode). preview sees the picture before it is written.
  // False when no thumbnail comes of it: nothing rendered, cancelled, or
  // (not queued) not written.
  bool Make(const SWFInfo& record, const std::wstring& moviePath, const std::wstring& target,
            const ThumbnailSettings& settings, const std::function<void(const cDIBSection&)>& preview = {});
  // Waits until every file handed on is written; those that were not.
  std::vector<JpegWriteQueue::Failure> Finish() { return files_.Drain(); }

 private:
  bool queued_;
  JpegWriteQueue files_;
};

}  // namespace player
