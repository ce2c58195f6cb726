// frmDesktop ("Zoruv Uredare"): the playing movie as a full-screen desktop
// item, taken off again, the desktop icons hidden or shown, and a miniature
// of the desktop as it will look. Its movie is the record OpenFor hands it,
// read in full by the menu command (so a compressed movie or a projector
// arrives as a plain copy); the window keeps it until it closes.
#pragma once
#include <memory>
#include <string>

#include "images/cDIBSection.h"
#include "tools/desktop/DesktopBackground.h"
#include "tools/common/ToolWindow.h"

namespace forms {
class CheckBox;
class Label;
class PictureBox;
}  // namespace forms

namespace tools {

// What the window reaches outside itself; the main window by default.
class DesktopHost {
 public:
  virtual ~DesktopHost() = default;
  virtual std::unique_ptr<DesktopShell> Shell() = 0;
  virtual DesktopPlace Place() = 0;
  virtual std::wstring Caption() = 0;          // the main window's caption
  virtual void Minimize() = 0;                 // the main window
  virtual void Report(const std::wstring& text) = 0;  // a message to the user
  virtual void SetMenuEnabled(bool opening) = 0;      // "mnuDesktop" while the window is open
  virtual SIZE Screen() = 0;                   // in pixels
};

class frmDesktop : public ToolWindow {
 public:
  static constexpr int kWidth = 420, kHeight = 210;
  static constexpr int kPreviewLeft = 24, kPreviewTop = 28, kPreviewWidth = 120, kPreviewHeight = 90;

  frmDesktop();

  // Public variables: open while loaded; the movie transparent, without sound.
  bool IsOpen = false;
  bool fdTransp = true, fdMute = true;

  // Opens the window over a movie read in full (0 modeless, 1 modal).
  void OpenFor(const SWFInfo& movie, int mode);
  const SWFInfo& Movie() const { return movie_; }

  void SetVisual() override;
  void DrawMiniDesktop();
  // What the window reaches outside itself; none puts the main window back.
  void SetHost(DesktopHost* host) { host_ = host; }

  // Event handlers.
  void cbGo_Click();
  void cbCancel_Click();
  void chkEnable_Click();

  forms::CheckBox* chkEnable = nullptr;
  forms::CheckBox* chkMute = nullptr;
  forms::CheckBox* chkTransparent = nullptr;
  forms::CheckBox* chkHideIcons = nullptr;
  forms::Label* lblHideIcons = nullptr;
  forms::PictureBox* picDesktop = nullptr;

 protected:
  void CreateControls() override;
  void Form_Load() override;
  void Form_Unload() override;
  std::wstring HelpTopic() const override { return L"flash-desktop"; }

 private:
  DesktopHost& Host();
  DesktopHost* host_ = nullptr;
  SWFInfo movie_;
  std::unique_ptr<DesktopShell> shell_;
  DesktopPlace place_;
  std::unique_ptr<cDIBSection> wallpaperDib_, taskbarDib_;
  POINT taskbarAt_{};
};

// The program-wide instance.
frmDesktop& DesktopWindow();

}  // namespace tools
