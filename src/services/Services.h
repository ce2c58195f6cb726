// Program-wide run state: folder globals, the execution log and its sink,
// error reports, the stopwatch and the start-up queries.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "base/ErrorLog.h"

// Folder globals, each ending in "\", set once by InitServices.
extern std::wstring AppFolder, MediaFolder, BinaryFolder, FlashFolder, ImagesFolder, MenusFolder,
    GadgetsFolder, SkinFolder, LanguagesFolder, UserDataFolder, UserSkinFolder, CacheFolder, LogFile;
// Set later by the main window's options.
extern std::wstring LastPlayedFile, ScreenShotsFolder;

// Run state.
extern bool RunningCompiled;
extern bool PlayerReady;
extern bool OneInstance;
extern std::wstring LastError; // last error text of the movie-file routines
extern std::wstring WinVersionName, WinVersionExtra;
extern bool WinVersionUnknown;


// Sets the folder globals and starts the log. The user's skin and cache
// folders and the log file's head are made now, or with UserFiles::Later only
// by MakeUserFiles (a first run left at once writes nothing; the lines logged
// until then are held and go into the file first). LogFile is UserDataFolder +
// logName (+ " (<test run>)" under a test run's key) + ".Log.html"; WriteLog's
// lines go to it once it is made.
enum class UserFiles { Now, Later };
void InitServices(const std::wstring& appPath, const std::wstring& logName, UserFiles userFiles = UserFiles::Now);
void MakeUserFiles();

// Logs "<label> in <n> ms" since the last call (total: since the watch was
// started); total on a watch not started starts it, an empty label only marks the lap.
// SetStopWatchClock gives the watch a clock in seconds (monotonic by default; an empty
// function restores it) and stops it.
void StopWatch(const std::wstring& label, bool total);
void SetStopWatchClock(std::function<double()> clock);

std::wstring GetAppVersion();
bool IsCompiled();
HWND FindAppWindow(const std::wstring& titlePrefix);
bool GetWindowsVersion();
std::wstring GetTempDir();
