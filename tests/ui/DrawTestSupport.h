// Helpers of the drawing tests: an off-screen 32-bit surface read back pixel by
// pixel, a solid PNG file writer, guards that put the folder globals and the
// visual style back, and the switch between the plain run and the run with
// Wine's bundled light visual style (a child process, see ThemeSwitchTest.cpp).
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/Handles.h"

namespace draw_test {

// A top-down 32-bit DIB section in a memory DC, filled with one colour.
class Surface {
 public:
  Surface(int width, int height, COLORREF fill = RGB(255, 255, 255));
  HDC Dc() const { return dc_.get(); }
  COLORREF Pixel(int x, int y) const;
  void Fill(COLORREF colour);
  int Width() const { return w_; }
  int Height() const { return h_; }
  // Whether any pixel of the rectangle differs from colour.
  bool AnyOtherThan(const RECT& area, COLORREF colour) const;

 private:
  int w_, h_;
  ScopedMemoryDC dc_;
  ScopedBitmap bitmap_;
  std::optional<ScopedSelect> select_;  // undone before the bitmap and the DC go
  uint32_t* bits_ = nullptr;
};

// Writes an opaque w x h PNG of one colour.
bool WriteSolidPng(const std::wstring& path, int width, int height, COLORREF colour);

// Points ImagesFolder and MenusFolder at the pictures staged beside the test
// program, and puts them back as they were.
class PictureFolders {
 public:
  PictureFolders();
  ~PictureFolders();

 private:
  std::wstring images_, menus_;
};

// Sets the visual style for a test and puts the old one back.
class StyleScope {
 public:
  explicit StyleScope(int style);
  ~StyleScope();

 private:
  int saved_;
};

// True in the child process that runs with the light visual style switched on
// (on) or off (!on); false in the plain run.
bool ThemeRun(bool on);

}  // namespace draw_test
