// JPEG output: SaveJPG writes a 24-bit bitmap as a JPEG file through the JPEG
// library jpegzel.dll (loaded from the program's folder).
#pragma once
#include <cstdint>
#include <string>

class cDIBSection;

// Quality 0..100 (values outside are clamped). The file is written under a temporary
// name and moved over the target only when complete, so a failure keeps any earlier
// file. On failure the result is false and the current error is 26001 (source
// "<program>.mIntelJPEGLibrary") with the reason as its description.
bool SaveJPG(const cDIBSection& bitmap, const std::wstring& fileName, long quality);

// 24-bit pixels to encode: height rows of stride bytes, blue-green-red.
struct JpegPixels {
  const uint8_t* bits = nullptr;
  int width = 0, height = 0, stride = 0;
};
// SaveJPG's writing without the current error, safe on any thread: false with
// the reason when nothing was written.
bool WriteJpegFile(const JpegPixels& pixels, const std::wstring& fileName, long quality, std::wstring& reason);
