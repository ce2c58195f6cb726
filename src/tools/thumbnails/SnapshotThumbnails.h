// The thumbnail maker of the generator: the movie rendered at the job's size
// in the hidden snapshot window (the player's thumbnail options for the frame
// and quality, the job's colour and watermark), shown in the preview
// when asked, and saved as a JPEG on the writer's thread while the next movie
// renders (beside the target first, so a failed save leaves an existing file
// as it was).
#pragma once
#include <functional>

#include "images/cDIBSection.h"
#include "player/movie/MovieThumbnails.h"
#include "tools/thumbnails/GeneratorRun.h"

namespace tools {

class SnapshotThumbnails : public ThumbnailMaker {
 public:
  bool Make(const SWFInfo& record, const ThumbnailJob& job) override;
  std::vector<UnwrittenThumbnail> Finish() override;
  // Shows a picture just taken (jobs with Show set).
  std::function<void(const cDIBSection& picture)> Preview;

 private:
  player::MovieThumbnails maker_{true};
};

}  // namespace tools
