#include "platform/forms/CheckBox.h"

#include "platform/forms/Form.h"
#include "platform/forms/FormsInternal.h"

namespace forms {

CheckBox::CheckBox(Form& form, const Args& args)
    : Control(form, ControlKind::CheckBox, args), caption_(args.Caption), value_(args.Value) {}

void CheckBox::Create() {
  // The three-state style shows the greyed value; clicks toggle 0 and 1 here.
  if (CreateChild(L"BUTTON", caption_, BS_3STATE)) SendMessageW(hwnd_, BM_SETCHECK, value_, 0);
}

void CheckBox::SetCaption(const std::wstring& caption) {
  caption_ = caption;
  if (hwnd_) SetWindowTextW(hwnd_, caption.c_str());
}

int CheckBox::Value() const { return value_; }

void CheckBox::SetValue(int value) {
  if (value < vbUnchecked || value > vbGrayed || value == value_) return;
  value_ = value;
  if (hwnd_) SendMessageW(hwnd_, BM_SETCHECK, value, 0);
  Raise(L"Click", OnClick);
}

bool CheckBox::HandleCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  SetValue(value_ == vbChecked ? vbUnchecked : vbChecked);
  return true;
}

CheckBox::Args CheckBox::CurrentArgs() const {
  Args a;
  static_cast<ControlArgs&>(a) = BaseArgs();
  a.Caption = caption_;
  a.Value = value_;
  return a;
}

Control& CheckBox::LoadClone(int index) const { return AddHiddenClone<CheckBox>(form_, CurrentArgs(), index); }

}  // namespace forms
