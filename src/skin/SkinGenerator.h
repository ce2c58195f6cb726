// The built-in skin's pictures, rendered from the greyscale shape templates
// and PNG icons of the program's skin folder in the colours of the Windows
// colour scheme (or a fixed dark set) and written as 87 24-bit BMP files
// into the user skin folder's "up", "over", "down", "disabled" and "base"
// subfolders. A fingerprint of the colour scheme and the build, kept in the
// registry (View\ThemeHash), skips the run while nothing changed and every
// file is there; it is stored only after a run that wrote every file.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class cDIBSection;

struct SlydeColors {
  COLORREF Light, Face, Shadow, Sel;
};
// The colour roles: 1 the dark set, any other value the system colours.
SlydeColors SlydeColorSet(int skinColor);

// Where the system colours come from (GetSysColor by default; an empty
// function puts it back). Tests put their own scheme in.
void SetSlydeSysColorSource(std::function<COLORREF(int index)> source);

// The fingerprint: the sum of system colours 0 to 24 plus twice the build's
// revision number, in 32-bit arithmetic.
long SlydeThemeHash();

// The output files relative to the user skin folder ("base\left.bmp", ...).
std::vector<std::wstring> SlydeSkinFiles();

struct SlydeRun {
  bool Ran = false;   // false: the fingerprint was current and every file there
  int Written = 0;    // files written by this run
  int Failed = 0;     // files that could not be written
};
// Renders the whole set when needed.
SlydeRun CreateSlydeSkin(int skinColor);

// The four state pictures of one button whose Size square lies at (x, y) of
// band; templates are file names in the skin folder, "" for none. Returns
// the number of files written.
int MakeSlydeButton(const cDIBSection& band, const std::wstring& name, int size, int x, int y,
                    const std::wstring& roundTemplate, const std::wstring& curveTemplate,
                    const SlydeColors& colors);
