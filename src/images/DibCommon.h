// Pieces shared by the 24- and 32-bit bitmap classes: the info block, the size
// check made before GDI is asked for a bitmap, the BMP writer, error sources and
// the DIB section with its own memory device context that both classes keep.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/BinaryFile.h"
#include "base/Handles.h"

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

// Writes the 14-byte file header, the 44-byte info block and biSizeImage pixel bytes to
// an open file; true when every write succeeded.
bool WriteBitmapFile(BinaryFile& file, const InfoBlock& info, const uint8_t* bits);

// The program's executable name without extension followed by suffix (error sources).
std::wstring ErrorSource(const wchar_t* suffix);

// A bitmap's width and height; 0 x 0 for no bitmap or one that can't be read.
SIZE BitmapSize(HBITMAP bitmap);

// A bottom-up DIB section selected into a memory device context of its own,
// released (deselected, then deleted with its context) by Release or on destruction.
struct Section {
  ScopedCreatedDC hdc;
  ScopedBitmap hDib;
  HGDIOBJ hBmpOld = nullptr;  // what the context held before the section
  uint8_t* bits = nullptr;
  InfoBlock info{};

  Section() = default;
  ~Section() { Release(); }
  Section(const Section&) = delete;
  Section& operator=(const Section&) = delete;

  long Width() const { return info.header.biWidth; }
  long Height() const { return info.header.biHeight; }
  long Stride() const { return static_cast<long>(RowBytes(info.header.biWidth, info.header.biBitCount)); }

  // Fills the info block and makes a DIB section on dc into out; selects nothing. False
  // (and no GDI call) when SizeAllowed says no.
  bool CreateDIB(HDC dc, long width, long height, int bitCount, HBITMAP& out);
  // Releases what is held, then makes a memory DC with a new DIB section selected into
  // it; on failure everything is left null.
  bool Create(long width, long height, int bitCount);
  // Deselects and deletes the bitmap and the device context; everything becomes null.
  void Release();
  // Copies (left, top) of source into the bitmap's top-left corner; a width or height
  // < 0 means the bitmap's own.
  void LoadBlt(HDC source, long left, long top, long width, long height, DWORD rop) const;
  // Copies a bitmap (the caller's) into the top-left corner through a device context
  // compatible with the screen.
  void CopyBitmap(HBITMAP source) const;
  // Fills target (already created) from these pixels: copied at the same size,
  // bilinear otherwise, the first `channels` bytes of each pixel. Nothing without pixels.
  void ResampleInto(const Section& target, int channels) const;
  // Writes the bitmap as a BMP file: to a temporary file beside it, moved over the
  // target only when complete, so a failed save leaves the file that was there. False
  // when there are no pixels, the file can't be created or replaced (openFailed set;
  // GetLastError still tells why) or a write fails.
  bool Save(const std::wstring& fileName, bool* openFailed = nullptr) const;
};

}  // namespace dib
