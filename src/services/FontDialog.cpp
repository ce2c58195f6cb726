#include "services/FontDialog.h"

#include <commdlg.h>

#include <cmath>

#include "base/Handles.h"

namespace {

HDC DefaultPrinterDC() {
  PRINTDLGW pd{};
  pd.lStructSize = sizeof(pd);
  pd.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
  if (!PrintDlgW(&pd)) return nullptr;
  ScopedGlobal devMode(pd.hDevMode), devNames(pd.hDevNames);  // not needed: only the context is
  return pd.hDC;
}

}  // namespace

bool ShowFontDialog(StdFont& font, HDC& printerDC, HWND owner, COLORREF& color, long minSize, long maxSize,
                    DWORD& flags) {
  if (printerDC == kNoPrinterDC) {
    printerDC = nullptr;
    if (flags & CF_PRINTERFONTS) printerDC = DefaultPrinterDC();
  }
  if (printerDC) flags |= CF_PRINTERFONTS;
  if (!(flags & CF_PRINTERFONTS)) flags |= CF_SCREENFONTS;
  if (color != 0) flags |= CF_EFFECTS;
  if (minSize != 0 || maxSize != 0) flags |= CF_LIMITSIZE;
  flags = (flags & ~static_cast<DWORD>(CF_ENABLEHOOK | CF_ENABLETEMPLATE | CF_APPLY)) | CF_INITTOLOGFONTSTRUCT;

  int dpiY = 0;
  {
    ScopedWindowDC screen(nullptr);
    if (screen) dpiY = GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  if (dpiY <= 0) dpiY = 96;

  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::nearbyint(font.Size * dpiY / 72.0));  // ties to even
  lf.lfWeight = font.Weight;
  lf.lfItalic = font.Italic ? 0xFF : 0;
  lf.lfUnderline = font.Underline ? 0xFF : 0;
  lf.lfStrikeOut = font.Strikethrough ? 0xFF : 0;
  lf.lfCharSet = DEFAULT_CHARSET;
  font.Name.copy(lf.lfFaceName, LF_FACESIZE - 1);  // a longer name is cut

  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof(cf);
  cf.hwndOwner = owner;
  cf.hDC = printerDC;
  cf.lpLogFont = &lf;
  cf.iPointSize = static_cast<INT>(std::nearbyint(font.Size * 10));
  cf.Flags = flags;
  cf.rgbColors = color;
  cf.nSizeMin = minSize;
  cf.nSizeMax = maxSize;

  if (ChooseFontW(&cf) != TRUE) return false;
  flags = cf.Flags;
  color = cf.rgbColors;
  font.Bold = (cf.nFontType & BOLD_FONTTYPE) != 0;
  font.Italic = lf.lfItalic != 0;
  font.Strikethrough = lf.lfStrikeOut != 0;
  font.Underline = lf.lfUnderline != 0;
  font.Weight = lf.lfWeight;
  font.Size = cf.iPointSize / 10.0;
  font.Name.assign(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE));
  return true;
}

bool ShowFontDialog(StdFont& font, HWND owner, DWORD flags, long minSize, long maxSize) {
  HDC printer = kNoPrinterDC;
  COLORREF color = 0;
  bool chosen = ShowFontDialog(font, printer, owner, color, minSize, maxSize, flags);
  ScopedCreatedDC madeForThisCall(printer);  // the default printer's context, made for this call only
  return chosen;
}
