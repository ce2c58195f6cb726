// What the desktop background window does without its window: the shell's
// desktop object behind a small interface (the tests put a recording one in
// its place), the desktop item's record, the page filled from the template,
// the files in the shell's folder, the "HideIcons" value, and the miniature
// of the desktop as it will look.
#pragma once
#include <windows.h>
#include <wininet.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <thread>

#include "moviefiles/SWFInfo.h"

class cDIBSection;

namespace tools {

// The shell's desktop object: the calls the window makes, each answering
// with the shell's result.
class DesktopShell {
 public:
  virtual ~DesktopShell() = default;
  virtual HRESULT GetDesktopItemBySource(const std::wstring& source, COMPONENT& item) = 0;
  virtual HRESULT GetWallpaper(std::wstring& path) = 0;
  virtual HRESULT RemoveDesktopItem(const COMPONENT& item) = 0;
  virtual HRESULT AddDesktopItem(const COMPONENT& item) = 0;
  virtual HRESULT ApplyChanges(DWORD flags) = 0;
};

// The shell's own object; when it cannot be made every call answers with
// the reason it could not.
std::unique_ptr<DesktopShell> CreateShellDesktop();

// Where the desktop item's files and settings live.
struct DesktopPlace {
  std::wstring Folder;        // the item's files, with a trailing "\"
  std::wstring SoundMovie;    // the program's sound movie, copied beside the item's movie
  std::wstring TemplatePath;  // the page template
  std::wstring DataFolder;    // put into the page as "[DATAPATH]"
  std::wstring IconsKey;      // the HKEY_CURRENT_USER key that holds "HideIcons"
  std::wstring PagePath() const { return Folder + L"Desktop.html"; }
  std::wstring MoviePath() const { return Folder + L"Desktop.swf"; }
  std::wstring SoundPath() const { return Folder + L"sound.swf"; }
};
// The shell's folder of the roaming data ("Microsoft\Internet Explorer\"), the
// program's sound movie and template, and the shell's own icons setting.
DesktopPlace ShellDesktopPlace();

// What the window's check boxes say.
struct DesktopChoice {
  bool Enable = false, Mute = true, Transparent = true, HideIcons = false;
};

// The desktop item: a full-screen HTML page named "Zoruv Uredare".
COMPONENT DesktopItemRecord(const std::wstring& pagePath, long screenWidth, long screenHeight);

// The values the page template's placeholders stand for.
struct DesktopPageValues {
  std::wstring Title, MoviePath, DataPath, BackColor;
  long ScreenWidth = 0, ScreenHeight = 0, MovieWidth = 0, MovieHeight = 0;
  bool Transparent = true, Mute = true;
};
// The template with every placeholder replaced wherever it occurs; the title
// and the paths are HTML-escaped.
std::wstring FillDesktopPage(const std::wstring& pageTemplate, const DesktopPageValues& values);

// Whether the desktop item exists (the shell knows the page as an item's source).
bool DesktopItemPresent(DesktopShell& shell, const DesktopPlace& place);
// The shell's icons setting: "HideIcons" is 1.
bool IconsHidden(const DesktopPlace& place);

// The movie's copy into the item's folder, made on a helper thread while the
// rest of OK goes on. It is written beside the item's movie and moved over it
// only by Commit, so a copy that fails leaves the item's movie as it was.
class DesktopMovieCopy {
 public:
  // Starts copying from (nothing when "") into place's folder, unless the
  // item's movie is already a copy of it (same size and last write, which a
  // copy keeps) or from itself: the movie played may be the item's own copy.
  DesktopMovieCopy(const DesktopPlace& place, const std::wstring& from);
  ~DesktopMovieCopy();  // waits for the copy (and the earlier one's deletion); one not committed is deleted
  DesktopMovieCopy(const DesktopMovieCopy&) = delete;
  DesktopMovieCopy& operator=(const DesktopMovieCopy&) = delete;
  // Waits for the copy; "" when it is whole (or none was needed), else why not.
  std::wstring Wait();
  // Moves the whole copy into the item's movie's place (the earlier movie
  // deleted on the helper thread meanwhile); "" when done, else why not.
  std::wstring Commit();

 private:
  void Run();
  std::wstring from_, to_, temp_, failure_;
  bool needed_ = false;
  std::thread thread_;
};

// OK of the window: stores the icons setting; without Enable removes the item
// and its files; with Enable waits for the movie's copy, copies the sound
// movie, writes the page and sets the item again. "" when done, else why it
// failed (a file not written, the shell's refusal). The item and its files
// are switched to the new movie only once every file is whole: a failure
// before that leaves the item as it was.
std::wstring ApplyDesktop(DesktopShell& shell, const DesktopPlace& place, const DesktopChoice& choice,
                          const SWFInfo& movie, const std::wstring& caption, long screenWidth, long screenHeight,
                          DesktopMovieCopy& movieCopy);

// The system's text for a result ("Not implemented", ...).
std::wstring ResultText(HRESULT hr);

// "RRGGBB" (red first) as a colour; black for anything else.
COLORREF MovieBackColor(const std::wstring& hex);

// What the miniature shows: the wallpaper (already the preview's size, or
// none), the movie's colour, the three choices that change it, and the
// taskbar's picture (already scaled) with its place in the preview.
struct MiniDesktop {
  cDIBSection* Wallpaper = nullptr;
  cDIBSection* Taskbar = nullptr;
  POINT TaskbarAt{};
  COLORREF MovieColor = 0;
  bool Enable = false, Transparent = true, HideIcons = false;
  std::wstring ImagesFolder;  // holds "swf.png" and "icons.png"
};
// Draws the miniature into width x height of dc: the wallpaper (the desktop's
// colour without one) when the movie is off or transparent, else the movie's
// colour; the movie's picture when enabled, the icons unless hidden, then the
// taskbar.
void DrawMiniDesktop(HDC dc, int width, int height, const MiniDesktop& mini);
// Where a screen rectangle lands in a preview of that size.
RECT MiniRect(const RECT& screenRect, long screenWidth, long screenHeight, int width, int height);

}  // namespace tools
