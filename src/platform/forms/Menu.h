// Menu item: one entry of a form's menu bar or of a submenu, with caption
// ("&" marks the access key, "\t" starts the shortcut text, "-" makes a
// separator), check mark, enabled and visible states. An invisible item is
// taken out of the native menu and put back in its place when shown again.
// Commands reach the item through its form's own table, by the native menu
// and position of the item, so renumbered command IDs keep working.
// A shortcut ("Ctrl+O", "Ctrl+Shift+S", "F5", "Del", "Alt+Enter") is shown
// after the caption and pressing it in the form raises the item's Click
// while the item is enabled (hidden or not), unless the key edits the text
// box that has the focus.
#pragma once
#include <windows.h>

#include <vector>

#include "platform/forms/Control.h"

namespace forms {

class Menu;

// Reads a shortcut text ("Ctrl+Shift+S", "F5", "Del"): the virtual key and
// the shift state (vbShiftMask | vbCtrlMask | vbAltMask); false when it names no key.
bool ParseShortcut(const std::wstring& text, UINT& key, int& shift);
// A key (with its shift state) that a text box acts on itself: typing, moving
// and selecting, deleting, the clipboard and undo. A shortcut on such a key
// is not taken while a text box has the focus.
bool EditsText(UINT key, int shift);

struct MenuArgs : ControlArgs {
  std::wstring Caption;
  std::wstring Shortcut;  // key text shown after the caption; also the key that clicks the item
  bool Checked = false;
  Menu* Parent = nullptr;       // none: an item of the menu bar
  std::vector<MenuArgs> Items;  // the submenu, built by Form::AddMenus
};

class Menu : public Control {
 public:
  using Args = MenuArgs;
  Menu(Form& form, const Args& args);
  ~Menu() override;

  bool HasCaption() const override { return true; }
  std::wstring Caption() const override { return caption_; }
  void SetCaption(const std::wstring& caption) override;
  const std::wstring& Shortcut() const { return shortcut_; }
  // True when the key and shift state are the item's shortcut (its own, or
  // the key text after "\t" in its caption).
  bool HasShortcut(UINT key, int shift) const { return shortcutKey_ != 0 && key == shortcutKey_ && shift == shortcutShift_; }
  bool IsSeparator() const { return caption_ == L"-"; }
  bool Checked() const { return checked_; }
  void SetChecked(bool on);
  void SetEnabled(bool enabled) override;
  void SetVisible(bool visible) override;

  Menu* Parent() const { return parent_; }
  const std::vector<Menu*>& Items() const { return items_; }
  // The submenu of an item with items (also while the item is hidden).
  HMENU SubMenu() const { return sub_; }
  // The native menu holding the item while it is shown (bar or submenu).
  HMENU OwnerMenu() const;
  // Position in OwnerMenu, -1 while hidden.
  int Position() const;
  // The command ID the item was given (the native menu may renumber it).
  UINT CommandId() const { return id_; }
  Control* Enclosing() const override { return parent_; }

  Args CurrentArgs() const;
  Control& LoadClone(int index) const override;

 protected:
  void Create() override;

 private:
  friend class Form;
  bool Shown() const;  // visible and its parent has a native menu
  void InsertNative();
  void RemoveNative();
  void UpdateNative();  // caption, state
  std::wstring NativeText() const;  // caption and shortcut text
  void ReadShortcut();  // the key of the shortcut text or of the caption
  void EnsureSubMenu();  // the item got its first child
  void AddChild(Menu* child, Menu* after);
  void RemoveChild(Menu* child);

  std::wstring caption_;
  std::wstring shortcut_;
  UINT shortcutKey_ = 0;
  int shortcutShift_ = 0;
  bool checked_;
  Menu* parent_;
  std::vector<Menu*> items_;
  HMENU sub_ = nullptr;
  UINT id_ = 0;
  bool inserted_ = false;
};

}  // namespace forms
