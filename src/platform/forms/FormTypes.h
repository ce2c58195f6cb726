// Shared vocabulary of the forms layer: constants of mouse buttons, shift
// state, show and unload modes, fonts, colours, twips, and the guard that
// keeps an exception of an event handler inside the layer.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "base/TextConv.h"

namespace forms {

// Mouse buttons as event arguments.
constexpr int vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4;
// Shift state bits as event arguments.
constexpr int vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4;
// Show modes.
constexpr int vbModeless = 0, vbModal = 1;
// Why a form unloads (QueryUnload's UnloadMode).
constexpr int vbFormControlMenu = 0, vbFormCode = 1, vbAppWindows = 2, vbAppTaskManager = 3,
              vbFormOwner = 5;
// Window states.
constexpr int vbNormal = 0, vbMinimized = 1, vbMaximized = 2;
// Form border styles.
constexpr int vbBSNone = 0, vbFixedSingle = 1, vbSizable = 2, vbFixedDialog = 3, vbFixedToolWindow = 4,
              vbSizableToolWindow = 5;
// Start-up positions of a form.
constexpr int vbStartUpManual = 0, vbStartUpOwner = 1, vbStartUpScreen = 2, vbStartUpWindowsDefault = 3;
// Check box values.
constexpr int vbUnchecked = 0, vbChecked = 1, vbGrayed = 2;
// Label alignment.
constexpr int vbLeftJustify = 0, vbRightJustify = 1, vbCenter = 2;
// Z-order positions.
constexpr int vbBringToFront = 0, vbSendToBack = 1;

// Twips: 15 to the pixel, the unit in which some geometry is computed.
constexpr int TwipsPerPixel = 15;
inline int PixelsToTwips(int pixels) { return pixels * TwipsPerPixel; }
// Rounds to the nearest pixel, halves to the even neighbour.
int TwipsToPixels(double twips);
int TwipsPerPixelX();  // of the screen (15 at 96 dpi)
int TwipsPerPixelY();

// A colour: a COLORREF (blue in the high byte) or a system colour written
// 0x80000000 + COLOR_xxx; ResolveColor turns the latter into a COLORREF.
using Color = DWORD;
constexpr Color SysColor(int index) { return 0x80000000u | static_cast<DWORD>(index); }
COLORREF ResolveColor(Color color);

// A font as the controls describe it; Size is in points.
struct FontSpec {
  std::wstring Name = L"Tahoma";
  float Size = 8.25f;
  bool Bold = false, Italic = false, Underline = false, Strikethrough = false;
  BYTE Charset = DEFAULT_CHARSET;
  bool operator==(const FontSpec&) const = default;
};
// Creates the GDI font of a spec for the screen; the caller deletes it.
HFONT CreateFontFromSpec(const FontSpec& spec);

// The current shift state (vbShiftMask | vbCtrlMask | vbAltMask).
int ShiftState();

// An exception thrown by an event handler stops at the layer and goes here
// (by default to the debugger output); it never crosses a window procedure.
using FaultSink = std::function<void(const std::wstring& where, const std::wstring& what)>;
void SetFaultSink(FaultSink sink);
void ReportFault(const std::wstring& where, const std::wstring& what);

// Calls an event handler when one is set, catching whatever it throws.
template <class F, class... A>
void Raise(const wchar_t* where, const F& handler, A&&... args) {
  if (!handler) return;
  try {
    handler(std::forward<A>(args)...);
  } catch (const std::exception& e) {
    ReportFault(where, Utf8ToWide(e.what()));
  } catch (...) {
    ReportFault(where, L"unknown exception");
  }
}

}  // namespace forms
