// frmShot ("Thumbnails Creation"): shown by the media browser while it makes
// the missing thumbnails of a folder. It shows the bar, the file in hand and
// the last picture made, keeps the main window disabled while it is open and
// lets the user Stop the run. The browser drives it through
// ThumbnailProgress; its state is the window-free ShotProgress.
#pragma once
#include <memory>

#include "player/movie/Thumbnails.h"
#include "tools/thumbnails/ShotProgress.h"
#include "tools/common/ToolWindow.h"

class SmoothProgress;
namespace forms {
class Label;
class CommandButton;
}  // namespace forms

namespace tools {

class frmShot : public ToolWindow {
 public:
  frmShot();
  ~frmShot() override;

  // Opens the window for a run of count movies; its Stop presses the Stop of
  // the run's progress (run).
  void Begin(int count, player::ThumbnailProgress* run);
  // Closes the window; the run is released from it.
  void End();
  void Step(int index, int count, const std::wstring& caption, const std::wstring& path);
  void Preview(const cDIBSection& picture);
  const ShotProgress& State() const { return state_; }

  void cbCancel_Click();

  forms::Label* lblWait = nullptr;
  forms::Label* lblStatus = nullptr;
  forms::CommandButton* cbCancel = nullptr;
  std::unique_ptr<SmoothProgress> Progress;

 protected:
  void CreateControls() override;
  void Form_Load() override;
  void Form_Unload() override;
  std::wstring HelpTopic() const override { return L"thumbnails"; }

 private:
  ShotProgress state_{0};
  player::ThumbnailProgress* run_ = nullptr;  // the run's progress while the window shows it
  unsigned long long lastShown_ = 0;  // when the bar and the label were last drawn
};

frmShot& ShotWindow();

// The progress of one browser run over the window: opened now, closed when released.
std::unique_ptr<player::ThumbnailProgress> OpenShotProgress(int count);

}  // namespace tools
