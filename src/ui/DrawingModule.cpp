#include "ui/DrawingModule.h"

#include <memory>

#include "base/ErrorLog.h"
#include "images/cAlphaDibSection.h"
#include "images/cPNG.h"
#include "platform/forms/Form.h"
#include "platform/forms/PictureBox.h"
#include "services/Services.h"
#include "ui/cUxTheme.h"

int VisualStyle = 1;

namespace {

cUxTheme& ThemePainter() {
  static cUxTheme painter;
  return painter;
}

COLORREF Sys(int index) { return GetSysColor(index); }

bool Valid(COLORREF c) { return c != CLR_INVALID; }

bool IsPictureBox(forms::Container& surface) { return surface.AsControl() != nullptr; }

}  // namespace

COLORREF BlendColors(COLORREF c1, COLORREF c2, long alpha) {
  auto channel = [alpha](int a, int b) {
    return static_cast<BYTE>(RoundEven(a * alpha / 255.0 + b * (255 - alpha) / 255.0));
  };
  return RGB(channel(GetRValue(c1), GetRValue(c2)), channel(GetGValue(c1), GetGValue(c2)),
             channel(GetBValue(c1), GetBValue(c2)));
}

unsigned short ColorByteToWord(BYTE value) { return static_cast<unsigned short>(value << 8); }

