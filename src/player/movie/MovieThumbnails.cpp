#include "player/movie/MovieThumbnails.h"

#include "base/ErrorLog.h"
#include "images/IntelJPEGLibrary.h"
#include "moviefiles/SWFModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "ui/frmFlashShot.h"

namespace player {

bool MovieThumbnails::Make(const SWFInfo& record, const std::wstring& moviePath, const std::wstring& target,
                           const ThumbnailSettings& s, const std::function<void(const cDIBSection&)>& preview) {
  auto cancelled = [&] { return s.Cancel && *s.Cancel; };
  cDIBSection& picture = frmFlashShot.myDib;
  // A snapshot that fails must never leave the picture of an earlier movie to
  // be saved; one that needs the whole movie is told by the snapshot (and
  // keeps its bitmap for the next movie of the same size).
  if (!s.WholeOnly) picture.ClearUp();
  if (s.Width > 0 && s.Height > 0) frmFlashShot.SWF().Move(0, 0, s.Width, s.Height);
  SWFInfo read;
  const bool readHere = record.Version == 0;
  if (readHere) {
    WriteLog(L"Reading Info " + moviePath + L"... ", false);
    const std::wstring result = GetSWFInfo(moviePath, read, false);
    WriteLog(result.empty() ? L"Ok" : result);
  }
  const bool loaded = TakeMovieSnapshot(frmFlashShot, picture, readHere ? read : record, false, s.Satellite, s.Shot);
  if (readHere && DeletesShotCopy(read, s.Shot.CacheMode, s.PlayingPath) && FileExists(read.Path))
    DeleteFileW(read.Path.c_str());
  if (cancelled()) return false;
  if (picture.Width() <= 0 || picture.Height() <= 0) {
    WriteLog(L"No snapshot of " + (moviePath.empty() ? record.Path : moviePath));
    return false;
  }
  if (s.WholeOnly && (!loaded || picture.Width() != s.Width || picture.Height() != s.Height)) return false;
  if (preview) preview(picture);
  if (cancelled()) return false;
  if (queued_) return files_.Add(picture, target, s.Quality);
  if (SaveJPG(picture, target, s.Quality)) return true;
  WriteLog(L"Failed to save JPEG");
  return false;
}

}  // namespace player
