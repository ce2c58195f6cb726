// Helpers of the forms tests: pumping messages until something happened,
// reading pixels off the screen, and saving a window's picture.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/forms/Forms.h"

namespace forms_test {

// Pumps messages until done() or about maxMs milliseconds passed; returns done().
bool PumpUntil(const std::function<bool()>& done, int maxMs = 3000);
// Pumps messages for about ms milliseconds.
void PumpFor(int ms);
// The colour on screen at a client point of a window (after repainting it).
COLORREF ScreenPixel(HWND hwnd, int x, int y);
// The colour a window paints at a client point when asked for WM_PRINTCLIENT.
COLORREF PrintedPixel(HWND hwnd, int x, int y);
// A solid-colour bitmap picture.
forms::Picture SolidPicture(int w, int h, COLORREF color);
// Saves what the screen shows of a window (frame included) as a 24-bit BMP.
bool SaveWindowShot(HWND hwnd, const std::wstring& path);

}  // namespace forms_test
