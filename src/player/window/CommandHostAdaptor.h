// The main window as the menu commands, the pop-up menus and the keys see it
// (CommandHost): its menus, its operations and lists, and the real shell.
#pragma once
#include "player/commands/CommandHost.h"
#include "player/window/PlayerWindow.h"

namespace player {

class PlayerWindow::CommandHostAdaptor final : public CommandHost {
 public:
  explicit CommandHostAdaptor(PlayerWindow& w) : w_(w) {}

  PlayerHost& Player() override { return w_.Host(); }

  void Click(const std::wstring& item, int index) override { w_.ClickMenu(item, index); }
  std::wstring MenuTag(const std::wstring& item, int index) const override;
  int MenuUpperBound(const std::wstring& array) const override;
  void ShowMenu(const std::wstring& menu, const std::wstring& defaultItem) override;

  void TogglePlaylist(int mode) override { w_.TogglePlaylist(mode); }
  void SetTopMost(bool on) override;
  void MenuVisible(bool show) override { w_.MenuVisible(show); }
  void StepFrame(int direction) override;
  void GoBack() override { w_.GoBack(); }
  void GoForward() override { w_.GoForward(); }
  void SwitchLanguage(int index) override;
  void ShowTipIfEnabled(bool show) override;

  void OpenMedia(bool replacePlaylist) override { w_.OpenMedia(replacePlaylist); }
  void ExportPlaylist() override { w_.ExportPlaylist(); }
  void MoveSelected(int delta) override { w_.MoveSelectedEntry(delta < 0 ? L"mnuMoveUp" : L"mnuMoveDown", delta); }
  void RemoveSelected() override { w_.RemoveSelectedEntries(); }
  void AddFolderToPlaylist() override { w_.AddFolderToPlaylist(); }
  int PlaylistSelected() const override;
  std::wstring PlaylistPath(int index) const override;
  void AddFavorite(const std::wstring& folder) override { w_.AddFavorite(folder); }

  void ConvertMovie(const SWFInfo& info) override { w_.ConvertMovie(info); }
  void ShowMovieInfo(const SWFInfo& info) override { w_.ShowMovieInfo(info); }
  void SetAsSS(const std::wstring& movie) override { w_.SetAsSS(movie); }
  void ShowTG() override { w_.ShowTG(); }
  std::wstring TakePicture(bool forWallpaper) override;
  void SetWallpaper(const std::wstring& picture) override;
  void SaveThumbnail() override { w_.SaveThumbnail(); }
  void ClearCacheFiles(long mode) override { w_.ClearCacheFiles(mode); }
  void HelpMe() override { w_.HelpMe(); }
  void OpenHelpPage(const std::wstring& topic) override;
  void GoWeb(const std::wstring& page) override { w_.GoWeb(page); }
  void About() override {
    WriteLog(L"");
    WriteLog(L" :: About");
    w_.Host().ShowForm(L"frmAbout", 0);
  }

  bool ShellExecute(const std::wstring& target, const std::wstring& verb) override;
  bool ShellDelete(const std::wstring& path) override;
  bool ShellCopyMove(const std::vector<std::wstring>& files, const std::wstring& folder, bool move) override;
  bool ShellRename(const std::wstring& from, const std::wstring& to) override;
  std::wstring AskNewName(const std::wstring& start) override;

 private:
  PlayerWindow& w_;
};

}  // namespace player
