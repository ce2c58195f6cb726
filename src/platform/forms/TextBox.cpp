#include "platform/forms/TextBox.h"

#include "platform/forms/Form.h"
#include "platform/forms/FormsInternal.h"

namespace forms {

TextBox::TextBox(Form& form, const Args& args)
    : Control(form, ControlKind::TextBox, args), design_(args), locked_(args.Locked) {}

void TextBox::Create() {
  DWORD style = design_.MultiLine ? ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN : ES_AUTOHSCROLL;
  if (design_.ScrollBars & 1) style |= WS_HSCROLL | ES_AUTOHSCROLL;
  if (design_.ScrollBars & 2) style |= WS_VSCROLL;
  if (locked_) style |= ES_READONLY;
  if (design_.PasswordChar) style |= ES_PASSWORD;
  if (!CreateChild(L"EDIT", design_.Text, style, design_.BorderStyle ? WS_EX_CLIENTEDGE : 0)) return;
  if (design_.PasswordChar) SendMessageW(hwnd_, EM_SETPASSWORDCHAR, design_.PasswordChar, 0);
  if (design_.MaxLength > 0) SendMessageW(hwnd_, EM_SETLIMITTEXT, design_.MaxLength, 0);
}

std::wstring TextBox::Text() const {
  if (!hwnd_) return design_.Text;
  return WindowText(hwnd_);
}

void TextBox::SetText(const std::wstring& text) {
  if (!hwnd_) {
    design_.Text = text;
    return;
  }
  SetWindowTextW(hwnd_, text.c_str());  // the edit control reports the change (Change)
}

int TextBox::SelStart() const {
  DWORD start = 0, end = 0;
  if (hwnd_) SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

int TextBox::SelLength() const {
  DWORD start = 0, end = 0;
  if (hwnd_) SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TextBox::SetSel(int start, int length) {
  if (hwnd_) SendMessageW(hwnd_, EM_SETSEL, start, start + length);
}

void TextBox::SetLocked(bool on) {
  locked_ = on;
  if (hwnd_) SendMessageW(hwnd_, EM_SETREADONLY, on, 0);
}

bool TextBox::KeepsKey(UINT key) const { return key == VK_RETURN && design_.MultiLine; }

bool TextBox::HandleCommand(WORD code) {
  if (code != EN_CHANGE) return false;
  Raise(L"Change", OnChange);
  return true;
}

bool TextBox::RaiseValidate() {
  bool cancel = false;
  Raise(L"Validate", OnValidate, cancel);
  return !cancel;
}

TextBox::Args TextBox::CurrentArgs() const {
  Args a = design_;
  static_cast<ControlArgs&>(a) = BaseArgs();
  a.Text = Text();
  a.Locked = locked_;
  return a;
}

Control& TextBox::LoadClone(int index) const { return AddHiddenClone<TextBox>(form_, CurrentArgs(), index); }

}  // namespace forms
