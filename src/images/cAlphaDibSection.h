// cAlphaDibSection: the 32-bit twin of cDIBSection. Pixels are blue, green, red,
// alpha (pre-multiplied for AlphaPaintPicture), rows of Width x 4 bytes, bottom
// row first. Painting can go through DrawDib instead of BitBlt.
#pragma once
#include <windows.h>
#include <vfw.h>

#include <cstdint>
#include <memory>
#include <string>

#include "images/DibCommon.h"

class cAlphaDibSection {
 public:
  cAlphaDibSection() = default;
  ~cAlphaDibSection();
  cAlphaDibSection(const cAlphaDibSection&) = delete;
  cAlphaDibSection& operator=(const cAlphaDibSection&) = delete;

  bool UseDrawDib() const { return drawDib_ != nullptr; }
  void UseDrawDib(bool bState);
  bool CreateDIB(HDC lHDC, long lWidth, long lHeight, HBITMAP& hDib);
  // Makes the object a 32-bit copy of the bitmap; the caller keeps the bitmap.
  void CreateFromHBitmap(HBITMAP hBmp);
  // Loads a bitmap file (width and height 0: the file's own size) and copies it.
  void CreateFromFile(const std::wstring& fileName, long width = 0, long height = 0);
  bool Create(long lWidth, long lHeight);
  long BytesPerScanLine() const { return dib_.Stride(); }
  long Width() const { return dib_.Width(); }
  long Height() const { return dib_.Height(); }
  void LoadPictureBlt(HDC lHDC, long lSrcLeft = 0, long lSrcTop = 0, long lSrcWidth = -1, long lSrcHeight = -1,
                      DWORD eRop = SRCCOPY);
  // Writes the bitmap as a 32-bit BMP file. When the file can't be created the current
  // error becomes 17 (source "<program>.cDIBSection", the system's message) and the
  // result is false; a failed write gives false too.
  bool SavePicture(const std::wstring& fileName);
  // The system's message for a Windows error code, "" when there is none.
  static std::wstring ApiError(DWORD code);
  void PaintPicture(HDC lHDC, long lDestLeft = 0, long lDestTop = 0, long lDestWidth = -1, long lDestHeight = -1,
                    long lSrcLeft = 0, long lSrcTop = 0, DWORD eRop = SRCCOPY);
  // Per-pixel alpha blend (pre-multiplied source) at the bitmap's own size.
  void AlphaPaintPicture(HDC lHDC, long lDestLeft = 0, long lDestTop = 0, long lDestWidth = -1,
                         long lDestHeight = -1, long lSrcLeft = 0, long lSrcTop = 0, uint8_t lConstantAlpha = 255);
  HDC hdc() const { return dib_.hdc.get(); }
  HBITMAP hDib() const { return dib_.hDib.get(); }
  uint8_t* DIBSectionBitsPtr() const { return dib_.bits; }
  void RandomiseBits(bool bGray);
  void PreMultiplyAlpha();
  bool AreAllAlphaBytesZero() const;
  void SetAlpha(uint8_t bAlphaSet);
  void ClearUp();
  // Resized copies: Resample interpolates blue, green and red (the new alpha stays as
  // created), ResampleAlpha all four bytes. Nothing when the new bitmap can't be made.
  std::unique_ptr<cAlphaDibSection> Resample(long lNewWidth, long lNewHeight) const;
  std::unique_ptr<cAlphaDibSection> ResampleAlpha(long lNewWidth, long lNewHeight) const;

 private:
  std::unique_ptr<cAlphaDibSection> ResampleWith(long lNewWidth, long lNewHeight, int channels) const;
  size_t PixelCount() const;

  dib::Section dib_;
  HDRAWDIB drawDib_ = nullptr;
};
