// MediaBrowserView: the media browser's listing drawn natively as a grid of
// 150 x 150 cells in entry order (entries numbered from 1), each with a
// 120-pixel picture area: the thumbnail with its four shadow pieces, or the
// file's icon (a folder: shell32's icon 4), the name word-wrapped and the
// size line below it. A scroll bar 17 pixels wide stands at the right edge.
// Only the visible cells are drawn; thumbnails are decoded when first shown
// and kept in a bounded cache. A thumbnail is read only from the cache
// folder, under a bare file name.
#pragma once
#include <windows.h>

#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "images/cPNG.h"
#include "platform/flash/render/FillPainter.h"

namespace flash {

struct BrowseEntry {
  std::wstring jpeg;      // the thumbnail's file name in the cache folder
  std::wstring name;      // first line of the title
  std::wstring sizeLine;  // the rest of the title, tags dropped
  int kind = 0;           // 1 movie, 2 projector, 3 folder or drive, 4 video
};

// True for a plain file name: no "\", "/", ":", wildcard or "..", and no device name.
bool IsBareFileName(const std::wstring& name);

class MediaBrowserView {
 public:
  static constexpr int kCell = 150, kPicture = 120, kBar = 17, kMargin = 4;
  static constexpr size_t kCachedThumbs = 192;

  MediaBrowserView();

  void SetItems(std::vector<BrowseEntry> items, std::wstring cacheFolder);
  const std::vector<BrowseEntry>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // The area the grid and its bar take, in the caller's pixels.
  void SetBounds(const RECT& bounds);
  const RECT& Bounds() const { return bounds_; }
  void SetFont(const std::wstring& face) { font_ = face; }

  int Columns() const;
  // The entry whose cell rectangle holds the point (the grid's own
  // coordinates, top-left of the bounds at 0, 0), 0 for none.
  int ItemFromPoint(int x, int y) const;
  // An entry's cell less its margin, in the grid's coordinates, less the scroll.
  RECT GetItemRect(int index) const;

  int Scroll() const { return scroll_; }
  int MaxScroll() const;
  // Clamped to 0..MaxScroll; true when it moved.
  bool SetScroll(int pixels);
  int PageHeight() const;
  // The scroll bar and its thumb, in the caller's pixels.
  RECT BarRect() const;
  RECT ThumbRect() const;

  int Hot = 0, Selected = 0;

  // The entries whose cells show now (first > last: none).
  void VisibleItems(int& first, int& last) const;
  // A thumbnail file was written since it was last looked for: it is read
  // again when its cell is next drawn.
  void ThumbnailWritten(const std::wstring& jpeg);
  // Draws the visible cells and the bar into dc (the caller's pixels).
  void Redraw(HDC dc);
  void DrawItem(HDC dc, int index);
  void EraseItem(HDC dc, int index, const RECT& cell);
  // Thumbnails decoded so far (kept, at most kCachedThumbs).
  size_t DecodedThumbs() const { return cache_.size(); }

 private:
  const Bitmap* Thumb(const std::wstring& jpeg);
  HICON IconFor(const BrowseEntry& entry);

  std::vector<BrowseEntry> items_;
  std::wstring cacheFolder_;
  std::wstring font_ = L"Tahoma";
  RECT bounds_{0, 0, 0, 0};
  int scroll_ = 0;
  // Decoded thumbnails, most recent first; a failed decode is kept as null.
  std::list<std::pair<std::wstring, std::shared_ptr<Bitmap>>> cache_;
  std::map<std::wstring, std::list<std::pair<std::wstring, std::shared_ptr<Bitmap>>>::iterator> index_;
  std::map<std::wstring, HICON> icons_;  // by lower-case extension, "\" for folders
  std::unique_ptr<cPNG> shadows_[4];     // sh123, sh4, sh6, sh789
 public:
  ~MediaBrowserView();
  MediaBrowserView(const MediaBrowserView&) = delete;
  MediaBrowserView& operator=(const MediaBrowserView&) = delete;
};

}  // namespace flash