void DrawGradient(HDC dc, const RECT& rect, COLORREF colour1, COLORREF colour2, bool vertical) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  TRIVERTEX v[2] = {};
  v[0] = {rect.left, rect.top, ColorByteToWord(GetRValue(colour1)), ColorByteToWord(GetGValue(colour1)),
          ColorByteToWord(GetBValue(colour1)), 0};
  v[1] = {rect.right, rect.bottom, ColorByteToWord(GetRValue(colour2)), ColorByteToWord(GetGValue(colour2)),
          ColorByteToWord(GetBValue(colour2)), 0};
  GRADIENT_RECT mesh{0, 1};
  GradientFill(dc, v, 2, &mesh, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

void DrawStyledGradient(HDC dc, const RECT& rect, COLORREF colour, bool vertical) {
  const COLORREF light = Sys(COLOR_3DHIGHLIGHT);
  switch (VisualStyle) {
    case 1:
      DrawGradient(dc, rect, BlendColors(colour, light, 96), colour, vertical);
      break;
    case 2: {
      RECT first = rect, second = rect;
      if (vertical) {
        const long mid = RoundEven(rect.bottom - (rect.bottom - rect.top) / 2.0);
        first.bottom = second.top = mid;
      } else {
        const long mid = RoundEven(rect.right - (rect.right - rect.left) / 2.0);
        first.right = second.left = mid;
      }
      DrawGradient(dc, first, BlendColors(colour, light, 96), BlendColors(colour, light, 192), vertical);
      DrawGradient(dc, second, BlendColors(colour, light, 255), BlendColors(colour, light, 128), vertical);
      break;
    }
    default:
      DrawGradient(dc, rect, colour, colour, vertical);
  }
}

namespace {

// Loads name & ".png"; null (and logged) when it can't be drawn.
std::unique_ptr<cPNG> LoadPicture(const std::wstring& name) {
  auto png = std::make_unique<cPNG>();
  if (png->LoadPNGFile(name + L".png") == 0) return png;
  WriteLog(L"Failed to draw " + name + L".png", true);
  return nullptr;
}

}  // namespace

bool DrawPNG(const std::wstring& name, HDC dc, long x, long y, bool grayScale) {
  auto png = LoadPicture(name);
  if (!png) return false;
  png->DrawToDC(dc, x, y, grayScale);
  return true;
}

bool DrawPNGCentered(const std::wstring& name, HDC dc, const RECT& rect, bool grayScale) {
  auto png = LoadPicture(name);
  if (!png) return false;
  const long x = RoundEven((rect.left + rect.right - png->Width()) / 2.0 + 1);
  const long y = RoundEven((rect.top + rect.bottom - png->Height()) / 2.0);
  png->DrawToDC(dc, x, y, grayScale);
  return true;
}

void DrawShadow(HDC dc, long x, long y) { DrawPNG(ImagesFolder + L"shadow", dc, x - 8, y - 4, false); }

void DrawSeparatorLine(forms::Container& surface, long y) {
  HDC dc = surface.hDC();
  if (!dc) return;
  const int scaleWidth = surface.ScaleWidth();
  if (VisualStyle == 0) {
    surface.Line(8, y, scaleWidth - 8, y, Sys(COLOR_BTNSHADOW));
    surface.Line(8, y + 1, scaleWidth - 8, y + 1, Sys(COLOR_3DHIGHLIGHT));
    return;
  }
  const long w = scaleWidth, half = RoundEven(scaleWidth / 2.0);
  const COLORREF back = surface.Point(half, y);
  if (!Valid(back)) return;
  const COLORREF light = Sys(COLOR_3DHIGHLIGHT), shadow = Sys(COLOR_BTNSHADOW);
  DrawGradient(dc, {0, y + 1, half, y + 2}, back, light, false);
  DrawGradient(dc, {half, y + 1, w, y + 2}, light, back, false);
  DrawGradient(dc, {half, y, w, y + 1}, shadow, back, false);
  DrawGradient(dc, {0, y, half, y + 1}, back, shadow, false);
  surface.Refresh();
}

void StyleForm(forms::Container& surface, long footerY, bool skipBody) {
  if (VisualStyle == 0) {
    surface.Cls();
    return;
  }
  HDC dc = surface.hDC();
  if (!dc) return;
  const bool isPicture = IsPictureBox(surface);
  const bool hasFooter = footerY >= 1 && !isPicture;
  const long w = surface.ScaleWidth(), h = surface.ScaleHeight();
  const long bodyBottom = hasFooter ? footerY : h;
  if (!skipBody) {
    if (isPicture) {
      forms::Control* box = surface.AsControl();
      forms::Container* below = box->Container();
      if (below) {
        const COLORREF above = below->Point(box->Left(), box->Top() - 1);
        const COLORREF under = below->Point(box->Left(), box->Top() + box->Height() - 1);
        if (Valid(above) && Valid(under)) DrawGradient(dc, {0, 0, w, bodyBottom}, above, under, true);
      }
    } else {
      DrawGradient(dc, {0, 0, w, bodyBottom}, Sys(COLOR_3DHIGHLIGHT),
                   BlendColors(Sys(COLOR_BTNFACE), Sys(COLOR_BTNSHADOW), 192), true);
    }
  }
  if (hasFooter)
    DrawStyledGradient(dc, {0, footerY, w, h}, BlendColors(Sys(COLOR_BTNFACE), Sys(COLOR_BTNSHADOW), 160), true);
  surface.Refresh();

  forms::Form& form = surface.ParentForm();
  for (forms::Control* c : std::vector<forms::Control*>(form.Controls())) {
    if (c->Container() != &surface || c->IsArrayElement()) continue;
    StyleControl(*c);
  }
}

void StyleControl(forms::Control& control) {
  using forms::ControlKind;
  const ControlKind kind = control.Kind();
  if (kind == ControlKind::TextBox || kind == ControlKind::ComboBox || kind == ControlKind::ListBox) return;
  forms::Container* below = control.Container();
  if (!below || !control.HasGeometry()) return;
  const COLORREF above = below->Point(control.Left(), control.Top() - 1);
  const COLORREF under = below->Point(control.Left(), control.Top() + control.Height() + 1);
  if (!Valid(above) || !Valid(under)) return;
  auto* own = control.HasDC() ? dynamic_cast<forms::Container*>(&control) : nullptr;
  if (!own || !own->hDC()) {
    control.SetBackColor(BlendColors(above, under, 128));
    return;
  }
  const RECT rect{0, 0, control.Width(), control.Height()};
  if (!DrawThemePart(own->hDC(), control.hWnd(), rect, L"Tab", 9, 1)) DrawGradient(own->hDC(), rect, above, under, true);
  own->Refresh();
}

bool DrawThemePart(HDC dc, HWND window, const RECT& rect, const std::wstring& cls, int part, int state) {
  cUxTheme& painter = ThemePainter();
  painter.hWnd = window;
  painter.hdc = dc;
  painter.Left = rect.left;
  painter.Top = rect.top;
  painter.Width = rect.right - rect.left;
  painter.Height = rect.bottom - rect.top;
  painter.Class = cls;
  painter.Part = part;
  painter.State = state;
  return painter.Draw();
}

bool TintAlphaImage(cAlphaDibSection& source, const cAlphaDibSection& mask, cAlphaDibSection& target) {
  if (mask.Width() < source.Width() || mask.Height() < source.Height()) return false;
  if (!target.Create(source.Width(), source.Height())) return false;
  source.PaintPicture(target.hdc(), 0, 0, -1, -1, 0, 0, SRCCOPY);
  GdiFlush();
  uint8_t* bits = target.DIBSectionBitsPtr();
  const uint8_t* maskBits = mask.DIBSectionBitsPtr();
  if (!bits || !maskBits) return false;
  const long stride = target.BytesPerScanLine(), maskStride = mask.BytesPerScanLine();
  for (long y = 0; y < target.Height(); ++y) {
    uint8_t* row = bits + y * stride;
    const uint8_t* maskRow = maskBits + y * maskStride;
    for (long x = 0; x + 4 <= stride; x += 4) {
      const uint8_t a = maskRow[x];
      row[x + 3] = a;
      for (int i = 0; i < 3; ++i) row[x + i] = static_cast<uint8_t>(row[x + i] * a / 255);
    }
  }
  return true;
}

bool PointInRect(long x, long y, const RECT& rect) {
  return rect.left < x && x < rect.right && rect.top < y && y < rect.bottom;
}
