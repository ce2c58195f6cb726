#include "player/commands/MenuCommands.h"

#include <functional>
#include <map>

#include "base/ErrorLog.h"
#include "moviefiles/SWFModule.h"
#include "player/commands/ItemCommands.h"
#include "player/commands/ToolOperations.h"
#include "player/movie/Transport.h"
#include "services/ShellMod.h"

namespace player {
namespace {

using Run = std::function<void(CommandHost&, int index)>;
struct Command {
  Run run;
  bool checksEnabled = false;
};
using Table = std::map<std::wstring, Command>;

// TogglePlaylist's "show" (the window's modes: 1 toggles, 0 hides, others show).
constexpr int kShowPlaylist = 2;

void Toggle(CommandHost& h, const std::wstring& item) { h.Player().SetChecked(item, !h.Player().Checked(item)); }

// Checks one item of a group and clears the others.
void CheckOnly(CommandHost& h, std::initializer_list<const wchar_t*> group, const std::wstring& item) {
  for (const wchar_t* other : group) h.Player().SetChecked(other, item == other);
}

std::wstring CurrentFolder(CommandHost& h) { return h.Player().Opts().CurrentFolder; }

// A file-type filter or a sort key: the folder listed again from the top.
void Relist(CommandHost& h) { h.Player().BrowseFolder(L"", false); }

const SWFInfo& Playing(CommandHost& h) { return h.Player().State().CurrentSWFInfo; }

// Opens the movie's file in a tool window once it reads in full.
void OpenToolFor(CommandHost& h, const wchar_t* form) {
  SWFInfo record;
  if (GetSWFInfo(Playing(h).RequestedPath, record, true).empty()) h.Player().ShowMovieForm(form, record, 0);
}

void PlayListEntry(CommandHost& h, int index) {
  const std::wstring file = h.MenuTag(L"mnuMRU", index);
  if (file.empty()) return;
  PlayerHost& p = h.Player();
  p.PlaylistClear();
  p.PlaylistAdd(file, 0);
  p.PlaylistPlayItem(0);
}

void SwitchLanguage(CommandHost& h, int index) {
  for (int i = 0; i <= h.MenuUpperBound(L"mnuLangList"); ++i) h.Player().SetChecked(L"mnuLangList", false, i);
  h.Player().SetChecked(L"mnuLangList", true, index);
  h.SwitchLanguage(index);
}

void AddFileCommands(Table& t) {
  t[L"mnuOpen"] = {[](CommandHost& h, int) { h.OpenMedia(true); }};
  t[L"mnuAddtoPL"] = {[](CommandHost& h, int) { h.OpenMedia(false); }};
  t[L"mnuDownload"] = {[](CommandHost& h, int) { h.Player().ShowForm(L"frmDownload", 0); }};
  t[L"mnuConvert"] = {[](CommandHost& h, int) { h.ConvertMovie(Playing(h)); }, true};
  t[L"mnuInfo"] = {[](CommandHost& h, int) { h.ShowMovieInfo(Playing(h)); }, true};
  t[L"mnuShowExplorer"] = {[](CommandHost& h, int) {
                             ExploreFolder(h, h.Player().State().Browsed ? CurrentFolder(h)
                                                                         : GetFolderPart(Playing(h).RequestedPath));
                           },
                           true};
  t[L"mnuSavePL"] = {[](CommandHost& h, int) { h.ExportPlaylist(); }, true};
  t[L"mnuMRU"] = {PlayListEntry};
  t[L"mnuExit"] = {[](CommandHost& h, int) { h.Player().Quit(L"Exit Menu", true); }};
}

void AddViewCommands(Table& t) {
  t[L"mnuFullScreen"] = {
      [](CommandHost& h, int) { h.Player().FullScreen(!h.Player().Checked(L"mnuFullScreen"), false, false); }};
  t[L"mnuPlaylist"] = {[](CommandHost& h, int) { h.TogglePlaylist(1); }};
  t[L"mnuTopMost"] = {[](CommandHost& h, int) {
    Toggle(h, L"mnuTopMost");
    h.SetTopMost(h.Player().Checked(L"mnuTopMost"));
  }};
  t[L"mnuMenuBar"] = {[](CommandHost& h, int) { h.MenuVisible(!h.Player().Checked(L"mnuMenuBar")); }};
  t[L"mnuQLvl"] = {[](CommandHost& h, int index) {
    const std::wstring tag = h.MenuTag(L"mnuQLvl", index);
    if (!tag.empty() && tag != L"-") SetQuality(h.Player(), tag);
  }};
  for (long percent : {50, 100, 200})
    t[L"mnuZoom" + std::to_wstring(percent)] = {[percent](CommandHost& h, int) { h.Player().ZoomFlash(percent, 1); }};
  for (const wchar_t* item : {L"mnuKeepSize", L"mnuAspectRatio"})
    t[item] = {[item](CommandHost& h, int) { Toggle(h, item); }};
  t[L"mnuSMode"] = {[](CommandHost& h, int index) { SetScaleMode(h.Player(), index); }};
  const std::pair<const wchar_t*, int> opacities[] = {
      {L"mnuOpFull", 100}, {L"mnuOpSign", 75}, {L"mnuOpMed", 50}, {L"mnuOpSlite", 25}};
  for (const auto& [item, percent] : opacities)
    t[item] = {[percent](CommandHost& h, int) { SetFlashAlpha(h.Player(), percent); }};
  t[L"mnuSkinList"] = {[](CommandHost&, int) {}};
  t[L"mnuHideUI"] = {[](CommandHost& h, int) {
    PlayerHost& p = h.Player();
    if (!p.Checked(L"mnuFullScreen")) p.FullScreen(!p.Checked(L"mnuHideUI"), true, true);
  }};
}

void AddPlaybackCommands(Table& t) {
  t[L"mnuPlay"] = {[](CommandHost& h, int) { PlayPauseMedia(h.Player()); }};
  t[L"mnuStop"] = {[](CommandHost& h, int) { StopMedia(h.Player()); }};
  t[L"mnuPlayNext"] = {[](CommandHost& h, int) { PlayNext(h.Player()); }};
  t[L"mnuPlayPrev"] = {[](CommandHost& h, int) { PlayPrev(h.Player()); }};
  t[L"mnuFFwd"] = {[](CommandHost& h, int) { h.StepFrame(1); }};
  t[L"mnuRwd"] = {[](CommandHost& h, int) { h.StepFrame(-1); }};
  // A volume step also centres the balance.
  t[L"mnuVolumeUp"] = {[](CommandHost& h, int) { SetSound(h.Player(), h.Player().State().Volume + 10, 0); }};
  t[L"mnuVolumeDown"] = {[](CommandHost& h, int) { SetSound(h.Player(), h.Player().State().Volume - 10, 0); }};
  t[L"mnuMute"] = {[](CommandHost& h, int) {
    Toggle(h, L"mnuMute");
    MuteSound(h.Player(), h.Player().Checked(L"mnuMute"));
  }};
  t[L"mnuRepeatMode"] = {[](CommandHost& h, int index) { SetRepeatMode(h.Player(), index); }};
  for (const wchar_t* item : {L"mnuShuffle", L"mnuNonStop"})
    t[item] = {[item](CommandHost& h, int) { Toggle(h, item); }};
}

void AddBrowserCommands(Table& t) {
  t[L"mnuBrowse"] = {[](CommandHost& h, int) { h.Player().BrowseMedia(); }};
  t[L"mnuBrowsePick"] = {[](CommandHost& h, int) { h.Player().SelectBrowseFolder(L""); }};
  t[L"mnuBrowseBack"] = {[](CommandHost& h, int) { h.GoBack(); }};
  t[L"mnuBrowseForward"] = {[](CommandHost& h, int) { h.GoForward(); }};
  t[L"mnuBrowseUp"] = {[](CommandHost& h, int) { GoLevelUp(h.Player()); }};
  for (const wchar_t* item : {L"mnuShowMovie", L"mnuShowProjector", L"mnuShowVideo"})
    t[item] = {[item](CommandHost& h, int) {
      Toggle(h, item);
      Relist(h);
    }};
  // The folder filter keeps the page's scroll position.
  t[L"mnuShowFolder"] = {[](CommandHost& h, int) {
    Toggle(h, L"mnuShowFolder");
    h.Player().BrowseMedia();
  }};
  t[L"mnuShowOther"] = {[](CommandHost&, int) {}};
  for (const wchar_t* item : {L"mnuSortName", L"mnuSortType", L"mnuSortSize", L"mnuSortDate"})
    t[item] = {[item](CommandHost& h, int) {
      CheckOnly(h, {L"mnuSortName", L"mnuSortType", L"mnuSortSize", L"mnuSortDate"}, item);
      Relist(h);
    }};
  for (const wchar_t* item : {L"mnuSortForward", L"mnuSortBack"})
    t[item] = {[item](CommandHost& h, int) {
      CheckOnly(h, {L"mnuSortForward", L"mnuSortBack"}, item);
      Relist(h);
    }};
  t[L"mnuFavAdd"] = {[](CommandHost& h, int) { h.AddFavorite(CurrentFolder(h)); }};
  t[L"mnuFavManage"] = {[](CommandHost& h, int) { h.Player().ShowForm(L"frmFavorites", 0); }};
  t[L"mnuFavList"] = {[](CommandHost& h, int index) {
    const std::wstring folder = h.MenuTag(L"mnuFavList", index);
    if (!folder.empty()) h.Player().BrowseFolder(folder, false);
  }};
}

void AddToolCommands(Table& t) {
  t[L"mnuDesktop"] = {[](CommandHost& h, int) { OpenToolFor(h, L"frmDesktop"); }, true};
  // The movie the user opened, not the copy in the cache that the quit deletes.
  t[L"mnuScreenSaver"] = {[](CommandHost& h, int) { h.SetAsSS(Playing(h).RequestedPath); }, true};
  t[L"mnuWallpaper"] = {[](CommandHost& h, int) {
    const std::wstring picture = h.TakePicture(true);
    if (!picture.empty()) h.SetWallpaper(picture);
  }};
  t[L"mnuGenerator"] = {[](CommandHost& h, int) {
                          if (h.Player().State().Browsed) h.Player().Opts().Generator.Source = CurrentFolder(h);
                          h.ShowTG();
                        },
                        true};
  t[L"mnuExtract"] = {[](CommandHost& h, int) { OpenToolFor(h, L"frmDecompiler"); }, true};
  t[L"mnuPicture"] = {[](CommandHost& h, int) { h.TakePicture(false); }};
  t[L"mnuThumbnail"] = {[](CommandHost& h, int) { h.SaveThumbnail(); }, true};
  t[L"mnuClearCache"] = {[](CommandHost& h, int) {
    WriteLog(L"");
    WriteLog(L" :: Clear Cache");
    h.ClearCacheFiles(3);
  }};
  t[L"mnuHandyKeys"] = {[](CommandHost& h, int) { Toggle(h, L"mnuHandyKeys"); }};
  t[L"mnuOpt"] = {[](CommandHost& h, int) { h.Player().ShowForm(L"frmOptions", 1); }};
  t[L"mnuLangList"] = {SwitchLanguage};
}

void AddHelpCommands(Table& t) {
  t[L"mnuHelpMe"] = {[](CommandHost& h, int) { h.HelpMe(); }};
  // With tips on, the playlist pane that holds the tip is shown (not toggled away).
  t[L"mnuTips"] = {[](CommandHost& h, int) {
    h.ShowTipIfEnabled(!h.Player().Checked(L"mnuTips"));
    if (h.Player().Checked(L"mnuTips")) h.TogglePlaylist(kShowPlaylist);
  }};
  t[L"mnuIntro"] = {[](CommandHost& h, int) { h.Player().ShowForm(L"frmIntro", 0); }};
  t[L"mnuAutomate"] = {[](CommandHost& h, int) { h.OpenHelpPage(L"command-line"); }};
  t[L"mnuUpd"] = {[](CommandHost& h, int) { WebUpdate(h.Player(), false); }};
  t[L"mnuFeedback"] = {[](CommandHost& h, int) { h.Player().ShellOpen(std::wstring(L"mailto:") + kSupportMail, L"open"); }};
  t[L"mnuWeb"] = {[](CommandHost& h, int) { h.GoWeb(L""); }};
  t[L"mnuAbout"] = {[](CommandHost& h, int) { h.About(); }};
}

// The movie menu's items are the main menu's commands.
void AddMovieMenuCommands(Table& t) {
  const std::tuple<const wchar_t*, const wchar_t*, int> items[] = {
      {L"mnuPopPlay", L"mnuPlay", -1},          {L"mnuPopStop", L"mnuStop", -1},
      {L"mnuPopMute", L"mnuMute", -1},          {L"mnuPopHQ", L"mnuQLvl", 0},
      {L"mnuPopLQ", L"mnuQLvl", 2},             {L"mnuPopFullScreen", L"mnuFullScreen", -1},
      {L"mnuPopBrowse", L"mnuBrowse", -1},      {L"mnuPopInfo", L"mnuInfo", -1},
      {L"mnuPopOpen", L"mnuOpen", -1},          {L"mnuPopConvert", L"mnuConvert", -1},
      {L"mnuPopAbout", L"mnuAbout", -1},        {L"mnuPopExit", L"mnuExit", -1}};
  for (const auto& [item, target, index] : items) {
    std::wstring name = target;
    const int at = index;
    t[item] = {[name, at](CommandHost& h, int) { h.Click(name, at); }};
  }
}

void AddItemMenuCommands(Table& t) {
  auto path = [](CommandHost& h) { return h.Player().State().PopupPath; };
  t[L"mnuFolderBrowse"] = {[path](CommandHost& h, int) { h.Player().BrowseFolder(path(h), false); }};
  t[L"mnuMoviePlay"] = {[](CommandHost& h, int) { PlayPopupItem(h); }};
  t[L"mnuItemAdd"] = {[path](CommandHost& h, int) {
    if (!path(h).empty()) h.Player().PlaylistAdd(path(h), 0);
  }};
  t[L"mnuItemShow"] = {[path](CommandHost& h, int) { ExploreFolder(h, GetFolderPart(path(h))); }};
  t[L"mnuMovieInfo"] = {[](CommandHost& h, int) { ShowPopupItemInfo(h); }};
  t[L"mnuMovieConvert"] = {[](CommandHost& h, int) { ConvertPopupItem(h); }};
  t[L"mnuFolderGenerator"] = {[path](CommandHost& h, int) {
    h.Player().Opts().Generator.Source = path(h);
    h.ShowTG();
  }};
  t[L"mnuMovieExtract"] = {[](CommandHost& h, int) { ExtractPopupItem(h); }};
  t[L"mnuMovieSaver"] = {[path](CommandHost& h, int) {
    if (!path(h).empty()) h.SetAsSS(path(h));
  }};
  t[L"mnuItemCut"] = {[](CommandHost& h, int) { CutOrCopyPopupItem(h, true); }};
  t[L"mnuItemCopy"] = {[](CommandHost& h, int) { CutOrCopyPopupItem(h, false); }};
  t[L"mnuFolderPaste"] = {[](CommandHost& h, int) { PasteIntoPopupItem(h); }};
  t[L"mnuItemDelete"] = {[](CommandHost& h, int) { DeletePopupItem(h); }};
  t[L"mnuItemRename"] = {[](CommandHost& h, int) { RenamePopupItem(h); }};
  t[L"mnuMoveUp"] = {[](CommandHost& h, int) { h.MoveSelected(-1); }, true};
  t[L"mnuMoveDown"] = {[](CommandHost& h, int) { h.MoveSelected(1); }, true};
  t[L"mnuRemove"] = {[](CommandHost& h, int) { h.RemoveSelected(); }, true};
  t[L"mnuRemoveAll"] = {[](CommandHost& h, int) { h.Player().PlaylistClear(); }};
  t[L"mnuPLadd"] = {[](CommandHost& h, int) { h.Click(L"mnuAddtoPL"); }};
  t[L"mnuPLaddFolder"] = {[](CommandHost& h, int) { h.AddFolderToPlaylist(); }};
}

const Table& Commands() {
  static const Table table = [] {
    Table t;
    AddFileCommands(t);
    AddViewCommands(t);
    AddPlaybackCommands(t);
    AddBrowserCommands(t);
    AddToolCommands(t);
    AddHelpCommands(t);
    AddMovieMenuCommands(t);
    AddItemMenuCommands(t);
    return t;
  }();
  return table;
}

}  // namespace

bool RunMenuCommand(CommandHost& host, const std::wstring& item, int index) {
  const auto it = Commands().find(item);
  if (it == Commands().end()) return false;
  if (it->second.checksEnabled && !host.Player().Enabled(item)) return true;
  it->second.run(host, index);
  return true;
}

bool HasMenuCommand(const std::wstring& item) { return Commands().count(item) != 0; }

bool ChecksEnabled(const std::wstring& item) {
  const auto it = Commands().find(item);
  return it != Commands().end() && it->second.checksEnabled;
}

void PIC_Click(CommandHost& host, const std::wstring& tag) {
  static const std::map<std::wstring, std::function<void(CommandHost&)>> buttons = {
      {L"7", [](CommandHost& h) { PlayPauseMedia(h.Player()); }},
      {L"8", [](CommandHost& h) { PlayPauseMedia(h.Player()); }},
      {L"9", [](CommandHost& h) { GoLevelUp(h.Player()); }},
      {L"10", [](CommandHost& h) { h.GoForward(); }},
      {L"11", [](CommandHost& h) { h.GoBack(); }},
      {L"12", [](CommandHost& h) { PlayNext(h.Player()); }},
      {L"13", [](CommandHost& h) { PlayPrev(h.Player()); }},
      {L"17", [](CommandHost& h) { h.Player().BrowseMedia(); }},
      {L"21", [](CommandHost& h) { h.OpenMedia(true); }},
      {L"22", [](CommandHost& h) { h.Click(L"mnuFullScreen"); }},
      {L"25", [](CommandHost& h) { MuteSound(h.Player(), true); }},
      {L"26", [](CommandHost& h) { MuteSound(h.Player(), false); }},
      {L"29", [](CommandHost& h) { h.TogglePlaylist(1); }},
      {L"30", [](CommandHost& h) { h.Click(L"mnuPLadd"); }},
      {L"31", [](CommandHost& h) { h.Click(L"mnuRemove"); }},
      {L"32", [](CommandHost& h) { h.Click(L"mnuMoveUp"); }},
      {L"33", [](CommandHost& h) { h.Click(L"mnuMoveDown"); }},
      {L"34", [](CommandHost& h) { h.ShowTipIfEnabled(true); }},
  };
  if (const auto it = buttons.find(tag); it != buttons.end()) it->second(host);
}

void ExploreFolder(CommandHost& host, const std::wstring& folder) {
  if (folder.empty()) return;
  if (!host.ShellExecute(folder, L"explore")) host.ShellExecute(folder, L"open");
}

}  // namespace player
