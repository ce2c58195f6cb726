// Combo box: a drop-down list with an edit field (Style 0) or a drop-down
// list only (Style 2).
#pragma once
#include "platform/forms/Control.h"

namespace forms {

struct ComboBoxArgs : ControlArgs {
  int Style = 0;  // 0 drop-down combo, 2 drop-down list
  std::wstring Text;
  bool Sorted = false;
  int DropDownHeight = 200;  // pixels of the open list
  ComboBoxArgs() { BackColor = SysColor(COLOR_WINDOW); ForeColor = SysColor(COLOR_WINDOWTEXT); }
};

class ComboBox : public Control {
 public:
  using Args = ComboBoxArgs;
  ComboBox(Form& form, const Args& args);

  int AddItem(const std::wstring& text, int index = -1);
  void RemoveItem(int index);
  void Clear();
  int ListCount() const;
  std::wstring List(int index) const;
  LPARAM ItemData(int index) const;
  void SetItemData(int index, LPARAM data);
  int ListIndex() const;
  void SetListIndex(int index);
  std::wstring Text() const;
  void SetText(const std::wstring& text);
  int Style() const { return design_.Style; }
  bool KeepsKey(UINT key) const override;  // Enter and Escape, while the list is open

  // Click on a choice from the list; Change on an edit of the text.
  std::function<void()> OnChange;

  // Validate: the value is checked before the focus moves to another control
  // of the form and before the form's default button acts; cancel = true keeps
  // the focus here (and the button from acting).
  std::function<void(bool& cancel)> OnValidate;
  bool Validates() const override { return true; }
  bool RaiseValidate() override;

  Args CurrentArgs() const;
  Control& LoadClone(int index) const override;
  // Height of the closed box; Move sets the height of the open list.
  void Move(int left, int top, int width, int height) override;

 protected:
  void Create() override;
  bool HandleCommand(WORD code) override;

 private:
  Args design_;
};

}  // namespace forms
