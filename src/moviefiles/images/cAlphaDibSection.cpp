#include "moviefiles/images/cAlphaDibSection.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <random>

#include "moviefiles/images/BitmapResample.h"
#include "moviefiles/images/GdiHandles.h"
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
  if (!dib::SizeAllowed(lWidth, lHeight, 32)) return false;
  dib::FillInfo(info_, lWidth, lHeight, 32);
  void* bits = nullptr;
  hDib = CreateDIBSection(lHDC, reinterpret_cast<BITMAPINFO*>(&info_), DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = hDib ? static_cast<uint8_t*>(bits) : nullptr;
  return hDib != nullptr;
}

void cAlphaDibSection::CreateFromHBitmap(HBITMAP hBmp) {
  BITMAP bm{};
  if (!hBmp || !GetObjectW(hBmp, sizeof(bm), &bm)) bm = BITMAP{};
  if (!Create(bm.bmWidth, bm.bmHeight)) return;
  // A 32-bit DIB section is read with GetDIBits, so its alpha survives whatever the
  // platform's BitBlt does with the fourth byte. GetDIBits also turns top-down rows
  // round (the section's header doesn't reliably say which way up it is).
  DIBSECTION ds{};
  if (GetObjectW(hBmp, sizeof(ds), &ds) == sizeof(ds) && ds.dsBm.bmBits && ds.dsBmih.biBitCount == 32 &&
      ds.dsBmih.biCompression == BI_RGB && ds.dsBm.bmWidth == Width() && ds.dsBm.bmHeight == Height()) {
    GdiFlush();
    dib::InfoBlock request = info_;
    if (GetDIBits(hdc_, hBmp, 0, static_cast<UINT>(Height()), bits_, reinterpret_cast<BITMAPINFO*>(&request),
                  DIB_RGB_COLORS) == Height())
      return;
  }
  HDC temp = CreateScreenCompatibleDC();
  if (!temp) return;
  {
    ScopedSelect bitmap(temp, hBmp);
    LoadPictureBlt(temp, 0, 0, -1, -1, SRCCOPY);
  }
  DeleteDC(temp);
}

