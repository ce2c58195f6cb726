// The library's entry points over the baseline encoder.
#include <windows.h>

#include <new>
#include <vector>

#include "JpegEncoder.h"
#include "ijl.h"

namespace {

constexpr uint32_t kReady = 0x4A504547;  // "JPEG"

bool WriteWholeFile(const wchar_t* path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  return CloseHandle(file) && ok;
}

}  // namespace

IJLAPI int32_t ijlInit(JPEG_CORE_PROPERTIES* props) {
  if (!props) return IJL_INVALID_POINTER;
  *props = JPEG_CORE_PROPERTIES{};
  props->Size = sizeof(JPEG_CORE_PROPERTIES);
  props->Ready = kReady;
  props->DIBChannels = 3;
  props->DIBColor = IJL_BGR;
  props->DIBSubsampling = IJL_NONE;
  props->JPGChannels = 3;
  props->JPGColor = IJL_YCBCR;
  props->JPGSubsampling = IJL_420;
  props->jquality = 75;
  return IJL_OK;
}

IJLAPI int32_t ijlWrite(JPEG_CORE_PROPERTIES* props, int32_t iotype) {
  if (!props) return IJL_INVALID_POINTER;
  if (props->Ready != kReady || props->Size != sizeof(JPEG_CORE_PROPERTIES)) return IJL_NOT_INITIALISED;
  if (iotype != IJL_JFILE_WRITEWHOLEIMAGE) return IJL_UNSUPPORTED_IOTYPE;
  if (!props->DIBBytes || !props->JPGFile || !props->JPGFile[0]) return IJL_INVALID_POINTER;
  const int32_t rows = props->DIBHeight < 0 ? -props->DIBHeight : props->DIBHeight;
  const bool colour = props->JPGChannels == 3 && props->JPGColor == IJL_YCBCR && props->JPGSubsampling == IJL_420;
  const bool grey = props->JPGChannels == 1 && props->JPGColor == IJL_G && props->JPGSubsampling == IJL_NONE;
  if (props->DIBChannels != 3 || props->DIBColor != IJL_BGR || props->DIBSubsampling != IJL_NONE ||
      !(colour || grey) || props->DIBPadBytes < 0 || props->DIBWidth < 1 || rows < 1 || props->JPGWidth != props->DIBWidth ||
      props->JPGHeight != rows)
    return IJL_BAD_PARAMETER;

  const ptrdiff_t rowBytes = ptrdiff_t{props->DIBWidth} * 3 + props->DIBPadBytes;
  JpegSource source{props->DIBBytes, rowBytes, props->DIBWidth, rows};
  if (props->DIBHeight < 0) {  // bottom-up: the picture's top row is the last in memory
    source.topRow = props->DIBBytes + rowBytes * (rows - 1);
    source.rowStep = -rowBytes;
  }
  std::vector<uint8_t> bytes;
  try {
    const JpegOptions options{grey, props->OptimalHuffman != 0};
    if (!EncodeJpeg(source, props->jquality, bytes, options)) return IJL_BAD_PARAMETER;
  } catch (const std::bad_alloc&) {
    return IJL_MEMORY_ERROR;
  }
  return WriteWholeFile(props->JPGFile, bytes) ? IJL_OK : IJL_FILE_ERROR;
}

IJLAPI int32_t ijlFree(JPEG_CORE_PROPERTIES* props) {
  if (!props) return IJL_INVALID_POINTER;
  props->Ready = 0;
  return IJL_OK;
}
