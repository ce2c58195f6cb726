// The subclass table: at most ten windows hooked at a time, each through a fixed
// entry procedure of its own slot, all of them calling one dispatcher that turns
// window messages into the events of the slot's CFormEvents object.
#pragma once
#include <windows.h>

#include <functional>

class CFormEvents;

struct SubclassSlot {
  HWND hWnd = nullptr;        // hooked window; null marks a free slot
  WNDPROC OldProc = nullptr;  // procedure in place before the hook
  WNDPROC NewProc = nullptr;  // this slot's entry procedure, set once
  CFormEvents* Owner = nullptr;  // receives the events; not owned
};

constexpr int SubclassSlotCount = 10;
// Slots 1..10; element 0 is never used (slot number 0 means "no slot").
extern SubclassSlot SubclassTable[SubclassSlotCount + 1];

void InitSubclassTable();
// Hooks hWnd for owner; returns the slot number 1..10, or 0 when all are taken.
int SubclassWindow(CFormEvents* owner, HWND hWnd);
// Puts the previous procedure back and frees the slot; false for a number outside 1..10.
bool UnsubclassWindow(int& slot);
LRESULT SubclassWndProc(int slot, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Owner drawing of menus and list boxes rides on the same hook. Each handler is
// optional; a message whose handler is missing goes on to the previous procedure.
struct OwnerDrawHandlers {
  std::function<void(HWND hWnd, DRAWITEMSTRUCT& item)> DrawMenuItem;
  std::function<void(HWND hWnd, DRAWITEMSTRUCT& item)> DrawPlaylistItem;
  // Fills size with the width and height of a menu item's row.
  std::function<void(HWND hWnd, UINT itemID, ULONG_PTR itemData, SIZE& size, bool bold)> MeasureMenuItem;
  std::function<void(HMENU popup, HWND hWnd, int level)> MakePopupOwnerDrawn;
};
extern OwnerDrawHandlers OwnerDrawHooks;

// Height of an owner-drawn list box row, in pixels.
constexpr UINT PlaylistRowHeight = 24;
