// Texts measured in a control's font and fitted to a width: a path shortened
// in its middle ("C:\Users\...\Movies\"), and the lines of a message whose
// paths would run past its edge. The full text then belongs in the control's
// tooltip.
#pragma once
#include <windows.h>

#include <string>

namespace forms {
class Control;
}

// The size of one line of text in the control's font.
SIZE TextSizeIn(const forms::Control& control, const std::wstring& text);
// The height of text in the control's font, wrapped at words to width pixels.
int WrappedHeightIn(const forms::Control& control, const std::wstring& text, int width);

// The path as it fits width pixels in the control's font (as it is when it fits).
std::wstring FitPathIn(const forms::Control& control, const std::wstring& path, int width);

// Each line (CR LF or LF) of text that is wider than width pixels and holds a
// full path ("X:\..." or "\\server\...", up to the line's end) gets its path
// shortened in the middle; a path behind a long lead goes to a line of its own.
// shortened tells whether any line changed.
std::wstring FitPathLines(const forms::Control& control, const std::wstring& text, int width, bool* shortened = nullptr);
