#include "player/commands/PopupMenus.h"

#include <shlwapi.h>

#include "moviefiles/Projector.h"
#include "services/Languages.h"
#include "services/Options.h"
#include "services/ShellMod.h"

namespace player {
namespace {

// The item under the browse page's mouse, by its place in the listing (from 1); null when none.
const BrowseItem* BrowseItemAt(const PlayerState& s, int index) {
  if (index < 1 || index > s.BrowseItemCount()) return nullptr;
  return &s.BrowseItems[static_cast<size_t>(index - 1)];
}

bool IsFolder(const std::wstring& path) { return !path.empty() && PathIsDirectoryW(path.c_str()); }

void ShowMovieMenu(CommandHost& h) {
  PlayerHost& p = h.Player();
  const std::wstring quality = p.Control() ? p.Control()->Quality2() : std::wstring();
  p.SetChecked(L"mnuPopHQ", StrEqualNoCase(quality, L"High"));
  p.SetChecked(L"mnuPopLQ", StrEqualNoCase(quality, L"Low"));
  p.SetChecked(L"mnuPopFullScreen", p.Checked(L"mnuFullScreen"));
  p.SetMenuCaption(L"mnuPopPlay", p.MenuCaption(L"mnuPlay"));
  p.SetMenuCaption(L"mnuPopConvert", p.MenuCaption(L"mnuConvert"));
  p.State().PopupPath.clear();
  h.ShowMenu(L"PopUp", L"");
}

}  // namespace

ItemMenu ItemMenuRules(const ItemMenuFacts& f) {
  const bool P = f.Playlist, H = f.HasItem, F = f.IsFolder, D = f.Deletable;
  const bool movie = H && !F;
  ItemMenu m;
  m.Items = {
      {L"mnuFolderBrowse", F, true},
      {L"mnuMoviePlay", H && !(P && F), true},
      {L"mnuItemAdd", !P, true},
      {L"mnuItemShow", true, true},
      {L"mnuMovieSepPlay", movie, true},
      {L"mnuMovieInfo", movie, true},
      {L"mnuMovieConvert", movie, true},
      {L"mnuFolderGenerator", F, true},
      {L"mnuMovieExtract", movie, !f.ExtractorOpen},
      {L"mnuMovieSaver", movie, true},
      {L"mnuSepCut", H, true},
      {L"mnuItemCut", !P, true},
      {L"mnuItemCopy", !P, true},
      {L"mnuFolderPaste", F && !P, f.ClipboardLength > 2},
      {L"mnuItemSepDelete", !P, true},
      {L"mnuItemDelete", !P, D},
      {L"mnuItemRename", !P, D},
      {L"mnuMoveUp", P && H, f.Selected > 0},
      {L"mnuMoveDown", P && H, f.Selected < f.Last},
      {L"mnuRemove", P && H, true},
      {L"mnuRemoveAll", P, f.Last >= 0},
      {L"mnuSepPLopt", P, true},
      {L"mnuPLadd", P, true},
      {L"mnuPLaddFolder", P, true},
  };
  if (H) m.DefaultItem = F ? L"mnuFolderBrowse" : L"mnuMoviePlay";
  m.ProjectorCaption = f.IsProjector;
  return m;
}

void ShowPopUp(CommandHost& h, bool overPlayList, bool rootSWF) {
  PlayerHost& p = h.Player();
  PlayerState& s = p.State();
  s.PopupMode = overPlayList;
  if (!(rootSWF && s.Browsed) && !overPlayList) {
    ShowMovieMenu(h);
    return;
  }
  // The browse item under the mouse is the menu's (the movie window's click).
  if (rootSWF && !overPlayList) s.PopupItem = s.HoverItem;

  ItemMenuFacts f;
  f.Playlist = overPlayList;
  f.Selected = h.PlaylistSelected();
  f.Last = p.PlaylistLast();
  f.ClipboardLength = s.ClipboardFiles.size();
  f.ExtractorOpen = p.FormOpen(L"frmDecompiler");
  const std::wstring& currentFolder = p.Opts().CurrentFolder;
  s.PopupPath.clear();
  if (overPlayList) {
    f.HasItem = f.Selected > -1;
    if (f.HasItem) s.PopupPath = h.PlaylistPath(f.Selected);
    f.IsFolder = IsFolder(s.PopupPath);
  } else if (s.HoverItem == 0) {
    // The page's background: the folder shown.
    f.HasItem = f.IsFolder = true;
    s.PopupPath = currentFolder;
  } else if (const BrowseItem* item = BrowseItemAt(s, s.PopupItem)) {
    f.HasItem = true;
    s.PopupPath = item->Path;
    f.IsFolder = item->Kind == kBrowseFolderKind;
    f.Deletable = currentFolder != L":\\";
  }
  f.IsProjector = StrEqualNoCase(GetFileExt(s.PopupPath), L".exe") &&
                  (IsGenericProjector(s.PopupPath) || !GenericProjectors);

  const ItemMenu menu = ItemMenuRules(f);
  for (const ItemMenuState& item : menu.Items) {
    p.SetMenuVisible(item.Item, item.Visible);
    p.SetEnabled(item.Item, item.Enabled);
  }
  p.SetMenuCaption(L"mnuMovieConvert", menu.ProjectorCaption
                                           ? LangText(L"Player/mnuConvertEXE", L"Convert EXE to SWF")
                                           : LangText(L"Player/mnuConvert", L"Convert to EXE"));
  h.ShowMenu(L"PupItem", menu.DefaultItem);
}

}  // namespace player
