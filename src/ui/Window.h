// Window operations the forms share: showing a dialog owned by the main window,
// icons, regions from a picture's colours, title-bar removal, a move-and-resize
// step, top-most state, a message-pumping wait, activation, disabling all controls
// of a form and restoring them, and mouse-driven moving and sizing.
#pragma once
#include <windows.h>

#include "base/Handles.h"

#include <memory>
#include <string>

namespace forms {
class Form;
class PictureBox;
}  // namespace forms

// A region handle with its owner.
using RegionPtr = ScopedRegion;

// Modeless (0) or modal (1); once the main window is up it owns the dialog and
// passes on its top-most state. Failures are logged, not raised.
void ShowForm(forms::Form& form, int mode);
// Big and small icons from a resource of the program (a name or MAKEINTRESOURCEW),
// also for the top-level owner when alsoOwner.
void SetFormIcon(HWND hWnd, const wchar_t* iconName, bool alsoOwner);

// The region of the pixels of a w x h area of dc whose colour differs from
// (RegionFromMaskColor) or equals (RegionOfColor) the colour given, built from
// horizontal runs. A pixel outside the device context's bitmap matches no colour.
RegionPtr RegionFromMaskColor(HDC dc, int width, int height, COLORREF maskColor);
RegionPtr RegionOfColor(HDC dc, int width, int height, COLORREF color);
// The same over a picture box's persistent drawing, at its size in pixels.
RegionPtr RegionFromMaskColor(forms::PictureBox& picture, COLORREF maskColor);
RegionPtr RegionOfColor(forms::PictureBox& picture, COLORREF color);

// Removes or restores the caption and frame, keeping the outer rectangle. The
// caption text is kept aside while hidden and put back when shown again.
void ShowTitleBar(forms::Form& form, bool show);
// The same for a plain window, with the title-bar buttons it has when shown.
void ShowTitleBar(HWND hWnd, bool show, bool controlBox, bool maxButton, bool minButton);

// Moves and sizes a form (twips; -1 keeps a value; the variables receive the
// values used), keeping its centre when asked, and lets it repaint (the form's
// SetVisual). The form is disabled meanwhile.
void AnimateFormBounds(forms::Form& form, long& left, long& top, long& width, long& height, bool centre);
// The outer height in twips that gives the form a client area clientHeight pixels high.
long FormHeightForClient(forms::Form& form, long clientHeight);

void SetTopMost(HWND hWnd, bool onTop);
// Waits the given time on the monotonic clock while processing window messages.
void Wait(long milliseconds);
// The clock Wait measures with, in milliseconds; null puts the system's back.
// Tests put their own in.
void SetWaitClock(ULONGLONG (*clock)());
void ActivateWindow(HWND hWnd);

// disable = true saves the Enabled state of every control of the form and disables
// it; false restores the states of the matching earlier call. Calls nest per form.
void EnableAllControls(forms::Form& form, bool disable);

// Start moving the window, or sizing it from its lower right corner, with the
// mouse; return when the button is released.
void DragWindow(HWND hWnd);
void SizeWindowFromGrip(HWND hWnd);
