#include "saver/SaverRuns.h"

#include "base/ErrorLog.h"
#include "base/Handles.h"
#include "saver/SaverMovie.h"
#include "saver/ScreenSaverWindow.h"

namespace saver {
namespace {

bool RunWindow(HWND parent) {
  const std::wstring recorded = RecordedSaverMovie();
  WriteLog(L"Screen saver movie: " + recorded);
  const SaverMovie movie = ChooseSaverMovie(recorded);
  ScreenSaverWindow window;
  if (!window.Create(movie, parent)) return false;
  window.Run();
  return true;
}

}  // namespace

bool RunFullScreen() {
  HANDLE handle = CreateMutexW(nullptr, FALSE, kFullScreenMutex);
  const DWORD error = GetLastError();
  ScopedHandle mutex(handle);
  if (!mutex || error == ERROR_ALREADY_EXISTS) {
    WriteLog(L"A full-screen run is already on");
    return false;
  }
  return RunWindow(nullptr);
}

bool RunPreview(HWND parent) { return IsWindow(parent) && RunWindow(parent); }

}  // namespace saver
