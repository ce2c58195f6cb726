// The subclass table: at most ten windows hooked at a time. Each slot hooks its
// window through the common controls' per-window subclassing (SetWindowSubclass),
// the one mechanism the forms layer also uses, with a fixed entry procedure of
// its own; all entries call one dispatcher that hands the window's messages to
// the slot's client. Hooks on one window may be released in any order: each
// leaves the window's chain without cutting off the procedures around it.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>

// Receives the messages of a hooked window (CFormEvents is the one client).
class IHookClient {
 public:
  // The window the client means to hook; a message of another window ends the slot.
  virtual HWND HookedWindow() const = 0;
  // Before the window's own procedure; handled = true keeps the message from it
  // and answers result. lParam as left here is what the procedure receives.
  virtual void BeforeMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM& lParam, bool& handled,
                             LRESULT& result) = 0;
  // After the window's own procedure, with its answer in result.
  virtual void AfterMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
  // The slot ended without the client asking (its window went, or another window's
  // message reached it); the client holds no slot any more.
  virtual void SlotEnded() = 0;

 protected:
  ~IHookClient() = default;
};

struct SubclassSlot {
  HWND hWnd = nullptr;             // hooked window; null marks a free slot
  SUBCLASSPROC NewProc = nullptr;  // this slot's entry procedure, set once
  IHookClient* Owner = nullptr;    // receives the messages; not owned
};

constexpr int SubclassSlotCount = 10;
// Slots 1..10; element 0 is never used (slot number 0 means "no slot").
extern SubclassSlot SubclassTable[SubclassSlotCount + 1];

void InitSubclassTable();
// Hooks hWnd for owner; returns the slot number 1..10, or 0 when all are taken or
// the window cannot be hooked (none, or another thread's).
int SubclassWindow(IHookClient* owner, HWND hWnd);
// Takes the slot's entry out of its window's chain and frees the slot; false for
// a number outside 1..10.
bool UnsubclassWindow(int& slot);
// The dispatcher the entry procedures call.
LRESULT SubclassWndProc(int slot, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Owner drawing of menus rides on the same hook: each hook (CFormEvents) has its
// own handlers. Each handler is optional; a message whose handler is missing goes
// on to the previous procedure.
struct OwnerDrawHandlers {
  std::function<void(HWND hWnd, DRAWITEMSTRUCT& item)> DrawMenuItem;
  // Fills size with the width and height of a menu item's row.
  std::function<void(HWND hWnd, UINT itemID, ULONG_PTR itemData, SIZE& size, bool bold)> MeasureMenuItem;
  std::function<void(HMENU popup, HWND hWnd, int level)> MakePopupOwnerDrawn;
};

// Height of an owner-drawn list box row, in pixels.
constexpr UINT PlaylistRowHeight = 24;
