#include "images/IntelJPEGLibrary.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "base/BinaryFile.h"
#include "images/DibCommon.h"
#include "images/cDIBSection.h"
#include "platform/jpeg/ijl.h"
#include "services/Services.h"

namespace {

constexpr long kJpegError = 26001;

struct Library {
  HMODULE module = nullptr;
  IjlInitFn init = nullptr;
  IjlWriteFn write = nullptr;
  IjlFreeFn free = nullptr;
};

// The library beside the program, loaded once.
const Library& JpegLibrary() {
  static const Library lib = [] {
    Library l;
    std::vector<wchar_t> path(32768);
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring folder(path.data(), n);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    l.module = LoadLibraryExW((folder + L"jpegzel.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (l.module) {
      l.init = reinterpret_cast<IjlInitFn>(reinterpret_cast<void*>(GetProcAddress(l.module, "ijlInit")));
      l.write = reinterpret_cast<IjlWriteFn>(reinterpret_cast<void*>(GetProcAddress(l.module, "ijlWrite")));
      l.free = reinterpret_cast<IjlFreeFn>(reinterpret_cast<void*>(GetProcAddress(l.module, "ijlFree")));
    }
    return l;
  }();
  return lib;
}

bool Fail(const std::wstring& description) {
  SetError(kJpegError, dib::ErrorSource(L".mIntelJPEGLibrary"), description);
  return false;
}

}  // namespace

bool WriteJpegFile(const JpegPixels& pixels, const std::wstring& fileName, long quality, std::wstring& reason) {
  const Library& lib = JpegLibrary();
  if (!lib.init || !lib.write || !lib.free) {
    reason = L"Failed to initialise the IJL library: jpegzel.dll not found";
    return false;
  }
  JPEG_CORE_PROPERTIES props{};
  int32_t rc = lib.init(&props);
  if (rc != 0) {
    reason = L"Failed to initialise the IJL library: " + std::to_wstring(rc);
    return false;
  }
  // The new picture goes to a temporary file beside the target first (named
  // after it, the process and the thread: made by the library's own create,
  // with no file made beforehand to hold the name) and CommitTempFile moves it over.
  const std::wstring temp = fileName + L".~" + std::to_wstring(GetCurrentProcessId()) + L"." +
                            std::to_wstring(GetCurrentThreadId()) + L".tmp";
  props.DIBWidth = pixels.width;
  props.DIBHeight = -pixels.height;
  props.DIBBytes = const_cast<uint8_t*>(pixels.bits);
  props.DIBPadBytes = pixels.stride - 3 * pixels.width;
  props.JPGFile = temp.c_str();
  props.JPGWidth = pixels.width;
  props.JPGHeight = pixels.height;
  props.jquality = static_cast<int32_t>(std::clamp(quality, 0L, 100L));
  rc = lib.write(&props, IJL_JFILE_WRITEWHOLEIMAGE);
  lib.free(&props);

  if (rc != 0) {
    DeleteFileW(temp.c_str());
    reason = L"Failed to save to JPG " + std::to_wstring(rc);
    return false;
  }
  if (!CommitTempFile(temp, fileName)) {
    const DWORD err = GetLastError();
    reason = L"Failed to save to JPG: the file can't be replaced (system error " + std::to_wstring(err) + L")";
    return false;
  }
  return true;
}

bool SaveJPG(const cDIBSection& bitmap, const std::wstring& fileName, long quality) {
  GdiFlush();
  const JpegPixels pixels{bitmap.DIBSectionBitsPtr(), static_cast<int>(bitmap.Width()),
                          static_cast<int>(bitmap.Height()), static_cast<int>(bitmap.BytesPerScanLine())};
  std::wstring reason;
  return WriteJpegFile(pixels, fileName, quality, reason) || Fail(reason);
}
