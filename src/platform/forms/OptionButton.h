// Option button: one choice of a group, the option buttons of the same
// container. Value true clears the others of the group; Click when it becomes
// true, by the user or by SetValue. Usable as a control array ("optSize(0)").
#pragma once
#include "platform/forms/Control.h"

namespace forms {

struct OptionButtonArgs : ControlArgs {
  std::wstring Caption;
  bool Value = false;
};

class OptionButton : public Control {
 public:
  using Args = OptionButtonArgs;
  OptionButton(Form& form, const Args& args);

  bool HasCaption() const override { return true; }
  std::wstring Caption() const override { return caption_; }
  void SetCaption(const std::wstring& caption) override;
  bool Value() const { return value_; }
  void SetValue(bool value);

  Args CurrentArgs() const;
  Control& LoadClone(int index) const override;

 protected:
  void Create() override;
  bool HandleCommand(WORD code) override;

 private:
  void Show(bool value);
  std::wstring caption_;
  bool value_;
};

}  // namespace forms
