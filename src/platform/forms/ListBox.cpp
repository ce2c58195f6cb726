#include "platform/forms/ListBox.h"

#include "platform/forms/Form.h"
#include "platform/forms/FormsInternal.h"

namespace forms {

ListBox::ListBox(Form& form, const Args& args) : Control(form, ControlKind::ListBox, args), design_(args) {}

void ListBox::Create() {
  DWORD style = LBS_NOTIFY | WS_VSCROLL;
  if (design_.Sorted) style |= LBS_SORT;
  if (design_.MultiSelect == 1) style |= LBS_MULTIPLESEL;
  if (design_.MultiSelect == 2) style |= LBS_EXTENDEDSEL;
  if (design_.OwnerDraw) style |= LBS_OWNERDRAWFIXED | (design_.HasStrings ? LBS_HASSTRINGS : 0);
  if (design_.OwnerDraw && !design_.HasStrings && !design_.Sorted && design_.NoData) style |= LBS_NODATA;
  if (!design_.IntegralHeight) style |= LBS_NOINTEGRALHEIGHT;
  if (design_.KeepScrollBar) style |= LBS_DISABLENOSCROLL;
  CreateChild(L"LISTBOX", L"", style, design_.BorderStyle ? WS_EX_CLIENTEDGE : 0);
}

bool ListBox::KeepsStrings() const { return !design_.OwnerDraw || design_.HasStrings; }

int ListBox::AddItem(const std::wstring& text, int index) {
  if (!hwnd_) return -1;
  // Without strings the row's data is what the box keeps: 0 for a new row.
  const LPARAM data = KeepsStrings() ? reinterpret_cast<LPARAM>(text.c_str()) : 0;
  LRESULT row = index < 0 ? SendMessageW(hwnd_, LB_ADDSTRING, 0, data) : SendMessageW(hwnd_, LB_INSERTSTRING, index, data);
  return row < 0 ? -1 : static_cast<int>(row);
}

void ListBox::AddItems(const std::vector<std::wstring>& texts) {
  if (!hwnd_ || texts.empty()) return;
  size_t bytes = 0;
  for (const std::wstring& t : texts) bytes += (t.size() + 1) * sizeof(wchar_t);
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd_, LB_INITSTORAGE, texts.size(), static_cast<LPARAM>(bytes));
  for (const std::wstring& t : texts) SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ListBox::RemoveItem(int index) {
  if (hwnd_) SendMessageW(hwnd_, LB_DELETESTRING, index, 0);
}

void ListBox::Clear() {
  if (hwnd_) SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
}

void ListBox::SetCount(int count) {
  if (hwnd_ && count >= 0) SendMessageW(hwnd_, LB_SETCOUNT, static_cast<WPARAM>(count), 0);
}

int ListBox::ListCount() const { return hwnd_ ? static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)) : 0; }

