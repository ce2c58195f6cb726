// List box: rows of text with item data, single, simple or extended
// multiple selection, and optionally owner-drawn fixed-height rows whose
// drawing is the owner's (OnDrawItem here, or the form's own window
// procedure when it answers WM_DRAWITEM first), with or without any data of
// their own.
#pragma once
#include <vector>

#include "platform/forms/Control.h"

namespace forms {

struct ListBoxArgs : ControlArgs {
  int MultiSelect = 0;  // 0 none, 1 simple, 2 extended
  bool Sorted = false;
  bool OwnerDraw = false;
  // An owner-drawn box without strings keeps no text of its own: its rows are
  // drawn from the owner's data, AddItem's text is not stored and List is "".
  bool HasStrings = true;
  // An owner-drawn box without strings may keep no rows either (LBS_NODATA):
  // only their number, set at once with SetCount, however many; AddItem and
  // item data are then not available.
  bool NoData = false;
  int ItemHeight = 24;  // of owner-drawn rows
  bool IntegralHeight = false;
  int BorderStyle = 1;  // 0 none, 1 sunken
  // The scroll bar stays, disabled while every row is in view: rows coming
  // and going never change the box's frame.
  bool KeepScrollBar = false;
  ListBoxArgs() { BackColor = SysColor(COLOR_WINDOW); ForeColor = SysColor(COLOR_WINDOWTEXT); }
};

class ListBox : public Control {
 public:
  using Args = ListBoxArgs;
  ListBox(Form& form, const Args& args);

  int AddItem(const std::wstring& text, int index = -1);  // returns the row
  // Adds rows at the end with the list's drawing off, so many cost little.
  void AddItems(const std::vector<std::wstring>& texts);
  void RemoveItem(int index);
  void Clear();
  // The number of rows of a box without data, in one message.
  void SetCount(int count);
  int ListCount() const;
  std::wstring List(int index) const;
  void SetList(int index, const std::wstring& text);
  LPARAM ItemData(int index) const;
  void SetItemData(int index, LPARAM data);
  int ListIndex() const;  // -1 when none
  void SetListIndex(int index);
  bool Selected(int index) const;
  void SetSelected(int index, bool on);
  int SelCount() const;
  int TopIndex() const;
  void SetTopIndex(int index);
  int MultiSelect() const { return design_.MultiSelect; }
  bool OwnerDraw() const { return design_.OwnerDraw; }
  bool KeepsStrings() const;

  // Click on a change of selection, DblClick on a double click of a row.
  std::function<bool(const DRAWITEMSTRUCT& item)> OnDrawItem;  // true when drawn

  Args CurrentArgs() const;
  Control& LoadClone(int index) const override;

 protected:
  void Create() override;
  bool HandleCommand(WORD code) override;
  bool HandleDrawItem(DRAWITEMSTRUCT& item) override;
  bool HandleMeasureItem(MEASUREITEMSTRUCT& item) override;

 private:
  Args design_;
};

}  // namespace forms
