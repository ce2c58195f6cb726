// Item states and cross-fades, the view switch, element positions and the
// window-shape contract. A state change of a picture-box item fades the new
// picture in over the old one with a timer of the main window whose
// identifier is the item index (so no timer of the window may use the
// identifiers 1 to SkinItemCount for anything else); image items switch at once.
#pragma once
#include <windows.h>

#include <string>

namespace forms {
class Control;
}

// Shows the picture of state (1 up, 2 over, 3 down, 4 disabled) on item
// index; 0 repaints the current picture and gives the current state back in
// state. A state without a picture leaves the item as it is.
void SetSkinItemState(int index, int& state);
// One fade step (the timer callback); idEvent is the item index.
void CALLBACK SkinTimerProc(HWND hWnd, UINT msg, UINT_PTR idEvent, DWORD time);
// The alpha the next fade step of item index paints with, or -1 when none.
int SkinFadeAlpha(int index);
// Milliseconds between fade steps towards a state: 30 for over and
// disabled, 60 for up and down.
UINT SkinFadeInterval(int state);

// Shows the VIEW of that name (any case); an unknown name is reported and
// changes nothing. Does nothing before the skin is loaded.
void SetSkinView(const std::wstring& name);

// The position of a control's top-left corner in the client coordinates of
// window hWnd, summed over its containers.
long GetControlLeft(const forms::Control& control, HWND hWnd);
long GetControlTop(const forms::Control& control, HWND hWnd);

// Cuts the window-mask regions of the skin out of target (exclusive or): each
// region is moved by its panel's position in window hWnd's client area plus
// (dx, dy), the client area's offset within the region's coordinates.
void CutSkinRegions(HRGN target, HWND hWnd, int dx, int dy);
