// The common font dialog over a font description.
#pragma once
#include <windows.h>

#include <string>

// A font as the dialog reads and updates it (sizes in points).
struct StdFont {
  std::wstring Name = L"Tahoma";
  double Size = 8;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool Strikethrough = false;
  long Weight = FW_NORMAL;
};

// Stands for "no printer device context given" (the default printer is used
// when Flags ask for printer fonts).
inline HDC const kNoPrinterDC = reinterpret_cast<HDC>(static_cast<intptr_t>(-1));

// Shows the font dialog started from Font; True when the user chose a font,
// which then replaces Font, Color and Flags. PrinterDC and Flags keep the
// adjustments made for the call; a default printer's context made for a
// PrinterDC of kNoPrinterDC belongs to the caller, who deletes it. MinSize
// and MaxSize in points, 0 = no limit; a Color other than 0 shows the
// effects part.
bool ShowFontDialog(StdFont& font, HDC& printerDC, HWND owner, COLORREF& color, long minSize, long maxSize,
                    DWORD& flags);
// The same with no printer, no colour and flags kept to the call.
bool ShowFontDialog(StdFont& font, HWND owner = nullptr, DWORD flags = 0, long minSize = 0, long maxSize = 0);
