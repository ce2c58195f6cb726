// Pieces shared by the 24- and 32-bit bitmap classes: the info block, the size
// check made before GDI is asked for a bitmap, the BMP writer and error sources.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace dib {

// BITMAPINFOHEADER followed by one colour-table entry: 44 bytes, as stored in BMP files.
struct InfoBlock {
  BITMAPINFOHEADER header;
  RGBQUAD color;
};
static_assert(sizeof(InfoBlock) == 44);

// Largest pixel memory a bitmap may have (the byte count must fit a signed 32-bit value).
inline constexpr int64_t kMaxImageBytes = 0x7FFFFFFF;

// Row length in bytes for a bit count (24: 3 bytes a pixel rounded up to 4; 32: 4 bytes a pixel).
int64_t RowBytes(int64_t width, int bitCount);
// True when width and height are positive and the pixel memory fits kMaxImageBytes.
bool SizeAllowed(long width, long height, int bitCount);
// Fills the info block for a bottom-up bitmap of that size and bit count.
void FillInfo(InfoBlock& info, long width, long height, int bitCount);

// The write check: failed unless the call succeeded and wrote all it was asked to.
void CheckWrite(BOOL result, DWORD asked, DWORD written, bool& failed);
// Writes the 14-byte file header, the 44-byte info block and biSizeImage pixel bytes to
// an open file; true when every write succeeded.
bool WriteBitmapFile(HANDLE file, const InfoBlock& info, const uint8_t* bits);

// The program's executable name without extension followed by suffix (error sources).
std::wstring ErrorSource(const wchar_t* suffix);

}  // namespace dib
