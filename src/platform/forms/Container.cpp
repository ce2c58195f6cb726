#include "platform/forms/Container.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "base/Handles.h"
#include "platform/forms/Control.h"
#include "platform/forms/FormsInternal.h"

namespace forms {

namespace {

// Kinds of RaiseOwnMouse besides the mouse messages themselves.
constexpr UINT kClick = 0;

}  // namespace

int Container::ScaleWidth() const {
  RECT r{};
  if (hWnd()) GetClientRect(hWnd(), &r);
  return r.right;
}

int Container::ScaleHeight() const {
  RECT r{};
  if (hWnd()) GetClientRect(hWnd(), &r);
  return r.bottom;
}

void Container::SyncCanvas() {
  if (!hWnd()) return;
  bool fresh = canvas_.Dc() == nullptr;
  canvas_.EnsureSize(ScaleWidth(), ScaleHeight(), ResolveColor(BackColor()));
  if (fresh && BackPicture()) BackPicture()->Draw(canvas_.Dc(), 0, 0);
}

HDC Container::hDC() {
  SyncCanvas();
  return canvas_.Dc();
}

void Container::Cls() {
  SyncCanvas();
  canvas_.Clear(ResolveColor(BackColor()));
  if (const Picture* p = BackPicture()) p->Draw(canvas_.Dc(), 0, 0);
  if (hWnd()) InvalidateRect(hWnd(), nullptr, FALSE);
}

COLORREF Container::Point(int x, int y) {
  SyncCanvas();
  if (!canvas_.Dc() || x < 0 || y < 0 || x >= canvas_.Width() || y >= canvas_.Height()) return CLR_INVALID;
  return GetPixel(canvas_.Dc(), x, y);
}

void Container::PSet(int x, int y, Color color) {
  SyncCanvas();
  if (!canvas_.Dc()) return;
  SetPixelV(canvas_.Dc(), x, y, ResolveColor(color));
  RECT r{x, y, x + 1, y + 1};
  InvalidateRect(hWnd(), &r, FALSE);
}

void Container::Line(int x1, int y1, int x2, int y2, Color color, LineStyle style) {
  SyncCanvas();
  HDC dc = canvas_.Dc();
  if (!dc) return;
  COLORREF c = ResolveColor(color);
  if (style == LineStyle::Line) {
    ScopedGdiObject pen(CreatePen(PS_SOLID, 1, c));
    ScopedSelect select(dc, pen.get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
  } else {
    RECT r{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1};
    ScopedGdiObject brush(CreateSolidBrush(c));
    if (style == LineStyle::BoxFilled)
      FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
    else
      FrameRect(dc, &r, static_cast<HBRUSH>(brush.get()));
  }
  InvalidateRect(hWnd(), nullptr, FALSE);
}

void Container::PaintPicture(const Picture& picture, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                             DWORD rop) {
  SyncCanvas();
  if (!canvas_.Dc()) return;
  picture.Draw(canvas_.Dc(), x, y, w, h, sx, sy, sw, sh, rop);
  InvalidateRect(hWnd(), nullptr, FALSE);
}

void Container::Refresh() {
  if (!hWnd()) return;
  InvalidateRect(hWnd(), nullptr, FALSE);
  UpdateWindow(hWnd());
}

Control* Container::HitTest(int x, int y) const {
  POINT pt{x, y};
  for (auto it = windowless_.rbegin(); it != windowless_.rend(); ++it) {
    Control* c = *it;
    RECT r = c->Bounds();
    if (c->Visible() && PtInRect(&r, pt)) return c;
  }
  return nullptr;
}

void Container::DropWindowless(Control* control) {
  windowless_.erase(std::remove(windowless_.begin(), windowless_.end(), control), windowless_.end());
  if (mouseTarget_ == control) mouseTarget_ = nullptr;
  if (pressed_ == control) pressed_ = nullptr;
}

void Container::PaintClient(HDC dc, const RECT& asked) {
  SyncCanvas();
  // Only what the target can take (a print into a small bitmap of a large window).
  RECT area = asked, clip{};
  if (GetClipBox(dc, &clip) != ERROR && !IntersectRect(&area, &asked, &clip)) return;
  int w = area.right - area.left, h = area.bottom - area.top;
  if (w <= 0 || h <= 0) return;
  // Compose off screen: the drawing, then the windowless controls back to front.
  ScopedMemoryDC memDc(dc);
  ScopedGdiObject bmp(CreateCompatibleBitmap(dc, w, h));
  if (!memDc.get() || !bmp.get()) return;
  HDC mem = memDc.get();
  ScopedSelect select(mem, bmp.get());
  SetViewportOrgEx(mem, -area.left, -area.top, nullptr);
  RECT all = area;
  ScopedGdiObject back(CreateSolidBrush(ResolveColor(BackColor())));
  FillRect(mem, &all, static_cast<HBRUSH>(back.get()));
  if (canvas_.Dc()) BitBlt(mem, area.left, area.top, w, h, canvas_.Dc(), area.left, area.top, SRCCOPY);
  for (Control* c : windowless_) {
    if (!c->Visible()) continue;
    RECT r = c->Bounds(), hit;
    if (!IntersectRect(&hit, &r, &area)) continue;
    int saved = SaveDC(mem);
    IntersectClipRect(mem, r.left, r.top, r.right, r.bottom);
    c->Paint(mem);
    RestoreDC(mem, saved);
  }
  SetViewportOrgEx(mem, 0, 0, nullptr);
  BitBlt(dc, area.left, area.top, w, h, mem, 0, 0, SRCCOPY);
}

bool Container::RouteMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      PaintClient(dc, ps.rcPaint);
      EndPaint(hwnd, &ps);
      result = 0;
      return true;
    }
    case WM_PRINTCLIENT: {
      RECT r;
      GetClientRect(hwnd, &r);
      PaintClient(reinterpret_cast<HDC>(wp), r);
      result = 0;
      return true;
    }
    case WM_SIZE:
      SyncCanvas();
      return false;
    case WM_COMMAND:
      if (auto* c = ControlFromHwnd(reinterpret_cast<HWND>(lp)); c && ControlAccess::Command(*c, HIWORD(wp))) {
        result = 0;
        return true;
      }
      return false;
    case WM_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (!d || d->CtlType == ODT_MENU) return false;
      Control* c = ControlFromHwnd(d->hwndItem);
      if (c && ControlAccess::DrawItem(*c, *d)) {
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_MEASUREITEM: {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (!m || m->CtlType == ODT_MENU) return false;
      Control* c = ControlFromHwnd(GetDlgItem(hwnd, static_cast<int>(m->CtlID)));
      if (!c) c = ControlAccess::Creating();
      if (c && ControlAccess::MeasureItem(*c, *m)) {
        result = TRUE;
        return true;
      }
      return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
      Control* c = ControlFromHwnd(reinterpret_cast<HWND>(lp));
      if (!c) return false;
      HBRUSH brush = ControlAccess::CtlColor(*c, reinterpret_cast<HDC>(wp));
      if (!brush) return false;
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    case WM_CAPTURECHANGED:
      mouseTarget_ = nullptr;
      return false;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      RouteMouse(hwnd, msg, wp, lp);
      result = 0;
      return true;
  }
  return false;
}


void Container::RouteMouse(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
  int shift = ShiftState();
  bool down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
  bool dbl = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
  bool up = msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP;
  Control* target = mouseTarget_;
  if (!target && GetCapture() != hwnd) target = HitTest(x, y);
  if (target && !target->Enabled()) target = nullptr;
  if ((down || dbl) && GetCapture() != hwnd) {
    SetCapture(hwnd);
    mouseTarget_ = target;
  }
  int button = msg == WM_MOUSEMOVE ? ButtonsHeld(wp) : ButtonOf(msg);
  int tx = target ? x - target->Left() : x, ty = target ? y - target->Top() : y;
  bool click = false;
  if (down && button == vbLeftButton) {
    pressed_ = target;
    pressedSelf_ = target == nullptr;
  } else if ((up || dbl) && button == vbLeftButton) {
    // A click needs the button released over what it was pressed on.
    POINT pt{x, y};
    RECT client{};
    GetClientRect(hwnd, &client);
    RECT bounds = target ? target->Bounds() : client;
    click = up && PtInRect(&bounds, pt) &&
            (target ? pressed_ == target : pressedSelf_ && (!HitTest(x, y) || !HitTest(x, y)->Enabled()));
    pressed_ = nullptr;
    pressedSelf_ = false;
  }
  if (up && (wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetCapture() == hwnd) {
    mouseTarget_ = nullptr;
    ReleaseCapture();
  }
  // Handlers may unload the target or this container: check before each next step.
  std::weak_ptr<int> alive = life_;
  auto targetAlive = [&] {
    return !alive.expired() &&
           std::find(windowless_.begin(), windowless_.end(), target) != windowless_.end();
  };
  if (target) {
    if (down || (dbl && button != vbLeftButton))
      Raise(L"MouseDown", target->OnMouseDown, button, shift, tx, ty);
    else if (up)
      Raise(L"MouseUp", target->OnMouseUp, button, shift, tx, ty);
    else if (dbl)
      Raise(L"DblClick", target->OnDblClick);
    else
      Raise(L"MouseMove", target->OnMouseMove, button, shift, tx, ty);
    if (click && targetAlive()) Raise(L"Click", target->OnClick);
  } else {
    UINT kind = (down || (dbl && button != vbLeftButton)) ? WM_LBUTTONDOWN
                : up                                     ? WM_LBUTTONUP
                : dbl                                    ? WM_LBUTTONDBLCLK
                                                         : WM_MOUSEMOVE;
    RaiseOwnMouse(kind, button, shift, tx, ty);
    if (click && !alive.expired() && hWnd() == hwnd) RaiseOwnMouse(kClick, button, shift, tx, ty);
  }
}

}  // namespace forms
