// The main window's menus and keys: every menu item's Click wired to its
// command, the pop-up menus, the global hot keys and handy keys, the skin's
// picture buttons, the owner-drawn menus' icons, and the window as the
// commands' host.
#include <windows.h>
#include <wininet.h>  // before shlobj.h: the desktop object's declarations need it
#include <shlobj.h>
#include <shlwapi.h>

#include "base/ErrorLog.h"
#include "player/window/CommandHostAdaptor.h"
#include "player/commands/HotKeys.h"
#include "player/window/PlaylistHostAdaptor.h"
#include "player/commands/MenuCommands.h"
#include "player/commands/MenuIconMap.h"
#include "player/commands/PopupMenus.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "services/Tips.h"
#include "ui/HookEvents.h"
#include "ui/LanguageForms.h"
#include "ui/OwnerDrawn.h"
#include "ui/Window.h"
#include "ui/frmRename.h"

namespace player {
namespace {

// The focus is in a text box (an edit box, or the edit field of a combo box):
// the keys typed there edit it.
bool FocusInEditBox() {
  wchar_t name[16] = {};
  HWND focus = GetFocus();
  return focus && GetClassNameW(focus, name, 16) && _wcsicmp(name, L"Edit") == 0;
}

}  // namespace

// ---------------------------------------------------------------- wiring

void PlayerWindow::WireCommands() {
  // Every item runs its command by name; the elements of the menu lists
  // (loaded later) get the same wiring.
  auto wire = [this](forms::Menu& item) {
    item.OnClick = [this, &item] { RunMenuCommand(*commands_, item.Name(), item.Index()); };
  };
  for (forms::Control* c : Controls()) {
    auto* m = dynamic_cast<forms::Menu*>(c);
    if (m && m->Items().empty() && !m->IsSeparator() && HasMenuCommand(m->Name())) wire(*m);
  }
  for (const wchar_t* list : {L"mnuMRU", L"mnuFavList", L"mnuLangList"}) Array<forms::Menu>(list).Wire(wire);
  Array<forms::PictureBox>(L"PIC").Wire([this](forms::PictureBox& pic) {
    pic.OnClick = [this, &pic] { PIC_Click(pic.Index()); };
  });
  OnKeyDown = [this](int& keyCode, int shift) { Form_KeyDown(keyCode, shift); };
}

void PlayerWindow::Form_KeyDown(int& keyCode, int shift) {
  // Keys typed in a text box edit it (the menu shortcuts leave them there too).
  if (FocusInEditBox()) return;
  // The movie's own window hands its keys over itself.
  if (swf_ && GetFocus() == swf_->hWnd()) return;
  const bool edits = EditingHotKeyId(static_cast<UINT>(keyCode), shift) >= 0;
  HandyAction(keyCode);
  if (edits) keyCode = 0;  // taken, as a system-wide hot key would be
}

// ---------------------------------------------------------------- operations

void PlayerWindow::ShowPopUp(bool overPlaylist, bool rootSWF) { player::ShowPopUp(*commands_, overPlaylist, rootSWF); }

void PlayerWindow::HandyAction(int keyCode) {
  // The editing combinations are not system-wide: the window takes them here.
  if (const int id = EditingHotKeyId(static_cast<UINT>(keyCode), forms::ShiftState()); id >= 0) {
    HotKeyAction(id);
    return;
  }
  player::HandyAction(*commands_, HiddenMenuBar, keyCode);
}

void PlayerWindow::HotKeyAction(long id) { player::HotKeyAction(*commands_, id); }

void PlayerWindow::RegisterHotKeys() {
  if (!RunningCompiled || !hooked_) return;
  // Registered again at every activation: the window's own earlier ones go first.
  for (int id = 0; id < kHotKeyCount; ++id) formX_.DelHotKey(static_cast<short>(id));
  player::RegisterHotKeys([this](int id, UINT modifiers, UINT key) {
    formX_.AddHotKey(static_cast<short>(id), static_cast<short>(modifiers), static_cast<short>(key));
  });
}

void PlayerWindow::UnregisterHotKeys() {
  if (!RunningCompiled || !hooked_) return;
  player::UnregisterHotKeys([this](int id) { formX_.DelHotKey(static_cast<short>(id)); });
}

void PlayerWindow::PIC_Click(int index) {
  if (auto* pic = Find<forms::PictureBox>(L"PIC", index)) player::PIC_Click(*commands_, pic->Tag());
}

void PlayerWindow::AssignMenus() {
  InstallOwnerDrawHooks(formX_.OwnerDraw, menuTexts_);
  formX_.OwnerDraw.DrawMenuItem = [this](HWND window, DRAWITEMSTRUCT& item) {
    DrawMenuItem(menuTexts_, window, item, NotActive);
  };
  InitMenuCaptionCache();
  menuTexts_ = MenuTexts{};
  // The icons first: making the bar owner-drawn draws it again at once.
  menuTexts_.Icons = MenuIconMap(
      [this](const std::wstring& item, int index) {
        forms::Menu* m = MenuItem(item, index);
        return m ? m->Caption() : std::wstring();
      },
      [this](const std::wstring& array) { return Array<forms::Menu>(array).UBound(); });
  MakeMenuBarOwnerDrawn(menuTexts_, *this);
}

void PlayerWindow::SetVisual() {
  ApplyLanguage(*this);
  ShowRecentMenu();
  ShowFavoritesMenu();
  if (RunningCompiled) AssignMenus();
}

// ---------------------------------------------------------------- the window as the commands' host

std::wstring PlayerWindow::CommandHostAdaptor::MenuTag(const std::wstring& item, int index) const {
  forms::Menu* m = w_.MenuItem(item, index);
  return m ? m->Tag() : std::wstring();
}

int PlayerWindow::CommandHostAdaptor::MenuUpperBound(const std::wstring& array) const {
  return w_.Array<forms::Menu>(array).UBound();
}

void PlayerWindow::CommandHostAdaptor::ShowMenu(const std::wstring& menu, const std::wstring& defaultItem) {
  forms::Menu* top = w_.MenuItem(menu);
  if (!top || !top->SubMenu() || !w_.IsLoaded()) return;
  const HMENU popup = top->SubMenu();
  forms::Menu* bold = defaultItem.empty() ? nullptr : w_.MenuItem(defaultItem);
  const int position = bold && bold->Parent() == top ? bold->Position() : -1;
  SetMenuDefaultItem(popup, position >= 0 ? static_cast<UINT>(position) : static_cast<UINT>(-1), TRUE);
  w_.PopupMenu(*top);
  SetMenuDefaultItem(popup, static_cast<UINT>(-1), TRUE);
}

void PlayerWindow::CommandHostAdaptor::SetTopMost(bool on) {
  if (w_.IsLoaded()) ::SetTopMost(w_.hWnd(), on);
}

void PlayerWindow::CommandHostAdaptor::StepFrame(int direction) {
  if (!w_.swf_) return;
  if (direction > 0)
    w_.swf_->Forward();
  else
    w_.swf_->Back();
}

void PlayerWindow::CommandHostAdaptor::SwitchLanguage(int index) {
  CurLang = index;
  LoadLanguageAndTips();
  w_.SetVisual();
}

void PlayerWindow::CommandHostAdaptor::ShowTipIfEnabled(bool show) {
  w_.SetChecked(L"mnuTips", show);
  w_.Unavailable(L"ShowTipIfEnabled");
}

int PlayerWindow::CommandHostAdaptor::PlaylistSelected() const { return w_.Lists().CurrentRow(); }

std::wstring PlayerWindow::CommandHostAdaptor::PlaylistPath(int index) const {
  const std::vector<std::wstring>& items = w_.PlaylistItems();
  return index >= 0 && index < static_cast<int>(items.size()) ? items[static_cast<size_t>(index)] : std::wstring();
}

std::wstring PlayerWindow::CommandHostAdaptor::TakePicture(bool forWallpaper) { return w_.TakePicture(forWallpaper); }

void PlayerWindow::CommandHostAdaptor::SetWallpaper(const std::wstring& picture) {
  // The desktop's own object where the shell has one; the plain wallpaper setting otherwise.
  IActiveDesktop* desktop = nullptr;
  bool done = false;
  if (SUCCEEDED(CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveDesktop,
                                 reinterpret_cast<void**>(&desktop))) &&
      desktop) {
    done = SUCCEEDED(desktop->SetWallpaper(picture.c_str(), 0)) && SUCCEEDED(desktop->ApplyChanges(AD_APPLY_ALL));
    desktop->Release();
  }
  if (!done)
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(picture.c_str()),
                          SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

void PlayerWindow::CommandHostAdaptor::OpenHelpPage(const std::wstring& topic) { ::OpenHelpPage(topic); }

bool PlayerWindow::CommandHostAdaptor::ShellExecute(const std::wstring& target, const std::wstring& verb) {
  return ::ShellOpen(target, verb) > 32;
}

bool PlayerWindow::CommandHostAdaptor::ShellDelete(const std::wstring& path) { return ::ShellDelete(path, true); }

bool PlayerWindow::CommandHostAdaptor::ShellCopyMove(const std::vector<std::wstring>& files, const std::wstring& folder,
                                               bool move) {
  return ::ShellCopyMove(files, folder, move, true);
}

bool PlayerWindow::CommandHostAdaptor::ShellRename(const std::wstring& from, const std::wstring& to) {
  // Never over an existing file or folder (a folder of that name would take the item in).
  if (!MoveFileExW(from.c_str(), to.c_str(), 0)) {
    WriteLog(L"Not renamed: " + from + L" to " + to + L" (error " + std::to_wstring(GetLastError()) + L")");
    return false;
  }
  SHChangeNotify(SHCNE_RENAMEITEM, SHCNF_PATHW, from.c_str(), to.c_str());
  return true;
}

std::wstring PlayerWindow::CommandHostAdaptor::AskNewName(const std::wstring& start) { return ::AskNewName(start); }

std::unique_ptr<CommandHost> PlayerWindow::MakeCommandHost(PlayerWindow& w) {
  return std::make_unique<CommandHostAdaptor>(w);
}

}  // namespace player
