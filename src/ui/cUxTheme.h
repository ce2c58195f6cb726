// cUxTheme: draws one part of the system's visual style (a button face, a check
// box mark, a tab pane) on a device context, optionally with a caption and an
// image-list icon. Set the properties, then call Draw; it opens the theme data
// of Class on hWnd and closes it again before returning. Without theme data
// (visual styles off, or a class the style lacks) Draw paints nothing and
// returns false, and the caller draws its own way.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <string>

class cUxTheme {
 public:
  // Error number set when RaiseErrors is on and a step fails (0x80040422).
  static constexpr long ThemeErrorNumber = -2147220446;

  bool RaiseErrors = false;     // a failing step stops Draw and sets the current error
  bool UseThemeSize = false;    // size from the theme (and caption, icon) instead of Width x Height
  std::wstring Class = L"Button";
  int Part = 1;
  int State = 1;
  HIMAGELIST hIml = nullptr;
  HDC hdc = nullptr;
  HWND hWnd = nullptr;          // whose theme is opened and whose parent's background shows through
  std::wstring Text;            // caption drawn inside the part
  DWORD TextAlign = 0;          // DT_ flags of the caption
  int IconIndex = -1;           // -1: no icon
  int Left = 0, Top = 0, Width = 0, Height = 0;

  // The part's size for a THEMESIZE kind (TS_MIN, TS_TRUE, TS_DRAW); 0 on failure.
  long PartWidth(THEMESIZE size);
  long PartHeight(THEMESIZE size);
  // True when every drawing step succeeded. A failing step does not stop the
  // later ones unless RaiseErrors is on.
  bool Draw();

 private:
  bool PartSize(THEMESIZE size, SIZE& out);
  RECT PartRect(HTHEME theme, int iconWidth, int iconHeight);
  // Records a failed step; false when the caller should stop (RaiseErrors).
  bool Report(const std::wstring& message, DWORD code);
  std::wstring StepText(const wchar_t* what) const;
};
