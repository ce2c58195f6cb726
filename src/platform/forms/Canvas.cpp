#include "platform/forms/Canvas.h"

#include <algorithm>

#include "base/Handles.h"
#include "platform/forms/FormsInternal.h"

namespace forms {

namespace {

void Fill(HDC dc, int w, int h, COLORREF back) {
  RECT all{0, 0, w, h};
  ScopedGdiObject brush(CreateSolidBrush(back));
  FillRect(dc, &all, static_cast<HBRUSH>(brush.get()));
}

}  // namespace

Canvas::~Canvas() { Release(); }

void Canvas::Release() {
  if (dc_) {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  old_ = nullptr;
}

void Canvas::EnsureSize(int w, int h, COLORREF back) {
  w = std::max(w, 1);
  h = std::max(h, 1);
  if (dc_ && w <= w_ && h <= h_) return;
  int nw = std::max(w, w_), nh = std::max(h, h_);
  HDC dc = CreateScreenCompatibleDC();
  if (!dc) return;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDib32(nw, nh, &bits);
  if (!bitmap) {
    DeleteDC(dc);
    return;
  }
  HGDIOBJ old = SelectObject(dc, bitmap);
  Fill(dc, nw, nh, back);
  if (dc_) BitBlt(dc, 0, 0, w_, h_, dc_, 0, 0, SRCCOPY);
  Release();
  dc_ = dc;
  bitmap_ = bitmap;
  old_ = old;
  w_ = nw;
  h_ = nh;
}

void Canvas::Clear(COLORREF back) {
  if (dc_) Fill(dc_, w_, h_, back);
}

void Canvas::CopyTo(HDC dc, int x, int y, int w, int h) const {
  if (dc_) BitBlt(dc, x, y, w, h, dc_, 0, 0, SRCCOPY);
}

}  // namespace forms
