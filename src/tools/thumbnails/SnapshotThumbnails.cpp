#include "tools/thumbnails/SnapshotThumbnails.h"

#include <algorithm>

#include "player/start/OptionSet.h"

namespace tools {

bool SnapshotThumbnails::Make(const SWFInfo& record, const ThumbnailJob& job) {
  const player::OptionSet& o = player::Options();
  player::ThumbnailSettings s;
  s.Shot.HQShots = o.HQShots;
  s.Shot.SampleFrom = std::min(o.SampleFrom, o.SampleTo);
  s.Shot.SampleTo = std::max(o.SampleFrom, o.SampleTo);
  s.Shot.ShotDoEvents = true;  // the window answers (Stop) while the movie loads
  s.Shot.CacheMode = static_cast<int>(o.CacheMode);
  s.Shot.FixedBackColor = !job.BackColor.empty();
  s.Shot.BackColor = job.BackColor;
  s.Shot.Watermark = job.Watermark;
  s.Shot.LogoPath = job.LogoPath;
  s.Width = job.Width;
  s.Height = job.Height;
  s.WholeOnly = true;
  s.Quality = job.Quality;
  return maker_.Make(record, record.RequestedPath, job.Target, s, [&](const cDIBSection& picture) {
    if (job.Show && Preview) Preview(picture);
  });
}

std::vector<UnwrittenThumbnail> SnapshotThumbnails::Finish() {
  std::vector<UnwrittenThumbnail> lost;
  for (JpegWriteQueue::Failure& f : maker_.Finish()) lost.push_back({std::move(f.target), std::move(f.reason)});
  return lost;
}

}  // namespace tools
