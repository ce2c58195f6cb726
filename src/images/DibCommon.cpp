#include "images/DibCommon.h"

#include <cstring>
#include <span>
#include <utility>

#include "images/BitmapResample.h"

namespace dib {

int64_t RowBytes(int64_t width, int bitCount) {
  if (bitCount == 32) return width * 4;
  return ((width + 1) * 3) & ~int64_t{3};
}

bool SizeAllowed(long width, long height, int bitCount) {
  if (width <= 0 || height <= 0) return false;
  // Divided rather than multiplied: a row length of up to 2^33 times a height of up to
  // 2^31 would overflow.
  return RowBytes(width, bitCount) <= kMaxImageBytes / height;
}

void FillInfo(InfoBlock& info, long width, long height, int bitCount) {
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bitCount);
  info.header.biCompression = BI_RGB;
  info.header.biSizeImage = static_cast<DWORD>(RowBytes(width, bitCount) * height);
}

bool WriteBitmapFile(BinaryFile& file, const InfoBlock& info, const uint8_t* bits) {
  const DWORD imageSize = info.header.biSizeImage;
  uint8_t head[14] = {'B', 'M'};
  const DWORD fileSize = imageSize + 14 + sizeof(InfoBlock);
  const DWORD offset = 14 + sizeof(InfoBlock);
  std::memcpy(head + 2, &fileSize, 4);
  std::memcpy(head + 10, &offset, 4);

  const std::span<const uint8_t> pieces[] = {std::span(head), std::span(reinterpret_cast<const uint8_t*>(&info), sizeof(InfoBlock)),
                                             std::span(bits, imageSize)};
  for (const auto& piece : pieces) {
    if (!file.Write(piece)) return false;
  }
  return true;
}

std::wstring ErrorSource(const wchar_t* suffix) {
  wchar_t path[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path, n);
  size_t slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return name + suffix;
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(bm), &bm)) return SIZE{0, 0};
  return SIZE{bm.bmWidth, bm.bmHeight};
}

bool Section::CreateDIB(HDC dc, long width, long height, int bitCount, HBITMAP& out) {
  if (!SizeAllowed(width, height, bitCount)) return false;
  FillInfo(info, width, height, bitCount);
  void* pixels = nullptr;
  out = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
  bits = out ? static_cast<uint8_t*>(pixels) : nullptr;
  return out != nullptr;
}

bool Section::Create(long width, long height, int bitCount) {
  Release();
  ScopedCreatedDC dc(CreateCompatibleDC(nullptr));
  HBITMAP made = nullptr;
  if (!dc || !CreateDIB(dc.get(), width, height, bitCount, made)) {
    bits = nullptr;
    return false;
  }
  hDib.reset(made);
  hdc = std::move(dc);
  hBmpOld = SelectObject(hdc.get(), hDib.get());
  return true;
}

void Section::Release() {
  if (hdc && hDib) SelectObject(hdc.get(), hBmpOld);
  hDib.reset();
  hdc.reset();
  hBmpOld = nullptr;
  bits = nullptr;
}

void Section::LoadBlt(HDC source, long left, long top, long width, long height, DWORD rop) const {
  if (width < 0) width = Width();
  if (height < 0) height = Height();
  BitBlt(hdc.get(), 0, 0, width, height, source, left, top, rop);
}

void Section::CopyBitmap(HBITMAP source) const {
  ScopedCreatedDC temp(CreateScreenCompatibleDC());
  if (!temp) return;
  ScopedSelect selected(temp.get(), source);
  LoadBlt(temp.get(), 0, 0, -1, -1, SRCCOPY);
}

void Section::ResampleInto(const Section& target, int channels) const {
  if (!bits) return;
  GdiFlush();
  if (target.Width() == Width() && target.Height() == Height()) {
    std::memcpy(target.bits, bits, info.header.biSizeImage);
  } else {
    ResampleBilinear(PixelPlane{bits, Width(), Height(), Stride()},
                     PixelPlane{target.bits, target.Width(), target.Height(), target.Stride()},
                     info.header.biBitCount / 8, channels);
  }
}

bool Section::Save(const std::wstring& fileName, bool* openFailed) const {
  if (!bits) return false;
  const std::wstring temp = TempFileBeside(fileName);
  BinaryFile file;
  if (temp.empty() || !file.Create(temp)) {
    const DWORD error = GetLastError();
    if (!temp.empty()) DeleteFileW(temp.c_str());
    SetLastError(error);
    if (openFailed) *openFailed = true;
    return false;
  }
  GdiFlush();
  bool ok = WriteBitmapFile(file, info, bits);
  ok = file.CloseChecked() && ok;
  if (!ok) {
    DeleteFileW(temp.c_str());
    return false;
  }
  if (!CommitTempFile(temp, fileName)) {
    if (openFailed) *openFailed = true;
    return false;
  }
  return true;
}

}  // namespace dib
