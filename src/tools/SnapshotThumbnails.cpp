#include "tools/SnapshotThumbnails.h"

#include "images/IntelJPEGLibrary.h"
#include "ui/frmFlashShot.h"

namespace tools {

bool SnapshotThumbnails::Make(const SWFInfo& record, const ThumbnailJob& job) {
  const player::OptionSet& o = player::Options();
  ShotSettings shot;
  shot.HQShots = o.HQShots;
  shot.SampleFrom = std::min(o.SampleFrom, o.SampleTo);
  shot.SampleTo = std::max(o.SampleFrom, o.SampleTo);
  shot.ShotDoEvents = true;  // the window answers (Stop) while the movie loads
  shot.CacheMode = static_cast<int>(o.CacheMode);
  shot.FixedBackColor = !job.BackColor.empty();
  shot.BackColor = job.BackColor;
  shot.Watermark = job.Watermark;
  shot.LogoPath = job.LogoPath;
  frmFlashShot.SWF().Move(0, 0, job.Width, job.Height);
  cDIBSection& picture = frmFlashShot.myDib;
  if (!TakeMovieSnapshot(frmFlashShot, picture, record, false, 0, shot)) return false;
  if (picture.Width() != job.Width || picture.Height() != job.Height) return false;
  if (job.Show && Preview) Preview(picture);
  return SaveJPG(picture, job.Target, job.Quality);
}

}  // namespace tools
