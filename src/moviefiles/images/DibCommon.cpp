#include "moviefiles/images/DibCommon.h"

#include <cstring>

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

void CheckWrite(BOOL result, DWORD asked, DWORD written, bool& failed) {
  failed = !(result && written == asked);
}

bool WriteBitmapFile(HANDLE file, const InfoBlock& info, const uint8_t* bits) {
  const DWORD imageSize = info.header.biSizeImage;
  uint8_t head[14] = {'B', 'M'};
  const DWORD fileSize = imageSize + 14 + sizeof(InfoBlock);
  const DWORD offset = 14 + sizeof(InfoBlock);
  std::memcpy(head + 2, &fileSize, 4);
  std::memcpy(head + 10, &offset, 4);

  struct Piece {
    const void* data;
    DWORD size;
  };
  const Piece pieces[] = {{head, sizeof(head)}, {&info, sizeof(InfoBlock)}, {bits, imageSize}};
  bool failed = false;
  for (const Piece& piece : pieces) {
    DWORD written = 0;
    BOOL ok = WriteFile(file, piece.data, piece.size, &written, nullptr);
    CheckWrite(ok, piece.size, written, failed);
    if (failed) return false;
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

}  // namespace dib
