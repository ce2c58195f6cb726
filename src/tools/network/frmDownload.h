// frmDownload: the movie downloader. An address typed in, Download fetches it
// into the Internet cache with a progress bar, the rate and Stop; the end reports where
// the cache put the file and its MIME type, or why the transfer failed.
// Nothing fetched is moved, opened or run. While the window is loaded the
// main window's Download item is disabled.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "tools/network/DownloaderControl.h"
#include "tools/common/ToolWindow.h"
#include "ui/SmoothProgress.h"

namespace forms {
class TextBox;
}  // namespace forms

namespace tools {

class frmDownload : public ToolWindow {
 public:
  static constexpr int kWidth = 440, kHeight = 120;

  frmDownload();

  // Event handlers.
  void txtSource_Change();
  void cbGo_Click();
  void cbCancel_Click();
  void Downloader_Progress(const download::Progress& report);
  void Downloader_Complete(const download::Result& result);

  // Shows the end of a transfer; the program's message box unless replaced.
  std::function<void(const std::wstring& title, const std::wstring& prompt)> Report;

  forms::TextBox* txtSource = nullptr;
  forms::CommandButton *cbGo = nullptr, *cbCancel = nullptr, *cbDone = nullptr;
  SmoothProgress* Progress() const { return progress_.get(); }
  DownloaderControl* Downloader() const { return downloader_.get(); }

 protected:
  void CreateControls() override;
  void Form_Load() override;
  void Form_Unload() override;

 private:
  void ShowIdle();
  void EnableMenuItem(bool enabled);

  std::unique_ptr<SmoothProgress> progress_;
  std::unique_ptr<DownloaderControl> downloader_;
};

// The program-wide instance.
frmDownload& DownloadWindow();

}  // namespace tools
