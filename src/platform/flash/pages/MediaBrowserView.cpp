#include "platform/flash/pages/MediaBrowserView.h"

#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include "base/BinaryFile.h"
#include "base/Handles.h"
#include "base/TextConv.h"
#include "platform/flash/parse/BitmapDecoder.h"
#include "services/Services.h"

namespace flash {
namespace {

// A thumbnail file larger than this is not read.
constexpr int64_t kMaxThumbBytes = 4 << 20;
constexpr int kPictureTop = 6;  // the picture area's top in a cell

void Gradient(HDC dc, const RECT& r, COLORREF top, COLORREF bottom) {
  TRIVERTEX v[2] = {
      {r.left, r.top, static_cast<COLOR16>(GetRValue(top) << 8), static_cast<COLOR16>(GetGValue(top) << 8),
       static_cast<COLOR16>(GetBValue(top) << 8), 0},
      {r.right, r.bottom, static_cast<COLOR16>(GetRValue(bottom) << 8), static_cast<COLOR16>(GetGValue(bottom) << 8),
       static_cast<COLOR16>(GetBValue(bottom) << 8), 0}};
  GRADIENT_RECT g{0, 1};
  GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
}

COLORREF Blend(COLORREF a, COLORREF b, int percentA) {
  auto mix = [&](int x, int y) { return (x * percentA + y * (100 - percentA)) / 100; };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

}  // namespace

bool IsBareFileName(const std::wstring& name) {
  if (name.empty() || name.size() > MAX_PATH) return false;
  if (name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) return false;
  if (name.find(L"..") != std::wstring::npos || name.back() == L'.' || name.back() == L' ') return false;
  for (wchar_t c : name)
    if (c < 0x20) return false;
  // Device names ("CON", "nul.jpg", "COM1.x") name no file.
  const std::wstring stem = LowerInvariant(name.substr(0, name.find(L'.')));
  for (const wchar_t* device : {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$"})
    if (stem == device) return false;
  if (stem.size() == 4 && (stem.compare(0, 3, L"com") == 0 || stem.compare(0, 3, L"lpt") == 0) && iswdigit(stem[3]))
    return false;
  return true;
}

MediaBrowserView::MediaBrowserView() {
  static const wchar_t* kShadows[4] = {L"sh123.png", L"sh4.png", L"sh6.png", L"sh789.png"};
  for (int i = 0; i < 4; ++i) {
    shadows_[i] = std::make_unique<cPNG>();
    if (SkinFolder.empty() || shadows_[i]->LoadPNGFile(SkinFolder + kShadows[i]) != 0) shadows_[i].reset();
  }
}

MediaBrowserView::~MediaBrowserView() {
  for (auto& [key, icon] : icons_)
    if (icon) DestroyIcon(icon);
}

void MediaBrowserView::SetItems(std::vector<BrowseEntry> items, std::wstring cacheFolder) {
  items_ = std::move(items);
  if (!cacheFolder.empty() && cacheFolder.back() != L'\\') cacheFolder += L'\\';
  if (cacheFolder != cacheFolder_) {
    cache_.clear();
    index_.clear();
  }
  cacheFolder_ = std::move(cacheFolder);
  Hot = Selected = 0;
  SetScroll(scroll_);
}

void MediaBrowserView::SetBounds(const RECT& bounds) {
  bounds_ = bounds;
  SetScroll(scroll_);
}

int MediaBrowserView::Columns() const {
  const int usable = bounds_.right - bounds_.left - kBar;
  return std::max(1, usable / kCell);
}

int MediaBrowserView::ItemFromPoint(int x, int y) const {
  if (x < 0 || y < 0 || x >= bounds_.right - bounds_.left - kBar) return 0;
  const int column = x / kCell;
  if (column >= Columns()) return 0;
  const long long row = (static_cast<long long>(y) + scroll_) / kCell;
  const long long index = row * Columns() + column + 1;
  if (index < 1 || index > Count()) return 0;
  const RECT r = GetItemRect(static_cast<int>(index));
  return PtInRect(&r, POINT{x, y}) ? static_cast<int>(index) : 0;
}

RECT MediaBrowserView::GetItemRect(int index) const {
  if (index < 1) return RECT{0, 0, 0, 0};
  const int columns = Columns();
  const int column = (index - 1) % columns;
  const long long top = static_cast<long long>((index - 1) / columns) * kCell - scroll_;
  const int t = static_cast<int>(std::clamp<long long>(top, INT_MIN / 2, INT_MAX / 2));
  return RECT{column * kCell + kMargin, t + kMargin, (column + 1) * kCell - kMargin, t + kCell - kMargin};
}

int MediaBrowserView::MaxScroll() const {
  const long long rows = (static_cast<long long>(Count()) + Columns() - 1) / Columns();
  const long long total = rows * kCell;
  return static_cast<int>(std::clamp<long long>(total - PageHeight(), 0, INT_MAX / 2));
}

int MediaBrowserView::PageHeight() const { return std::max(0, static_cast<int>(bounds_.bottom - bounds_.top)); }

bool MediaBrowserView::SetScroll(int pixels) {
  const int to = std::clamp(pixels, 0, MaxScroll());
  if (to == scroll_) return false;
  scroll_ = to;
  return true;
}

RECT MediaBrowserView::BarRect() const {
  return RECT{bounds_.right - kBar, bounds_.top, bounds_.right, bounds_.bottom};
}

RECT MediaBrowserView::ThumbRect() const {
  const RECT bar = BarRect();
  const int height = bar.bottom - bar.top;
  const long long total = static_cast<long long>(MaxScroll()) + PageHeight();
  if (total <= 0 || MaxScroll() == 0) return RECT{bar.left, bar.top, bar.right, bar.bottom};
  const int thumb = std::max(20, static_cast<int>(static_cast<long long>(height) * PageHeight() / total));
  const int top = bar.top + static_cast<int>(static_cast<long long>(height - thumb) * scroll_ / MaxScroll());
  return RECT{bar.left, top, bar.right, top + thumb};
}

void MediaBrowserView::VisibleItems(int& first, int& last) const {
  first = 1, last = 0;
  if (Count() <= 0) return;
  const int columns = Columns();
  const int firstRow = scroll_ / kCell;
  const int lastRow = (scroll_ + PageHeight()) / kCell;
  first = static_cast<int>(std::min<long long>(static_cast<long long>(firstRow) * columns + 1, INT_MAX));
  last = static_cast<int>(std::min<long long>(Count(), static_cast<long long>(lastRow + 1) * columns));
}

void MediaBrowserView::ThumbnailWritten(const std::wstring& jpeg) {
  auto it = index_.find(jpeg);
  if (it == index_.end()) return;
  cache_.erase(it->second);
  index_.erase(it);
}

void MediaBrowserView::Redraw(HDC dc) {
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, bounds_.left, bounds_.top, bounds_.right, bounds_.bottom);
  RECT grid{bounds_.left, bounds_.top, bounds_.right - kBar, bounds_.bottom};
  ScopedBrush back(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
  FillRect(dc, &grid, back.get());
  int first = 1, last = 0;
  VisibleItems(first, last);
  for (int i = first; i <= last; ++i) DrawItem(dc, i);
  // The bar: its track and its thumb.
  const RECT bar = BarRect();
  ScopedBrush track(CreateSolidBrush(Blend(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_SCROLLBAR), 60)));
  FillRect(dc, &bar, track.get());
  if (MaxScroll() > 0) {
    RECT thumb = ThumbRect();
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
  RestoreDC(dc, saved);
}

void MediaBrowserView::EraseItem(HDC dc, int index, const RECT& cell) {
  const COLORREF window = GetSysColor(COLOR_WINDOW), highlight = GetSysColor(COLOR_HIGHLIGHT);
  const int percent = index == Selected ? 55 : index == Hot ? 80 : 94;
  Gradient(dc, cell, window, Blend(window, highlight, percent));
  if (index == Selected) {
    ScopedBrush frame(CreateSolidBrush(highlight));
    FrameRect(dc, &cell, frame.get());
  }
}

void MediaBrowserView::DrawItem(HDC dc, int index) {
  if (index < 1 || index > Count()) return;
  const BrowseEntry& entry = items_[static_cast<size_t>(index - 1)];
  RECT cell = GetItemRect(index);
  OffsetRect(&cell, bounds_.left, bounds_.top);
  EraseItem(dc, index, cell);
  const int pictureLeft = cell.left + (cell.right - cell.left - kPicture) / 2;
  const int pictureTop = cell.top + kPictureTop;
  const int pictureHeight = 90;
  const Bitmap* thumb = entry.kind == 3 ? nullptr : Thumb(entry.jpeg);
  if (thumb) {
    // Fitted into the picture area, aspect kept, centred.
    double scale = std::min({1.0, static_cast<double>(kPicture) / thumb->width,
                             static_cast<double>(pictureHeight) / thumb->height});
    const int w = std::max(1, static_cast<int>(thumb->width * scale));
    const int h = std::max(1, static_cast<int>(thumb->height * scale));
    const int x = pictureLeft + (kPicture - w) / 2, y = pictureTop + (pictureHeight - h) / 2;
    // The shadow pieces tiled around the picture: the row above, the sides, the row below.
    auto tile = [&](const std::unique_ptr<cPNG>& piece, int left, int top, int right, int bottom) {
      if (!piece || piece->Width() <= 0 || piece->Height() <= 0) return;
      const int saved = SaveDC(dc);
      IntersectClipRect(dc, left, top, right, bottom);
      for (int yy = top; yy < bottom; yy += piece->Height())
        for (int xx = left; xx < right; xx += piece->Width()) piece->DrawToDC(dc, xx, yy, false);
      RestoreDC(dc, saved);
    };
    tile(shadows_[0], x - 4, y - 4, x + w + 4, y);
    tile(shadows_[1], x - 4, y, x, y + h);
    tile(shadows_[2], x + w, y, x + w + 4, y + h);
    tile(shadows_[3], x - 4, y + h, x + w + 4, y + h + 4);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = thumb->width;
    bi.bmiHeader.biHeight = -thumb->height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    StretchDIBits(dc, x, y, w, h, 0, 0, thumb->width, thumb->height, thumb->pixels.data(), &bi, DIB_RGB_COLORS,
                  SRCCOPY);
    SetStretchBltMode(dc, oldMode);
  } else if (HICON icon = IconFor(entry)) {
    DrawIconEx(dc, pictureLeft + (kPicture - 32) / 2, pictureTop + (pictureHeight - 32) / 2, icon, 32, 32, 0, nullptr,
               DI_NORMAL);
  }
  // The name, word-wrapped, and the size line below it.
  ScopedFont font(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, font_.c_str()));
  ScopedSelect use(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(index == Selected ? COLOR_HIGHLIGHT : COLOR_WINDOWTEXT));
  RECT text{cell.left + 4, pictureTop + pictureHeight + 6, cell.right - 4, cell.bottom - 14};
  DrawTextW(dc, entry.name.c_str(), static_cast<int>(entry.name.size()), &text,
            DT_CENTER | DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX | DT_EDITCONTROL);
  if (!entry.sizeLine.empty()) {
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    RECT size{cell.left + 4, cell.bottom - 15, cell.right - 4, cell.bottom - 1};
    DrawTextW(dc, entry.sizeLine.c_str(), static_cast<int>(entry.sizeLine.size()), &size,
              DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
}

const Bitmap* MediaBrowserView::Thumb(const std::wstring& jpeg) {
  if (!IsBareFileName(jpeg) || cacheFolder_.empty()) return nullptr;
  if (auto it = index_.find(jpeg); it != index_.end()) {
    cache_.splice(cache_.begin(), cache_, it->second);
    return it->second->second.get();
  }
  std::shared_ptr<Bitmap> bitmap;
  BinaryFile file;
  if (file.OpenRead(cacheFolder_ + jpeg)) {
    const int64_t size = file.Size();
    if (size > 0 && size <= kMaxThumbBytes) {
      std::vector<uint8_t> bytes(static_cast<size_t>(size));
      if (file.ReadExactAt(0, bytes)) bitmap = DecodeWithCodecs(bytes);
    }
  }
  // A picture that could not be read is remembered too, so it is not read again at every paint.
  cache_.emplace_front(jpeg, bitmap);
  index_[jpeg] = cache_.begin();
  while (cache_.size() > kCachedThumbs) {
    index_.erase(cache_.back().first);
    cache_.pop_back();
  }
  return bitmap && bitmap->width > 0 && bitmap->height > 0 ? bitmap.get() : nullptr;
}

HICON MediaBrowserView::IconFor(const BrowseEntry& entry) {
  std::wstring key = L"\\";
  if (entry.kind != 3) {
    const size_t dot = entry.name.rfind(L'.');
    key = dot == std::wstring::npos ? L"." : LowerInvariant(entry.name.substr(dot));
  }
  if (auto it = icons_.find(key); it != icons_.end()) return it->second;
  HICON icon = nullptr;
  if (entry.kind == 3) {
    icon = ExtractIconW(GetModuleHandleW(nullptr), L"shell32.dll", 4);
    if (reinterpret_cast<UINT_PTR>(icon) <= 1) icon = nullptr;
  } else {
    // The icon the shell gives files of this extension.
    SHFILEINFOW info{};
    if (SHGetFileInfoW(key.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                       SHGFI_ICON | SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES))
      icon = info.hIcon;
  }
  icons_[key] = icon;
  return icon;
}

}  // namespace flash