std::wstring ListBox::List(int index) const {
  if (!hwnd_ || !KeepsStrings()) return {};
  LRESULT n = SendMessageW(hwnd_, LB_GETTEXTLEN, index, 0);
  if (n == LB_ERR) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = SendMessageW(hwnd_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(n == LB_ERR ? 0 : static_cast<size_t>(n));
  return text;
}

void ListBox::SetList(int index, const std::wstring& text) {
  if (index < 0 || index >= ListCount() || !KeepsStrings()) return;
  bool sel = Selected(index);
  LPARAM data = ItemData(index);
  RemoveItem(index);
  SendMessageW(hwnd_, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
  SetItemData(index, data);
  if (sel) SendMessageW(hwnd_, design_.MultiSelect ? LB_SETSEL : LB_SETCURSEL,
                        design_.MultiSelect ? TRUE : index, design_.MultiSelect ? index : 0);
}

LPARAM ListBox::ItemData(int index) const {
  if (!hwnd_) return 0;
  LRESULT v = SendMessageW(hwnd_, LB_GETITEMDATA, index, 0);
  return v == LB_ERR ? 0 : v;
}

void ListBox::SetItemData(int index, LPARAM data) {
  if (hwnd_) SendMessageW(hwnd_, LB_SETITEMDATA, index, data);
}

int ListBox::ListIndex() const {
  if (!hwnd_) return -1;
  if (design_.MultiSelect) {
    if (SelCount() == 0) return -1;
    return static_cast<int>(SendMessageW(hwnd_, LB_GETCARETINDEX, 0, 0));
  }
  LRESULT i = SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
  return i == LB_ERR ? -1 : static_cast<int>(i);
}

void ListBox::SetListIndex(int index) {
  if (!hwnd_) return;
  if (design_.MultiSelect) {
    if (index >= 0) {
      SendMessageW(hwnd_, LB_SETSEL, TRUE, index);
      SendMessageW(hwnd_, LB_SETCARETINDEX, index, FALSE);
    }
  } else {
    SendMessageW(hwnd_, LB_SETCURSEL, index, 0);
  }
  Raise(L"Click", OnClick);
}

bool ListBox::Selected(int index) const {
  return hwnd_ && SendMessageW(hwnd_, LB_GETSEL, index, 0) > 0;
}

void ListBox::SetSelected(int index, bool on) {
  if (!hwnd_) return;
  if (design_.MultiSelect) {
    SendMessageW(hwnd_, LB_SETSEL, on, index);
  } else if (on) {
    SendMessageW(hwnd_, LB_SETCURSEL, index, 0);
  } else if (ListIndex() == index) {
    SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  }
}

int ListBox::SelCount() const {
  if (!hwnd_) return 0;
  if (!design_.MultiSelect) return ListIndex() >= 0 ? 1 : 0;
  LRESULT n = SendMessageW(hwnd_, LB_GETSELCOUNT, 0, 0);
  return n == LB_ERR ? 0 : static_cast<int>(n);
}

int ListBox::TopIndex() const { return hwnd_ ? static_cast<int>(SendMessageW(hwnd_, LB_GETTOPINDEX, 0, 0)) : 0; }

void ListBox::SetTopIndex(int index) {
  if (hwnd_) SendMessageW(hwnd_, LB_SETTOPINDEX, index, 0);
}

bool ListBox::HandleCommand(WORD code) {
  if (code == LBN_SELCHANGE) {
    Raise(L"Click", OnClick);
    return true;
  }
  if (code == LBN_DBLCLK) {
    Raise(L"DblClick", OnDblClick);
    return true;
  }
  return false;
}

bool ListBox::HandleMeasureItem(MEASUREITEMSTRUCT& item) {
  if (!design_.OwnerDraw) return false;
  item.itemHeight = static_cast<UINT>(design_.ItemHeight);
  return true;
}

bool ListBox::HandleDrawItem(DRAWITEMSTRUCT& item) {
  if (!design_.OwnerDraw) return false;
  bool drawn = false;
  if (OnDrawItem) {
    try {
      drawn = OnDrawItem(item);
    } catch (...) {
      ReportFault(L"DrawItem", L"exception");
    }
  }
  if (drawn) return true;
  // Plain rows: the text on the window or highlight colour.
  bool selected = (item.itemState & ODS_SELECTED) != 0;
  HBRUSH brush = GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  FillRect(item.hDC, &item.rcItem, brush);
  if (static_cast<int>(item.itemID) >= 0) {
    std::wstring text = List(static_cast<int>(item.itemID));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT r = item.rcItem;
    r.left += 4;
    DrawTextW(item.hDC, text.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
  return true;
}

ListBox::Args ListBox::CurrentArgs() const {
  Args a = design_;
  static_cast<ControlArgs&>(a) = BaseArgs();
  return a;
}

Control& ListBox::LoadClone(int index) const { return AddHiddenClone<ListBox>(form_, CurrentArgs(), index); }

}  // namespace forms
