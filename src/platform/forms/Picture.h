// A picture object: a shared, immutable bitmap loaded from a file or taken
// over from a handle. Copies share the bitmap, which goes with the last copy.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

namespace forms {

class Picture {
 public:
  Picture() = default;  // no picture
  // Takes over (own = true) or borrows a bitmap handle; premultipliedAlpha
  // marks a 32-bit bitmap whose alpha is to be blended when drawn.
  static Picture FromBitmap(HBITMAP bitmap, bool own = true, bool premultipliedAlpha = false);

  bool Empty() const { return !bitmap_; }
  explicit operator bool() const { return !Empty(); }
  HBITMAP Handle() const;
  int Width() const;   // pixels
  int Height() const;  // pixels
  // Size in HIMETRIC (0.01 mm at 96 dpi): pixels x 2540 / 96, rounded.
  long HimetricWidth() const;
  long HimetricHeight() const;
  // True for a 32-bit bitmap with pre-multiplied alpha (drawn blended).
  bool HasAlpha() const;

  // Draws the part (sx, sy, sw, sh) of the picture into (x, y, w, h) of dc;
  // a negative size stands for the whole picture. Stretching copies pixels
  // (no halftoning, no blending of opaque pictures) so exact colours survive.
  void Draw(HDC dc, int x, int y, int w = -1, int h = -1, int sx = 0, int sy = 0, int sw = -1, int sh = -1,
            DWORD rop = SRCCOPY) const;

 private:
  struct Bitmap;
  std::shared_ptr<Bitmap> bitmap_;
};

// Loads a BMP file, a PNG file (through cPNG; kept with its alpha when it has
// any) or a JPEG or GIF file (through the system's imaging codecs); an empty
// picture when the file is missing or cannot be read.
Picture LoadPicture(const std::wstring& path);

}  // namespace forms

// Loads an image file into Picture and returns true; false on any error, with
// Picture left as it was.
bool LoadPictureFile(forms::Picture& picture, const std::wstring& fileName);
