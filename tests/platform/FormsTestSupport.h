// Helpers of the forms tests: pumping messages until something happened or
// until what was posted has been handled,
// acting in a modal window once it shows, reading pixels off the screen, and
// saving a window's picture.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "platform/forms/Forms.h"

namespace forms_test {

// Pumps messages until done() or about maxMs milliseconds passed; returns done().
bool PumpUntil(const std::function<bool()>& done, int maxMs = 3000);
// Pumps messages until the window is shown and every message posted to the
// thread meanwhile has been handled (a marker posted behind them came
// through); returns whether both happened within about maxMs milliseconds.
bool PumpUntilSettled(HWND hwnd, int maxMs = 5000);
// Pumps messages until every message posted to the thread so far has been handled.
bool PumpPostedMessages(int maxMs = 5000);
// Runs action once the form is loaded and visible, from a timer (so also
// inside the form's modal loop); one action waits at a time.
void OnceShown(forms::Form& form, std::function<void()> action);
// Posts a key's press and release to the form's window.
void Press(forms::Form& form, UINT key);
// The colour on screen at a client point of a window (after repainting it).
COLORREF ScreenPixel(HWND hwnd, int x, int y);
// Whether a colour read off the screen is the one drawn, within what the
// screen's depth keeps of a colour (exact at 24 and 32 bits per pixel).
::testing::AssertionResult ShownAs(COLORREF shown, COLORREF drawn);
// Places a form of that client size near the lower right corner of the screen,
// whatever its size, away from other test programs' windows; on top of them.
void PlaceOutOfTheWay(forms::FormArgs& design, int clientWidth, int clientHeight);
// The colour a window paints at a client point when asked for WM_PRINTCLIENT.
COLORREF PrintedPixel(HWND hwnd, int x, int y);
// A solid-colour bitmap picture.
forms::Picture SolidPicture(int w, int h, COLORREF color);
// Saves what the screen shows of a window (frame included) as a 24-bit BMP.
bool SaveWindowShot(HWND hwnd, const std::wstring& path);
// Saves what the screen shows in a rectangle (screen pixels) as a 24-bit BMP.
bool SaveScreenArea(const RECT& area, const std::wstring& path);

}  // namespace forms_test
