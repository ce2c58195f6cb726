// The persistent drawing surface of a form or picture box: a 32-bit bitmap
// with its own memory device context that keeps what was drawn when the
// window is covered, shrunk or grown (it never shrinks; new area takes the
// back colour).
#pragma once
#include <windows.h>

#include "platform/forms/FormTypes.h"
#include "platform/forms/Picture.h"

namespace forms {

class Canvas {
 public:
  Canvas() = default;
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // Makes the surface at least w x h, keeping the content.
  void EnsureSize(int w, int h, COLORREF back);
  HDC Dc() const { return dc_; }
  int Width() const { return w_; }
  int Height() const { return h_; }
  // Fills the surface with a colour.
  void Clear(COLORREF back);
  // Copies (0, 0, w, h) of the surface to dc at (x, y).
  void CopyTo(HDC dc, int x, int y, int w, int h) const;

 private:
  void Release();  // deselects and deletes the surface

  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  int w_ = 0, h_ = 0;
};

}  // namespace forms
