#include "moviefiles/images/cDIBSection.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <random>

#include "moviefiles/images/BitmapResample.h"
#include "moviefiles/images/GdiHandles.h"

cDIBSection::~cDIBSection() { ClearUp(); }

bool cDIBSection::CreateDIB(HDC lHDC, long lWidth, long lHeight, HBITMAP& hDib) {
  if (!dib::SizeAllowed(lWidth, lHeight, 24)) return false;
  dib::FillInfo(info_, lWidth, lHeight, 24);
  void* bits = nullptr;
  hDib = CreateDIBSection(lHDC, reinterpret_cast<BITMAPINFO*>(&info_), DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = hDib ? static_cast<uint8_t*>(bits) : nullptr;
  return hDib != nullptr;
}

void cDIBSection::CreateFromPicture(HBITMAP picThis) {
  BITMAP bm{};
  if (!picThis || !GetObjectW(picThis, sizeof(bm), &bm)) bm = BITMAP{};
  if (!Create(bm.bmWidth, bm.bmHeight)) return;
  HDC temp = CreateScreenCompatibleDC();
  if (!temp) return;
  {
    ScopedSelect picture(temp, picThis);
    LoadPictureBlt(temp, 0, 0, -1, -1, SRCCOPY);
  }
  DeleteDC(temp);
}

bool cDIBSection::Create(long lWidth, long lHeight) {
  ClearUp();
  hdc_ = CreateCompatibleDC(nullptr);
  if (!hdc_) return false;
  if (CreateDIB(hdc_, lWidth, lHeight, hDib_)) {
    hBmpOld_ = SelectObject(hdc_, hDib_);
    return true;
  }
  DeleteDC(hdc_);
  hdc_ = nullptr;
  hDib_ = nullptr;
  bits_ = nullptr;
  return false;
}

long cDIBSection::BytesPerScanLine() const {
  return static_cast<long>(dib::RowBytes(info_.header.biWidth, 24));
}

void cDIBSection::LoadPictureBlt(HDC lHDC, long lSrcLeft, long lSrcTop, long lSrcWidth, long lSrcHeight,
                                 DWORD eRop) {
  if (lSrcWidth < 0) lSrcWidth = Width();
  if (lSrcHeight < 0) lSrcHeight = Height();
  BitBlt(hdc_, 0, 0, lSrcWidth, lSrcHeight, lHDC, lSrcLeft, lSrcTop, eRop);
}

void cDIBSection::PaintPicture(HDC lHDC, long lDestLeft, long lDestTop, long lDestWidth, long lDestHeight,
                               long lSrcLeft, long lSrcTop, DWORD eRop) {
  if (lDestWidth < 0) lDestWidth = Width();
  if (lDestHeight < 0) lDestHeight = Height();
  BitBlt(lHDC, lDestLeft, lDestTop, lDestWidth, lDestHeight, hdc_, lSrcLeft, lSrcTop, eRop);
}

void cDIBSection::RandomiseBits(bool bGray) {
  if (!bits_) return;
  GdiFlush();
  std::mt19937 gen(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
  std::uniform_real_distribution<double> r(0.0, 1.0);
  auto level = [&] { return static_cast<uint8_t>(std::nearbyint(r(gen) * 255.0)); };
  const long width = Width(), height = Height(), stride = BytesPerScanLine();
  for (long y = 0; y < height; ++y) {
    uint8_t* p = bits_ + static_cast<intptr_t>(y) * stride;
    for (long x = 0; x < width; ++x, p += 3) {
      if (bGray) {
        p[0] = p[1] = p[2] = level();
      } else {
        p[0] = 0;
        p[1] = level();
        p[2] = level();
      }
    }
  }
}

void cDIBSection::ClearUp() {
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
}

std::unique_ptr<cDIBSection> cDIBSection::Resample(long lNewWidth, long lNewHeight) const {
  auto result = std::make_unique<cDIBSection>();
  if (!result->Create(lNewWidth, lNewHeight)) return nullptr;
  if (!bits_) return result;
  GdiFlush();
  if (lNewWidth == Width() && lNewHeight == Height()) {
    std::memcpy(result->bits_, bits_, info_.header.biSizeImage);
  } else {
    ResampleBits(*result);
  }
  return result;
}

void cDIBSection::ResampleBits(cDIBSection& target) const {
  ResampleBilinear(PixelPlane{bits_, Width(), Height(), BytesPerScanLine()},
                   PixelPlane{target.bits_, target.Width(), target.Height(), target.BytesPerScanLine()}, 3, 3);
}

bool cDIBSection::SavePicture(const std::wstring& sFileName) {
  if (!bits_) return false;
  HANDLE file = CreateFileW(sFileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  GdiFlush();
  bool ok = dib::WriteBitmapFile(file, info_, bits_);
  CloseHandle(file);
  return ok;
}
