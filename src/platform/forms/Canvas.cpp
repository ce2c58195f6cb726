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
  selected_.reset();
  bitmap_.reset();
  dc_.reset();
  w_ = h_ = 0;
}

bool Canvas::EnsureSize(int w, int h, COLORREF back) {
  w = std::max(w, 1);
  h = std::max(h, 1);
  if (dc_ && w <= w_ && h <= h_) return true;
  const int nw = std::max(w, w_), nh = std::max(h, h_);
  ScopedMemoryDC dc(nullptr);  // compatible with the screen
  void* bits = nullptr;
  ScopedBitmap bitmap(static_cast<long long>(nw) * nh <= kMaxPixels ? CreateDib32(nw, nh, &bits) : nullptr);
  if (!dc || !bitmap) {
    Release();
    return false;
  }
  {
    ScopedSelect into(dc.get(), bitmap.get());
    Fill(dc.get(), nw, nh, back);
    if (dc_) BitBlt(dc.get(), 0, 0, w_, h_, dc_.get(), 0, 0, SRCCOPY);
  }
  Release();
  dc_ = std::move(dc);
  bitmap_ = std::move(bitmap);
  selected_.emplace(dc_.get(), bitmap_.get());
  w_ = nw;
  h_ = nh;
  return true;
}

void Canvas::Clear(COLORREF back) {
  if (dc_) Fill(dc_.get(), w_, h_, back);
}

void Canvas::CopyTo(HDC dc, int x, int y, int w, int h) const {
  if (dc_) BitBlt(dc, x, y, w, h, dc_.get(), 0, 0, SRCCOPY);
}

}  // namespace forms
