#include "player/commands/MenuList.h"

#include "platform/forms/Form.h"
#include "platform/forms/Menu.h"

namespace player {

std::wstring MenuCaptionOf(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + 2);
  for (wchar_t c : text) {
    if (c == L'&') out += L'&';
    out += c;
  }
  return out;
}

void ShowMenuList(forms::Form& form, const std::wstring& arrayName, const std::wstring& separatorName,
                  const MenuListState& state) {
  forms::ControlArray<forms::Menu>& items = form.Array<forms::Menu>(arrayName);
  // Every element above 0 goes first, so none of an earlier list stays behind.
  for (forms::Menu* m : items.Elements())
    if (m->Index() > 0) items.Unload(m->Index());
  if (!items.Exists(0)) return;
  forms::Menu& zero = items[0];
  if (state.Items.empty()) {
    zero.SetCaption(state.Placeholder);
    zero.SetTag(L"");
    zero.SetEnabled(false);
    zero.SetVisible(state.PlaceholderVisible);
  }
  for (size_t i = 0; i < state.Items.size(); ++i) {
    forms::Menu& m = i == 0 ? zero : items.Load(static_cast<int>(i));
    m.SetCaption(state.Items[i].Caption);
    m.SetTag(state.Items[i].Tag);
    m.SetEnabled(state.Items[i].Enabled);
    m.SetVisible(true);
  }
  if (!separatorName.empty())
    if (forms::Menu* separator = form.FindMenu(separatorName)) separator->SetVisible(state.SeparatorVisible);
}

}  // namespace player
