// Balloon tooltips from the common controls: one tooltip window per control,
// owned by it, recorded here until DestroyToolTips or until the control goes.
// Giving a control a tooltip again updates its window in place. A control's
// window is made when first needed (the mouse over the control, or a caller
// asking for it): each top-level window costs milliseconds to create, and a
// window full of controls would otherwise wait for all of them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace forms {
class Control;
}

// InitCommonControlsEx with the given ICC_* classes; false when it fails.
bool InitControls(DWORD classes);

// Creates one tooltip window owned by owner (balloon-shaped when asked) and makes
// it the last one; returns it (null when creation failed). An owner that has a
// tooltip window already keeps it: that one becomes the last and is returned.
HWND CreateToolTipWindow(HWND owner, bool balloon);
// Configures the last tooltip window and makes control its tool (replacing the
// control's earlier tool there). back and fore receive the system's tooltip
// colours, which are the ones used.
void AddToolTip(HWND control, const std::wstring& text, COLORREF& back, COLORREF& fore, long maxWidth,
                long initialDelay, long autoPopDelay, bool centered);

// Gives a control its balloon tooltip: 300 pixels wide at most, shown after 1 s,
// hidden after 5 s. A control that has one already keeps it with the new text.
// The window itself is made when first needed (see above).
void SetToolTip(HWND control, const std::wstring& text);
// The same for a control of a form: an empty text takes the control's own
// ToolTipText (text receives it); the control's ToolTipText is then cleared so the
// plain tooltip does not show as well. A control without a window gets none.
void SetToolTip(forms::Control& control, std::wstring& text);

// Destroys every recorded tooltip window that still exists, then forgets them all.
void DestroyToolTips();

// The recorded tooltip windows in the order they were given; the one of a
// control (or null). Each makes the windows it returns when they wait.
std::vector<HWND> ToolTipWindows();
HWND LastToolTip();
HWND ToolTipOf(HWND control);
