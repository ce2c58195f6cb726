// The main window's media browser: its operations hand the window to the
// browser and thumbnail units; the address bar's events; the window as the
// browser's host (history, focus, folder dialog, progress, snapshots).
#include <windows.h>

#include "base/ErrorLog.h"
#include "moviefiles/SWFInfo.h"
#include "platform/flash/pages/BrowsePage.h"
#include "player/commands/ToolWindowOpeners.h"
#include "player/lists/MediaBrowser.h"
#include "player/movie/Thumbnails.h"
#include "player/window/BrowserWindowAdaptor.h"
#include "services/CommonDialog.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "ui/OwnerDrawn.h"
#include "ui/frmFlashShot.h"

namespace player {

void PlayerWindow::BrowseFolder(const std::wstring& folder, bool keepScroll) {
  player::BrowseFolder(Host(), *browser_, folder, keepScroll);
}
void PlayerWindow::ShowBrowsePage(bool load, const std::wstring& message) {
  player::ShowBrowsePage(Host(), *browser_, load, message);
}
void PlayerWindow::SetBrowseMenus(bool browsing, bool menusShown, bool redraw) {
  player::SetBrowseMenus(Host(), *browser_, browsing, menusShown, redraw);
}
void PlayerWindow::SelectBrowseFolder(const std::wstring& startFolder) {
  player::SelectBrowseFolder(Host(), *browser_, startFolder);
}

namespace {

FrameSource FrameOf(flash::FlashControl* swf) {
  FrameSource source;
  if (!swf || swf->FrameNum() < 0) return source;
  source.loaded = true;
  source.frame = swf->CurrentFrame();
  source.width = swf->Width();
  source.height = swf->Height();
  source.paint = [swf](HDC dc, int width, int height) { return swf->Paint(dc, width, height); };
  return source;
}

}  // namespace

std::wstring PlayerWindow::TakePicture(bool forWallpaper) {
  WriteLog(L"");
  WriteLog(forWallpaper ? L" :: Taking Desktop Picture" : L" :: Taking Picture");
  const SWFInfo& movie = Host().State().LoadedSWFInfo;
  const std::wstring title = GetFileTitle(movie.RequestedPath.empty() ? movie.Path : movie.RequestedPath, true);
  const SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const std::wstring path = player::TakePicture(FrameOf(swf_.get()), forWallpaper, title, ScreenShotsFolder,
                                                UserDataFolder + L"SWF.zel Wallpaper.jpg", screen,
                                                JpegQuality(255, Host().Opts().ShotJpeg));
  WriteLog(path.empty() ? L"No picture taken" : L"Picture: " + path);
  return path;
}

void PlayerWindow::SaveThumbnail() {
  WriteLog(L"");
  WriteLog(L" :: Saving Thumbnail");
  const SWFInfo& movie = Host().State().LoadedSWFInfo;
  const FrameSource source = FrameOf(swf_.get());
  if (!source.loaded || movie.RequestedPath.empty() || Host().State().InternalMovie) return;
  const bool satellite = Host().Opts().Satellite;
  const std::wstring target = ThumbnailPath(movie.RequestedPath, satellite);
  // Beside the movie, a picture of that name may be the user's own: it goes to the Recycle Bin first.
  if (satellite && FileExists(target) && !Host().Recycle(target)) {
    WriteLog(L"The old thumbnail could not be recycled: " + target);
    return;
  }
  if (!SaveFrameThumbnail(source, target, JpegQuality(255, Host().Opts().ShotJpeg)))
    WriteLog(L"Saving Thumbnail :: not written: " + target);
}

void PlayerWindow::WireAddressBar() {
  auto* bar = Find<forms::ComboBox>(L"AddressBar");
  if (!bar) return;
  // Keys typed there edit the path: the window's single-key shortcuts wait meanwhile.
  bar->OnGotFocus = [this] { SetKeyPreview(false); };
  bar->OnLostFocus = [this] { SetKeyPreview(true); };
  bar->OnKeyPress = [this, bar](int& key) {
    if (key != VK_RETURN) return;
    key = 0;
    BrowseFolder(bar->Text(), false);
  };
}

// ---------------------------------------------------------------- the browser's host

std::vector<std::wstring> PlayerWindow::BrowserWindowAdaptor::HistoryRows() const {
  std::vector<std::wstring> rows;
  if (auto* bar = w_.Find<forms::ComboBox>(L"AddressBar"))
    for (int i = 0; i < bar->ListCount(); ++i) rows.push_back(bar->List(i));
  return rows;
}

int PlayerWindow::BrowserWindowAdaptor::HistoryIndex() const {
  auto* bar = w_.Find<forms::ComboBox>(L"AddressBar");
  return bar ? bar->ListIndex() : -1;
}

void PlayerWindow::BrowserWindowAdaptor::SetHistory(const std::vector<std::wstring>& rows, int selected) {
  auto* bar = w_.Find<forms::ComboBox>(L"AddressBar");
  if (!bar) return;
  bar->Clear();
  for (const std::wstring& row : rows) bar->AddItem(row);
  bar->SetListIndex(selected);
}

void PlayerWindow::BrowserWindowAdaptor::FocusMovie() {
  if (w_.swf_ && w_.Visible()) w_.swf_->SetFocus();
}

void PlayerWindow::BrowserWindowAdaptor::RedrawMenuBar() { MakeMenuBarOwnerDrawn(w_.menuTexts_, w_); }

std::wstring PlayerWindow::BrowserWindowAdaptor::AskFolder(const std::wstring& title, const std::wstring& start) {
  UINT flags = 0;
  std::wstring display, folder;
  (void)start;
  if (!BrowseForFolder(w_.hWnd(), flags, display, folder, title)) return L"";
  return folder;
}

std::unique_ptr<ThumbnailProgress> PlayerWindow::BrowserWindowAdaptor::OpenProgress(int count) {
  // The start-up's own listing makes its thumbnails quietly behind the window.
  if (!w_.startedUp_) return nullptr;
  if (ThumbnailProgressOpener& open = ThumbnailProgressWindow(); open) return open(count);
  return nullptr;
}

void PlayerWindow::BrowserWindowAdaptor::StartThumbnails(std::vector<MissingThumbnail> jobs,
                                               std::unique_ptr<ThumbnailProgress> progress) {
  w_.thumbnails_.Start(*this, std::move(jobs), std::move(progress));
  if (auto* t = w_.Find<forms::Timer>(L"tmrThumbs")) t->SetEnabled(w_.thumbnails_.Running());
}

namespace {

flash::BrowsePage* ShownBrowsePage(flash::FlashControl* swf) {
  return swf ? dynamic_cast<flash::BrowsePage*>(swf->Page()) : nullptr;
}

}  // namespace

void PlayerWindow::BrowserWindowAdaptor::VisibleItems(int& first, int& last) {
  first = 1, last = 0;
  if (flash::BrowsePage* page = ShownBrowsePage(w_.swf_.get())) page->View().VisibleItems(first, last);
}

void PlayerWindow::BrowserWindowAdaptor::ThumbnailMade(const std::wstring& thumbName, bool inView) {
  flash::BrowsePage* page = ShownBrowsePage(w_.swf_.get());
  if (!page) return;
  page->View().ThumbnailWritten(thumbName);
  if (inView && w_.swf_->hWnd()) InvalidateRect(w_.swf_->hWnd(), nullptr, FALSE);
}

bool PlayerWindow::BrowserWindowAdaptor::MakeThumbnail(const std::wstring& movie, const std::wstring& thumbPath,
                                             ThumbnailProgress* progress) {
  return MakeMovieThumbnail(movie, SWFInfo{}, thumbPath, 255, w_.Host().Opts(), progress,
                            w_.CurrentSWFInfo.Path);
}

void PlayerWindow::BrowserWindowAdaptor::EndThumbnails() { frmFlashShot.Unload(); }

void PlayerWindow::ThumbnailTick() {
  // Left the page (a movie plays): the run ends; the next listing starts anew.
  if (Browsed)
    thumbnails_.Step(*browser_);
  else
    thumbnails_.Stop(*browser_);
  if (!thumbnails_.Running())
    if (auto* t = Find<forms::Timer>(L"tmrThumbs")) t->SetEnabled(false);
}

std::unique_ptr<BrowserWindow> PlayerWindow::MakeBrowserWindow(PlayerWindow& w) {
  return std::make_unique<BrowserWindowAdaptor>(w);
}

}  // namespace player
