#include "platform/forms/ComboBox.h"

#include "platform/forms/Form.h"
#include "platform/forms/FormsInternal.h"

namespace forms {

ComboBox::ComboBox(Form& form, const Args& args) : Control(form, ControlKind::ComboBox, args), design_(args) {}

void ComboBox::Create() {
  DWORD style = (design_.Style == 2 ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL) | WS_VSCROLL;
  if (design_.Sorted) style |= CBS_SORT;
  int closed = height_;
  height_ = design_.DropDownHeight;
  if (!CreateChild(L"COMBOBOX", L"", style)) {
    height_ = closed;
    return;
  }
  RECT r;
  GetWindowRect(hwnd_, &r);
  height_ = r.bottom - r.top;
  if (design_.Style != 2 && !design_.Text.empty()) SetWindowTextW(hwnd_, design_.Text.c_str());
  // Keys and mouse typed into the edit field are the combo box's.
  COMBOBOXINFO info{sizeof(info)};
  if (design_.Style != 2 && GetComboBoxInfo(hwnd_, &info) && info.hwndItem && info.hwndItem != hwnd_)
    ControlAccess::SubclassChild(*this, info.hwndItem);
}

void ComboBox::Move(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width < 0 ? 0 : width;
  if (!hwnd_) {
    height_ = height;
    return;
  }
  MoveWindow(hwnd_, left, top, width_, design_.DropDownHeight, TRUE);
  RECT r;
  GetWindowRect(hwnd_, &r);
  height_ = r.bottom - r.top;
}

int ComboBox::AddItem(const std::wstring& text, int index) {
  if (!hwnd_) return -1;
  LRESULT row = index < 0 ? SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()))
                          : SendMessageW(hwnd_, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
  return row < 0 ? -1 : static_cast<int>(row);
}

void ComboBox::RemoveItem(int index) {
  if (hwnd_) SendMessageW(hwnd_, CB_DELETESTRING, index, 0);
}

void ComboBox::Clear() {
  if (hwnd_) SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
}

int ComboBox::ListCount() const { return hwnd_ ? static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)) : 0; }

std::wstring ComboBox::List(int index) const {
  if (!hwnd_) return {};
  LRESULT n = SendMessageW(hwnd_, CB_GETLBTEXTLEN, index, 0);
  if (n == CB_ERR) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = SendMessageW(hwnd_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(n == CB_ERR ? 0 : static_cast<size_t>(n));
  return text;
}

LPARAM ComboBox::ItemData(int index) const {
  if (!hwnd_) return 0;
  LRESULT v = SendMessageW(hwnd_, CB_GETITEMDATA, index, 0);
  return v == CB_ERR ? 0 : v;
}

void ComboBox::SetItemData(int index, LPARAM data) {
  if (hwnd_) SendMessageW(hwnd_, CB_SETITEMDATA, index, data);
}

int ComboBox::ListIndex() const {
  if (!hwnd_) return -1;
  LRESULT i = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
  return i == CB_ERR ? -1 : static_cast<int>(i);
}

void ComboBox::SetListIndex(int index) {
  if (!hwnd_) return;
  SendMessageW(hwnd_, CB_SETCURSEL, index, 0);
  Raise(L"Click", OnClick);
}

std::wstring ComboBox::Text() const {
  if (!hwnd_) return design_.Text;
  if (design_.Style == 2) return List(ListIndex());
  return WindowText(hwnd_);
}

void ComboBox::SetText(const std::wstring& text) {
  if (!hwnd_) {
    design_.Text = text;
    return;
  }
  if (design_.Style == 2) {
    LRESULT i = SendMessageW(hwnd_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (i != CB_ERR) SetListIndex(static_cast<int>(i));
    return;
  }
  SetWindowTextW(hwnd_, text.c_str());
  Raise(L"Change", OnChange);
}

bool ComboBox::KeepsKey(UINT key) const {
  return (key == VK_RETURN || key == VK_ESCAPE) && hwnd_ && SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0);
}

bool ComboBox::HandleCommand(WORD code) {
  if (code == CBN_SELCHANGE) {
    Raise(L"Click", OnClick);
    return true;
  }
  if (code == CBN_EDITCHANGE) {
    Raise(L"Change", OnChange);
    return true;
  }
  return false;
}

bool ComboBox::RaiseValidate() {
  bool cancel = false;
  Raise(L"Validate", OnValidate, cancel);
  return !cancel;
}

ComboBox::Args ComboBox::CurrentArgs() const {
  Args a = design_;
  static_cast<ControlArgs&>(a) = BaseArgs();
  a.Text = Text();
  return a;
}

Control& ComboBox::LoadClone(int index) const { return AddHiddenClone<ComboBox>(form_, CurrentArgs(), index); }

}  // namespace forms
