// A text field's text in a device font: the system font a field's font name
// means ("_sans", "_serif", "_typewriter" or a font's own name), made at a
// pixel height, and the text's extent as that font sets it, lines broken at
// line ends and, when a width is given, at words. The renderer draws with
// the font; scripts measure with it (textWidth, autoSize), so both agree.
#pragma once
#include <windows.h>

#include <string>

namespace flash {

// The system font's name for a field's font name ("" the default sans-serif).
const wchar_t* DeviceFontName(const std::wstring& name);
// A font of pixelHeight (the em, clamped to 1..2000) as fields draw text; null when none can be made.
HFONT CreateDeviceFont(const std::wstring& name, bool bold, bool italic, int pixelHeight);
// The extent in pixels of text in that font (wrapWidth > 0: lines broken at
// words to that width); false when no font or DC can be had. An empty text
// is one empty line.
bool MeasureDeviceText(const std::wstring& text, const std::wstring& name, bool bold, bool italic, int pixelHeight,
                       int wrapWidth, SIZE& size);

}  // namespace flash
