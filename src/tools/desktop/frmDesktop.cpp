#include "tools/desktop/frmDesktop.h"

#include "base/Handles.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/Label.h"
#include "platform/forms/PictureBox.h"
#include "player/start/OptionSet.h"
#include "services/AppIdentity.h"
#include "player/movie/PlayerHost.h"
#include "player/window/PlayerWindow.h"
#include "services/Languages.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "ui/DrawingModule.h"
#include "ui/LanguageForms.h"
#include "ui/frmMessage.h"

namespace tools {
namespace {

class PlayerDesktopHost : public DesktopHost {
 public:
  explicit PlayerDesktopHost(forms::Form& window) : window_(window) {}
  std::unique_ptr<DesktopShell> Shell() override { return CreateShellDesktop(); }
  DesktopPlace Place() override { return ShellDesktopPlace(); }
  std::wstring Caption() override { return player::Player.Caption(); }
  void Minimize() override { player::Player.Minimize(); }
  void Report(const std::wstring& text) override {
    int check = -1;
    ShowMessage(window_, text, app::kTitle, L"info", LangText(L"Shared/Ok", L"OK"), L"", L"", L"", check);
  }
  void SetMenuEnabled(bool opening) override {
    if (!player::Player.IsLoaded()) return;
    player::PlayerHost& host = player::Player.Host();
    // Closing gives the item back only where the movie may go on the desktop.
    host.SetEnabled(L"mnuDesktop", !opening && !host.State().InternalMovie && !host.State().CurrentSWFInfo.IsFLV);
  }
  SIZE Screen() override { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

 private:
  forms::Form& window_;
};

bool Checked(const forms::CheckBox* box) { return box && box->Value() == forms::vbChecked; }
int CheckValue(bool on) { return on ? forms::vbChecked : forms::vbUnchecked; }

}  // namespace

frmDesktop& DesktopWindow() { return Instance<frmDesktop>(); }

frmDesktop::frmDesktop() : ToolWindow(L"frmDesktop", forms::FixedDialogArgs(L"Zoruv Uredare", kWidth, kHeight)) {}

DesktopHost& frmDesktop::Host() {
  static PlayerDesktopHost player(*this);
  return host_ ? *host_ : player;
}

void frmDesktop::CreateControls() {
  auto picture = forms::Placed<forms::PictureBoxArgs>(L"picDesktop", kPreviewLeft, kPreviewTop, kPreviewWidth,
                                                      kPreviewHeight);
  picDesktop = &Add<forms::PictureBox>(picture);
  const int left = kPreviewLeft + kPreviewWidth + 28, width = kWidth - left - 16;
  auto check = [&](const wchar_t* name, int top, const wchar_t* caption) {
    auto a = forms::Placed<forms::CheckBoxArgs>(name, left, top, width, 20);
    a.Caption = caption;
    return &Add<forms::CheckBox>(a);
  };
  chkEnable = check(L"chkEnable", 20, L"Enable Zoruv Uredare");
  chkMute = check(L"chkMute", 44, L"Mute Movie Sound");
  chkTransparent = check(L"chkTransparent", 68, L"Transparent Background");
  chkHideIcons = check(L"chkHideIcons", 92, L"Hide Desktop Icons");
  auto note = forms::Placed<forms::LabelArgs>(L"lblHideIcons", left, 116, width, 34);
  note.Caption = L"You may need to Log Out or Restart Windows to toggle desktop icons";
  note.BackStyle = 0;
  note.WordWrap = true;
  lblHideIcons = &Add<forms::Label>(note);

  forms::CommandButton& go = AddButton(L"cbGo", L"OK");
  go.SetTag(L"!SHARED/OK");
  go.SetDefault(true);
  go.OnClick = [this] { cbGo_Click(); };
  forms::CommandButton& close = AddButton(L"cbCancel", L"Close");
  close.SetTag(L"!SHARED/CLOSE");
  close.SetCancel(true);
  close.OnClick = [this] { cbCancel_Click(); };
  forms::CommandButton& help = AddHelpButton();
  PlaceButtonRow({&go, &close, &help});

  chkEnable->OnClick = [this] { chkEnable_Click(); };
  chkHideIcons->OnClick = [this] { DrawMiniDesktop(); };
  chkTransparent->OnClick = [this] { DrawMiniDesktop(); };
}

void frmDesktop::OpenFor(const SWFInfo& movie, int mode) {
  movie_ = movie;
  Open(mode);
}

void frmDesktop::Form_Load() {
  Host().SetMenuEnabled(true);
  IsOpen = true;
  place_ = Host().Place();
  shell_ = Host().Shell();
  const player::DesktopSettings& d = player::Options().Desktop;
  fdTransp = d.Transparent;
  fdMute = d.Mute;
  chkEnable->SetValue(CheckValue(DesktopItemPresent(*shell_, place_)));
  chkTransparent->SetValue(CheckValue(fdTransp));
  chkMute->SetValue(CheckValue(fdMute));
  chkHideIcons->SetValue(CheckValue(IconsHidden(place_)));
  ApplyLanguage(*this);
  chkEnable_Click();
  SetVisual();
}

void frmDesktop::Form_Unload() {
  Host().SetMenuEnabled(false);
  IsOpen = false;
  shell_.reset();
  wallpaperDib_.reset();
  taskbarDib_.reset();
  movie_ = SWFInfo{};
}

void frmDesktop::SetVisual() {
  if (!IsLoaded()) return;
  ToolWindow::SetVisual();
  DrawShadow(hDC(), kPreviewLeft, kPreviewTop);
  Refresh();
  const SIZE screen = Host().Screen();

  // The wallpaper at the preview's size.
  wallpaperDib_.reset();
  std::wstring wallpaper;
  forms::Picture picture;
  if (shell_ && SUCCEEDED(shell_->GetWallpaper(wallpaper)) && !wallpaper.empty() &&
      LoadPictureFile(picture, wallpaper)) {
    cDIBSection full;
    full.CreateFromPicture(picture.Handle());
    if (full.hdc()) wallpaperDib_ = full.Resample(kPreviewWidth, kPreviewHeight);
  }

  // The taskbar, scaled down as the screen is.
  taskbarDib_.reset();
  RECT bar{};
  HWND tray = FindWindowExW(nullptr, nullptr, L"Shell_TrayWnd", nullptr);
  if (tray && GetWindowRect(tray, &bar) && bar.right > bar.left && bar.bottom > bar.top) {
    cDIBSection full;
    ScopedWindowDC trayDC(tray);
    if (trayDC && full.Create(bar.right - bar.left, bar.bottom - bar.top)) {
      BitBlt(full.hdc(), 0, 0, full.Width(), full.Height(), trayDC.get(), 0, 0, SRCCOPY);
      const RECT mini = MiniRect(bar, screen.cx, screen.cy, kPreviewWidth, kPreviewHeight);
      if (mini.right > mini.left && mini.bottom > mini.top)
        taskbarDib_ = full.Resample(mini.right - mini.left, mini.bottom - mini.top);
      taskbarAt_ = {mini.left, mini.top};
    }
  }
  DrawMiniDesktop();
}

void frmDesktop::DrawMiniDesktop() {
  if (!IsLoaded() || !picDesktop) return;
  picDesktop->Cls();
  MiniDesktop mini;
  mini.Wallpaper = wallpaperDib_.get();
  mini.Taskbar = taskbarDib_.get();
  mini.TaskbarAt = taskbarAt_;
  mini.MovieColor = MovieBackColor(movie_.BackColor);
  mini.Enable = Checked(chkEnable);
  mini.Transparent = Checked(chkTransparent);
  mini.HideIcons = Checked(chkHideIcons);
  mini.ImagesFolder = ImagesFolder;
  ::tools::DrawMiniDesktop(picDesktop->hDC(), picDesktop->ScaleWidth(), picDesktop->ScaleHeight(), mini);
  picDesktop->Refresh();
}

void frmDesktop::chkEnable_Click() {
  const bool on = Checked(chkEnable);
  chkTransparent->SetEnabled(on);
  chkMute->SetEnabled(on);
  lblHideIcons->SetVisible(!on);
  DrawMiniDesktop();
}

void frmDesktop::cbGo_Click() {
  // The movie, the largest of the item's files, is copied while the settings are stored and the page is written.
  DesktopMovieCopy movieCopy(place_, Checked(chkEnable) ? movie_.Path : std::wstring());
  fdTransp = Checked(chkTransparent);
  fdMute = Checked(chkMute);
  // Kept for the next start, which reads them with the options.
  player::DesktopSettings& d = player::Options().Desktop;
  d.Transparent = fdTransp;
  d.Mute = fdMute;
  SaveRegBool(L"Desktop", L"Transparent", fdTransp);
  SaveRegBool(L"Desktop", L"Mute", fdMute);

  DesktopChoice choice;
  choice.Enable = Checked(chkEnable);
  choice.Mute = fdMute;
  choice.Transparent = fdTransp;
  choice.HideIcons = Checked(chkHideIcons);
  const SIZE screen = Host().Screen();
  const std::wstring failure =
      ApplyDesktop(*shell_, place_, choice, movie_, Host().Caption(), screen.cx, screen.cy, movieCopy);
  if (!failure.empty()) {
    const std::wstring what = choice.Enable
                                  ? LangText(Name() + L"/strNotSet", L"The movie could not be put on the desktop.")
                                  : LangText(Name() + L"/strNotRemoved", L"The movie could not be taken off the desktop.");
    Host().Report(what + L"\r\n\r\n" + failure);
  } else if (choice.Enable) {
    Host().Minimize();
  }
  Close();
}

void frmDesktop::cbCancel_Click() { Close(); }

}  // namespace tools
