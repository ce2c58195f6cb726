#include "player/window/PlayerSkin.h"

#include "player/window/PlayerWindow.h"
#include "player/window/SkinSeam.h"
#include "skin/SkinHost.h"
#include "skin/SkinItems.h"
#include "skin/SkinLayout.h"
#include "skin/SkinLoader.h"
#include "skin/SkinStates.h"

namespace player {
namespace {

// What the skin reads of the main window and writes back to it.
class PlayerSkinHost final : public SkinHost {
 public:
  explicit PlayerSkinHost(PlayerWindow& w) : w_(w) {}

  forms::Form& Window() override { return w_; }
  forms::PictureBox* MovieView() override { return w_.Find<forms::PictureBox>(L"View"); }
  forms::Control* MovieControl() override { return nullptr; }  // a window of its own, inside MovieView
  forms::Control* PlayList() override { return w_.FindControl(L"PlayList"); }
  forms::Control* AddressBar() override { return w_.FindControl(L"AddressBar"); }
  forms::Control* TipPanel() override { return nullptr; }

  bool HideUI() const override { return w_.MenuChecked(L"mnuHideUI"); }
  bool PlaylistShown() const override { return w_.MenuChecked(L"mnuPlaylist"); }
  bool FullScreenChecked() const override { return w_.MenuChecked(L"mnuFullScreen"); }

  bool Playing() const override { return w_.SWF() && w_.SWF()->Playing(); }
  bool Muted() const override { return w_.Muted; }
  int Volume() const override { return w_.Volume; }
  bool Browsed() const override { return w_.Browsed; }
  double MoviePercent() const override { return w_.MoviePercent(); }
  std::wstring TimeInfoCur() const override { return w_.TimeInfoCur; }
  std::wstring TimeInfoRem() const override { return w_.TimeInfoRem; }
  std::wstring TimeInfoTot() const override { return w_.TimeInfoTot; }
  bool TimeMode() const override { return w_.TimeMode % 2 == 1; }
  std::wstring MediaTitle() const override { return w_.MediaTitle; }
  int SkinColor() const override { return Options().SkinColor; }

  void SetSkinOffsets(int xOffset, int yOffset) override {
    w_.SkinXOffset = xOffset;
    w_.SkinYOffset = yOffset;
  }
  void SetMinSize(int minWidth, int minHeight) override {
    w_.MinWidth = minWidth;
    w_.MinHeight = minHeight;
  }
  void ShowMenuBarEntry(bool visible) override {
    if (forms::Menu* m = w_.FindMenu(L"mnuMenuBar")) m->SetVisible(visible);
  }
  void SkinFailed() override { SetSkinLoaded(false); }
  void ResetFullScreenParts() override {
    w_.HiddenFSControls = false;
    w_.HiddenFSPlaylist = false;
  }
  void ApplyFullScreen() override {
    const bool on = w_.MenuChecked(L"mnuFullScreen");
    SetSkinView(on ? L"viewFullScreen" : L"viewNormal");
  }
  void UpdateSkin() override { w_.UpdateSkin(); }
  void BringOwnControlsToFront() override {
    for (const wchar_t* name : {L"AddressBar", L"PlayList"})
      if (forms::Control* c = w_.FindControl(name)) c->ZOrder(forms::vbBringToFront);
  }

 private:
  PlayerWindow& w_;
};

PlayerSkinHost& Host() {
  static PlayerSkinHost host(Player);
  return host;
}

// A skin panel or button resized by the layout draws its stretched picture
// again at the new size (PIC_Resize).
void RepaintSkinPicturesOnResize() {
  for (int index = 1; index <= SkinItemCount(); ++index) {
    auto* box = dynamic_cast<forms::PictureBox*>(SkinItemAt(index)->Control);
    if (!box) continue;
    box->OnResize = [index] {
      int state = 0;
      SetSkinItemState(index, state);
    };
  }
}

}  // namespace

void AttachSkinEngine() {
  Skin().Load = [](forms::Form&) {
    if (!LoadSkin(Host()) || !::SkinLoaded) return false;
    RepaintSkinPicturesOnResize();
    Player.WireSkinMouse();
    return true;
  };
  Skin().Arrange = [](forms::Form&) {
    SlydeArrange();
    SkinLayout layout;
    layout.SkinXOffset = Player.SkinXOffset;
    layout.SkinYOffset = Player.SkinYOffset;
    layout.MinWidth = Player.MinWidth;
    layout.MinHeight = Player.MinHeight;
    return layout;
  };
  Skin().Reset = [] { ResetSkin(); };
}

}  // namespace player
