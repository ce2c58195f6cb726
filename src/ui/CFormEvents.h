// Window messages a form cannot otherwise see, delivered as events: one object per
// hooked form. It takes a slot of the subclass table (HookEvents.h) as its client, manages the
// form's dropped files and global hot keys, and tracks the child control under the
// mouse. Handlers are optional callbacks; arguments passed by reference may be
// changed by the handler where the message allows it.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/HookEvents.h"

namespace forms {
class Form;
class Control;
}  // namespace forms

class CFormEvents : private IHookClient {
 public:
  CFormEvents() = default;
  ~CFormEvents();
  CFormEvents(const CFormEvents&) = delete;
  CFormEvents& operator=(const CFormEvents&) = delete;

  // 1 .. 14, raised in this order of declaration.
  std::function<void(bool& Active)> ActivateApp;
  std::function<void()> Move;
  std::function<void(long& MaxSizeX, long& MaxSizeY, long& MaxPositionX, long& MaxPositionY, long& MinTrackSizeX,
                     long& MinTrackSizeY, long& MaxTrackSizeX, long& MaxTrackSizeY)>
      GetMinMaxInfo;
  std::function<void(forms::Control& control)> MouseEnter;
  std::function<void(forms::Control& control)> MouseExit;
  std::function<void()> CompactingMemory;
  // Colors is 2 to the power of the bits per pixel, saturated at 0xFFFFFFFF.
  std::function<void(int Width, int Height, unsigned long Colors)> DisplayChanged;
  std::function<void(long& Left, long& Top, long& Right, long& Bottom, int Edge)> Resizing;
  std::function<void(long& Left, long& Top, long& Right, long& Bottom, int Edge)> Moving;
  std::function<void(std::vector<std::wstring>& Files, long& X, long& Y)> FileDropped;
  std::function<void()> ContextMenu;
  // A change of KeyData reaches the previous window procedure.
  std::function<void(long& ID, LPARAM& KeyData)> HotKey;
  std::function<void(std::wstring& Text, HWND& Sender)> CopyData;
  // Handled = true keeps the command from the previous window procedure.
  std::function<void(long Command, long Device, long KeyState, bool& Handled)> AppCommand;
  // The hooked window's owner-drawn menus (WM_DRAWITEM, WM_MEASUREITEM, WM_INITMENUPOPUP).
  OwnerDrawHandlers OwnerDraw;

  HWND hWnd() const { return hWnd_; }
  forms::Form* HookedForm() const { return form_; }
  // Hooks form (or unhooks with nullptr). Fails with error 999 (CurrentError) when
  // all slots are taken; the form is then kept, without a slot.
  bool SetHookedForm(forms::Form* form);
  // The same for a window that is not a form of ours (no child-control tracking).
  bool HookWindow(HWND window);

  bool DragDrop() const { return dragDrop_; }
  void SetDragDrop(bool accept);  // set after hooking

  void AddHotKey(short ID, short Modifiers, short VirtualKey);  // logs a failure
  void DelHotKey(short ID);

  int Slot() const { return slot_; }
  bool Inactive() const { return inactive_; }
  forms::Control* EnteredControl() const { return entered_; }

 private:
  bool Attach(HWND window, forms::Form* form);
  // The subclass table's calls.
  HWND HookedWindow() const override { return hWnd_; }
  void BeforeMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM& lParam, bool& handled, LRESULT& result) override;
  void AfterMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void SlotEnded() override;
  void TrackMouse(HWND under);
  bool StillOnForm(forms::Control* control) const;

  bool inactive_ = false;
  int slot_ = 0;
  forms::Form* form_ = nullptr;
  HWND hWnd_ = nullptr;
  bool dragDrop_ = false;
  forms::Control* entered_ = nullptr;
};
