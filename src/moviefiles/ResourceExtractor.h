// Resource extraction: writes the JPEG images, MP3 sounds and streams and the
// metadata of a movie (read by GetSWFInfo in full mode) into a folder.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

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
// means the kind is not wanted, else one is added per file written (entries 1
// and 4 are left alone). cancel is read after every tag and every time the
// message loop ran; progress may be null. Pending window messages are
// processed at most every 0.1 s.
void ExtractResources(const SWFInfo& info, const std::wstring& destFolder, ExtractProgress* progress,
                      int32_t (&counts)[5], const bool& cancel);
// Repairs a JPEG whose tables were stored after the first 570 bytes: applied to
// the bytes of an extracted image before they are written (612 bytes or more).
void FixJPEGStream(std::vector<uint8_t>& bytes);
