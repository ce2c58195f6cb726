#include "player/movie/Thumbnails.h"

#include <shlwapi.h>

#include <algorithm>

#include "base/BinaryFile.h"
#include "base/ErrorLog.h"
#include "images/IntelJPEGLibrary.h"
#include "images/cPNG.h"
#include "moviefiles/MovieCache.h"
#include "player/movie/MovieThumbnails.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace player {

namespace {

constexpr int kThumbWidth = 120, kThumbHeight = 90;

bool SavePicture(const cDIBSection& dib, const std::wstring& path, long quality) {
  if (SaveJPG(dib, path, quality)) return true;
  WriteLog(L"Failed to save JPEG");
  return false;
}

// Paints the frame at its own size; false when nothing could be drawn.
bool PaintFrame(const FrameSource& source, cDIBSection& dib, int width, int height) {
  if (!source.loaded || !source.paint || width <= 0 || height <= 0 || !dib.Create(width, height)) return false;
  return source.paint(dib.hdc(), width, height);
}

}  // namespace

std::wstring ThumbnailCaption(int index, int count) {
  std::wstring text = LangText(L"BrowseMedia/strShotBefore", L"Creating") + L" " + std::to_wstring(index) + L" " +
                      LangText(L"BrowseMedia/strShotMid", L"of") + L" " + std::to_wstring(count);
  const std::wstring after = LangText(L"BrowseMedia/strShotAfter", L"");
  if (!after.empty()) text += L" " + after;
  return text;
}

std::wstring ThumbnailPath(const std::wstring& movie, bool satellite) {
  return GetCacheFileName(movie, L".jpg", !satellite, false);
}

std::wstring ThumbnailName(const std::wstring& movie, bool satellite) {
  return GetCacheFileName(movie, L".jpg", !satellite, true);
}

long JpegQuality(long quality, long optionQuality) {
  return std::clamp(quality > 100 ? optionQuality : quality, 0L, 100L);
}

ShotSettings SnapshotSettings(const OptionSet& options) {
  ShotSettings shot;
  shot.HQShots = options.HQShots;
  shot.SampleFrom = std::min(options.SampleFrom, options.SampleTo);
  shot.SampleTo = std::max(options.SampleFrom, options.SampleTo);
  shot.CacheMode = static_cast<int>(options.CacheMode);
  return shot;
}

bool MakeMovieThumbnail(const std::wstring& movie, const SWFInfo& info, const std::wstring& thumbPath, long quality,
                        const OptionSet& options, ThumbnailProgress* progress, const std::wstring& playingPath) {
  // The movie control loads synchronously: the snapshot has nothing to wait
  // for, and the run yields to the message loop after every movie instead.
  ThumbnailSettings settings;
  settings.Shot = SnapshotSettings(options);
  settings.Quality = JpegQuality(quality, options.ShotJpeg);
  settings.Cancel = progress ? progress->StopFlag() : nullptr;
  settings.PlayingPath = playingPath;
  MovieThumbnails maker;
  return maker.Make(info, movie, thumbPath, settings, [progress](const cDIBSection& picture) {
    if (progress) progress->Preview(picture);
  });
}

std::wstring FramePictureName(const std::wstring& folder, const std::wstring& title, long frame) {
  const std::wstring plain = AddBackslash(folder) + title + L"." + std::to_wstring(frame) + L".jpg";
  std::wstring name = plain;
  for (int n = 1; PathFileExistsW(name.c_str()); ++n) {
    if (n > 1000000) return L"";
    name = NumberedName(plain, n);
  }
  return name;
}

std::wstring TakePicture(const FrameSource& source, bool forWallpaper, const std::wstring& title,
                         const std::wstring& picturesFolder, const std::wstring& wallpaperPath, SIZE screen,
                         long quality) {
  if (!source.loaded) return L"";
  std::wstring path;
  if (forWallpaper) {
    path = wallpaperPath;
  } else {
    if (!MakeDirs(picturesFolder)) {
      WriteLog(L"Taking Picture :: the folder cannot be made: " + picturesFolder);
      return L"";
    }
    path = FramePictureName(picturesFolder, title.empty() ? L"movie" : title, source.frame);
  }
  if (path.empty()) return L"";
  cDIBSection dib;
  const int w = forWallpaper ? screen.cx : source.width, h = forWallpaper ? screen.cy : source.height;
  if (!PaintFrame(source, dib, w, h)) {
    WriteLog(L"Taking Picture :: the frame could not be drawn");
    return L"";
  }
  return SavePicture(dib, path, quality) ? path : L"";
}

bool SaveFrameThumbnail(const FrameSource& source, const std::wstring& thumbPath, long quality) {
  cDIBSection frame;
  if (!PaintFrame(source, frame, source.width, source.height)) return false;
  // Fitted into the thumbnail, aspect kept, on black.
  cDIBSection thumb;
  if (!thumb.Create(kThumbWidth, kThumbHeight)) return false;
  RECT all{0, 0, kThumbWidth, kThumbHeight};
  FillRect(thumb.hdc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const double scale = std::min(static_cast<double>(kThumbWidth) / source.width,
                                static_cast<double>(kThumbHeight) / source.height);
  const int w = std::max(1, static_cast<int>(source.width * scale)), h = std::max(1, static_cast<int>(source.height * scale));
  SetStretchBltMode(thumb.hdc(), HALFTONE);
  StretchBlt(thumb.hdc(), (kThumbWidth - w) / 2, (kThumbHeight - h) / 2, w, h, frame.hdc(), 0, 0, source.width,
             source.height, SRCCOPY);
  cPNG overlay;
  if (overlay.LoadPNGFile(ImagesFolder + L"overlay.png") == 0)
    overlay.DrawToDC(thumb.hdc(), kThumbWidth - overlay.Width(), kThumbHeight - overlay.Height(), false);
  return SavePicture(thumb, thumbPath, quality);
}

}  // namespace player
