#include "images/cAlphaDibSection.h"

#include <chrono>
#include <cmath>
#include <random>

#include "base/Handles.h"
#include "services/Services.h"

cAlphaDibSection::~cAlphaDibSection() { ClearUp(); }

void cAlphaDibSection::UseDrawDib(bool bState) {
  if (bState) {
    if (!drawDib_) drawDib_ = DrawDibOpen();
  } else if (drawDib_) {
    DrawDibClose(drawDib_);
    drawDib_ = nullptr;
  }
}

bool cAlphaDibSection::CreateDIB(HDC lHDC, long lWidth, long lHeight, HBITMAP& hDib) {
  return dib_.CreateDIB(lHDC, lWidth, lHeight, 32, hDib);
}

void cAlphaDibSection::CreateFromHBitmap(HBITMAP hBmp) {
  const SIZE size = dib::BitmapSize(hBmp);
  if (!Create(size.cx, size.cy)) return;
  // A 32-bit DIB section is read with GetDIBits, so its alpha survives whatever the
  // platform's BitBlt does with the fourth byte. GetDIBits also turns top-down rows
  // round (the section's header doesn't reliably say which way up it is).
  DIBSECTION ds{};
  if (GetObjectW(hBmp, sizeof(ds), &ds) == sizeof(ds) && ds.dsBm.bmBits && ds.dsBmih.biBitCount == 32 &&
      ds.dsBmih.biCompression == BI_RGB && ds.dsBm.bmWidth == Width() && ds.dsBm.bmHeight == Height()) {
    GdiFlush();
    dib::InfoBlock request = dib_.info;
    if (GetDIBits(dib_.hdc.get(), hBmp, 0, static_cast<UINT>(Height()), dib_.bits, reinterpret_cast<BITMAPINFO*>(&request),
                  DIB_RGB_COLORS) == Height())
      return;
  }
  dib_.CopyBitmap(hBmp);
}

