#include "platform/forms/OptionButton.h"

#include "platform/forms/Form.h"
#include "platform/forms/FormsInternal.h"

namespace forms {

OptionButton::OptionButton(Form& form, const Args& args)
    : Control(form, ControlKind::OptionButton, args), caption_(args.Caption), value_(args.Value) {}

void OptionButton::Create() {
  // Not the automatic style: the group's rule is kept here, for SetValue too.
  if (CreateChild(L"BUTTON", caption_, BS_RADIOBUTTON)) Show(value_);
}

void OptionButton::SetCaption(const std::wstring& caption) {
  caption_ = caption;
  if (hwnd_) SetWindowTextW(hwnd_, caption.c_str());
}

void OptionButton::Show(bool value) {
  if (hwnd_) SendMessageW(hwnd_, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionButton::SetValue(bool value) {
  if (value == value_) return;
  value_ = value;
  Show(value);
  if (!value) return;
  for (Control* c : form_.Controls()) {
    auto* other = dynamic_cast<OptionButton*>(c);
    if (other && other != this && other->Container() == Container() && other->value_) {
      other->value_ = false;
      other->Show(false);
    }
  }
  Raise(L"Click", OnClick);
}

bool OptionButton::HandleCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  SetValue(true);
  return true;
}

OptionButton::Args OptionButton::CurrentArgs() const {
  Args a;
  static_cast<ControlArgs&>(a) = BaseArgs();
  a.Caption = caption_;
  a.Value = false;  // a new element never takes the choice from its group
  return a;
}

Control& OptionButton::LoadClone(int index) const { return AddHiddenClone<OptionButton>(form_, CurrentArgs(), index); }

}  // namespace forms
