// cDIBSection: a 24-bit bottom-up DIB section selected into a memory device
// context of its own. Pixels are addressed directly: Height rows of
// BytesPerScanLine bytes, bottom row first, blue-green-red per pixel.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "images/DibCommon.h"

class cDIBSection {
 public:
  cDIBSection() = default;
  ~cDIBSection();
  cDIBSection(const cDIBSection&) = delete;
  cDIBSection& operator=(const cDIBSection&) = delete;

  // Fills the info block and makes the DIB section; selects nothing. False (and no
  // GDI call) for a width or height <= 0 or a size whose bytes don't fit 31 bits.
  bool CreateDIB(HDC lHDC, long lWidth, long lHeight, HBITMAP& hDib);
  // Makes the object a 24-bit copy of the bitmap; the caller keeps the bitmap.
  void CreateFromPicture(HBITMAP picThis);
  bool Create(long lWidth, long lHeight);
  long BytesPerScanLine() const { return dib_.Stride(); }
  long Width() const { return dib_.Width(); }
  long Height() const { return dib_.Height(); }
  // Width or height < 0 means the whole bitmap.
  void LoadPictureBlt(HDC lHDC, long lSrcLeft = 0, long lSrcTop = 0, long lSrcWidth = -1, long lSrcHeight = -1,
                      DWORD eRop = SRCCOPY);
  void PaintPicture(HDC lHDC, long lDestLeft = 0, long lDestTop = 0, long lDestWidth = -1, long lDestHeight = -1,
                    long lSrcLeft = 0, long lSrcTop = 0, DWORD eRop = SRCCOPY);
  HDC hdc() const { return dib_.hdc.get(); }
  HBITMAP hDib() const { return dib_.hDib.get(); }
  uint8_t* DIBSectionBitsPtr() const { return dib_.bits; }
  void RandomiseBits(bool bGray);
  void ClearUp();
  // A resized copy (bilinear), or nothing when the new bitmap can't be made.
  std::unique_ptr<cDIBSection> Resample(long lNewWidth, long lNewHeight) const;
  // Writes the bitmap as a BMP file; false when there is no bitmap, the file can't be
  // created or a write fails.
  bool SavePicture(const std::wstring& sFileName);

 private:
  dib::Section dib_;
};
