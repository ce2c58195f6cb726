#include "platform/forms/CommandButton.h"

#include "platform/forms/Form.h"
#include "platform/forms/FormsInternal.h"

namespace forms {

CommandButton::CommandButton(Form& form, const Args& args)
    : Control(form, ControlKind::CommandButton, args),
      caption_(args.Caption),
      default_(args.Default),
      cancel_(args.Cancel) {}

void CommandButton::Create() {
  CreateChild(L"BUTTON", caption_, default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
  if (default_) SetDefault(true);
}

void CommandButton::SetCaption(const std::wstring& caption) {
  caption_ = caption;
  if (hwnd_) SetWindowTextW(hwnd_, caption.c_str());
}

void CommandButton::SetDefault(bool on) {
  if (on) {
    for (Control* c : form_.Controls()) {
      auto* b = dynamic_cast<CommandButton*>(c);
      if (b && b != this && b->default_) b->SetDefault(false);
    }
  }
  default_ = on;
  if (hwnd_) SendMessageW(hwnd_, BM_SETSTYLE, on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

bool CommandButton::HandleCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  PerformClick();
  return true;
}

CommandButton::Args CommandButton::CurrentArgs() const {
  Args a;
  static_cast<ControlArgs&>(a) = BaseArgs();
  a.Caption = caption_;
  a.Default = false;
  a.Cancel = cancel_;
  return a;
}

Control& CommandButton::LoadClone(int index) const {
  return AddHiddenClone<CommandButton>(form_, CurrentArgs(), index);
}

}  // namespace forms
