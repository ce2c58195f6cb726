// The persistent drawing surface of a form or picture box: a 32-bit bitmap
// with its own memory device context that keeps what was drawn when the
// window is covered, shrunk or grown (it never shrinks; new area takes the
// back colour). A surface is at most kMaxPixels; a window larger than that,
// or one whose bitmap cannot be made, has no surface at all.
#pragma once
#include <windows.h>

#include <optional>

#include "base/Handles.h"
#include "platform/forms/FormTypes.h"
#include "platform/forms/Picture.h"

namespace forms {

class Canvas {
 public:
  Canvas() = default;
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  static constexpr long long kMaxPixels = 1LL << 26;  // 256 MB

  // Makes the surface at least w x h, keeping the content; false (and no
  // surface) when it cannot be.
  bool EnsureSize(int w, int h, COLORREF back);
  HDC Dc() const { return dc_.get(); }
  int Width() const { return w_; }
  int Height() const { return h_; }
  // Fills the surface with a colour.
  void Clear(COLORREF back);
  // Copies (0, 0, w, h) of the surface to dc at (x, y).
  void CopyTo(HDC dc, int x, int y, int w, int h) const;
  // Gives the surface and its drawing up; the next EnsureSize starts afresh.
  void Release();

 private:
  // In this order, so the bitmap is deselected before it and its DC go.
  ScopedMemoryDC dc_;
  ScopedBitmap bitmap_;
  std::optional<ScopedSelect> selected_;
  int w_ = 0, h_ = 0;
};

}  // namespace forms
