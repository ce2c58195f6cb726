// The main window as the media browser sees it (BrowserWindow): the address
// bar's history, the movie's focus, the menu bar, the folder dialog, the
// thumbnail run (its timer, the progress window, the hidden snapshot window
// and the page's cells).
#pragma once
#include "player/lists/MediaBrowser.h"
#include "player/window/PlayerWindow.h"

namespace player {

class PlayerWindow::BrowserWindowAdaptor final : public BrowserWindow {
 public:
  explicit BrowserWindowAdaptor(PlayerWindow& w) : w_(w) {}

  std::vector<std::wstring> HistoryRows() const override;
  int HistoryIndex() const override;
  void SetHistory(const std::vector<std::wstring>& rows, int selected) override;
  void FocusMovie() override;
  void RedrawMenuBar() override;
  std::wstring AskFolder(const std::wstring& title, const std::wstring& start) override;
  std::unique_ptr<ThumbnailProgress> OpenProgress(int count) override;
  void StartThumbnails(std::vector<MissingThumbnail> jobs, std::unique_ptr<ThumbnailProgress> progress) override;
  bool MakeThumbnail(const std::wstring& movie, const std::wstring& thumbPath, ThumbnailProgress* progress) override;
  void VisibleItems(int& first, int& last) override;
  void ThumbnailMade(const std::wstring& thumbName, bool inView) override;
  void EndThumbnails() override;

 private:
  PlayerWindow& w_;
};

}  // namespace player
