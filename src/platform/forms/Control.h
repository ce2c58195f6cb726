// The common part of every control: name and index, Tag, container,
// geometry in the container's pixels, visibility, enabled state, z-order,
// colours, font, plain tooltip text, and the events every control raises.
// A control is created by its form (Form::Add) from a plain arguments struct
// and lives until the form unloads it or unloads itself.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "base/Handles.h"
#include "platform/forms/FormTypes.h"

namespace forms {

class Form;
class Container;

enum class ControlKind { CommandButton, CheckBox, OptionButton, TextBox, ListBox, ComboBox, PictureBox, Label, Image, Timer, Menu };

// Design properties shared by all controls.
struct ControlArgs {
  std::wstring Name;
  int Index = -1;                      // >= 0: an element of the control array Name
  forms::Container* Container = nullptr;  // the form when none
  int Left = 0, Top = 0, Width = 0, Height = 0;  // pixels of the container
  bool Visible = true;
  bool Enabled = true;
  std::wstring Tag;
  std::wstring ToolTipText;
  Color BackColor = SysColor(COLOR_BTNFACE);
  Color ForeColor = SysColor(COLOR_BTNTEXT);
  bool UseFormFont = true;  // take the form's font instead of Font
  FontSpec Font;
  bool TabStop = true;
  // The focus arriving here checks the text or combo box it leaves (Validate);
  // off for buttons that must work whatever was typed (Cancel, Help).
  bool CausesValidation = true;
};

// Arguments of kind A (a ControlArgs) with a name and a place, the rest as designed.
template <class A>
A Placed(const wchar_t* name, int left, int top, int width, int height) {
  A a;
  a.Name = name;
  a.Left = left, a.Top = top, a.Width = width, a.Height = height;
  return a;
}

class Control {
 public:
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  ControlKind Kind() const { return kind_; }
  const wchar_t* TypeName() const;  // "CommandButton", "Label", ...
  Form& ParentForm() const { return form_; }
  const std::wstring& Name() const { return name_; }
  int Index() const { return index_; }  // -1 outside a control array
  bool IsArrayElement() const { return index_ >= 0; }

  const std::wstring& Tag() const { return tag_; }
  void SetTag(const std::wstring& tag) { tag_ = tag; }

  // The form or picture box the control sits in; none for menus and timers.
  forms::Container* Container() const { return container_; }
  virtual void SetContainer(forms::Container* container);  // none: the form

  // Geometry in pixels of the container (menus and timers have none).
  bool HasGeometry() const;
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { Move(v, top_, width_, height_); }
  void SetTop(int v) { Move(left_, v, width_, height_); }
  void SetWidth(int v) { Move(left_, top_, v, height_); }
  void SetHeight(int v) { Move(left_, top_, width_, v); }
  virtual void Move(int left, int top, int width, int height);
  RECT Bounds() const { return {left_, top_, left_ + width_, top_ + height_}; }

  virtual bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  virtual bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  // vbBringToFront (0) or vbSendToBack (1) among the container's controls
  // of the same kind (windowed or windowless).
  virtual void ZOrder(int position = vbBringToFront);

  const std::wstring& ToolTipText() const { return toolTip_; }
  void SetToolTipText(const std::wstring& text);

  virtual Color BackColor() const { return backColor_; }
  virtual void SetBackColor(Color color);
  Color ForeColor() const { return foreColor_; }
  void SetForeColor(Color color);
  const FontSpec& Font() const { return font_; }
  void SetFont(const FontSpec& font);
  HFONT FontHandle() const { return hfont_.get(); }

  // The text shown by the control, for the kinds that have one (buttons,
  // check boxes, labels, menus); a text box's Text is not a caption.
  virtual bool HasCaption() const { return false; }
  virtual std::wstring Caption() const { return {}; }
  virtual void SetCaption(const std::wstring&) {}

