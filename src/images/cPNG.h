// cPNG: reads a PNG file (no writing, no interlacing) into a bottom-up DIB and
// draws it on a device context, opaque or composited over what is there, in
// colour or in grey at half its alpha. LoadPNGFile results: 0 read (also for an
// interlaced file, one without IHDR and one whose data doesn't inflate: those
// draw nothing), 1 no such file, 2 can't be opened, 3 rejected.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "images/PNGTypes.h"

class cPNG {
 public:
  // Raised for every chunk that passed its rules, before it is stored; the chunk stored
  // is the one the handler leaves behind.
  std::function<void(std::string& ChkName, int32_t& ChkLength, std::vector<uint8_t>& ChkData, uint32_t& ChkCRC)>
      ChunkFound;
  // Raised with Max 4 and value 0 (signature read) to 4 (bitmap ready).
  std::function<void(int32_t& Max, int32_t& value)> LoadProgress;

  long BitDepth() const { return header_.BitDepth; }
  bool Interlaced() const { return header_.Interlace != 0; }
  long ColorType() const { return header_.ColorType; }
  long Height() const { return header_.Height; }
  long Width() const { return header_.Width; }
  // Draws the image with its top-left corner at (X, Y), at its own size.
  void DrawToDC(HDC hdc, long X, long Y, bool GrayScale) const;
  long LoadPNGFile(const std::wstring& FileName);

  // Read-only views for callers that inspect the result.
  const PNGBitmap& Bitmap() const { return bitmap_; }
  // The chunk stored under a key such as "IDAT2", or nothing.
  const PNGChunk* Chunk(const std::string& key) const;

  // Limits of what is decoded: a side of at most 32767 pixels, and at most 256 MiB of
  // inflated data and of bitmap.
  static constexpr int32_t kMaxSide = 32767;
  static constexpr int64_t kMaxBytes = 256LL << 20;

 private:
  using ChunkIndex = std::map<std::string, size_t>;

  long ParseFile(std::span<const uint8_t> file);
  void RaiseProgress(int32_t value);
  PNGBitmap DecodeImage();
  static bool ValidateHeader(PNGHeader& header);

  std::vector<PNGChunk> chunks_;
  ChunkIndex index_;
  PNGHeader header_;
  PNGBitmap bitmap_;
};
