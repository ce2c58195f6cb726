// The main window as the player's operations see it (PlayerHost): its
// menus, controls, playlist and layout, with the operations the window does
// not offer answering "not available", and the real seams (chance, the
// calendar, message boxes, the save dialog, the shell, the Recycle Bin).
#pragma once
#include <random>

#include "player/movie/PlayerHost.h"
#include "player/window/PlayerWindow.h"

namespace player {

class PlayerWindow::PlayerHostAdaptor final : public PlayerHost {
 public:
  explicit PlayerHostAdaptor(PlayerWindow& w) : w_(w) {}

  PlayerState& State() override { return w_; }
  OptionSet& Opts() override;
  MovieControl* Control() override { return w_.control_.get(); }

  bool Checked(const std::wstring& item, int index) const override { return w_.MenuChecked(item, index); }
  void SetChecked(const std::wstring& item, bool on, int index) override { w_.SetChecked(item, on, index); }
  bool Enabled(const std::wstring& item) const override;
  void SetEnabled(const std::wstring& item, bool on) override;
  void SetMenuVisible(const std::wstring& item, bool on) override;
  std::wstring MenuCaption(const std::wstring& item) const override;
  void SetMenuCaption(const std::wstring& item, const std::wstring& text) override;
  void ClickMenu(const std::wstring& item) override { w_.ClickMenu(item); }

  void SetHeartbeat(bool on) override;
  void SetCaption(const std::wstring& caption) override { w_.SetCaption(caption); }
  void ShowNotice(const std::wstring& text) override { w_.ShowNotice(text); }
  void ZoomFlash(long percent, long count) override { w_.ZoomFlash(percent, count); }
  void Center() override { w_.Center(); }
  void View_Resize() override { w_.View_Resize(); }
  bool WindowNormal() const override;
  void SizeForBrowsing() override;
  void ShowAddressBar(bool on) override;
  void FullScreen(bool on, bool force, bool hideUIonly) override { w_.FullScreen(on, force, hideUIonly); }
  void Quit(const std::wstring& reason, bool save) override;
  bool FormOpen(const std::wstring& name) const override;
  void ShowForm(const std::wstring& name, int mode) override;
  void ShowMovieForm(const std::wstring& name, const SWFInfo& movie, int mode) override;
  void RunGenerator(const GeneratorSettings& settings) override;
  bool SkinLoaded() const override;
  void ShowSkinButtons() override;
  void UpdateSkinState() override;

  int PlaylistLast() const override { return w_.PlaylistLast(); }
  int PlaylistCurrent() const override { return w_.PlaylistCurrent(); }
  void PlaylistMarkNonePlaying() override { w_.playlist_.MarkNonePlaying(); }
  void PlaylistClear() override { w_.PlaylistClear(); }
  void PlaylistAdd(const std::wstring& path, int depth) override { w_.PlaylistAdd(path, depth); }
  void PlaylistPlayItem(int index) override { w_.PlaylistPlayItem(index); }

  void ExecuteStatement(const std::wstring& statement) override { w_.ExecuteStatement(statement); }
  void BrowseMedia() override { w_.BrowseMedia(); }
  void BrowseFolder(const std::wstring& folder, bool keepScroll) override { w_.BrowseFolder(folder, keepScroll); }
  void ShowBrowsePage(bool load, const std::wstring& message) override { w_.ShowBrowsePage(load, message); }
  void SetBrowseMenus(bool browsing, bool menusShown, bool redraw) override {
    w_.SetBrowseMenus(browsing, menusShown, redraw);
  }
  void SelectBrowseFolder(const std::wstring& start) override { w_.SelectBrowseFolder(start); }
  void AddRecent(const std::wstring& path) override { w_.AddRecent(path); }

  double Random() override;
  CivilDate Today() const override;
  bool AskYesNo(const std::wstring& text, const std::wstring& title) override;
  void ShowMessage(const std::wstring& text, const std::wstring& title) override;
  SaveFileAnswer AskSaveFile(const SaveFileRequest& request) override;
  void ShellOpen(const std::wstring& target, const std::wstring& verb) override;
  bool Recycle(const std::wstring& path) override;

 private:
  PlayerWindow& w_;
  std::mt19937 random_{std::random_device{}()};
};

}  // namespace player