void cAlphaDibSection::CreateFromFile(const std::wstring& fileName, long width, long height) {
  ScopedGdiObject bmp(LoadImageW(nullptr, fileName.c_str(), IMAGE_BITMAP, width, height,
                                 LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  CreateFromHBitmap(static_cast<HBITMAP>(bmp.get()));
}

bool cAlphaDibSection::Create(long lWidth, long lHeight) {
  const bool drawDib = UseDrawDib();
  ClearUp();
  if (!dib_.Create(lWidth, lHeight, 32)) return false;
  UseDrawDib(drawDib);
  return true;
}

void cAlphaDibSection::LoadPictureBlt(HDC lHDC, long lSrcLeft, long lSrcTop, long lSrcWidth, long lSrcHeight,
                                      DWORD eRop) {
  dib_.LoadBlt(lHDC, lSrcLeft, lSrcTop, lSrcWidth, lSrcHeight, eRop);
}

bool cAlphaDibSection::SavePicture(const std::wstring& fileName) {
  bool openFailed = false;
  if (dib_.Save(fileName, &openFailed)) return true;
  if (openFailed) SetError(17, dib::ErrorSource(L".cDIBSection"), ApiError(GetLastError()));
  return false;
}

std::wstring cAlphaDibSection::ApiError(DWORD code) {
  wchar_t buffer[256] = {};
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer, 256,
                           nullptr);
  return n > 0 ? std::wstring(buffer, n) : std::wstring();
}

void cAlphaDibSection::PaintPicture(HDC lHDC, long lDestLeft, long lDestTop, long lDestWidth, long lDestHeight,
                                    long lSrcLeft, long lSrcTop, DWORD eRop) {
  if (lDestWidth < 0) lDestWidth = Width();
  if (lDestHeight < 0) lDestHeight = Height();
  if (drawDib_ && dib_.bits) {  // without pixels DrawDib would read a packed DIB after the header
    DrawDibDraw(drawDib_, lHDC, lDestLeft, lDestTop, lDestWidth, lDestHeight, &dib_.info.header, dib_.bits, lSrcLeft,
                lSrcTop, lDestWidth, lDestHeight, 0);
  } else {
    BitBlt(lHDC, lDestLeft, lDestTop, lDestWidth, lDestHeight, dib_.hdc.get(), lSrcLeft, lSrcTop, eRop);
  }
}

void cAlphaDibSection::AlphaPaintPicture(HDC lHDC, long lDestLeft, long lDestTop, long lDestWidth,
                                         long lDestHeight, long lSrcLeft, long lSrcTop, uint8_t lConstantAlpha) {
  if (lDestWidth < 0) lDestWidth = Width();
  if (lDestHeight < 0) lDestHeight = Height();
  BLENDFUNCTION blend{AC_SRC_OVER, 0, lConstantAlpha, AC_SRC_ALPHA};
  AlphaBlend(lHDC, lDestLeft, lDestTop, lDestWidth, lDestHeight, dib_.hdc.get(), lSrcLeft, lSrcTop, lDestWidth, lDestHeight,
             blend);
}

size_t cAlphaDibSection::PixelCount() const {
  return dib_.bits ? static_cast<size_t>(Width()) * static_cast<size_t>(Height()) : 0;
}

void cAlphaDibSection::RandomiseBits(bool bGray) {
  if (!dib_.bits) return;
  GdiFlush();
  std::mt19937 gen(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
  std::uniform_real_distribution<double> r(0.0, 1.0);
  auto level = [&] { return static_cast<int>(std::nearbyint(r(gen) * 255.0)); };
  uint8_t* p = dib_.bits;
  for (size_t i = 0, n = PixelCount(); i < n; ++i, p += 4) {
    if (bGray) {
      const int v = level();
      const int alpha = level();
      p[0] = p[1] = p[2] = static_cast<uint8_t>(alpha * v / 255);
      p[3] = static_cast<uint8_t>(alpha);
    } else {
      const int alpha = level();
      for (int k = 0; k < 3; ++k) p[k] = static_cast<uint8_t>(static_cast<int>(std::nearbyint(r(gen) * 255.0 * alpha)) / 255);
      p[3] = static_cast<uint8_t>(alpha);
    }
  }
}

void cAlphaDibSection::PreMultiplyAlpha() {
  GdiFlush();
  uint8_t* p = dib_.bits;
  for (size_t i = 0, n = PixelCount(); i < n; ++i, p += 4) {
    const unsigned a = p[3];
    p[0] = static_cast<uint8_t>(p[0] * a / 255);
    p[1] = static_cast<uint8_t>(p[1] * a / 255);
    p[2] = static_cast<uint8_t>(p[2] * a / 255);
  }
}

bool cAlphaDibSection::AreAllAlphaBytesZero() const {
  GdiFlush();
  const uint8_t* p = dib_.bits;
  for (size_t i = 0, n = PixelCount(); i < n; ++i, p += 4)
    if (p[3] != 0) return false;
  return true;
}

void cAlphaDibSection::SetAlpha(uint8_t bAlphaSet) {
  GdiFlush();
  const unsigned a = bAlphaSet;
  uint8_t* p = dib_.bits;
  for (size_t i = 0, n = PixelCount(); i < n; ++i, p += 4) {
    p[0] = static_cast<uint8_t>(p[0] * a / 255);
    p[1] = static_cast<uint8_t>(p[1] * a / 255);
    p[2] = static_cast<uint8_t>(p[2] * a / 255);
    p[3] = bAlphaSet;
  }
}

void cAlphaDibSection::ClearUp() {
  dib_.Release();
  UseDrawDib(false);
}

std::unique_ptr<cAlphaDibSection> cAlphaDibSection::Resample(long lNewWidth, long lNewHeight) const {
  return ResampleWith(lNewWidth, lNewHeight, 3);
}

std::unique_ptr<cAlphaDibSection> cAlphaDibSection::ResampleAlpha(long lNewWidth, long lNewHeight) const {
  return ResampleWith(lNewWidth, lNewHeight, 4);
}

std::unique_ptr<cAlphaDibSection> cAlphaDibSection::ResampleWith(long lNewWidth, long lNewHeight,
                                                                 int channels) const {
  auto result = std::make_unique<cAlphaDibSection>();
  if (!result->Create(lNewWidth, lNewHeight)) return nullptr;
  dib_.ResampleInto(result->dib_, channels);
  return result;
}
