#include "platform/forms/FormTypes.h"

#include <cmath>

#include "base/Handles.h"

namespace forms {

namespace {
int ScreenDpi(int index) {
  ScopedWindowDC screen(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.get(), index) : 96;
  return dpi > 0 ? dpi : 96;
}
FaultSink& Sink() {
  static FaultSink sink;
  return sink;
}
}  // namespace

int TwipsToPixels(double twips) { return static_cast<int>(std::nearbyint(twips / TwipsPerPixel)); }
int TwipsPerPixelX() { return 1440 / ScreenDpi(LOGPIXELSX); }
int TwipsPerPixelY() { return 1440 / ScreenDpi(LOGPIXELSY); }

COLORREF ResolveColor(Color color) {
  if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFF));
  return color & 0x00FFFFFFu;
}

HFONT CreateFontFromSpec(const FontSpec& spec) {
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::nearbyint(spec.Size * ScreenDpi(LOGPIXELSY) / 72.0));
  lf.lfWeight = spec.Bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = spec.Italic;
  lf.lfUnderline = spec.Underline;
  lf.lfStrikeOut = spec.Strikethrough;
  lf.lfCharSet = spec.Charset;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(lf.lfFaceName, spec.Name.c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

int ShiftState() {
  int shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= vbShiftMask;
  if (GetKeyState(VK_CONTROL) < 0) shift |= vbCtrlMask;
  if (GetKeyState(VK_MENU) < 0) shift |= vbAltMask;
  return shift;
}

void SetFaultSink(FaultSink sink) { Sink() = std::move(sink); }

void ReportFault(const std::wstring& where, const std::wstring& what) {
  if (Sink()) {
    try {
      Sink()(where, what);
      return;
    } catch (...) {
    }
  }
  OutputDebugStringW((L"forms: " + where + L": " + what + L"\n").c_str());
}

}  // namespace forms
