// The main window as the playlist sees it (PlaylistHost): the list box
// "PlayList" (an owner-drawn box of rows without text), the menu items that
// follow the list, the loader, the media browser and the recent files.
#pragma once
#include "player/window/PlayerWindow.h"

namespace player {

class PlayerWindow::PlaylistHostAdaptor final : public PlaylistHost {
 public:
  explicit PlaylistHostAdaptor(PlayerWindow& w) : w_(w) {}

  void RowsAdded(int count) override;
  void RowRemoved(int index) override;
  void RowsCleared() override;
  void SelectRow(int index) override;
  void Repaint() override;
  void SetRedraw(bool on) override;
  void SetExportEnabled(bool on) override { SetItemEnabled(L"mnuSavePL", on); }
  void SetNextEnabled(bool on) override { SetItemEnabled(L"mnuPlayNext", on); }
  void LoadEntry(const std::wstring& path) override { w_.LoadFlash(path, L"", false); }
  void BrowseMedia() override { w_.BrowseMedia(); }
  void AddRecent(const std::wstring& path) override { w_.AddRecent(path); }
  bool KeepHistory() const override;
  std::wstring HistoryFile() const override;
  bool AcceptsProgram(const std::wstring& path) const override;

  // The rows selected, top to bottom; the row the commands act on (-1: none).
  std::vector<int> SelectedRows() const;
  int CurrentRow() const;

 private:
  HWND Box() const;
  void SetItemEnabled(const wchar_t* item, bool on);

  PlayerWindow& w_;
  int redrawOff_ = 0;  // nested stops of the box's drawing
};

}  // namespace player
