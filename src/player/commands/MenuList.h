// A list shown as a menu array of the main window (the recent files in the
// File menu, the favourite folders in the Browser menu): what the list wants
// shown, and showing it on the array. Element 0 is the design-time item and
// stays; the list takes elements 0 to n - 1 and no other element stays loaded.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace forms {
class Form;
}

namespace player {

struct MenuListItem {
  std::wstring Caption;  // as the menu shows it ("&&" for one "&")
  std::wstring Tag;      // the full path
  bool Enabled = true;
};

struct MenuListState {
  bool SeparatorVisible = true;
  // Element 0 while the list is empty: its placeholder, shown or hidden.
  std::wstring Placeholder;
  bool PlaceholderVisible = false;
  std::vector<MenuListItem> Items;
};

// A path shortened to a width (the window's FitText).
using FitPath = std::function<std::wstring(const std::wstring& path, long width)>;

// A menu caption that shows the text as it stands: every "&" doubled.
std::wstring MenuCaptionOf(const std::wstring& text);

// Shows the state on the form's menu array (and its separator, when named).
void ShowMenuList(forms::Form& form, const std::wstring& arrayName, const std::wstring& separatorName,
                  const MenuListState& state);

}  // namespace player
