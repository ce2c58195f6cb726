// Program-wide run state: folder globals, the execution log and its sink,
// error reports, the stopwatch and the start-up queries.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Folder globals, each ending in "\", set once by InitServices.
extern std::wstring AppFolder, MediaFolder, BinaryFolder, FlashFolder, ImagesFolder, MenusFolder,
    GadgetsFolder, SkinFolder, LanguagesFolder, UserDataFolder, UserSkinFolder, CacheFolder, LogFile;
// Set later by the main window's options.
extern std::wstring LastPlayedFile, ScreenShotsFolder;

// Run state.
extern bool RunningCompiled;
extern bool PlayerReady;
extern bool OneInstance;
extern HWND MainForm;          // the main window: owner of dialogs and shell operations
extern std::wstring LastError; // last error text of the movie-file routines
extern std::wstring WinVersionName, WinVersionExtra;
extern bool WinVersionUnknown;
extern double StopWatchTimes[2];  // lap mark, overall mark (seconds on the monotonic clock); 0 until started

// The "current error" that error handlers report (number, source, description).
struct AppError {
  long Number = 0;
  std::wstring Source;
  std::wstring Description;
};
AppError& CurrentError();
void SetError(long number, const std::wstring& source, const std::wstring& description);
void ClearError();

void InitServices(const std::wstring& appPath, const std::wstring& logName);

// WriteLog accepts a line and writes nothing to the file; an attached sink sees every line.
using LogSink = std::function<void(const std::wstring& text, bool newLine)>;
void SetLogSink(LogSink sink);  // an empty sink detaches
void WriteLog(const std::wstring& text, bool newLine = true);

void ReportError(const std::wstring& procName, const std::wstring& extra = L"");
void StopWatch(const std::wstring& label, bool total);
// The stopwatch's clock in seconds (monotonic by default); an empty function restores it.
void SetStopWatchClock(std::function<double()> clock);

std::wstring GetAppVersion();
bool IsCompiled();
HWND FindAppWindow(const std::wstring& titlePrefix);
bool GetWindowsVersion();
std::wstring GetTempDir();
