// Text box: Text, selection, single or multiple lines; Change on every edit.
#pragma once
#include "platform/forms/Control.h"

namespace forms {

struct TextBoxArgs : ControlArgs {
  std::wstring Text;
  bool MultiLine = false;
  int ScrollBars = 0;  // 0 none, 1 horizontal, 2 vertical, 3 both
  bool Locked = false;  // read-only
  int MaxLength = 0;    // 0: no limit
  wchar_t PasswordChar = 0;
  int BorderStyle = 1;  // 0 none, 1 sunken
  TextBoxArgs() { BackColor = SysColor(COLOR_WINDOW); ForeColor = SysColor(COLOR_WINDOWTEXT); }
};

class TextBox : public Control {
 public:
  using Args = TextBoxArgs;
  TextBox(Form& form, const Args& args);

  std::wstring Text() const;
  void SetText(const std::wstring& text);
  int SelStart() const;
  int SelLength() const;
  void SetSel(int start, int length);
  bool Locked() const { return locked_; }
  bool KeepsKey(UINT key) const override;  // Enter, in a multi-line box
  void SetLocked(bool on);

  std::function<void()> OnChange;

  // Validate: the value is checked before the focus moves to another control
  // of the form and before the form's default button acts; cancel = true keeps
  // the focus here (and the button from acting).
  std::function<void(bool& cancel)> OnValidate;
  bool Validates() const override { return true; }
  bool RaiseValidate() override;

  Args CurrentArgs() const;
  Control& LoadClone(int index) const override;

 protected:
  void Create() override;
  bool HandleCommand(WORD code) override;

 private:
  Args design_;
  bool locked_;
};

}  // namespace forms
