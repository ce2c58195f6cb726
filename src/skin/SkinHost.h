// SkinHost: what the skin engine needs of the main window. The player's main
// window implements it; the engine never reaches the player otherwise. Sizes
// are pixels of the window's client area; every control getter may answer
// null when the window has no such control, and the engine then skips the
// statements that use it.
#pragma once
#include <string>

namespace forms {
class Control;
class Form;
class PictureBox;
}  // namespace forms

class SkinHost {
 public:
  virtual ~SkinHost() = default;

  // The window that receives the skin's controls (the control arrays PIC,
  // IMG and LBL) and owns the fade timers.
  virtual forms::Form& Window() = 0;
  // The picture box that hosts the movie; views take it in (SetSkinView).
  virtual forms::PictureBox* MovieView() = 0;
  // The movie control inside MovieView, sent to the back on a view switch.
  virtual forms::Control* MovieControl() = 0;
  // The playlist, the address bar and the tips panel the layout places.
  virtual forms::Control* PlayList() = 0;
  virtual forms::Control* AddressBar() = 0;
  virtual forms::Control* TipPanel() = 0;

  // Menu states the layout reads: View > Hide UI, the playlist pane, full screen.
  virtual bool HideUI() const = 0;
  virtual bool PlaylistShown() const = 0;
  virtual bool FullScreenChecked() const = 0;

  // Player state shown by the live parts of the skin.
  virtual bool Playing() const = 0;
  virtual bool Muted() const = 0;
  virtual int Volume() const = 0;            // 0..100
  virtual bool Browsed() const = 0;          // the media browser, not a movie, is shown
  virtual double MoviePercent() const = 0;   // position as a fraction 0..1
  virtual std::wstring TimeInfoCur() const = 0;
  virtual std::wstring TimeInfoRem() const = 0;
  virtual std::wstring TimeInfoTot() const = 0;
  virtual bool TimeMode() const = 0;         // true: label 15 shows the total time
  virtual std::wstring MediaTitle() const = 0;
  // The colour set of the built-in skin: 1 the dark set, else the system colours.
  virtual int SkinColor() const = 0;

  // What the skin writes back.
  virtual void SetSkinOffsets(int xOffset, int yOffset) = 0;   // room kept right of and below the movie
  virtual void SetMinSize(int minWidth, int minHeight) = 0;    // the skin's window limits
  virtual void ShowMenuBarEntry(bool visible) = 0;             // the "menu bar" menu entry
  virtual void SkinFailed() = 0;  // loading failed: the skin-choice menu entry shows checked
  // The skin was read: the full-screen controls and playlist count as shown.
  virtual void ResetFullScreenParts() = 0;
  // Applies the full-screen menu state (forced, whole window): ends in
  // SetSkinView with "viewFullScreen" or "viewNormal" and a layout.
  virtual void ApplyFullScreen() = 0;
  // Lays the window out again (SlydeArrange) and reshapes it; called by SetSkinView.
  virtual void UpdateSkin() = 0;
  // Brings the window's own address bar, playlist and tips panel in front of
  // the skin's controls; called after LoadSkin and the full-screen procedures.
  virtual void BringOwnControlsToFront() = 0;
};
