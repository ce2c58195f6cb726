#include "platform/forms/Picture.h"

#include <algorithm>

namespace forms {

struct Picture::Bitmap {
  HBITMAP handle = nullptr;
  bool own = true;
  int width = 0, height = 0;
  bool alpha = false;
  ~Bitmap() {
    if (own && handle) DeleteObject(handle);
  }
};

Picture Picture::FromBitmap(HBITMAP bitmap, bool own) {
  Picture picture;
  if (!bitmap) return picture;
  BITMAP info{};
  if (!GetObjectW(bitmap, sizeof(info), &info)) {
    if (own) DeleteObject(bitmap);
    return picture;
  }
  auto b = std::make_shared<Bitmap>();
  b->handle = bitmap;
  b->own = own;
  b->width = info.bmWidth;
  b->height = std::abs(info.bmHeight);
  b->alpha = false;
  picture.bitmap_ = std::move(b);
  return picture;
}

HBITMAP Picture::Handle() const { return bitmap_ ? bitmap_->handle : nullptr; }
int Picture::Width() const { return bitmap_ ? bitmap_->width : 0; }
int Picture::Height() const { return bitmap_ ? bitmap_->height : 0; }
long Picture::HimetricWidth() const { return MulDiv(Width(), 2540, 96); }
long Picture::HimetricHeight() const { return MulDiv(Height(), 2540, 96); }
bool Picture::HasAlpha() const { return bitmap_ && bitmap_->alpha; }

void Picture::Draw(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, DWORD rop) const {
  if (!bitmap_ || !dc) return;
  if (sw < 0) sw = Width();
  if (sh < 0) sh = Height();
  if (w < 0) w = sw;
  if (h < 0) h = sh;
  HDC src = CreateCompatibleDC(dc);
  if (!src) return;
  HGDIOBJ old = SelectObject(src, bitmap_->handle);
  if (bitmap_->alpha) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, w, h, src, sx, sy, sw, sh, blend);
  } else if (w == sw && h == sh) {
    BitBlt(dc, x, y, w, h, src, sx, sy, rop);
  } else {
    int mode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, w, h, src, sx, sy, sw, sh, rop);
    SetStretchBltMode(dc, mode);
  }
  SelectObject(src, old);
  DeleteDC(src);
}

Picture LoadPicture(const std::wstring& path) {
  if (path.empty()) return {};
  HANDLE loaded = LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  if (loaded) return Picture::FromBitmap(static_cast<HBITMAP>(loaded), true);
  return {};
}

}  // namespace forms
