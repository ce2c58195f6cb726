// The main window's side of the display modes, its shape, the movie
// window's subclass and the skin's mouse handling: the window as the units
// WindowViews, FlashWindowHook and SkinMouse see it, and the operations
// that hand them over.
#include <algorithm>

#include "player/window/PlayerWindow.h"
#include "player/window/SkinMouse.h"
#include "player/window/SkinSeam.h"
#include "player/window/PlayerHostAdaptor.h"
#include "services/Services.h"
#include "skin/SkinItems.h"
#include "skin/SkinLayout.h"
#include "skin/SkinStates.h"
#include "ui/LanguageForms.h"
#include "ui/OwnerDrawn.h"
#include "ui/Window.h"

namespace player {

// ---------------------------------------------------------------- the window as the units see it

namespace {

// The check marks the movie window's mouse moves read, their items found
// once per loaded window (a lookup by name walks every control of the window).
struct MoveMarks {
  HWND window = nullptr;
  forms::Menu *hideUI = nullptr, *fullScreen = nullptr;
};
const MoveMarks& Marks(const PlayerWindow& w) {
  static MoveMarks marks;
  if (w.hWnd() != marks.window) {
    marks.window = w.hWnd();
    marks.hideUI = w.FindMenu(L"mnuHideUI");
    marks.fullScreen = w.FindMenu(L"mnuFullScreen");
  }
  return marks;
}
bool Marked(const forms::Menu* m) { return m && m->Checked(); }

}  // namespace

class PlayerWindow::ViewsHost final : public ViewHost {
 public:
  explicit ViewsHost(PlayerWindow& w) : w_(w) {}

  PlayerState& State() override { return w_; }
  ViewFlags& Flags() override { return w_; }

  bool Checked(const std::wstring& item) const override { return w_.MenuChecked(item); }
  void SetChecked(const std::wstring& item, bool on) override { w_.SetChecked(item, on); }
  void SetEnabled(const std::wstring& item, bool on) override { w_.Host().SetEnabled(item, on); }
  void SetTopMenusVisible(bool on) override {
    for (forms::Control* c : w_.Controls()) {
      auto* m = dynamic_cast<forms::Menu*>(c);
      if (m && !m->Parent() && m->Name().rfind(L"Menu", 0) == 0 && m->Visible() != on) m->SetVisible(on);
    }
  }
  void SetBrowseMenus(bool browsing, bool shown, bool flag) override {
    w_.Host().SetBrowseMenus(browsing, shown, flag);
  }

