#include "platform/forms/Menu.h"

#include <algorithm>
#include <cwctype>

#include "base/TextConv.h"
#include "platform/forms/Form.h"
#include "platform/forms/FormsInternal.h"

namespace forms {

namespace {

UINT NamedKey(const std::wstring& name) {
  if (name.size() == 1) {
    const wchar_t c = UpperAscii(name[0]);
    if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) return c;
    return 0;
  }
  if ((name[0] == L'F' || name[0] == L'f') && name.size() <= 3 && std::iswdigit(name[1]) &&
      (name.size() == 2 || std::iswdigit(name[2]))) {
    int n = _wtoi(name.c_str() + 1);
    return n >= 1 && n <= 24 ? static_cast<UINT>(VK_F1 + n - 1) : 0;
  }
  static const struct {
    const wchar_t* name;
    UINT key;
  } kKeys[] = {{L"Del", VK_DELETE},       {L"Delete", VK_DELETE}, {L"Ins", VK_INSERT},      {L"Insert", VK_INSERT},
               {L"Enter", VK_RETURN},     {L"Return", VK_RETURN}, {L"Esc", VK_ESCAPE},      {L"Escape", VK_ESCAPE},
               {L"Tab", VK_TAB},          {L"Space", VK_SPACE},   {L"Bksp", VK_BACK},       {L"Backspace", VK_BACK},
               {L"Home", VK_HOME},        {L"End", VK_END},       {L"PgUp", VK_PRIOR},      {L"PageUp", VK_PRIOR},
               {L"PgDn", VK_NEXT},        {L"PageDown", VK_NEXT}, {L"Up", VK_UP},           {L"Down", VK_DOWN},
               {L"Left", VK_LEFT},        {L"Right", VK_RIGHT},   {L"Pause", VK_PAUSE}};
  for (const auto& k : kKeys)
    if (EqualNoCase(name, k.name)) return k.key;
  return 0;
}

}  // namespace

bool ParseShortcut(const std::wstring& text, UINT& key, int& shift) {
  key = 0;
  shift = 0;
  size_t start = 0;
  for (;;) {
    size_t plus = text.find(L'+', start);
    std::wstring part = text.substr(start, plus == std::wstring::npos ? std::wstring::npos : plus - start);
    if (plus == std::wstring::npos) {
      if (part.empty()) return false;
      key = NamedKey(part);
      return key != 0;
    }
    if (EqualNoCase(part, L"Ctrl"))
      shift |= vbCtrlMask;
    else if (EqualNoCase(part, L"Shift"))
      shift |= vbShiftMask;
    else if (EqualNoCase(part, L"Alt"))
      shift |= vbAltMask;
    else
      return false;
    start = plus + 1;
  }
}

Menu::Menu(Form& form, const Args& args)
    : Control(form, ControlKind::Menu, args),
      caption_(args.Caption),
      shortcut_(args.Shortcut),
      checked_(args.Checked),
      parent_(args.Parent) {
  form_.Enlist(this);
  ReadShortcut();
}

void Menu::ReadShortcut() {
  size_t tab = caption_.find(L'\t');
  const std::wstring text = !shortcut_.empty() ? shortcut_ : tab != std::wstring::npos ? caption_.substr(tab + 1) : L"";
  if (IsSeparator() || !ParseShortcut(text, shortcutKey_, shortcutShift_)) {
    shortcutKey_ = 0;
    shortcutShift_ = 0;
  }
}

std::wstring Menu::NativeText() const { return shortcut_.empty() ? caption_ : caption_ + L"\t" + shortcut_; }

Menu::~Menu() {
  form_.Delist(this);
  RemoveNative();
  if (parent_)
    parent_->RemoveChild(this);
  else {
    auto& top = form_.TopMenus();
    top.erase(std::remove(top.begin(), top.end(), this), top.end());
  }
  if (sub_) DestroyMenu(sub_);
}

void Menu::Create() {
  id_ = form_.NextMenuId();
  // An element of a menu array follows the array's last element.
  std::vector<Menu*>& siblings = parent_ ? parent_->items_ : form_.TopMenus();
  Menu* after = nullptr;
  if (index_ >= 0)
    for (Menu* m : siblings)
      if (m->index_ >= 0 && _wcsicmp(m->name_.c_str(), name_.c_str()) == 0) after = m;
  if (parent_) {
    parent_->AddChild(this, after);
  } else {
    if (!form_.menuBar_) form_.menuBar_ = CreateMenu();
    auto it = after ? std::find(siblings.begin(), siblings.end(), after) + 1 : siblings.end();
    siblings.insert(it, this);
  }
  InsertNative();
}

