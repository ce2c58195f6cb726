// The main window's keys beyond the menu shortcuts: the global hot keys
// (system-wide combinations held while the program is the active one, each
// arriving as an id) and the handy keys (single keys on the window or the
// movie). The table's ids, modifiers and keys are fixed. The combinations
// that edit text (Ctrl+Z, Ctrl+Insert, Shift+Insert, Shift+Delete, Ctrl+Left,
// Ctrl+Right) are not taken from the system: the main window answers them
// itself (its menu shortcuts and its own key routing), so that they keep
// editing in every text box of the program.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "player/commands/CommandHost.h"

namespace player {

struct HotKeyRow {
  int Id;
  UINT Modifiers;  // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4
  UINT Key;        // virtual key; 0 for the id without a combination
  bool Edits;      // a combination that text boxes use
};
inline constexpr int kHotKeyCount = 25;  // ids 0..24

// Registers the system-wide rows in id order through add(id, modifiers, key)
// (which logs a refusal itself; the rest still go), then logs it.
void RegisterHotKeys(const std::function<void(int, UINT, UINT)>& add);
// Gives every id back through remove(id), then logs it.
void UnregisterHotKeys(const std::function<void(int)>& remove);

// The menu item a hot key clicks (index: the element of a menu array, else
// -1); item null for an id without a command (-1, 25, Alt+arrows while no
// browse page is shown).
struct MenuClick {
  const wchar_t* Item = nullptr;
  int Index = -1;
};
MenuClick HotKeyClick(long id, bool browsed);
void HotKeyAction(CommandHost& host, long id);

// The id of an editing combination (shift: the forms layer's 1 Shift, 2 Ctrl,
// 4 Alt), -1 for any other key.
int EditingHotKeyId(UINT key, int shift);

// The single keys: three tests, each on its own (F1, F2, F3, F6, F8 while the
// top menus are hidden; Backspace on the browse page; Esc, Space and the
// arrows with Handy Keys on and no browse page).
enum class HandyKind { None, Click, LevelUp, LeaveFullScreen };
struct HandyCommand {
  HandyKind Kind = HandyKind::None;
  const wchar_t* Item = nullptr;  // for Click
};
HandyCommand HandyCommandFor(long key, bool hiddenMenuBar, bool browsed, bool handyKeys);
void HandyAction(CommandHost& host, bool hiddenMenuBar, long key);

}  // namespace player
