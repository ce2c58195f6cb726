#include "images/cDIBSection.h"

#include <chrono>
#include <cmath>
#include <random>

cDIBSection::~cDIBSection() { ClearUp(); }

bool cDIBSection::CreateDIB(HDC lHDC, long lWidth, long lHeight, HBITMAP& hDib) {
  return dib_.CreateDIB(lHDC, lWidth, lHeight, 24, hDib);
}

void cDIBSection::CreateFromPicture(HBITMAP picThis) {
  const SIZE size = dib::BitmapSize(picThis);
  if (Create(size.cx, size.cy)) dib_.CopyBitmap(picThis);
}

bool cDIBSection::Create(long lWidth, long lHeight) { return dib_.Create(lWidth, lHeight, 24); }

void cDIBSection::LoadPictureBlt(HDC lHDC, long lSrcLeft, long lSrcTop, long lSrcWidth, long lSrcHeight,
                                 DWORD eRop) {
  dib_.LoadBlt(lHDC, lSrcLeft, lSrcTop, lSrcWidth, lSrcHeight, eRop);
}

void cDIBSection::PaintPicture(HDC lHDC, long lDestLeft, long lDestTop, long lDestWidth, long lDestHeight,
                               long lSrcLeft, long lSrcTop, DWORD eRop) {
  if (lDestWidth < 0) lDestWidth = Width();
  if (lDestHeight < 0) lDestHeight = Height();
  BitBlt(lHDC, lDestLeft, lDestTop, lDestWidth, lDestHeight, dib_.hdc.get(), lSrcLeft, lSrcTop, eRop);
}

void cDIBSection::RandomiseBits(bool bGray) {
  if (!dib_.bits) return;
  GdiFlush();
  std::mt19937 gen(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
  std::uniform_real_distribution<double> r(0.0, 1.0);
  auto level = [&] { return static_cast<uint8_t>(std::nearbyint(r(gen) * 255.0)); };
  const long width = Width(), height = Height(), stride = BytesPerScanLine();
  for (long y = 0; y < height; ++y) {
    uint8_t* p = dib_.bits + static_cast<intptr_t>(y) * stride;
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

void cDIBSection::ClearUp() { dib_.Release(); }

std::unique_ptr<cDIBSection> cDIBSection::Resample(long lNewWidth, long lNewHeight) const {
  auto result = std::make_unique<cDIBSection>();
  if (!result->Create(lNewWidth, lNewHeight)) return nullptr;
  dib_.ResampleInto(result->dib_, 3);
  return result;
}

bool cDIBSection::SavePicture(const std::wstring& sFileName) { return dib_.Save(sFileName); }