  // The control's own window, or none (labels, images, timers, menus).
  virtual HWND hWnd() const { return hwnd_; }
  bool HasWindow() const { return hWnd() != nullptr; }
  // Whether the control offers a device context (picture boxes).
  virtual bool HasDC() const { return false; }
  virtual bool HasTabStop() const { return tabStop_; }
  bool CausesValidation() const { return causesValidation_; }
  void SetCausesValidation(bool on) { causesValidation_ = on; }
  // Whether the control checks its value before the focus leaves it (text and
  // combo boxes), and the check: Validate raised, false when its handler
  // cancelled. The form decides when (Form::ValidateActiveControl).
  virtual bool Validates() const { return false; }
  virtual bool RaiseValidate() { return true; }

  void SetFocus();
  // Repaints the control now.
  virtual void Refresh();
  // A windowless control draws itself into its container's painting at its
  // own bounds; windowed controls ignore this.
  virtual void Paint(HDC) {}
  // Loads a new element of this control's array at index, with this
  // control's current properties, hidden (ControlArray::Load calls this).
  virtual Control& LoadClone(int index) const = 0;

  // What the form's keyboard handling asks of a control, whatever its kind.
  // Whether the focused control keeps Enter or Escape for itself (a multi-line
  // text box, an open combo box list) rather than the form's buttons taking it.
  virtual bool KeepsKey(UINT /*key*/) const { return false; }
  // Whether Enter on the focused control presses it (a command button).
  virtual bool PressedByEnter() const { return false; }
  // Whether Enter (Default) or Escape (Cancel) anywhere on the form presses it.
  virtual bool IsDefaultButton() const { return false; }
  virtual bool IsCancelButton() const { return false; }
  // Raises Click as a press of the control would.
  virtual void PerformClick();
  // The control this one sits in (its picture box, or a menu's parent item), or none.
  virtual Control* Enclosing() const;

  // Events.
  std::function<void()> OnClick, OnDblClick, OnGotFocus, OnLostFocus;
  std::function<void(int button, int shift, int x, int y)> OnMouseDown, OnMouseUp, OnMouseMove;
  std::function<void(int& keyCode, int shift)> OnKeyDown, OnKeyUp;  // keyCode = 0 swallows the key
  std::function<void(int& keyAscii)> OnKeyPress;                    // keyAscii = 0 swallows the character

 protected:
  Control(Form& form, ControlKind kind, const ControlArgs& args);
  // Creates the native window (windowed kinds) once the control is registered.
  virtual void Create() {}
  // Whether the control lives without a window and is painted by its container.
  bool IsWindowless() const;
  // Creates a child window of the container for this control and routes its messages here.
  HWND CreateChild(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle = 0);
  // Current design properties, for clones.
  ControlArgs BaseArgs() const;
  void InvalidateInContainer() const;  // windowless: repaint the area it covers
  void JoinContainer();  // windowless: takes its place in front of the container's windowless controls
  void ApplyFont();

  // Messages the container routes to the control that owns them; true when handled.
  virtual bool HandleCommand(WORD /*code*/) { return false; }
  virtual bool HandleDrawItem(DRAWITEMSTRUCT&) { return false; }
  virtual bool HandleMeasureItem(MEASUREITEMSTRUCT&) { return false; }
  virtual HBRUSH HandleCtlColor(HDC dc);
  // Messages of the control's own window before the layer's mouse and key
  // events and the class procedure see them; true when consumed (result in result).
  virtual bool HandleOwnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // Containers raise a windowless control's mouse events and keep its place.
  friend class Container;
  friend class Form;
  friend struct ControlAccess;

  Form& form_;
  ControlKind kind_;
  std::wstring name_;
  int index_;
  forms::Container* container_ = nullptr;
  int left_, top_, width_, height_;
  bool visible_, enabled_, tabStop_, causesValidation_;
  std::wstring tag_, toolTip_;
  Color backColor_, foreColor_;
  FontSpec font_;
  ScopedFont hfont_;
  ScopedBrush backBrush_;  // made on the first WM_CTLCOLOR*, dropped when the colour changes
  HWND hwnd_ = nullptr;
};

}  // namespace forms
