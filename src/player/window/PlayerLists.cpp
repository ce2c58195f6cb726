// The main window's lists: the playlist box and its events, the playlist
// commands (the Open dialog, Export Playlist, moving, removing, adding a
// folder), the recent files and the favourite folders with their menus.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "base/ErrorLog.h"
#include "base/Handles.h"
#include "moviefiles/Projector.h"
#include "player/window/PlaylistHostAdaptor.h"
#include "services/CommonDialog.h"
#include "services/Languages.h"
#include "services/Options.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "ui/HookEvents.h"
#include "ui/OwnerDrawn.h"

namespace player {

// ---------------------------------------------------------------- the window as the playlist's host

HWND PlayerWindow::PlaylistHostAdaptor::Box() const {
  auto* list = w_.Find<forms::ListBox>(L"PlayList");
  return list ? list->hWnd() : nullptr;
}

void PlayerWindow::PlaylistHostAdaptor::RowsAdded(int count) {
  auto* list = w_.Find<forms::ListBox>(L"PlayList");
  if (!list || !list->hWnd() || count <= 0) return;
  // The box keeps no rows, only their number: thousands come in one message.
  list->SetCount(list->ListCount() + count);
  if (redrawOff_ == 0) InvalidateRect(list->hWnd(), nullptr, TRUE);
}

void PlayerWindow::PlaylistHostAdaptor::RowRemoved(int index) {
  if (HWND box = Box()) SendMessageW(box, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void PlayerWindow::PlaylistHostAdaptor::RowsCleared() {
  if (HWND box = Box()) SendMessageW(box, LB_RESETCONTENT, 0, 0);
}

void PlayerWindow::PlaylistHostAdaptor::SelectRow(int index) {
  HWND box = Box();
  if (!box) return;
  SendMessageW(box, LB_SETSEL, FALSE, static_cast<LPARAM>(-1));
  if (index < 0) return;
  SendMessageW(box, LB_SETSEL, TRUE, index);
  SendMessageW(box, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
}

void PlayerWindow::PlaylistHostAdaptor::Repaint() {
  if (HWND box = Box(); box && redrawOff_ == 0) InvalidateRect(box, nullptr, FALSE);
}

void PlayerWindow::PlaylistHostAdaptor::SetRedraw(bool on) {
  HWND box = Box();
  if (!on) {
    if (redrawOff_++ == 0 && box) SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    return;
  }
  if (redrawOff_ == 0 || --redrawOff_ > 0 || !box) return;
  SendMessageW(box, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(box, nullptr, TRUE);
}

void PlayerWindow::PlaylistHostAdaptor::SetItemEnabled(const wchar_t* item, bool on) {
  if (forms::Menu* m = w_.MenuItem(item); m && m->Enabled() != on) m->SetEnabled(on);
}

bool PlayerWindow::PlaylistHostAdaptor::KeepHistory() const { return Options().KeepHistory; }

std::wstring PlayerWindow::PlaylistHostAdaptor::HistoryFile() const { return LastPlayedFile; }

bool PlayerWindow::PlaylistHostAdaptor::AcceptsProgram(const std::wstring& path) const {
  return !GenericProjectors || IsGenericProjector(path, false);
}

std::vector<int> PlayerWindow::PlaylistHostAdaptor::SelectedRows() const {
  std::vector<int> rows;
  HWND box = Box();
  if (!box) return rows;
  const LRESULT n = SendMessageW(box, LB_GETSELCOUNT, 0, 0);
  if (n > 0) {
    rows.resize(static_cast<size_t>(n));
    const LRESULT got = SendMessageW(box, LB_GETSELITEMS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(rows.data()));
    rows.resize(got > 0 ? static_cast<size_t>(got) : 0);
  }
  return rows;
}

int PlayerWindow::PlaylistHostAdaptor::CurrentRow() const {
  auto* list = w_.Find<forms::ListBox>(L"PlayList");
  if (!list) return -1;
  // The caret row while it is selected, else the first selected row.
  const int caret = list->ListIndex();
  if (caret >= 0 && list->Selected(caret)) return caret;
  const std::vector<int> rows = SelectedRows();
  return rows.empty() ? -1 : rows.front();
}

// ---------------------------------------------------------------- the playlist box

void PlayerWindow::AddPlaylistBox() {
  auto list = forms::Placed<forms::ListBoxArgs>(L"PlayList", 0, 0, 180, 100);
  list.IntegralHeight = false;
  list.OwnerDraw = true;
  list.HasStrings = false;
  list.NoData = true;
  list.MultiSelect = 2;
  list.BorderStyle = 0;
  list.ItemHeight = PlaylistRowHeight;
  list.KeepScrollBar = true;
  forms::ListBox& box = Add<forms::ListBox>(list);
  box.OnDrawItem = [this](const DRAWITEMSTRUCT& item) {
    DrawPlaylistItem(item, playlist_.Items(), playlist_.Current());
    return true;
  };
  box.OnDblClick = [this] { PlayList_DblClick(true); };
  box.OnKeyDown = [this](int& key, int) {
    if (key != VK_RETURN) return;
    key = 0;
    PlayList_DblClick(false);
  };
  box.OnMouseDown = [this](int button, int, int, int) { PlayList_MouseDown(button); };
  box.OnMouseMove = [this](int button, int, int, int) { PlayList_MouseMove(button); };
}

int PlayerWindow::PlaylistRowAtCursor() const {
  auto* list = Find<forms::ListBox>(L"PlayList");
  if (!list || !list->hWnd()) return -1;
  POINT at{};
  GetCursorPos(&at);
  const int row = LBItemFromPt(list->hWnd(), at, FALSE);
  return row >= 0 && row <= playlist_.Last() ? row : -1;
}

void PlayerWindow::PlayList_DblClick(bool fromMouse) {
  // A double click acts on the row under the mouse; Enter on the caret row.
  const int row = fromMouse ? PlaylistRowAtCursor() : Lists().CurrentRow();
  if (row < 0)
    OpenMedia(false);
  else
    PlaylistPlayItem(row);
}

void PlayerWindow::PlayList_MouseDown(int button) {
  playlistMenuThisPress_ = false;
  if (button != forms::vbRightButton) return;  // the box selects on its own
  auto* list = Find<forms::ListBox>(L"PlayList");
  if (!list || !list->hWnd()) return;
  // The right button: the row under it joins the selection's focus, or
  // becomes the only selected row; off the rows nothing stays selected.
  const int row = PlaylistRowAtCursor();
  if (row < 0) {
    Lists().SelectRow(-1);
  } else if (!list->Selected(row)) {
    Lists().SelectRow(row);
  } else {
    SendMessageW(list->hWnd(), LB_SETCARETINDEX, static_cast<WPARAM>(row), FALSE);
  }
  playlistMenuThisPress_ = true;
  ShowPlaylistMenu();
}

void PlayerWindow::PlayList_MouseMove(int button) {
  auto* list = Find<forms::ListBox>(L"PlayList");
  if (!list) return;
  const int row = PlaylistRowAtCursor();
  list->SetToolTipText(row >= 0 ? playlist_.Items()[static_cast<size_t>(row)] : std::wstring());
  if (row >= 0 && (button & forms::vbRightButton) && !playlistMenuThisPress_) {
    playlistMenuThisPress_ = true;
    ShowPlaylistMenu();
  }
}

void PlayerWindow::ShowPlaylistMenu() { ShowPopUp(true, false); }

// ---------------------------------------------------------------- playlist operations and commands

void PlayerWindow::PlaylistClear() { playlist_.Clear(); }

void PlayerWindow::PlaylistAdd(const std::wstring& path, int depth) { playlist_.Add(path, depth); }

void PlayerWindow::PlaylistAdd(const std::vector<std::wstring>& paths) {
  Lists().SetRedraw(false);
  playlist_.Add(paths, 0);
  Lists().SetRedraw(true);
}

void PlayerWindow::PlaylistPlayItem(int index) { playlist_.PlayItem(index); }

bool PlayerWindow::PlaylistSave(const std::wstring& path) { return playlist_.Save(path); }

void PlayerWindow::PlaylistMoveItem(int index, int delta) { playlist_.MoveItem(index, delta); }

void PlayerWindow::PlaylistRemoveItem(int index) { playlist_.RemoveItem(index); }

void PlayerWindow::OpenMovie(const std::wstring& path) {
  PlaylistClear();
  PlaylistAdd(path, 0);
  PlaylistPlayItem(0);
}

void PlayerWindow::OpenMedia(bool replacePlaylist) {
  WriteLog(L"");
  WriteLog(L" :: Open Media Dialog");
  const std::wstring title = replacePlaylist ? LangText(L"Player/strOpen", L"Open Movie...")
                                             : LangText(L"Player/strAdd", L"Add to Playlist...");
  std::wstring filter = LangText(L"Player/strAllSupp", L"All Supported Files") +
                        L"|*.swf;*.exe;*.flv;*.swfzel|Macromedia Flash (SWF)|*.swf|" +
                        LangText(L"BrowseMedia/strProjector", L"Flash Projector") + L"|*.exe|" +
                        LangText(L"BrowseMedia/strVideo", L"Flash Video") + L"|*.flv|" +
                        LangText(L"BrowseMedia/strPlaylist", L"Flash Playlist") + L"|*.swfzel";
  DWORD flags = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_EXPLORER;
  std::wstring fileName, fileTitle;
  if (!ShowFileDialog(hWnd(), flags, fileName, fileTitle, L"swf", title, filter, Options().CurrentFolder, true))
    return;
  const std::vector<std::wstring> files = ChosenFiles(fileName, fileTitle);
  if (files.empty()) return;
  if (replacePlaylist) PlaylistClear();
  PlaylistAdd(files);
  if (replacePlaylist) PlaylistPlayItem(0);
}

void PlayerWindow::ExportPlaylist() {
  if (forms::Menu* m = MenuItem(L"mnuSavePL"); m && !m->Enabled()) return;
  WriteLog(L"");
  WriteLog(L" :: Open Save PL Dialog");
  DWORD flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  std::wstring fileName = L"Playlist", fileTitle;
  std::wstring filter = LangText(L"BrowseMedia/strPlaylist", L"Flash Playlist") + L"|*.swfzel";
  if (!ShowFileDialog(hWnd(), flags, fileName, fileTitle, L"", LangText(L"Player/mnuSavePL", L"Save Playlist..."),
                      filter, Options().CurrentFolder, false))
    return;
  PlaylistSave(fileName);
}

void PlayerWindow::MoveSelectedEntry(const std::wstring& item, int delta) {
  if (forms::Menu* m = MenuItem(item); m && !m->Enabled()) return;
  const int row = Lists().CurrentRow();
  const int to = row + delta;
  if (row < 0 || to < 0 || to > playlist_.Last()) return;
  PlaylistMoveItem(row, delta);
  Lists().SelectRow(to);
}

void PlayerWindow::RemoveSelectedEntries() {
  if (forms::Menu* m = MenuItem(L"mnuRemove"); m && !m->Enabled()) return;
  // The selected rows (the right button selects the row it opens the menu on).
  const std::vector<int> rows = Lists().SelectedRows();
  if (rows.empty()) return;
  Lists().SelectRow(-1);
  playlist_.RemoveRows(rows);
}

void PlayerWindow::AddFolderToPlaylist() {
  UINT flags = BIF_RETURNONLYFSDIRS;
  std::wstring name, folder;
  if (!BrowseForFolder(hWnd(), flags, name, folder,
                       LangText(L"Player/strAddFolder", L"Select a folder you would like to add to Playlist:")) ||
      folder.empty())
    return;
  Lists().SetRedraw(false);
  PlaylistAdd(folder, 0);
  Lists().SetRedraw(true);
}

// ---------------------------------------------------------------- recent files and favourites

std::wstring PlayerWindow::FitText(const std::wstring& path, long width) const {
  if (!hWnd()) return path;
  ScopedWindowDC dc(hWnd());
  ScopedFont font(CreateMenuFont(dc.get(), false));
  ScopedSelect select(dc.get(), font.get());
  return CompactPath(path, width, dc.get());
}

void PlayerWindow::AddRecent(const std::wstring& file) {
  if (recent_.Add(file)) ShowRecentMenu();
}

void PlayerWindow::LoadRecent() {
  recent_.Load();
  ShowRecentMenu();
}

void PlayerWindow::AddFavorite(const std::wstring& folder) {
  favorites_.Add(folder);
  ShowFavoritesMenu();
}

void PlayerWindow::LoadFavorites(bool load) {
  favorites_.Load(load);
  ShowFavoritesMenu();
}

void PlayerWindow::ShowRecentMenu() {
  auto fit = [this](const std::wstring& path, long width) { return FitText(path, width); };
  ShowMenuList(*this, L"mnuMRU", L"mnuSepRecent",
               recent_.Menu(fit, LangText(L"Player/mnuMRU_0", L"No Recent Files")));
}

void PlayerWindow::ShowFavoritesMenu() {
  auto fit = [this](const std::wstring& path, long width) { return FitText(path, width); };
  ShowMenuList(*this, L"mnuFavList", L"", favorites_.Menu(fit, LangText(L"Player/mnuFavList_0", L"[ No Favorite Folders ]")));
}

std::unique_ptr<PlaylistHost> PlayerWindow::MakePlaylistHost(PlayerWindow& w) {
  return std::make_unique<PlaylistHostAdaptor>(w);
}

PlayerWindow::PlaylistHostAdaptor& PlayerWindow::Lists() const { return static_cast<PlaylistHostAdaptor&>(*listsHost_); }

}  // namespace player
