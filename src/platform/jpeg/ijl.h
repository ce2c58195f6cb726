// Interface of the JPEG library jpegzel.dll: the caller zeroes a properties record,
// ijlInit fills in the defaults, the caller describes its bitmap and the target
// file, ijlWrite encodes and writes, ijlFree releases. Every call returns 0 on
// success and a negative code on failure.
#pragma once
#include <cstdint>

#ifdef JPEGZEL_BUILD
#define IJLAPI extern "C" __declspec(dllexport)
#else
#define IJLAPI extern "C"
#endif

enum IJLIOTYPE : int32_t {
  IJL_JFILE_WRITEWHOLEIMAGE = 8,  // the whole image to the file named in JPGFile
};

enum IJLCOLOR : int32_t { IJL_RGB = 1, IJL_BGR = 2, IJL_YCBCR = 3, IJL_G = 4 };
enum IJLSUBSAMPLING : int32_t { IJL_NONE = 0, IJL_420 = 1 };

enum IJLERR : int32_t {
  IJL_OK = 0,
  IJL_NOT_INITIALISED = -1,    // ijlInit wasn't called on this record
  IJL_INVALID_POINTER = -2,    // no record, no pixels or no file name
  IJL_BAD_PARAMETER = -3,      // sizes, channels or colour spaces the encoder doesn't take
  IJL_UNSUPPORTED_IOTYPE = -4,
  IJL_FILE_ERROR = -5,         // the file couldn't be created or written
  IJL_MEMORY_ERROR = -6,
};

// The properties record. DIBHeight < 0 means the rows are bottom-up (the first row in
// memory is the picture's bottom row); DIBHeight > 0 means top-down. Each row holds
// DIBWidth pixels of DIBChannels bytes followed by DIBPadBytes bytes.
struct JPEG_CORE_PROPERTIES {
  uint32_t Size;  // set by ijlInit
  uint32_t Ready; // set by ijlInit, cleared by ijlFree
  const uint8_t* DIBBytes;
  int32_t DIBWidth;
  int32_t DIBHeight;
  int32_t DIBPadBytes;
  int32_t DIBChannels;  // 3
  int32_t DIBColor;     // IJL_BGR
  int32_t DIBSubsampling;
  const wchar_t* JPGFile;  // target file
  int32_t JPGWidth;
  int32_t JPGHeight;
  int32_t JPGChannels;     // 3, or 1 for grey
  int32_t JPGColor;        // IJL_YCBCR, or IJL_G for grey
  int32_t JPGSubsampling;  // IJL_420, or IJL_NONE for grey
  int32_t jquality;        // 0 to 100 (values outside are clamped)
  int32_t OptimalHuffman;  // non-zero: Huffman tables made for the picture (smaller, slower)
};

IJLAPI int32_t ijlInit(JPEG_CORE_PROPERTIES* props);
IJLAPI int32_t ijlWrite(JPEG_CORE_PROPERTIES* props, int32_t iotype);
IJLAPI int32_t ijlFree(JPEG_CORE_PROPERTIES* props);

// Types of the entry points, for callers that load the library by name.
using IjlInitFn = int32_t (*)(JPEG_CORE_PROPERTIES*);
using IjlWriteFn = int32_t (*)(JPEG_CORE_PROPERTIES*, int32_t);
using IjlFreeFn = int32_t (*)(JPEG_CORE_PROPERTIES*);
