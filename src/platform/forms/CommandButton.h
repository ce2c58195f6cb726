// Command button: Click; Default (Enter) and Cancel (Escape) buttons of a form.
#pragma once
#include "platform/forms/Control.h"

namespace forms {

struct CommandButtonArgs : ControlArgs {
  std::wstring Caption;
  bool Default = false;  // Enter anywhere on the form clicks it
  bool Cancel = false;   // Escape anywhere on the form clicks it
};

class CommandButton : public Control {
 public:
  using Args = CommandButtonArgs;
  CommandButton(Form& form, const Args& args);

  bool HasCaption() const override { return true; }
  std::wstring Caption() const override { return caption_; }
  void SetCaption(const std::wstring& caption) override;
  bool Default() const { return default_; }
  void SetDefault(bool on);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool on) { cancel_ = on; }
  bool PressedByEnter() const override { return true; }
  bool IsDefaultButton() const override { return default_; }
  bool IsCancelButton() const override { return cancel_; }

  Args CurrentArgs() const;
  Control& LoadClone(int index) const override;

 protected:
  void Create() override;
  bool HandleCommand(WORD code) override;

 private:
  std::wstring caption_;
  bool default_, cancel_;
};

}  // namespace forms
