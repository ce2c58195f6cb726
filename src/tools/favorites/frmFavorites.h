// frmFavorites: the favourites manager. A working copy of the favourite
// folders (FavoritesList) in a list box, edited with add (a folder chosen
// from the media browser's folder on), remove, up and down; OK makes it the
// main window's favourites, Cancel drops it. A folder too long for the list
// is shown shortened in the middle; the list's tooltip gives the whole path of
// the row under the mouse (else of the selected one). The Browser menu's
// Favorite Folders stays disabled while the window is open.
#pragma once
#include <string>

#include "player/movie/PlayerHost.h"
#include "tools/favorites/FavoritesList.h"
#include "tools/common/ToolWindow.h"

namespace forms {
class ListBox;
}

namespace tools {

class frmFavorites : public ToolWindow {
 public:
  frmFavorites();

  // Public operations.
  void RemoveFavItem(int index);
  void MoveFavItem(int index, int direction);
  // Adds a folder after the selection (what the add button does with the folder chosen).
  void AddFavItem(const std::wstring& folder);

  const FavoritesList& List() const { return list_; }
  void SetHost(player::PlayerHost* host) { host_ = host; }

  // Event handlers.
  void FavList_Click();
  void FavList_MouseMove(int x, int y);
  void cpPlus_Click();
  void cbMinus_Click() { RemoveFavItem(list_.Selected()); }
  void cbUp_Click() { MoveFavItem(list_.Selected(), -1); }
  void cbDown_Click() { MoveFavItem(list_.Selected(), 1); }
  void cbOK_Click();
  void cbCancel_Click() { Close(); }

  forms::ListBox* FavList = nullptr;

 protected:
  void CreateControls() override;
  void Form_Load() override;
  void Form_Unload() override;
  std::wstring HelpTopic() const override { return L"favorite-folders"; }

 private:
  player::PlayerHost& Host();
  void ShowList();  // the list box, its selection and the buttons from the model
  void ShowTip(int row);  // the tooltip: the row's whole path, -1 the selected one's

  FavoritesList list_;
  player::PlayerHost* host_ = nullptr;
};

// The program-wide instance.
frmFavorites& FavoritesWindow();

}  // namespace tools