void Menu::AddChild(Menu* child, Menu* after) {
  auto it = after ? std::find(items_.begin(), items_.end(), after) + 1 : items_.end();
  items_.insert(it, child);
  EnsureSubMenu();
}

void Menu::RemoveChild(Menu* child) { items_.erase(std::remove(items_.begin(), items_.end(), child), items_.end()); }

void Menu::EnsureSubMenu() {
  if (sub_) return;
  sub_ = CreatePopupMenu();
  if (inserted_) {
    MENUITEMINFOW mii{sizeof(mii)};
    mii.fMask = MIIM_SUBMENU;
    mii.hSubMenu = sub_;
    SetMenuItemInfoW(OwnerMenu(), static_cast<UINT>(Position()), TRUE, &mii);
    if (!parent_ && form_.hWnd()) DrawMenuBar(form_.hWnd());
  }
}

HMENU Menu::OwnerMenu() const { return parent_ ? parent_->sub_ : form_.menuBar_; }

bool Menu::Shown() const { return visible_ && OwnerMenu() != nullptr; }

int Menu::Position() const {
  if (!inserted_) return -1;
  const std::vector<Menu*>& siblings = parent_ ? parent_->items_ : form_.topMenus_;
  int pos = 0;
  for (Menu* m : siblings) {
    if (m == this) return pos;
    if (m->inserted_) ++pos;
  }
  return -1;
}

void Menu::InsertNative() {
  if (inserted_ || !Shown()) return;
  const std::vector<Menu*>& siblings = parent_ ? parent_->items_ : form_.topMenus_;
  UINT pos = 0;
  for (Menu* m : siblings) {
    if (m == this) break;
    if (m->inserted_) ++pos;
  }
  MENUITEMINFOW mii{sizeof(mii)};
  mii.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | (IsSeparator() ? 0 : MIIM_STRING) | (sub_ ? MIIM_SUBMENU : 0);
  mii.fType = IsSeparator() ? MFT_SEPARATOR : MFT_STRING;
  mii.fState = (checked_ ? MFS_CHECKED : 0) | (enabled_ ? 0 : MFS_GRAYED);
  mii.wID = id_;
  mii.hSubMenu = sub_;
  std::wstring text = NativeText();
  mii.dwTypeData = text.data();
  if (!InsertMenuItemW(OwnerMenu(), pos, TRUE, &mii)) return;
  inserted_ = true;
  if (!parent_) form_.ShowMenuBar();
}

void Menu::RemoveNative() {
  if (!inserted_) return;
  int pos = Position();
  inserted_ = false;
  if (pos >= 0 && OwnerMenu()) RemoveMenu(OwnerMenu(), static_cast<UINT>(pos), MF_BYPOSITION);
  if (!parent_) form_.ShowMenuBar();
}

void Menu::UpdateNative() {
  if (!inserted_) return;
  UINT pos = static_cast<UINT>(Position());
  MENUITEMINFOW cur{sizeof(cur)};
  cur.fMask = MIIM_FTYPE | MIIM_STATE;
  if (!GetMenuItemInfoW(OwnerMenu(), pos, TRUE, &cur)) return;
  MENUITEMINFOW mii{sizeof(mii)};
  mii.fMask = MIIM_FTYPE | MIIM_STATE | (IsSeparator() ? 0 : MIIM_STRING);
  mii.fType = (cur.fType & ~MFT_SEPARATOR) | (IsSeparator() ? MFT_SEPARATOR : 0);
  mii.fState = (cur.fState & ~(MFS_CHECKED | MFS_GRAYED | MFS_DISABLED)) | (checked_ ? MFS_CHECKED : 0) |
               (enabled_ ? 0 : MFS_GRAYED);
  std::wstring text = NativeText();
  mii.dwTypeData = text.data();
  SetMenuItemInfoW(OwnerMenu(), pos, TRUE, &mii);
  if (!parent_ && form_.hWnd()) DrawMenuBar(form_.hWnd());
}

void Menu::SetCaption(const std::wstring& caption) {
  caption_ = caption;
  ReadShortcut();
  UpdateNative();
}

void Menu::SetChecked(bool on) {
  checked_ = on;
  UpdateNative();
}

void Menu::SetEnabled(bool enabled) {
  enabled_ = enabled;
  UpdateNative();
}

void Menu::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (visible)
    InsertNative();
  else
    RemoveNative();
}

Menu::Args Menu::CurrentArgs() const {
  Args a;
  static_cast<ControlArgs&>(a) = BaseArgs();
  a.Caption = caption_;
  a.Shortcut = shortcut_;
  a.Checked = checked_;
  a.Parent = parent_;
  return a;
}

Control& Menu::LoadClone(int index) const { return AddHiddenClone<Menu>(form_, CurrentArgs(), index); }

}  // namespace forms
