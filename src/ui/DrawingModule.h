// Painting functions that give every dialog, owner-drawn menu, list row and own
// control its look in the current visual style: colour blending, gradients, the
// styled fills of the three styles, PNG pictures, the etched separator, the
// styling of a form or picture box and of the controls on it, visual-style parts
// through one shared theme painter, alpha tinting, and a strict point-in-rectangle
// test. Each paints on a device context or surface that the caller owns; a step
// that fails is skipped and the function goes on.
#pragma once
#include <windows.h>

#include <cmath>
#include <string>

class cAlphaDibSection;
namespace forms {
class Container;
class Control;
}  // namespace forms

// The visual style every window paints in: 0 flat, 1 gradients, 2 glassy. The
// main window's options set it; any other value draws as 0.
extern int VisualStyle;

// Rounds to the nearest whole number, halves to the even neighbour.
inline long RoundEven(double value) { return std::lrint(value); }

// Per channel c1 x alpha / 255 + c2 x (255 - alpha) / 255; the high bytes are ignored.
COLORREF BlendColors(COLORREF c1, COLORREF c2, long alpha);
// A colour byte as the 16-bit channel of a gradient vertex (byte x 256).
unsigned short ColorByteToWord(BYTE value);
// Colour1 at the left (top when vertical) running to Colour2 at the right (bottom).
void DrawGradient(HDC dc, const RECT& rect, COLORREF colour1, COLORREF colour2, bool vertical);
// Fills the rectangle with Colour in the current visual style.
void DrawStyledGradient(HDC dc, const RECT& rect, COLORREF colour, bool vertical);

// Draws the picture name & ".png" (a full path without the extension) with its
// top-left corner at (x, y), in grey at half alpha when grayScale; false, logged
// and nothing drawn when the file is missing or no valid PNG.
bool DrawPNG(const std::wstring& name, HDC dc, long x, long y, bool grayScale);
// The same, one pixel right of the rectangle's centre and centred vertically.
bool DrawPNGCentered(const std::wstring& name, HDC dc, const RECT& rect, bool grayScale);
// The thumbnail shadow picture of the images folder at (x - 8, y - 4).
void DrawShadow(HDC dc, long x, long y);

// An etched horizontal line across the surface at y.
void DrawSeparatorLine(forms::Container& surface, long y);
// Paints a form or picture box in the visual style: the body above footerY,
// the footer band below it (forms only; footerY < 1: none), and styles the
// controls that sit directly on the surface and are not control-array
// elements. Style 0 only clears the surface's drawing.
void StyleForm(forms::Container& surface, long footerY, bool skipBody);
// Makes one control match the styled background behind it; text, combo and
// list boxes (and controls without a place, menus and timers) are left alone.
void StyleControl(forms::Control& control);

// Draws a visual-style part through the shared theme painter; false when there
// is no theme data for the class or a drawing step failed.
bool DrawThemePart(HDC dc, HWND window, const RECT& rect, const std::wstring& cls, int part, int state);

// Target becomes a copy of Source whose alpha is the Mask's blue byte, colours
// pre-multiplied by it. False (Target left as it was) when the Mask is smaller
// than the Source or a bitmap can't be made.
bool TintAlphaImage(cAlphaDibSection& source, const cAlphaDibSection& mask, cAlphaDibSection& target);

// Strictly inside: a point on an edge is outside.
bool PointInRect(long x, long y, const RECT& rect);
