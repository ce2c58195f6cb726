// Check box: Value 0 unchecked, 1 checked, 2 greyed; Click when the value
// changes, by the user or by SetValue.
#pragma once
#include "platform/forms/Control.h"

namespace forms {

struct CheckBoxArgs : ControlArgs {
  std::wstring Caption;
  int Value = vbUnchecked;
};

class CheckBox : public Control {
 public:
  using Args = CheckBoxArgs;
  CheckBox(Form& form, const Args& args);

  bool HasCaption() const override { return true; }
  std::wstring Caption() const override { return caption_; }
  void SetCaption(const std::wstring& caption) override;
  int Value() const;
  void SetValue(int value);

  Args CurrentArgs() const;
  Control& LoadClone(int index) const override;

 protected:
  void Create() override;
  bool HandleCommand(WORD code) override;

 private:
  std::wstring caption_;
  int value_;
};

}  // namespace forms
