#include "player/commands/ItemCommands.h"

#include <shlwapi.h>

#include "base/ErrorLog.h"
#include "moviefiles/SWFModule.h"
#include "services/AppIdentity.h"
#include "services/Languages.h"
#include "services/ShellMod.h"

namespace player {
namespace {

PlayerState& State(CommandHost& h) { return h.Player().State(); }

bool Exists(const std::wstring& path) { return PathFileExistsW(path.c_str()) != FALSE; }

// A name one file can have in a folder: not empty, no "." or "..", none of
// the characters a file name cannot hold.
bool IsFileName(const std::wstring& name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  for (wchar_t c : name)
    if (c < 32 || wcschr(L"<>:\"/\\|?*", c)) return false;
  return name.back() != L' ' && name.back() != L'.';
}

}  // namespace

void PlayPopupItem(CommandHost& h) {
  PlayerHost& p = h.Player();
  const PlayerState& s = p.State();
  if (s.PopupMode) {
    p.PlaylistPlayItem(h.PlaylistSelected());
    return;
  }
  if (s.PopupPath.empty()) return;
  const std::wstring path = s.PopupPath;
  p.PlaylistClear();
  p.PlaylistAdd(path, 0);
  p.PlaylistPlayItem(0);
}

void ShowPopupItemInfo(CommandHost& h) {
  SWFInfo info;
  GetSWFInfo(State(h).PopupPath, info, false);
  h.ShowMovieInfo(info);
}

void ConvertPopupItem(CommandHost& h) {
  const std::wstring path = State(h).PopupPath;
  SWFInfo info;
  const std::wstring error = GetSWFInfo(path, info, false);
  if (!error.empty()) {
    WriteLog(L"Not converted: " + path + L" (" + error + L")");
    h.Player().ShowMessage(
        LangText(L"Player/strNoConvert", L"This movie cannot be converted, as it cannot be read:") + L"\r\n" + path +
            L"\r\n" + error,
        app::kTitle);
    return;
  }
  h.ConvertMovie(info);
}

void ExtractPopupItem(CommandHost& h) {
  SWFInfo record;
  if (GetSWFInfo(State(h).PopupPath, record, true).empty()) h.Player().ShowMovieForm(L"frmDecompiler", record, 0);
}

void CutOrCopyPopupItem(CommandHost& h, bool cut) {
  PlayerState& s = State(h);
  if (s.PopupPath.empty() || !s.Browsed) return;
  s.ClipboardCut = cut;
  s.ClipboardFiles = s.PopupPath + std::wstring(2, L'\0');
}

void PasteIntoPopupItem(CommandHost& h) {
  PlayerState& s = State(h);
  if (!s.Browsed || s.ClipboardFiles.size() < 3 || !PathIsDirectoryW(s.PopupPath.c_str())) return;
  std::vector<std::wstring> files;
  for (size_t at = 0, nul; at < s.ClipboardFiles.size(); at = nul + 1) {
    nul = s.ClipboardFiles.find(L'\0', at);
    if (nul == std::wstring::npos) nul = s.ClipboardFiles.size();
    if (nul > at) files.push_back(s.ClipboardFiles.substr(at, nul - at));
  }
  if (files.empty() || !h.ShellCopyMove(files, s.PopupPath, s.ClipboardCut)) return;
  s.ClipboardFiles.clear();
  h.Player().BrowseMedia();
}

void DeletePopupItem(CommandHost& h) {
  const PlayerState& s = State(h);
  if (s.PopupMode || s.PopupPath.empty()) return;
  if (h.ShellDelete(s.PopupPath)) h.Player().BrowseMedia();
}

void RenamePopupItem(CommandHost& h) {
  const PlayerState& s = State(h);
  if (s.PopupMode || s.PopupPath.empty()) return;
  const std::wstring old = s.PopupPath;
  const std::wstring answer = h.AskNewName(GetFileTitle(old, true));
  if (answer.empty()) return;
  const std::wstring title = GetFileTitle(answer);
  if (!IsFileName(title)) {
    WriteLog(L"Not renamed: \"" + answer + L"\" is no file name");
    return;
  }
  const std::wstring renamed = GetFolderPart(old) + title + GetFileExt(old);
  if (renamed == old) return;
  // A new name that differs only in letter case is the same item.
  if (Exists(renamed) && !StrEqualNoCase(renamed, old)) {
    WriteLog(L"Not renamed: " + renamed + L" exists");
    return;
  }
  if (h.ShellRename(old, renamed)) h.Player().BrowseMedia();
}

}  // namespace player
