// Resource extraction: writes the images of the JPEG tags (as JPEG files over
// the movie's tables, or the PNG and GIF files later movies store there), the
// MP3 sounds and streams and the metadata of a movie (read by GetSWFInfo in
// full mode) into a folder, each file under a name of its own: one already
// there is never replaced ("intro.swf.3.jpg", then "intro.swf.3(1).jpg").
#pragma once
#include <cstdint>
#include <string>

#include "moviefiles/SWFInfo.h"

// Where the walk reports how far it is (the extraction window's progress bar).
class ExtractProgress {
 public:
  virtual ~ExtractProgress() = default;
  virtual void SetStatus(double fraction) = 0;  // 0 to 1
  virtual void SetCaption(const std::wstring& caption) = 0;
};

enum ExtractKind { kExtractJPEG = 0, kExtractPNG = 1, kExtractSound = 2, kExtractStream = 3, kExtractVideo = 4 };

// Walks the tags of info.Path from FirstTagOffset. counts: a negative entry
// means the kind is not wanted, else one is added per file written (JPEG
// images in entry 0, PNG and GIF images in entry 1; entry 4 is left alone).
// cancel is read after every tag and every time the message loop ran;
// progress may be null. Pending window messages are processed at most every
// 0.1 s.
void ExtractResources(const SWFInfo& info, const std::wstring& destFolder, ExtractProgress* progress,
                      int32_t (&counts)[5], const bool& cancel);