void cAlphaDibSection::CreateFromFile(const std::wstring& fileName, long width, long height) {
  ScopedGdiObject bmp(LoadImageW(nullptr, fileName.c_str(), IMAGE_BITMAP, width, height,
                                 LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  CreateFromHBitmap(static_cast<HBITMAP>(bmp.get()));
}

bool cAlphaDibSection::Create(long lWidth, long lHeight) {
  const bool drawDib = UseDrawDib();
  ClearUp();
  hdc_ = CreateCompatibleDC(nullptr);
  if (!hdc_) return false;
  if (CreateDIB(hdc_, lWidth, lHeight, hDib_)) {
    hBmpOld_ = SelectObject(hdc_, hDib_);
    UseDrawDib(drawDib);
    return true;
  }
  DeleteDC(hdc_);
  hdc_ = nullptr;
  hDib_ = nullptr;
  bits_ = nullptr;
  return false;
}

void cAlphaDibSection::LoadPictureBlt(HDC lHDC, long lSrcLeft, long lSrcTop, long lSrcWidth, long lSrcHeight,
                                      DWORD eRop) {
  if (lSrcWidth < 0) lSrcWidth = Width();
  if (lSrcHeight < 0) lSrcHeight = Height();
  BitBlt(hdc_, 0, 0, lSrcWidth, lSrcHeight, lHDC, lSrcLeft, lSrcTop, eRop);
}

bool cAlphaDibSection::SavePicture(const std::wstring& fileName) {
  if (!bits_) return false;
  HANDLE file = CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetError(17, dib::ErrorSource(L".cDIBSection"), ApiError(GetLastError()));
    return false;
  }
  GdiFlush();
  bool ok = dib::WriteBitmapFile(file, info_, bits_);
  CloseHandle(file);
  return ok;
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
  if (drawDib_ && bits_) {  // without pixels DrawDib would read a packed DIB after the header
    DrawDibDraw(drawDib_, lHDC, lDestLeft, lDestTop, lDestWidth, lDestHeight, &info_.header, bits_, lSrcLeft,
                lSrcTop, lDestWidth, lDestHeight, 0);
  } else {
    BitBlt(lHDC, lDestLeft, lDestTop, lDestWidth, lDestHeight, hdc_, lSrcLeft, lSrcTop, eRop);
  }
}

void cAlphaDibSection::AlphaPaintPicture(HDC lHDC, long lDestLeft, long lDestTop, long lDestWidth,
                                         long lDestHeight, long lSrcLeft, long lSrcTop, uint8_t lConstantAlpha) {
  if (lDestWidth < 0) lDestWidth = Width();
  if (lDestHeight < 0) lDestHeight = Height();
  BLENDFUNCTION blend{AC_SRC_OVER, 0, lConstantAlpha, AC_SRC_ALPHA};
  AlphaBlend(lHDC, lDestLeft, lDestTop, lDestWidth, lDestHeight, hdc_, lSrcLeft, lSrcTop, lDestWidth, lDestHeight,
             blend);
}

size_t cAlphaDibSection::PixelCount() const {
  return bits_ ? static_cast<size_t>(Width()) * static_cast<size_t>(Height()) : 0;
}

void cAlphaDibSection::RandomiseBits(bool bGray) {
  if (!bits_) return;
  GdiFlush();
  std::mt19937 gen(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
  std::uniform_real_distribution<double> r(0.0, 1.0);
  auto level = [&] { return static_cast<int>(std::nearbyint(r(gen) * 255.0)); };
  uint8_t* p = bits_;
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
  uint8_t* p = bits_;
  for (size_t i = 0, n = PixelCount(); i < n; ++i, p += 4) {
    const unsigned a = p[3];
    p[0] = static_cast<uint8_t>(p[0] * a / 255);
    p[1] = static_cast<uint8_t>(p[1] * a / 255);
    p[2] = static_cast<uint8_t>(p[2] * a / 255);
  }
}

bool cAlphaDibSection::AreAllAlphaBytesZero() const {
  GdiFlush();
  const uint8_t* p = bits_;
  for (size_t i = 0, n = PixelCount(); i < n; ++i, p += 4)
    if (p[3] != 0) return false;
  return true;
}

void cAlphaDibSection::SetAlpha(uint8_t bAlphaSet) {
  GdiFlush();
  const unsigned a = bAlphaSet;
  uint8_t* p = bits_;
  for (size_t i = 0, n = PixelCount(); i < n; ++i, p += 4) {
    p[0] = static_cast<uint8_t>(p[0] * a / 255);
    p[1] = static_cast<uint8_t>(p[1] * a / 255);
    p[2] = static_cast<uint8_t>(p[2] * a / 255);
    p[3] = bAlphaSet;
  }
}

void cAlphaDibSection::ClearUp() {
  if (hdc_) {
    if (hDib_) {
      SelectObject(hdc_, hBmpOld_);
      DeleteObject(hDib_);
    }
    DeleteDC(hdc_);
  }
  hdc_ = nullptr;
  hDib_ = nullptr;
  hBmpOld_ = nullptr;
  bits_ = nullptr;
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
  if (!bits_) return result;
  GdiFlush();
  if (lNewWidth == Width() && lNewHeight == Height()) {
    std::memcpy(result->bits_, bits_, info_.header.biSizeImage);
  } else if (channels == 4) {
    ResampleAlphaBits(*result);
  } else {
    ResampleBits(*result);
  }
  return result;
}

void cAlphaDibSection::ResampleBits(cAlphaDibSection& target) const {
  ResampleBilinear(PixelPlane{bits_, Width(), Height(), BytesPerScanLine()},
                   PixelPlane{target.bits_, target.Width(), target.Height(), target.BytesPerScanLine()}, 4, 3);
}

void cAlphaDibSection::ResampleAlphaBits(cAlphaDibSection& target) const {
  ResampleBilinear(PixelPlane{bits_, Width(), Height(), BytesPerScanLine()},
                   PixelPlane{target.bits_, target.Width(), target.Height(), target.BytesPerScanLine()}, 4, 4);
}