  int WindowState() const override { return w_.IsLoaded() ? w_.WindowState() : forms::vbNormal; }
  void SetWindowState(int state) override {
    if (w_.IsLoaded()) w_.SetWindowState(state);
  }
  RECT WindowRect() const override {
    RECT r{};
    if (w_.IsLoaded()) GetWindowRect(w_.hWnd(), &r);
    return r;
  }
  void SetWindowRect(const RECT& r) override {
    if (w_.IsLoaded()) w_.Move(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  RECT MonitorRect() const override {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (w_.IsLoaded() && GetMonitorInfoW(MonitorFromWindow(w_.hWnd(), MONITOR_DEFAULTTONEAREST), &info))
      return info.rcMonitor;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  SIZE ScreenSize() const override { return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }
  Frame Offsets() const override { return w_.CurrentFrame(); }
  bool Centered() const override { return Options().Centered; }
  void ShowTitleBar(bool show) override {
    if (!w_.IsLoaded()) return;
    ::ShowTitleBar(w_, show);
    // A caption set while the title bar was hidden is the one to show.
    if (show && !w_.caption_.empty()) w_.Form::SetCaption(w_.caption_);
  }

  void SetPlaylistVisible(bool on) override {
    if (auto* list = w_.Find<forms::ListBox>(L"PlayList"); list && list->Visible() != on) list->SetVisible(on);
  }
  void SendViewToBack() override {
    if (auto* view = w_.Find<forms::PictureBox>(L"View")) view->ZOrder(forms::vbSendToBack);
  }
  bool SkinLoaded() const override { return SkinIsLoaded(); }
  void SetSkinView(const std::wstring& name) override {
    if (SkinIsLoaded()) ::SetSkinView(name);
  }
  void SkinFSControls(bool show) override {
    if (!SkinIsLoaded()) return;
    show ? SlydeShowFSControls() : SlydeHideFSControls();
  }
  void SkinFSPlaylist(bool show) override {
    if (!SkinIsLoaded()) return;
    show ? SlydeShowFSPlaylist() : SlydeHideFSPlaylist();
  }
  void UpdateSkin() override { w_.UpdateSkin(); }
  void ZoomFlash(long percent, long count) override { w_.ZoomFlash(percent, count); }
  void FocusMovie() override {
    if (w_.swf_) w_.swf_->SetFocus();
    if (w_.IsLoaded()) UpdateWindow(w_.hWnd());
  }

 private:
  PlayerWindow& w_;
};

class PlayerWindow::HookHost final : public FlashHookHost {
 public:
  explicit HookHost(PlayerWindow& w) : w_(w) {}

  PlayerState& State() override { return w_; }
  bool FullScreenChecked() const override { return Marked(Marks(w_).fullScreen); }
  bool HideUI() const override { return Marked(Marks(w_).hideUI); }
  void ShowPopUp(bool overPlaylist, bool rootSWF) override { w_.ShowPopUp(overPlaylist, rootSWF); }
  void PlayPauseMedia() override { w_.PlayPauseMedia(); }
  void FullScreen(bool on, bool force, bool hideUIonly) override { w_.FullScreen(on, force, hideUIonly); }
  void FFwd() override { w_.FFwd(); }
  void Rwd() override { w_.Rwd(); }
  void SetVariable(const std::wstring& name, const std::wstring& value) override {
    if (w_.swf_) w_.swf_->SetVariable(name, value);
  }
  void TCallLabel(const std::wstring& target, const std::wstring& label) override {
    if (w_.swf_) w_.swf_->TCallLabel(target, label);
  }
  void HandyAction(int keyCode) override { w_.HandyAction(keyCode); }
  HWND MainWindow() const override { return w_.hWnd(); }
  void ShowBarsAt(POINT inClient, SIZE client, bool menuBarAllowed) override {
    player::ShowBarsAt(w_.Views(), inClient, client, menuBarAllowed);
  }

 private:
  PlayerWindow& w_;
};

class PlayerWindow::SkinMouseWindow final : public SkinMouseHost {
 public:
  explicit SkinMouseWindow(PlayerWindow& w) : w_(w) {}

  std::optional<SkinElement> Element(int index) const override {
    const SkinItem* item = SkinItemAt(index);
    if (!item || !item->Control) return std::nullopt;
    SkinElement e;
    e.Type = item->Type;
    e.View = item->View;
    e.HasDown = item->HasDown, e.HasOver = item->HasOver, e.HasDisabled = item->HasDisabled;
    e.Width = item->Control->Width(), e.Height = item->Control->Height();
    return e;
  }
  int ElementCount() const override { return SkinItemCount(); }
  int CurrentView() const override { return ::CurrentView; }
  void SetState(int index, int state) override { SetSkinItemState(index, state); }
  void SetEnabled(int index, bool on) override {
    if (forms::Control* c = SkinControl(index); c && c->Enabled() != on) c->SetEnabled(on);
  }
  void GoToFrame(double fraction) override { w_.GoToFrame(fraction); }
  void SetSound(int volume, int pan) override { w_.SetSound(volume, pan); }
  void MoveWindow() override { w_.MoveWindow(); }
  void ShowPopUp(bool overPlaylist, bool rootSWF) override { w_.ShowPopUp(overPlaylist, rootSWF); }
  void ToggleTimeMode() override { w_.ToggleTimeMode(); }

 private:
  PlayerWindow& w_;
};

// The window is the program's one main window: its hosts live as long.
PlayerWindow::ViewsHost& PlayerWindow::Views() {
  static ViewsHost host(*this);
  return host;
}

// ---------------------------------------------------------------- display modes and the shape

void PlayerWindow::FullScreen(bool on, bool force, bool hideUIonly) {
  player::FullScreen(Views(), on, force, hideUIonly);
}
void PlayerWindow::ShowMenuBar(bool show) { player::ShowMenuBar(Views(), show); }
void PlayerWindow::ShowFSControls(bool show) { player::ShowFSControls(Views(), show); }
void PlayerWindow::ShowFSPlaylist(bool show) { player::ShowFSPlaylist(Views(), show); }
void PlayerWindow::FitWindow(long width, long height, long count) {
  player::FitWindow(Views(), width, height, count);
}

void PlayerWindow::MoveWindow() {
  if (IsLoaded() && WindowState() == forms::vbNormal) DragWindow(hWnd());
}

void PlayerWindow::ResizeWindow() {
  if (IsLoaded()) SizeWindowFromGrip(hWnd());
}

void PlayerWindow::SaveDefaultRegion() {
  defaultRegion_.reset();
  if (!IsLoaded()) return;
  ScopedRegion region(CreateRectRgn(0, 0, 0, 0));
  if (region && GetWindowRgn(hWnd(), region.get()) != ERROR) defaultRegion_ = std::move(region);
}

void PlayerWindow::UpdateRegion(bool restoreDefault) {
  if (!IsLoaded()) return;
  const WindowShape shape = ShapeFor(SkinIsLoaded(), SkinRegions.size(), MenuChecked(L"mnuHideUI"),
                                     MenuChecked(L"mnuMenuBar"), restoreDefault);
  if (shape == WindowShape::Unchanged) return;
  ScopedRegion region;
  if (shape == WindowShape::Default) {
    // A window that had no region at load gets none back.
    if (defaultRegion_) {
      region.reset(CreateRectRgn(0, 0, 0, 0));
      if (!region || CombineRgn(region.get(), defaultRegion_.get(), nullptr, RGN_COPY) == ERROR) return;
    }
  } else {
    RECT window{}, client{};
    GetWindowRect(hWnd(), &window);
    GetClientRect(hWnd(), &client);
    POINT origin{0, 0};
    ClientToScreen(hWnd(), &origin);
    origin.x -= window.left, origin.y -= window.top;
    std::vector<RegionCut> cuts;
    for (const SkinRegion& r : SkinRegions) {
      if (!r.Region || !r.Control) continue;
      cuts.push_back(RegionCut{r.Region.get(), POINT{GetControlLeft(*r.Control, hWnd()), GetControlTop(*r.Control, hWnd())}});
    }
    region = SkinShape(origin, SIZE{client.right, client.bottom}, cuts);
    if (!region) return;
  }
  // The window owns the region it was given.
  if (SetWindowRgn(hWnd(), region.get(), TRUE)) region.release();
}

forms::Control* PlayerWindow::xObj(int index) const { return index == 0 ? nullptr : SkinControl(index); }

void PlayerWindow::View_MouseMove(int, int, int x, int y) {
  auto* view = Find<forms::PictureBox>(L"View");
  if (!view || !view->hWnd() || !IsLoaded() || !MenuChecked(L"mnuHideUI")) return;
  POINT inClient{x, y};
  MapWindowPoints(view->hWnd(), hWnd(), &inClient, 1);
  RECT client{};
  GetClientRect(hWnd(), &client);
  player::ShowBarsAt(Views(), inClient, SIZE{client.right, client.bottom}, true);
}

void PlayerWindow::View_MouseDown(int button, int, int, int) {
  if (button == forms::vbRightButton) ShowPopUp(false, false);
}

// ---------------------------------------------------------------- the movie window's subclass

void PlayerWindow::HookFlashWindow(HWND container) {
  static HookHost host(*this);
  UnhookFlashWindow();
  flashHook_ = std::make_unique<FlashWindowHook>(host);
  if (!flashHook_->Hook(container)) return;
  // The movie's keys reach the single-key shortcuts through the subclass alone.
  LeaveKeysTo(flashHook_->FlashHwnd());
}

void PlayerWindow::UnhookFlashWindow() {
  if (!flashHook_) return;
  if (flashHook_->FlashHwnd()) LeaveKeysTo(nullptr);
  flashHook_->Unhook();
}

// Until the menus are built these operations say so.

// ---------------------------------------------------------------- the skin's elements

void PlayerWindow::WireSkinMouse() {
  for (int index = 1; index <= SkinItemCount(); ++index) {
    forms::Control* c = SkinControl(index);
    if (!c) continue;
    const SkinKind kind = dynamic_cast<forms::PictureBox*>(c) ? SkinKind::Picture
                          : dynamic_cast<forms::Label*>(c)    ? SkinKind::Label
                                                              : SkinKind::Image;
    c->OnMouseDown = [this, c, kind](int button, int, int x, int y) {
      SkinMouseWindow skin(*this);
      SkinMouseDown(skin, kind, c->Tag(), button, x, y);
    };
    c->OnMouseMove = [this, c, kind](int buttons, int, int x, int y) {
      SkinMouseWindow skin(*this);
      SkinMouseMove(skin, kind, c->Tag(), buttons, x, y);
    };
    c->OnMouseUp = [this, c, kind](int button, int, int x, int y) {
      SkinMouseWindow skin(*this);
      SkinMouseUp(skin, kind, c->Tag(), button, x, y);
    };
    c->OnDblClick = [this, c, kind] {
      SkinMouseWindow skin(*this);
      SkinDblClick(skin, kind, c->Tag());
    };
    if (kind == SkinKind::Label) {
      c->OnClick = [this, c, kind] {
        SkinMouseWindow skin(*this);
        SkinClick(skin, kind, c->Tag());
      };
    }
  }
}

void PlayerWindow::SkinActivated(bool active) {
  SkinMouseWindow skin(*this);
  if (SkinIsLoaded()) SkinActivateApp(skin, active);
}

void PlayerWindow::SkinHovered(forms::Control& control, bool entering) {
  SkinMouseWindow skin(*this);
  if (!SkinIsLoaded()) return;
  const SkinKind kind = control.Name() == L"PIC" ? SkinKind::Picture : SkinKind::Image;
  SkinHover(skin, kind, control.Tag(), entering);
}

}  // namespace player
