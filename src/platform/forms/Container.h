// What forms and picture boxes share as containers: persistent drawing into
// a backing bitmap (hDC, Cls, Point, PSet, Line, PaintPicture, Refresh), the
// windowless controls (labels, images) they paint below their windowed
// children and hit-test, and the routing of child-control messages.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/forms/Canvas.h"
#include "platform/forms/FormTypes.h"
#include "platform/forms/Picture.h"

namespace forms {

class Control;
class Form;

enum class LineStyle { Line, Box, BoxFilled };

class Container {
 public:
  virtual ~Container() = default;

  virtual HWND hWnd() const = 0;
  virtual Form& ParentForm() const = 0;
  virtual bool Enabled() const = 0;
  virtual Color BackColor() const = 0;
  // The picture box this is, or none for a form.
  virtual Control* AsControl() { return nullptr; }

  // Client size in pixels.
  int ScaleWidth() const;
  int ScaleHeight() const;

  // The device context of the persistent bitmap. Drawing into it shows after
  // Refresh; the methods below refresh by themselves.
  HDC hDC();
  void Cls();  // back colour (and the container's picture, if any)
  COLORREF Point(int x, int y);  // CLR_INVALID outside the drawing
  void PSet(int x, int y, Color color);
  // A line (without its end point, as GDI draws it), or a box with both
  // corners included, framed or filled.
  void Line(int x1, int y1, int x2, int y2, Color color, LineStyle style = LineStyle::Line);
  // Draws (sx, sy, sw, sh) of a picture into (x, y, w, h); negative sizes
  // stand for the picture's own. Pixels are copied, never blended or
  // halftoned, so mask colours survive.
  void PaintPicture(const Picture& picture, int x, int y, int w = -1, int h = -1, int sx = 0, int sy = 0,
                    int sw = -1, int sh = -1, DWORD rop = SRCCOPY);
  // Repaints now (the backing bitmap, then the windowless controls).
  void Refresh();

  // Windowless controls of this container, back to front.
  const std::vector<Control*>& WindowlessControls() const { return windowless_; }
  // The front-most visible windowless control at a client point, or none.
  Control* HitTest(int x, int y) const;

 protected:
  // Paints the client area (backing bitmap and windowless controls) into dc.
  void PaintClient(HDC dc, const RECT& area);
  // Shared message handling of forms and picture boxes; true when handled.
  bool RouteMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // The mouse messages of the container's window: to the windowless control under
  // the mouse (or holding it since the button went down), else to the container;
  // a press and release over the same target adds Click.
  void RouteMouse(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  // Mouse events of the container itself (kind: WM_LBUTTONDOWN, ...).
  virtual void RaiseOwnMouse(UINT msg, int button, int shift, int x, int y) = 0;
  virtual const Picture* BackPicture() const { return nullptr; }
  void SyncCanvas();  // grows the backing bitmap to the client size
  void DropWindowless(Control* control);  // forgets a control going away or moving out

  friend class Control;
  Canvas canvas_;
  std::vector<Control*> windowless_;
  Control* mouseTarget_ = nullptr;  // windowless control holding the mouse between down and up
  Control* pressed_ = nullptr;      // where the left button went down (for Click)
  bool pressedSelf_ = false;
  std::shared_ptr<int> life_ = std::make_shared<int>(0);  // expires with the container
};

}  // namespace forms
