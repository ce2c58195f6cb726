// The command layer without a window: a recording CommandHost over the
// player's fake host (one list of calls for both), with the menu tree's
// Tags and arrays, a scripted user and shell, and its Click running the
// command as the window's menu does.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "PlayerFakes.h"
#include "player/commands/CommandHost.h"
#include "player/commands/MenuCommands.h"
#include "player/commands/PlayerMenus.h"

namespace player_test {

// Every item of the menu tree, depth first, with its parent's name.
inline void WalkMenus(const std::vector<forms::MenuArgs>& items, const std::wstring& parent,
                      const std::function<void(const forms::MenuArgs&, const std::wstring&)>& visit) {
  for (const forms::MenuArgs& item : items) {
    visit(item, parent);
    WalkMenus(item.Items, item.Name, visit);
  }
}

class FakeCommands : public player::CommandHost {
 public:
  explicit FakeCommands(FakeHost& host) : p(host) {
    WalkMenus(player::PlayerMenuDesign(), L"", [this](const forms::MenuArgs& m, const std::wstring&) {
      tags[{m.Name, m.Index}] = m.Tag;
      if (m.Index >= 0) upper[m.Name] = std::max(upper[m.Name], m.Index);
    });
  }

  FakeHost& p;
  std::map<std::pair<std::wstring, int>, std::wstring> tags;
  std::map<std::wstring, int> upper;
  int selected = -1;             // the playlist box's selected row
  std::wstring answer;           // what AskNewName answers
  bool shellWorks = true;        // the shell's file operations succeed
  bool exploreWorks = true;      // the shell has an "explore" verb

  player::PlayerHost& Player() override { return p; }

  void Click(const std::wstring& item, int index) override {
    Log(L"Click " + item + (index >= 0 ? L" " + std::to_wstring(index) : L""));
    player::RunMenuCommand(*this, item, index);
  }
  std::wstring MenuTag(const std::wstring& item, int index) const override {
    auto it = tags.find({item, index});
    return it == tags.end() ? L"" : it->second;
  }
  int MenuUpperBound(const std::wstring& array) const override {
    auto it = upper.find(array);
    return it == upper.end() ? -1 : it->second;
  }
  void ShowMenu(const std::wstring& menu, const std::wstring& defaultItem) override {
    Log(L"ShowMenu " + menu + L" default=" + defaultItem);
  }

  void TogglePlaylist(int mode) override { Log(L"TogglePlaylist " + std::to_wstring(mode)); }
  void SetTopMost(bool on) override { Log(on ? L"SetTopMost True" : L"SetTopMost False"); }
  void MenuVisible(bool show) override {
    Log(show ? L"MenuVisible True" : L"MenuVisible False");
    p.SetChecked(L"mnuMenuBar", show, -1);
  }
  void StepFrame(int direction) override { Log(L"StepFrame " + std::to_wstring(direction)); }
  void GoBack() override { Log(L"GoBack"); }
  void GoForward() override { Log(L"GoForward"); }
  void SwitchLanguage(int index) override { Log(L"SwitchLanguage " + std::to_wstring(index)); }
  void ShowTipIfEnabled(bool show) override {
    Log(show ? L"ShowTipIfEnabled True" : L"ShowTipIfEnabled False");
    p.SetChecked(L"mnuTips", show, -1);
  }

  void OpenMedia(bool replace) override { Log(replace ? L"OpenMedia True" : L"OpenMedia False"); }
  void ExportPlaylist() override { Log(L"ExportPlaylist"); }
  void MoveSelected(int delta) override { Log(L"MoveSelected " + std::to_wstring(delta)); }
  void RemoveSelected() override { Log(L"RemoveSelected"); }
  void AddFolderToPlaylist() override { Log(L"AddFolderToPlaylist"); }
  int PlaylistSelected() const override { return selected; }
  std::wstring PlaylistPath(int index) const override {
    return index >= 0 && index < static_cast<int>(p.playlist.size()) ? p.playlist[static_cast<size_t>(index)] : L"";
  }
  void AddFavorite(const std::wstring& folder) override { Log(L"AddFavorite " + folder); }

  void ConvertMovie(const SWFInfo& info) override { Log(L"ConvertMovie " + info.RequestedPath); }
  void ShowMovieInfo(const SWFInfo& info) override { Log(L"ShowMovieInfo " + info.RequestedPath); }
  void SetAsSS(const std::wstring& movie) override { Log(L"SetAsSS " + movie); }
  void ShowTG() override { Log(L"ShowTG"); }
  std::wstring TakePicture(bool wallpaper) override {
    Log(wallpaper ? L"TakePicture True" : L"TakePicture False");
    return L"";
  }
  void SetWallpaper(const std::wstring& path) override { Log(L"SetWallpaper " + path); }
  void SaveThumbnail() override { Log(L"SaveThumbnail"); }
  void ClearCacheFiles(long mode) override { Log(L"ClearCacheFiles " + std::to_wstring(mode)); }
  void HelpMe() override { Log(L"HelpMe"); }
  void OpenHelpPage(const std::wstring& topic) override { Log(L"OpenHelpPage " + topic); }
  void GoWeb(const std::wstring& page) override { Log(L"GoWeb " + page); }
  void About() override { Log(L"About"); }

  bool ShellExecute(const std::wstring& target, const std::wstring& verb) override {
    Log(L"Shell " + verb + L" " + target);
    return verb != L"explore" || exploreWorks;
  }
  bool ShellDelete(const std::wstring& path) override {
    Log(L"ShellDelete " + path);
    return shellWorks;
  }
  bool ShellCopyMove(const std::vector<std::wstring>& files, const std::wstring& folder, bool move) override {
    std::wstring list;
    for (const auto& f : files) list += f + L";";
    Log(std::wstring(move ? L"ShellMove " : L"ShellCopy ") + list + L" -> " + folder);
    return shellWorks;
  }
  bool ShellRename(const std::wstring& from, const std::wstring& to) override {
    Log(L"ShellRename " + from + L" -> " + to);
    return shellWorks;
  }
  std::wstring AskNewName(const std::wstring& start) override {
    Log(L"AskNewName " + start);
    return answer;
  }

 private:
  void Log(const std::wstring& call) { p.calls.push_back(call); }
};

}  // namespace player_test
